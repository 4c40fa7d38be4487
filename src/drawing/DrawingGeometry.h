#pragma once

#include "drawing/DrawingElement.h"

#include <QFont>
#include <QPainterPath>
#include <QStringList>

namespace korvane {

// Shapes and measures of elements, shared by painting, hit-testing and the file writer so that
// what is drawn, what is clicked and what is saved agree.

// The font a text element is drawn in: a sans-serif face whose pixel size is the element's
// font size in logical units.
QFont elementFont(const Element& e);

// The lines of a text element's text (split at "\r\n", "\n" and "\r").
QStringList textLines(const QString& text);

// Sets p2 of a text element so that its box holds its text laid out from p1. An element without
// text keeps a box one line high and a few characters wide, so it can still be seen and picked.
void fitTextBox(Element& e);

// The point of the element's oval at the given angle (degrees counter-clockwise from three
// o'clock on the screen).
QPointF pointOnOval(const QRectF& box, double degrees);

// The angle of p seen from the centre of the oval in box, measured as pointOnOval measures it.
double angleOnOval(const QRectF& box, double x, double y);

// The sweep from startAngle to endAngle counter-clockwise, in (0, 360].
double sweepOf(const Element& e);

// The outline the element is painted with (open for lines and arcs, closed otherwise; text
// elements give their box).
QPainterPath elementPath(const Element& e);

// How a point is tested against an element: Painted counts what is painted (the stroke, and the
// inside only when the element has a fill), Area counts the inside of every closed element too,
// as the pointer entering an element means entering its area.
enum class HitMode { Painted, Area };

// Whether p lies on the element within tolerance (logical units).
bool elementContains(const Element& e, const QPointF& p, double tolerance, HitMode mode);

} // namespace korvane
