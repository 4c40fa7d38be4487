#pragma once

#include "common/Result.h"
#include "inspection/InspectionReports.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>

class QChart;
class QChartView;
class QLabel;
class QPrinter;
class QPushButton;

namespace korvane {

// The "Shell Settlement Graphics" window (Form7): the survey open in the inspection window as
// two line graphs, the out-of-plane settlement (the optimum cosine curve and the measured
// settlement, as the survey grid shows them) and the out-of-plane deflection between the
// allowable limits, the points beyond them marked, with "Print Graph" and "OK". It reads the
// session's settlement arrays (SettleActual with the allowance in element 50, SettleOptimum,
// SettleDeflection) for points 1 .. P, P being N + 1.
class SettlementGraphWindow : public QDialog {
    Q_OBJECT

public:
    SettlementGraphWindow(Session& session, Services& services, int points,
                          const ReportHeading& heading, const QString& takenBy,
                          const QString& fitText, QWidget* parent = nullptr);
    ~SettlementGraphWindow() override;

private slots:
    void Cmd_Graph_Click();

private:
    // The two graphs, built afresh from the session's arrays each time: once for the window and
    // once more, at the page's proportions, for every print.
    QChart* settlementChart() const;
    QChart* deflectionChart() const;
    // The whole page: heading, identification lines, then both graphs one below the other.
    Status printGraphs(QPrinter& printer) const;

    Session& session_;
    Services& services_;
    int points_; // P, kept within the points the settlement arrays hold
    ReportHeading heading_;
    QString takenBy_;
    QString fitText_;
    QChartView* GSettlement = nullptr;
    QChartView* GDeflection = nullptr;
    QLabel* LabelFit = nullptr;
    QPushButton* Cmd_Graph = nullptr;
    QPushButton* Cmd_OK = nullptr;
};

} // namespace korvane
