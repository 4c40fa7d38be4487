#pragma once

#include <Qt>

namespace korvane {

// The key codes KeyDown reports: the numbers of the keys on a PC keyboard (8 Backspace, 13 Enter,
// 27 Escape, 37..40 the arrows, 46 Delete, 48..57 digits, 65..90 letters, 112.. F1 ...).
// Keys without such a number give 0.
int keyCodeOf(int qtKey);

// The shift state KeyDown reports: 1 Shift, 2 Ctrl, 4 Alt, added together.
int shiftStateOf(Qt::KeyboardModifiers modifiers);

} // namespace korvane
