#pragma once

#include <QStringList>

#include <initializer_list>

class QWidget;

namespace korvane {

// What the controls of part of a window hold, as one value to compare: the texts of boxes with
// their hidden values, the entries chosen in drop-down lists, ticks and options, the cells of
// grids and the lines of comment boxes. A window takes it when a record is opened and again on
// Cancel: only a record whose state differs has changes to lose.
QStringList formState(std::initializer_list<const QWidget*> parts);

} // namespace korvane
