#pragma once

#include "platform/Services.h"
#include "platform/Session.h"
#include "storage/ScheduleOffer.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace korvane {

class InspectionReportPanel;
class InspectionSelectPanel;
class ShellSurveyPanel;
class ThicknessPanel;
struct ReportHeading;

// The "Inspection & Thickness" window (Form4), where the inspections of a tank are listed,
// opened, added and recorded, with their thickness readings.
//
// On "Insp. Select" the user double-clicks a company, a location and a tank, then one of the
// tank's inspections or "New Inspection"; the inspection then opens on "Insp. Report". "OK"
// writes the inspection row and a new shell survey in one transaction and closes the window;
// "Cancel" discards them. An inspection later than the last of its kind on the tank's schedule
// is offered on OK as the new last one, written in the same transaction. Thickness readings are
// written one by one as they are entered, and stay whatever OK or Cancel does; a reading or a
// whole inspection entered by mistake can be deleted. Session::RecordMode is True while an
// inspection is open.
class InspectionWindow : public QDialog {
    Q_OBJECT

public:
    enum Tab { TabSelect = 0, TabReport, TabThickness, TabBottom, TabShell };

    InspectionWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~InspectionWindow() override;

public slots:
    void reject() override;

private slots:
    void tankChosen();
    void selectionCleared();
    void newInspectionChosen();
    void inspectionChosen(qint32 inspectionId);
    void Cmd_AddThickness_Click();
    void Cmd_Import_Click();
    void thicknessSessionEnded();
    void Cmd_AddShell_Click();
    void Cmd_Graph_Click();
    void Cmd_Print_Click();
    void tabChanged();
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Help_Click();
    void Cmd_History_Click();

private:
    QWidget* buildBottomTab();
    void Form_Load();
    void SetToolTipsByUnits();

    // The inspection check before readings are added; a new inspection is stored first, since
    // readings point at it. False when readings cannot be added (the user was told why).
    bool readyForReadings();
    // Shows the opened inspection: its tabs enabled, "Insp. Report" in front.
    void showOpenInspection();
    // Empties every tab below the selection and disables them.
    void clearInspectionTabs();
    void setInspectionTabsEnabled(bool enabled);
    // History is open to an inspection that is stored: an existing one, or a new one stored with
    // its first readings.
    void enableHistory();
    // Lets a new choice of company, location or tank go ahead while an inspection is open,
    // after asking whether its changes may be discarded.
    bool mayCloseOpenInspection();
    // Whether the open inspection holds anything that Cancel would drop: a change to the
    // record, a new survey with something in it, or a reading typed but not saved.
    bool hasPendingChanges() const;
    bool confirmDiscard();
    // When the inspection is later than the tank schedule's last of its kind, asks whether it
    // should become the last; renewed holds the offer on Yes. False when the tank could not be
    // read (the message has been shown).
    bool offerScheduleUpdate(std::optional<ScheduleOffer>& renewed);
    void showAccessError(const QString& message);
    ReportHeading reportHeading() const;
    // Asks before printing; false when the user cancels.
    bool confirmPrint(const QString& text);
    void PrintThicknessReport();
    void PrintSurveyReport();

    Session& session_;
    Services& services_;

    QTabWidget* Tabs = nullptr;
    InspectionSelectPanel* select_ = nullptr;
    InspectionReportPanel* report_ = nullptr;
    ThicknessPanel* thickness_ = nullptr;
    ShellSurveyPanel* survey_ = nullptr;
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Help = nullptr;
    QPushButton* Cmd_History = nullptr;
};

} // namespace korvane
