#include "inspection/InspectionWindow.h"

#include "assessment/AssessmentWindow.h"
#include "common/DateText.h"
#include "inspection/InspectionReportPanel.h"
#include "inspection/InspectionReports.h"
#include "inspection/ReadingImportWindow.h"
#include "inspection/SettlementGraphWindow.h"
#include "inspection/ShellSurveyPanel.h"
#include "inspection/ThicknessPanel.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/Printing.h"
#include "platform/WindowControls.h"
#include "selection/InspectionSelectPanel.h"
#include "storage/ScheduleOffer.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("Inspection & Thickness");
const QString AccessErrorTitle = QStringLiteral("Error Accessing Record");
constexpr quint8 HelpTopicInspection = 3;

QWidget* notePage(const QString& name, const QString& text) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* note = new QLabel(text, page);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(note);
    layout->addStretch();
    return page;
}

} // namespace

InspectionWindow::InspectionWindow(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(WindowCaption);
    setModal(true);

    select_ = new InspectionSelectPanel(session_, services_, *this, WindowCaption);
    report_ = new InspectionReportPanel(session_, services_);
    thickness_ = new ThicknessPanel(session_, services_);
    survey_ = new ShellSurveyPanel(session_, services_);
    select_->chain().setGuard([this] { return mayCloseOpenInspection(); });
    connect(select_, &InspectionSelectPanel::tankChosen, this, &InspectionWindow::tankChosen);
    connect(select_, &InspectionSelectPanel::selectionCleared, this,
            &InspectionWindow::selectionCleared);
    connect(select_, &InspectionSelectPanel::newInspectionChosen, this,
            &InspectionWindow::newInspectionChosen);
    connect(select_, &InspectionSelectPanel::inspectionChosen, this,
            &InspectionWindow::inspectionChosen);
    connect(report_, &InspectionReportPanel::addThicknessClicked, this,
            &InspectionWindow::Cmd_AddThickness_Click);
    connect(thickness_, &ThicknessPanel::sessionEnded, this,
            &InspectionWindow::thicknessSessionEnded);
    connect(thickness_, &ThicknessPanel::importClicked, this, &InspectionWindow::Cmd_Import_Click);
    connect(thickness_, &ThicknessPanel::assessClicked, this, [this] {
        showAssessment(*this, session_, services_, select_->chain().chosenTankName());
    });
    connect(report_, &InspectionReportPanel::addShellClicked, this,
            &InspectionWindow::Cmd_AddShell_Click);
    connect(survey_, &ShellSurveyPanel::graphClicked, this, &InspectionWindow::Cmd_Graph_Click);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(select_, QStringLiteral("Insp. Select"));
    Tabs->addTab(report_, QStringLiteral("Insp. Report"));
    Tabs->addTab(thickness_, QStringLiteral("Thickness"));
    Tabs->addTab(buildBottomTab(), QStringLiteral("Bottom Survey"));
    Tabs->addTab(survey_, QStringLiteral("Shell Survey"));
    connect(Tabs, &QTabWidget::currentChanged, this, &InspectionWindow::tabChanged);

    const WindowButtons buttons = layOutTabbedWindow(*this, *Tabs, QStringLiteral("Accept Changes"),
                                                     QStringLiteral("Discard Changes"));
    Cmd_Print = buttons.print;
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_OK, &QPushButton::clicked, this, &InspectionWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &InspectionWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &InspectionWindow::Cmd_Help_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &InspectionWindow::Cmd_Print_Click);
    Cmd_History = addCommandAfter(*this, *Cmd_Help, "Cmd_History", QStringLiteral("&History"),
                                  QStringLiteral("Every recorded change to the open inspection, "
                                                 "its readings, surveys and drawings"));
    connect(Cmd_History, &QPushButton::clicked, this, &InspectionWindow::Cmd_History_Click);
    resize(900, 620);
    orderFocusByLayout(*this);

    Form_Load();
}

InspectionWindow::~InspectionWindow() = default;

QWidget* InspectionWindow::buildBottomTab() {
    return notePage(QStringLiteral("BottomSurveyPage"),
                    QStringLiteral("Bottom settlement is recorded on the drawings of the "
                                   "inspection: open Edit > Inspection Graphics and use the "
                                   "\"Edge/Floor Settle\" tab."));
}

void InspectionWindow::Form_Load() {
    report_->setDatabaseName(session_.DatabaseName);
    thickness_->setDatabaseName(session_.DatabaseName);
    survey_->setDatabaseName(session_.DatabaseName);
    session_.RecordMode = false;
    SetToolTipsByUnits();
    clearInspectionTabs();
    Tabs->setCurrentIndex(TabSelect);
    if (Status listed = select_->open(); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

void InspectionWindow::SetToolTipsByUnits() {
    thickness_->SetToolTipsByUnits();
    survey_->SetToolTipsByUnits();
}

void InspectionWindow::setInspectionTabsEnabled(bool enabled) {
    for (int tab : {TabReport, TabThickness, TabShell})
        Tabs->setTabEnabled(tab, enabled);
    // It holds only a note.
    Tabs->setTabEnabled(TabBottom, true);
}

void InspectionWindow::enableHistory() {
    Cmd_History->setEnabled(session_.RecordMode && !report_->isNew());
}

void InspectionWindow::clearInspectionTabs() {
    report_->clear();
    thickness_->reset();
    survey_->reset();
    report_->addThicknessButton()->setEnabled(false);
    report_->addShellButton()->setEnabled(false);
    setInspectionTabsEnabled(false);
    Cmd_History->setEnabled(false);
    tabChanged();
}

void InspectionWindow::showAccessError(const QString& message) {
    services_.prompts.message(message, AccessErrorTitle, Prompts::Icon::Exclamation);
}

bool InspectionWindow::confirmDiscard() {
    return services_.prompts.message(
               QStringLiteral("This will cause all changes to the Inspection to be ignored!\n"
                              "However, all Thickness data is saved!"),
               QStringLiteral("Cancel Update"), Prompts::Icon::Exclamation,
               Prompts::Buttons::OkCancel) == Prompts::Answer::Ok;
}

bool InspectionWindow::hasPendingChanges() const {
    return report_->isChanged() || survey_->isChanged() || thickness_->hasPendingEntry();
}

bool InspectionWindow::mayCloseOpenInspection() {
    if (!session_.RecordMode)
        return true;
    if (hasPendingChanges() && !confirmDiscard())
        return false;
    session_.RecordMode = false;
    clearInspectionTabs();
    setWindowTitle(WindowCaption);
    return true;
}

void InspectionWindow::selectionCleared() {
    clearInspectionTabs();
    setWindowTitle(WindowCaption);
}

void InspectionWindow::tankChosen() {
    clearInspectionTabs();
    setWindowTitle(WindowCaption);
    tabChanged();
}

void InspectionWindow::newInspectionChosen() {
    BusyScope busy(services_.pointer, *this);
    if (Status opened = report_->openNew(); !opened) {
        showAccessError(opened.error());
        return;
    }
    showOpenInspection();
}

void InspectionWindow::inspectionChosen(qint32 inspectionId) {
    BusyScope busy(services_.pointer, *this);
    session_.CurInspectionID = inspectionId;
    if (Status opened = report_->openExisting(); !opened) {
        showAccessError(opened.error());
        return;
    }
    showOpenInspection();
}

void InspectionWindow::showOpenInspection() {
    session_.RecordMode = true;
    // The tank's minimums and readings are shown for a new inspection too: they are what the
    // inspector compares new readings with.
    thickness_->reset();
    Status filled = thickness_->FillMinWallGrid();
    if (filled)
        filled = thickness_->FillTankReadings();
    if (!filled)
        showAccessError(filled.error());
    auto surveyed = survey_->LoadShellSurvey();
    if (!surveyed)
        showAccessError(surveyed.error());
    report_->addShellButton()->setEnabled(surveyed && !surveyed.value());
    report_->addThicknessButton()->setEnabled(true);
    setInspectionTabsEnabled(true);
    select_->hideInspections();
    setWindowTitle(WindowCaption + QStringLiteral(" - ") + select_->chain().chosenTankName());
    enableHistory();
    Tabs->setCurrentIndex(TabReport);
    report_->focusFirstBox();
}

bool InspectionWindow::readyForReadings() {
    if (!session_.RecordMode || !report_->checkInspection())
        return false;
    if (report_->isNew()) {
        // Readings point at their inspection, so a new inspection is stored before its first
        // reading; Cancel afterwards drops only later changes to the row.
        Status stored =
            report_->database().transaction([this] { return report_->storeAsItStands(); });
        if (!stored) {
            services_.prompts.message(stored.error(), WindowCaption, Prompts::Icon::Exclamation);
            return false;
        }
        report_->markStored();
        enableHistory();
    }
    return true;
}

void InspectionWindow::Cmd_Import_Click() {
    if (!readyForReadings())
        return;
    Tabs->setTabEnabled(TabThickness, true);
    Tabs->setCurrentIndex(TabThickness);
    const ReadingImportWindow::Defaults defaults{
        parseDate(report_->inspectionDate()).value_or(QDate()), report_->inspectedBy()};
    if (importReadings(*this, session_, services_, defaults))
        if (Status listed = thickness_->FillTankReadings(); !listed)
            showAccessError(listed.error());
}

void InspectionWindow::Cmd_AddThickness_Click() {
    if (!readyForReadings())
        return;
    Tabs->setTabEnabled(TabThickness, true);
    Tabs->setCurrentIndex(TabThickness);
    if (Status begun = thickness_->beginSession(); !begun) {
        showAccessError(begun.error());
        return;
    }
    report_->addThicknessButton()->setEnabled(false);
}

void InspectionWindow::thicknessSessionEnded() {
    // Another session may be opened for more readings of the same inspection.
    report_->addThicknessButton()->setEnabled(session_.RecordMode);
}

void InspectionWindow::Cmd_OK_Click() {
    if (session_.RecordMode) {
        if (thickness_->hasPendingEntry()) {
            // A reading typed but not saved would be lost without a word.
            services_.prompts.message(
                QStringLiteral("A thickness reading is still being entered.  Press Done to save "
                               "it, or Cancel on the Thickness tab to drop it."),
                QStringLiteral("Thickness Data Validation"), Prompts::Icon::Exclamation);
            Tabs->setCurrentIndex(TabThickness);
            return;
        }
        if (!report_->checkInspection())
            return;
        if (!survey_->readyToSave()) {
            services_.prompts.message(
                QStringLiteral("The shell survey has no readings yet.  Press Survey Points to "
                               "enter them, or Cancel to leave the inspection as it was."),
                QStringLiteral("Shell Survey"), Prompts::Icon::Exclamation);
            Tabs->setCurrentIndex(TabShell);
            return;
        }
        std::optional<ScheduleOffer> renewed;
        if (!offerScheduleUpdate(renewed))
            return;
        BusyScope busy(services_.pointer, *this);
        // The row, a new survey and the tank's schedule are written together, or none is. The
        // tank goes first: refused while it is edited elsewhere, it leaves the inspection's
        // pending changes as they were, to be stored by the next OK.
        Status saved = report_->database().transaction([this, &renewed] {
            Status written;
            if (renewed)
                written = makeLastInspection(report_->database(), session_.CurTankID, *renewed);
            if (written)
                written = report_->writeInspection();
            if (written)
                written = survey_->SaveShellSurvey();
            return written;
        });
        if (!saved) {
            services_.prompts.message(saved.error(), WindowCaption, Prompts::Icon::Exclamation);
            return;
        }
        if (thickness_->sessionOpen())
            thickness_->endSession();
    }
    session_.RecordMode = false;
    accept();
}

bool InspectionWindow::offerScheduleUpdate(std::optional<ScheduleOffer>& renewed) {
    auto offer = scheduleOffer(report_->database(), session_.CurTankID, report_->inspectionType(),
                               report_->inspectionDate());
    if (!offer) {
        services_.prompts.message(offer.error(), WindowCaption, Prompts::Icon::Exclamation);
        return false;
    }
    if (*offer &&
        services_.prompts.message(scheduleQuestion(**offer, select_->chain().chosenTankName()),
                                  QStringLiteral("Inspection Schedule"), Prompts::Icon::Question,
                                  Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
        renewed = *offer;
    return true;
}

void InspectionWindow::Cmd_Cancel_Click() {
    if (session_.RecordMode) {
        // A record opened and left as it was closes without a question.
        if (hasPendingChanges() && !confirmDiscard())
            return;
        if (thickness_->sessionOpen())
            thickness_->endSession();
        survey_->discard();
        report_->discard();
    }
    session_.RecordMode = false;
    QDialog::reject();
}

// The window's close box and Escape ask as Cancel does.
void InspectionWindow::reject() {
    Cmd_Cancel_Click();
}

void InspectionWindow::Cmd_AddShell_Click() {
    if (!session_.RecordMode || !report_->checkInspection())
        return;
    Tabs->setTabEnabled(TabShell, true);
    Tabs->setCurrentIndex(TabShell);
    if (Status begun = survey_->beginNew(report_->database()); !begun) {
        showAccessError(begun.error());
        return;
    }
    report_->addShellButton()->setEnabled(false);
}

ReportHeading InspectionWindow::reportHeading() const {
    SelectionChain& chain = select_->chain();
    return {chain.chosenCompanyName(), chain.chosenLocationName(), chain.chosenTankName()};
}

void InspectionWindow::Cmd_Graph_Click() {
    if (!survey_->hasSurvey())
        return;
    SettlementGraphWindow form7(session_, services_, survey_->rowCount(), reportHeading(),
                                survey_->takenBy(), survey_->fitText(), this);
    showChildWindow(services_, *this, form7);
}

void InspectionWindow::tabChanged() {
    // Thickness and Shell Survey print their own pages, which need an open inspection; the
    // other tabs offer the stored reports of the chosen tank and its location.
    const int tab = Tabs->currentIndex();
    Cmd_Print->setEnabled(tab == TabThickness || tab == TabShell
                              ? session_.RecordMode
                              : select_->chain().chosenTank() != 0);
}

bool InspectionWindow::confirmPrint(const QString& text) {
    return services_.prompts.message(text, QStringLiteral(" Print Notification"),
                                     Prompts::Icon::Information,
                                     Prompts::Buttons::OkCancel) == Prompts::Answer::Ok;
}

void InspectionWindow::Cmd_Print_Click() {
    if (Tabs->currentIndex() == TabThickness) {
        PrintThicknessReport();
    } else if (Tabs->currentIndex() == TabShell) {
        PrintSurveyReport();
    } else {
        session_.HelpTopic = 20;
        session_.CurTankID = select_->chain().chosenTank();
        session_.CurLocationID = select_->chain().chosenLocation();
        services_.reports.showReports(*this, session_, services_);
    }
}

void InspectionWindow::PrintThicknessReport() {
    if (!confirmPrint(QStringLiteral("A Thickness Report for this Tank is being Printed")))
        return;
    const ThicknessReport report = thickness_->thicknessReport(reportHeading());
    if (report.readings.empty()) {
        services_.prompts.message(QStringLiteral("No Data to Print"),
                                  QStringLiteral("Thickness Data Print Job"),
                                  Prompts::Icon::Exclamation);
        return;
    }
    const QString title = QStringLiteral("Tank Thickness Readings");
    printPages(services_, *this, {title, printFileName(title, report.heading.tank), true},
               [&report](QPrinter& printer) { return printThicknessReport(printer, report); });
}

void InspectionWindow::PrintSurveyReport() {
    if (!confirmPrint(QStringLiteral("A Report for this Form is being Printed")))
        return;
    if (!survey_->hasSurvey()) {
        services_.prompts.message(QStringLiteral("No Data to Print"),
                                  QStringLiteral("Shell Survey"), Prompts::Icon::Exclamation);
        return;
    }
    const SurveyReport report = survey_->surveyReport(reportHeading());
    const QString title = QStringLiteral("Shell Settlement Survey Readings");
    printPages(services_, *this, {title, printFileName(title, report.heading.tank), true},
               [&report](QPrinter& printer) { return printSurveyReport(printer, report); });
}

void InspectionWindow::Cmd_Help_Click() {
    session_.HelpTopic = HelpTopicInspection;
    services_.help.showHelp(*this, HelpTopicInspection);
}

void InspectionWindow::Cmd_History_Click() {
    if (session_.CurInspectionID <= 0)
        return;
    // Named by its number as the Insp. Report tab shows it, or by its tank when it has none.
    const QString number = report_->inspectionNumber();
    const QString name =
        !number.isEmpty() ? number : QStringLiteral("of ") + select_->chain().chosenTankName();
    services_.history.showHistory(*this, session_, services_, HistoryOf::Inspection,
                                  session_.CurInspectionID, name);
}

} // namespace korvane
