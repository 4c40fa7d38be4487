#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "engineering/ShellSettlement.h"
#include "inspection/InspectionReports.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace korvane {

class DataSource;
class DateBox;

// The "Shell Survey" tab: the shell settlement survey of the open inspection. The settlement of
// the shell's bottom edge is entered point by point around the tank; Grid_Edge shows each
// point's angle, the measured settlement, what remains after the fitted cosine curve, its
// deflection against its neighbours and whether that stays within the tank's allowance. The
// results also go to the session's settlement arrays for the graphs and the printed report.
//
// A new survey is written by the inspection's OK, in its transaction; a stored survey is shown
// locked, and readings changed in its grid change what is shown, never what is stored.
class ShellSurveyPanel : public QWidget {
    Q_OBJECT

public:
    ShellSurveyPanel(Session& session, Services& services, QWidget* parent = nullptr);
    ~ShellSurveyPanel() override;

    void setDatabaseName(const QString& path);
    void SetToolTipsByUnits();

    // Nothing shown: a new survey is dropped.
    void reset();
    // Shows the survey stored with the current inspection; false when it has none.
    Result<bool> LoadShellSurvey();
    // Begins a new survey of the current inspection and tank, to be written through `db`, the
    // connection the inspection is written through, in its transaction.
    Status beginNew(const Database& db);
    bool isAdding() const { return adding_; }
    // Whether a new survey holds anything typed or entered since it was begun.
    bool isChanged() const;
    // Whether a survey (new with its readings, or stored) is shown.
    bool hasSurvey() const { return points_ > 0; }
    // A new survey still without readings cannot be saved.
    bool readyToSave() const { return !adding_ || hasSurvey(); }
    // Writes a new survey; runs inside the inspection's transaction. Nothing when not adding.
    Status SaveShellSurvey();
    // Drops a new survey's pending row.
    void discard();

    // The survey as the printed report shows it.
    SurveyReport surveyReport(const ReportHeading& heading) const;
    // "R² = 0.973", with a warning when the fit is poor; empty when nothing was analysed.
    QString fitText() const;
    QString takenBy() const;
    // Rows of the grid, points and closing point (N + 1).
    int rowCount() const { return points_ > 0 ? points_ + 1 : 0; }

signals:
    void graphClicked();

private slots:
    void Text_SurveyPoints_LostFocus();
    void Cmd_SurveyPoints_Click();
    void Grid_Edge_DblClick(int row, int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setBoxesLocked(bool locked);
    // Asks for the reading of one point until it is a number; two empty answers give 0.
    double askReading(int point);
    // The readings of points 1 .. N analysed, shown and put in the session's arrays.
    void CalcSettlementGrid();
    void FillSurveyGrid();
    void storeInSession();
    QString shownLength(double inches) const;
    // A length with its unit: "0.814 in." or "20.68 mm".
    QString lengthWithUnit(double inches) const;
    QStringList boxTexts() const;

    Session& session_;
    Services& services_;
    DataSource* Data_ShellSurvey = nullptr;

    QLineEdit* Text_STakenBy = nullptr;
    DateBox* Text_SDateTaken = nullptr;
    QLineEdit* Text_SNum = nullptr;
    QLineEdit* Text_SurveyPoints = nullptr;
    QPlainTextEdit* Text_SComments = nullptr;
    QPushButton* Cmd_SurveyPoints = nullptr;
    QPushButton* Cmd_Graph = nullptr;
    QTableWidget* Grid_Edge = nullptr;
    QLabel* LabelAllowance = nullptr;
    QLabel* LabelFit = nullptr;

    int MinSurveyPoints = settlement::MinimumPoints;
    int points_ = 0;               // N; 0 while no readings are shown
    std::vector<double> readings_; // points 1 .. N, inches
    settlement::TankValues tank_;
    settlement::Analysis analysis_;
    bool adding_ = false;
    // boxTexts() when the new survey was begun.
    QStringList begun_;
    // Readings of a stored survey were changed in the grid (shown, not saved).
    bool changed_ = false;
};

} // namespace korvane
