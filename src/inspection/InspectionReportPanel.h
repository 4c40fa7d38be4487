#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "platform/Services.h"
#include "platform/Session.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvane {

class DataSource;
class DateBox;

// The "Insp. Report" tab: the inspection record (date, number, inspector, reason, results and
// kind) bound to Data_Inspection, and the buttons that add readings and surveys to it.
//
// A new inspection is a pending new row until it is stored; an existing one is claimed with
// the record lock while it is open, and the date, number, inspector, reason and kind it holds
// are locked: the results, and a box it left empty, may change.
class InspectionReportPanel : public QWidget {
    Q_OBJECT

public:
    InspectionReportPanel(Session& session, Services& services, QWidget* parent = nullptr);
    ~InspectionReportPanel() override;

    void setDatabaseName(const QString& path);
    QPushButton* addThicknessButton() const { return Cmd_AddThickness; }
    QPushButton* addShellButton() const { return Cmd_AddShell; }

    // Begins a new inspection of the current tank; its key is known at once.
    Status openNew();
    // Opens the current inspection for editing; another program's claim on it is refused.
    Status openExisting();
    // Puts the focus in the first box of the record.
    void focusFirstBox();
    // Nothing open: the boxes are emptied and a pending edit is dropped.
    void clear();
    // Whether the open inspection has not been stored yet.
    bool isNew() const;
    // The inspection's number as the tab shows it.
    QString inspectionNumber() const;
    // The inspection's date as its box shows it.
    QString inspectionDate() const;
    // Who made the inspection, as its box shows it.
    QString inspectedBy() const;
    // The stored code of the kind the type list shows; the first kind when none is chosen and
    // it may still be, as OK stores it; 0 for an existing inspection stored without one.
    int inspectionType() const;
    // Whether the boxes or the kind differ from what the inspection held when it was opened
    // or last stored.
    bool isChanged() const;

    // The inspection check: a number must be given (its message, and the focus goes to the
    // box), and the date box must hold no refused text.
    bool checkInspection();
    // Writes the pending row: the kind, when it may still be chosen (the first when none is),
    // and the boxes. Runs inside the window's transaction.
    Status writeInspection();
    // Stores the new inspection as it stands and keeps it open for further changes, which are
    // then pending as for an existing inspection.
    Status storeAsItStands();
    // What the boxes show is what is stored (the transaction that stored it went through):
    // changes are counted from here.
    void markStored();
    // The connection the open inspection is read and written through, for the window's
    // transaction.
    Database database() const;
    // Drops the pending changes of the row.
    void discard();

signals:
    void addThicknessClicked();
    void addShellClicked();

private slots:
    void List_InspType_LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* boundBox(const char* name, const char* field, const QString& toolTip);
    void setLocked(bool locked);
    // What the boxes and the kind show, to tell a change from a record left as it was.
    QStringList shownValues() const;

    Session& session_;
    Services& services_;
    DataSource* Data_Inspection = nullptr;
    DateBox* Text_IDate = nullptr;
    QLineEdit* Text_INum = nullptr;
    QLineEdit* Text_IBy = nullptr;
    QLineEdit* Text_IReason = nullptr;
    QPlainTextEdit* Text_IResults = nullptr;
    QComboBox* List_InspType = nullptr;
    QPushButton* Cmd_AddThickness = nullptr;
    QPushButton* Cmd_AddBottom = nullptr;
    QPushButton* Cmd_AddShell = nullptr;
    // shownValues() when the inspection was opened or last stored; empty while none is open.
    QStringList opened_;
};

} // namespace korvane
