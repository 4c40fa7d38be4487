#include "platform/TagBox.h"

#include "platform/WindowControls.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace korvane {

TagBox::TagBox(QWidget* parent) : QLineEdit(parent) {}

void TagBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (keyHandler_ && typed.size() == 1 && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (keyHandler_(typed.at(0))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TagBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (selectAllOnEntry_)
        selectAll();
}

void TagBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (selectAllOnEntry_)
        selectAll();
}

void TagBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (movesWithinWindow(*event))
        emit left();
}

} // namespace korvane
