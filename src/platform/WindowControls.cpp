#include "platform/WindowControls.h"

#include <QFocusEvent>
#include <QPushButton>
#include <QTabWidget>

namespace korvane {

QPushButton* commandButton(QWidget* parent, const char* objectName, const QString& caption,
                           const QString& toolTip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

bool movesWithinWindow(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

void bringForwardAndFocus(QWidget& control) {
    // A page of a tab widget sits in the tab widget's stack: page -> stack -> tab widget.
    for (QWidget* w = &control; w; w = w->parentWidget()) {
        QWidget* stack = w->parentWidget();
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(w) >= 0)
            tabs->setCurrentWidget(w);
    }
    control.setFocus(Qt::OtherFocusReason);
}

} // namespace korvane
