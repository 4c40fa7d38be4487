#pragma once

#include <QColor>
#include <QPen>
#include <QRectF>
#include <QString>

class QAbstractAxis;
class QChart;
class QPainter;

namespace korvane::charts {

// A new chart in the program's look: its title (rich text allowed) in bold 11 points, square
// corners, narrow margins, and the legend on the given side.
QChart* newChart(const QString& title, Qt::Alignment legend);

// The pen of a line of a chart.
QPen linePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine);

// Puts the axes on the chart, below and to the left, and ties every series it holds to both.
void addAxes(QChart& chart, QAbstractAxis* bottom, QAbstractAxis* left);

// Draws a chart into a place on a page or an image, as vectors: laid out at screen scale for the
// place's proportions (so its type keeps the sizes it has in a window) and scaled to fit. The
// chart is deleted afterwards.
void renderChart(QPainter& painter, QChart* chart, const QRectF& place);

} // namespace korvane::charts
