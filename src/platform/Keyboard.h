#pragma once

class QApplication;
class QWidget;

namespace korvane {

// How the keyboard moves through the program's windows and presses their buttons.

// Sets the Tab order of a window to the order of its layouts, as the eye reads the window: the
// cells of a grid row by row and left to right, the items of a row or a column in the order they
// are laid out, a group box's controls together where the group stands, a tab widget's strip
// followed by its pages in tab order. Tab leaves a grid or a list (the arrow keys move within
// it). No push button becomes the window's default by having had the focus: Enter in a box
// presses the window's own default button, if it has one, and nothing else. Called once a window
// has all its controls, so that a control added anywhere in a layout takes its place in the
// chain without further care.
void orderFocusByLayout(QWidget& window);

// Enter (or the keypad's Enter) on a focused push or tool button presses it, as Space does;
// Enter anywhere else is left to the window (a dialog presses its default button). Installed once
// on the application.
void installKeyboardConventions(QApplication& app);

} // namespace korvane
