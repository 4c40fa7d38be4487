#pragma once

#include "common/Result.h"
#include "engineering/PointTrend.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QChart;
class QChartView;
class QLabel;
class QPainter;
class QPushButton;

namespace korvane {

// "Trend" of one measurement location of the current tank: a chart of its readings over time
// with the lines of its long- and short-term corrosion rates, the minimum of its course, the
// date the rate brings it there and the next ultrasonic inspection of the schedule, in the units
// of the Preferences. "Print" prints it, "Export..." writes it as a PNG image or a PDF file.
class TrendWindow : public QDialog {
    Q_OBJECT

public:
    TrendWindow(Session& session, Services& services, const QString& tankName,
                QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Reads the point's readings and draws them; the error when they cannot be read.
    Status load(const QString& pointId);

    // The lines above the chart, as shown and printed.
    QStringList summary() const { return summary_; }
    // The chart as the window shows it.
    QChart* chart() const;
    // A new chart of the trend, for a page or an image.
    QChart* makeChart() const;

    // Paints the title, the summary and the chart into a rectangle: the one routine for the
    // screen's export, the printer and the PDF.
    void paint(QPainter& painter, const QRectF& area);

private slots:
    void Cmd_Print_Click();
    void Cmd_Export_Click();

private:
    void showTrend();

    Session& session_;
    Services& services_;
    QString tankName_;
    QString pointId_;
    QStringList summary_;
    assessment::PointTrend trend_;
    QChartView* Chart_Trend = nullptr;
    QLabel* Label_Summary = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Export = nullptr;
    QPushButton* Cmd_Close = nullptr;
};

// Opens the trend of a point of the session's current tank over `opener`; a point that cannot be
// read is shown as a message instead.
void showTrend(QWidget& opener, Session& session, Services& services, const QString& tankName,
               const QString& pointId);

} // namespace korvane
