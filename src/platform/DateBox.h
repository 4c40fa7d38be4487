#pragma once

#include "platform/Services.h"

#include <QLineEdit>

namespace korvane {

// The box every date of the program is typed into. Dates are typed freely, as a person writes
// them ("05/Mar/2021", "5/3/21", "2021-03-05"; see parseDate), and kept as "dd/Mmm/yyyy":
// - while typing, the text is left exactly as typed;
// - on leaving, or on Return, a text that is no date gives "Invalid Date", a date after today
//   "Date entered is beyond today!" (both titled "Entry Error"), and the box keeps the focus;
//   any other date is rewritten as "dd/Mmm/yyyy", and an empty box is accepted. A refused
//   Return goes no further, so it does not press the window's default button.
// entryAccepted() follows a check that accepted the text, for boxes that do more (the last
// inspection dates recompute the next ones).
class DateBox : public QLineEdit {
    Q_OBJECT

public:
    explicit DateBox(Services& services, QWidget* parent = nullptr);

    // Checks the text as leaving the box does, with its message and the focus taken back.
    // Returns whether the text was accepted.
    bool checkEntry();
    // Whether the box refused its text when it was last checked, and the text is unchanged
    // since.
    bool isRefused() const { return refused_; }

signals:
    void entryAccepted();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Services& services_;
    bool refused_ = false;
    bool checking_ = false;
};

// For boxes that hold a date without the checks of a DateBox (custom tank fields of the kind
// Date/Time), called when the box is left: a text that reads as a date is shown as
// "dd/Mmm/yyyy"; any other text stays as typed.
void reformatDateOnLeave(QLineEdit& box);

} // namespace korvane
