#pragma once

#include "common/Result.h"
#include "data/Recordset.h"
#include "engineering/ReadingChecks.h"
#include "engineering/ThicknessRules.h"
#include "inspection/InspectionReports.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "spreadsheet/Sheet.h"

#include <QVariant>
#include <QWidget>

#include <vector>

class QAbstractItemView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace korvane {

class DataSource;
class DateBox;
class TagBox;
class TankReadingsModel;

// The "Thickness" tab: the minimum thickness of each part of the tank, a session of readings
// entered one after another ("Add Thickness" ... "Next" ... "Done"), each written to the
// database the moment it is accepted, the readings of this session (a double click corrects
// one) and every reading of the tank, those below the minimum of their course in red. A reading
// of the open inspection chosen in either list can be deleted.
class ThicknessPanel : public QWidget {
    Q_OBJECT

public:
    ThicknessPanel(Session& session, Services& services, QWidget* parent = nullptr);
    ~ThicknessPanel() override;

    void setDatabaseName(const QString& path);
    void SetToolTipsByUnits();

    // Nothing shown: the grids are emptied and a session is closed without saving.
    void reset();
    // Fills the minimum-thickness grid and the course list from the current tank.
    Status FillMinWallGrid();
    // Lists every reading of the current tank.
    Status FillTankReadings();

    // Opens a session for the current inspection, with a new reading pending.
    Status beginSession();
    bool sessionOpen() const { return sessionOpen_; }
    // Whether a point ID or a thickness has been typed for the pending reading.
    bool hasPendingEntry() const;
    // Closes the session; the pending reading is dropped, saved readings stay.
    void endSession();

    // The tank's minimums and readings as the printed thickness report shows them.
    ThicknessReport thicknessReport(const ReportHeading& heading) const;

signals:
    // "Done" or "Cancel" closed the session.
    void sessionEnded();
    // "Corrosion Assessment" was clicked.
    void assessClicked();
    // "Import Readings..." was clicked.
    void importClicked();

protected:
    // Enter in the thickness box is "Next".
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Cmd_ExportReadings_Click();
    void Cmd_Next_Click();
    void Cmd_Done_Click();
    void Cmd_TCancel_Click();
    void Grid_ReportReadings_DblClick(int row, int column);
    void Cmd_DeleteReading_Click();

private:
    // Every reading of the tank as the grid lists it, for "Export...".
    sheet::Sheet tankReadingsSheet() const;
    void setEntryEnabled(bool enabled);
    bool CheckThicknessEntry();
    // The checks the pending reading fails, against the tank's readings; none until its point,
    // date, course and thickness are all given.
    readingcheck::Flags pendingFlags() const;
    // Shows the pending reading's flags under the thickness, in red or amber.
    void showPendingChecks();
    // Asks about the red flags of the pending reading: the other unit's figure is offered, then
    // the rest are confirmed. False when the user would rather correct the reading.
    bool confirmFlags(readingcheck::Flags& flags);
    // Writes the pending reading and lists it in the session grid.
    bool saveReading();
    void AddSessionRow(qint32 thicknessId, const QString& date, const QString& pointId,
                       const QString& reading);
    // Asks for a corrected value until the answer is empty or acceptable.
    void correctReading(int row);
    void correctPointId(int row);
    // The saved reading behind a session row, claimed for editing when lockEdits is set.
    Result<Recordset> openReading(qint32 thicknessId, bool lockEdits);
    Result<QVariant> storedValue(qint32 thicknessId, const QString& field);
    // Writes one field of a saved reading, claiming the row while it does.
    Status rewrite(qint32 thicknessId, const QString& field, const QVariant& value);
    void showError(const QString& text, const QString& title);
    // A reading was chosen in one list: the other's choice is dropped.
    void readingChosen(QAbstractItemView* chosenIn, QAbstractItemView* other);
    // The key of the reading chosen in either list; 0 when none is.
    qint32 chosenReading() const;

    Session& session_;
    Services& services_;
    DataSource* Data_Thickness = nullptr;

    QTableWidget* Grid_MinWall = nullptr;
    QComboBox* List_Course = nullptr;
    QLineEdit* Text_TTakenBy = nullptr;
    DateBox* Text_TDateTaken = nullptr;
    QLineEdit* Text_PointID = nullptr;
    TagBox* Text_Thickness = nullptr;
    QLabel* LabelThickness = nullptr;
    QLabel* Label_Check = nullptr;
    QPushButton* Cmd_Next = nullptr;
    QPushButton* Cmd_Done = nullptr;
    QPushButton* Cmd_TCancel = nullptr;
    QPushButton* Cmd_DeleteReading = nullptr;
    QPushButton* Cmd_ExportReadings = nullptr;
    QPushButton* Cmd_Import = nullptr;
    QTableWidget* Grid_ReportReadings = nullptr;
    QTableView* Grid_TankReadings = nullptr;
    TankReadingsModel* tankReadings_ = nullptr;

    // The tank's courses and minimums, as the grid shows them.
    int courses_ = 0;
    thickness::Minimums minimums_{};
    // What a typed reading is checked against: the tank's readings and the user's limits.
    readingcheck::TankFacts facts_;
    bool sessionOpen_ = false;
    // The key behind each row of the session grid.
    std::vector<qint32> SessionThicknessIDs;
};

} // namespace korvane
