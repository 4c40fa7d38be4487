#include "charts/ChartDrawing.h"

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QPainter>

namespace korvane::charts {

QChart* newChart(const QString& title, Qt::Alignment legend) {
    auto* chart = new QChart;
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(11);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitle(title);
    chart->legend()->setAlignment(legend);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 4, 6, 4));
    return chart;
}

QPen linePen(const QColor& colour, double width, Qt::PenStyle style) {
    QPen pen(colour);
    pen.setWidthF(width);
    pen.setStyle(style);
    return pen;
}

void addAxes(QChart& chart, QAbstractAxis* bottom, QAbstractAxis* left) {
    chart.addAxis(bottom, Qt::AlignBottom);
    chart.addAxis(left, Qt::AlignLeft);
    for (QAbstractSeries* series : chart.series()) {
        series->attachAxis(bottom);
        series->attachAxis(left);
    }
}

void renderChart(QPainter& painter, QChart* chart, const QRectF& place) {
    QGraphicsScene scene;
    scene.addItem(chart); // the scene owns the chart from here
    const double scale = painter.device()->logicalDpiX() / 96.0;
    const QSizeF size(place.width() / scale, place.height() / scale);
    chart->resize(size);
    if (QGraphicsLayout* layout = chart->layout())
        layout->activate();
    scene.render(&painter, place, QRectF(QPointF(0, 0), size), Qt::IgnoreAspectRatio);
}

} // namespace korvane::charts
