#pragma once

#include "platform/Services.h"

#include <QLineEdit>

namespace korvane {

// The box every date of the program is typed into. Dates are typed freely and kept as
// "dd/Mmm/yyyy" (see common/DateEntry.h):
// - while typing, a text that ends in a two- or four-digit year after a slash and reads as a
//   date is rewritten at once ("5/3/20" becomes "05/Mar/2020");
// - on leaving, a text that is no date gives "Invalid Date", a date after today "Date entered is
//   beyond today!" (both titled "Entry Error"), and the box takes the focus back; any other date
//   is rewritten as "dd/Mmm/yyyy", and an empty box is accepted.
// entryAccepted() follows a leave that accepted the text, for boxes that do more (the last
// inspection dates recompute the next ones).
class DateBox : public QLineEdit {
    Q_OBJECT

public:
    explicit DateBox(Services& services, QWidget* parent = nullptr);

    // Checks the text as leaving the box does, with its message and the focus taken back.
    // Returns whether the text was accepted.
    bool checkEntry();
    // Whether the box refused its text when it was last left, and the text is unchanged since.
    bool isRefused() const { return refused_; }

signals:
    void entryAccepted();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void reformat();

    Services& services_;
    bool refused_ = false;
    bool checking_ = false;
};

// The rule a date box follows on every change of its text, for boxes that hold a date without
// the checks on leaving (custom tank fields of the kind Date/Time): a text that ends in a two- or
// four-digit year after a slash and reads as a date is rewritten at once as "dd/Mmm/yyyy".
void reformatDateWhileTyping(QLineEdit& box);

} // namespace korvane
