#pragma once

class QWidget;

namespace korvane::test {

// Shows a window and makes it the active one, so that focus changes inside it are delivered as
// they are to a user's window (a box loses the focus when another control is clicked).
void showActive(QWidget& window);

} // namespace korvane::test
