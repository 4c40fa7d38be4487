#include "platform/DateBox.h"

#include "common/DateEntry.h"
#include "platform/WindowControls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace korvane {

DateBox::DateBox(Services& services, QWidget* parent) : QLineEdit(parent), services_(services) {
    // Any change of the text, typed or put in by the program, is a new text to check.
    connect(this, &QLineEdit::textChanged, this, [this] { refused_ = false; });
}

void reformatDateOnLeave(QLineEdit& box) {
    if (const auto shown = dateentry::standardText(box.text()))
        box.setText(*shown);
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

void DateBox::keyPressEvent(QKeyEvent* event) {
    // Return ends the entry as leaving does. It would otherwise reach the window's default
    // button with the text unchecked; a refused text stops it here.
    const bool ends = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (ends && !isReadOnly() && !checkEntry()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace korvane
