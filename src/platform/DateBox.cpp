#include "platform/DateBox.h"

#include "common/DateEntry.h"
#include "platform/WindowControls.h"

#include <QFocusEvent>
#include <QTimer>

namespace korvane {

DateBox::DateBox(Services& services, QWidget* parent) : QLineEdit(parent), services_(services) {
    connect(this, &QLineEdit::textChanged, this, &DateBox::reformat);
}

void reformatDateWhileTyping(QLineEdit& box) {
    if (const auto formatted = dateentry::reformatWhileTyping(box.text()))
        box.setText(*formatted); // reads as it stands now, so this does not come back here again
}

void DateBox::reformat() {
    refused_ = false;
    reformatDateWhileTyping(*this);
}

bool DateBox::checkEntry() {
    if (checking_)
        return false;
    checking_ = true;
    const auto check = dateentry::checkOnLeave(text(), services_.clock.today());
    bool accepted = true;
    switch (check.verdict) {
    case dateentry::Verdict::Empty:
        break;
    case dateentry::Verdict::Accepted:
        if (text() != check.text)
            setText(check.text);
        break;
    case dateentry::Verdict::NotADate:
    case dateentry::Verdict::BeyondToday:
        accepted = false;
        services_.prompts.message(dateentry::refusalText(check.verdict),
                                  QString::fromLatin1(dateentry::EntryErrorTitle),
                                  Prompts::Icon::Exclamation);
        refused_ = true;
        // Once the focus change under way has finished: a box left because its tab page was
        // hidden must not bring the page back while the tab widget is still switching.
        QTimer::singleShot(0, this, [this] { bringForwardAndFocus(*this); });
        break;
    }
    checking_ = false;
    if (accepted)
        emit entryAccepted();
    return accepted;
}

void DateBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A locked box shows a stored date; there is nothing typed to check.
    if (movesWithinWindow(*event) && !checking_ && !isReadOnly())
        checkEntry();
}

} // namespace korvane
