#pragma once

#include <QString>

class QFocusEvent;
class QPushButton;
class QWidget;

namespace korvane {

// A command button of a window, named for tests and tracing. It is never pressed by Enter in a
// box of the window: Enter must not save or close a window behind the user's back.
QPushButton* commandButton(QWidget* parent, const char* objectName, const QString& caption,
                           const QString& toolTip = QString());

// Whether a focus change moves the focus within the window (a click on another control, Tab,
// a control hidden), rather than away from the window as a whole.
bool movesWithinWindow(const QFocusEvent& event);

// Makes a control visible and gives it the focus: the tab pages that hold it are brought to the
// front first, so that a box that refused its text is where the user can see it.
void bringForwardAndFocus(QWidget& control);

} // namespace korvane
