#pragma once

#include <QLineEdit>
#include <QString>

#include <functional>

namespace korvane {

// A text box with a hidden companion value (its tag) beside the visible text: the value in the
// stored unit (whole inches, psi) or a unit marker. Calculations and saving read the tag, never
// the text.
//
// A key handler sees each typed character before the box takes it and may swallow it; left()
// is emitted when the focus moves to another control of the window (not when the whole window
// loses the focus to another one).
class TagBox : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString tag READ tag WRITE setTag)

public:
    explicit TagBox(QWidget* parent = nullptr);

    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Returns true to swallow the character.
    using KeyHandler = std::function<bool(QChar)>;
    void setKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
    // Selects the whole text when the box is clicked or entered, so that typing replaces it.
    void setSelectAllOnEntry(bool on) { selectAllOnEntry_ = on; }

signals:
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString tag_;
    KeyHandler keyHandler_;
    bool selectAllOnEntry_ = false;
};

} // namespace korvane
