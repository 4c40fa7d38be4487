#pragma once

#include "common/Result.h"
#include "engineering/CorrosionAssessment.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "spreadsheet/Sheet.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;

namespace korvane {

class AssessmentModel;

// The "Corrosion Assessment" window of one tank (Session::CurTankID): the tank's summary at the
// top (the shortest remaining life and its point, the intervals the readings allow against the
// schedule's) and one row per measurement location with its readings, rates, remaining
// allowance and life, allowed intervals and status, worst first. Columns sort by a click on
// their title. "Print" runs the stored report of the same figures; "Export..." writes them, as
// shown, to a CSV file or an Excel workbook; "Trend", or a double click on a row, charts the
// point's readings over time.
class AssessmentWindow : public QDialog {
    Q_OBJECT

public:
    AssessmentWindow(Session& session, Services& services, const QString& tankName,
                     QWidget* parent = nullptr);
    ~AssessmentWindow() override;

    // Reads the tank's readings and fills the window; the error when they cannot be read.
    Status load();

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void Cmd_Print_Click();
    void Cmd_Export_Click();
    void Cmd_Trend_Click();

private:
    // The points as the grid shows them, in its order, for "Export...".
    sheet::Sheet shownSheet() const;
    void showSummary(const assessment::TankAssessment& tank);
    // Sizes the window to its columns and rows, within the screen it opens on.
    void sizeToContent();
    // Sets the column widths for the grid's present width: every column whole when they fit;
    // otherwise the history of the readings gives up width first (elided, with tooltips), so
    // that the figures the window is opened for stay whole.
    void fitColumns();

    Session& session_;
    Services& services_;
    QString tankName_;
    AssessmentModel* model_ = nullptr;
    QTableView* Grid_Assessment = nullptr;
    QLabel* Label_Life = nullptr;
    QLabel* Label_UT = nullptr;
    QLabel* Label_External = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Export = nullptr;
    QPushButton* Cmd_Trend = nullptr;
    QPushButton* Cmd_Close = nullptr;
    std::vector<int> preferredWidths_; // each column's width for its whole texts
    bool fitted_ = false;
};

// Opens the window over `opener` for the session's current tank; a tank that cannot be read is
// shown as a message instead.
void showAssessment(QWidget& opener, Session& session, Services& services, const QString& tankName);

// The assessment service of the program: showAssessment for the windows that open it through
// their services.
class AssessmentWindowShower final : public AssessmentShower {
public:
    void showAssessment(QWidget& opener, Session& session, Services& services,
                        const QString& tankName) override {
        korvane::showAssessment(opener, session, services, tankName);
    }
};

} // namespace korvane
