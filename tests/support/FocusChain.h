#pragma once

#include <QStringList>

class QWidget;

namespace korvane::test {

// The controls that Tab visits in a shown, active window, by object name, starting with the
// control that has the focus now and ending before the chain comes back to it (at most 200).
QStringList tabChain(QWidget& window);

// The controls of a window that Tab should visit, in reading order: the layouts are walked from
// the outside in, and the items of each layout are taken as they stand on the screen, row by row
// from the top and left to right within a row. Only visible, enabled controls that take the focus
// by Tab count; a control without a name is listed by its class.
QStringList readingOrder(const QWidget& window);

// For each tab of a window's tab strip in turn (the enabled ones): Tab runs from the strip through
// the page to the controls below it and round again, in reading order. Failures name the tab.
void expectTabOrderOnEveryTab(QWidget& window);

// For a window without tabs: Tab runs from the first control through every other in reading
// order and round again.
void expectTabOrderFollowsLayout(QWidget& window);

// The chain as it runs from `first`, for comparing with readingOrder: the walk is turned so that
// it starts where the reading order starts.
QStringList rotatedTo(const QStringList& chain, const QString& first);

} // namespace korvane::test
