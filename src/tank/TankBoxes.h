#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QWidget;

namespace korvane {

class DataSource;
class DateBox;
class TagBox;
struct Services;

namespace tankboxes {

// The window's caption, the title of its messages.
extern const QString WindowCaption;
// The tool tip of every date box of the tank's tabs.
extern const QString DateToolTip;

QString latin(const char* text);

// A group box whose contents sit in a grid; the box is given back through `group` when asked.
QGridLayout* groupGrid(QWidget* parent, const QString& title, QGroupBox** group = nullptr);

// A number box that OK checks before saving: its text must begin with a number when it is to be
// stored (`stored`) and is not empty.
struct TypedNumber {
    TagBox* box;
    bool stored;
    const char* message;
};
// Says the message of the first box whose text is no number, and brings that box forward with
// the focus. True when every box passes.
bool checkTypedNumbers(Services& services, std::initializer_list<TypedNumber> boxes);

} // namespace tankboxes

// Makes the boxes of one tab of the Tank Information window: boxes bound to fields of the open
// tank, date boxes (bound too, and remembered, so that OK can tell whether one refused its
// text) and boxes with a hidden value that the tab fills and saves itself.
class TankBoxes {
public:
    TankBoxes(DataSource& tank, Services& services, QWidget& page)
        : tank_(tank), services_(services), page_(page) {}

    QLineEdit* bound(const char* name, const char* field, const QString& toolTip = {});
    DateBox* date(const char* name, const char* field, const QString& toolTip);
    TagBox* tag(const char* name);

    // The date boxes made, in the order they were made.
    const std::vector<DateBox*>& dates() const { return dates_; }

private:
    DataSource& tank_;
    Services& services_;
    QWidget& page_;
    std::vector<DateBox*> dates_;
};

} // namespace korvane
