#include "inspection/InspectionWindow.h"

#include "inspection/InspectionReportPanel.h"
#include "inspection/InspectionSelectPanel.h"
#include "inspection/ThicknessPanel.h"
#include "platform/BusyScope.h"
#include "platform/WindowControls.h"

#include <QLabel>
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

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(select_, QStringLiteral("Insp. Select"));
    Tabs->addTab(report_, QStringLiteral("Insp. Report"));
    Tabs->addTab(thickness_, QStringLiteral("Thickness"));
    Tabs->addTab(buildBottomTab(), QStringLiteral("Bottom Survey"));
    Tabs->addTab(buildShellTab(), QStringLiteral("Shell Survey"));

    const WindowButtons buttons = layOutTabbedWindow(*this, *Tabs, QStringLiteral("Accept Changes"),
                                                     QStringLiteral("Discard Changes"));
    Cmd_Print = buttons.print;
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_OK, &QPushButton::clicked, this, &InspectionWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &InspectionWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &InspectionWindow::Cmd_Help_Click);
    resize(900, 620);

    Form_Load();
}

InspectionWindow::~InspectionWindow() = default;

QWidget* InspectionWindow::buildBottomTab() {
    return notePage(QStringLiteral("BottomSurveyPage"),
                    QStringLiteral("Bottom settlement is recorded on the drawings of the "
                                   "inspection: open Edit > Inspection Graphics and use the "
                                   "\"Edge/Floor Settle\" tab."));
}

QWidget* InspectionWindow::buildShellTab() {
    return notePage(QStringLiteral("ShellSurveyPage"),
                    QStringLiteral("The shell settlement survey of an inspection is not "
                                   "available yet."));
}

void InspectionWindow::Form_Load() {
    report_->setDatabaseName(session_.DatabaseName);
    thickness_->setDatabaseName(session_.DatabaseName);
    session_.RecordMode = false;
    SetToolTipsByUnits();
    clearInspectionTabs();
    Tabs->setCurrentIndex(TabSelect);
    if (Status listed = select_->open(); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

void InspectionWindow::SetToolTipsByUnits() {
    thickness_->SetToolTipsByUnits();
}

void InspectionWindow::setInspectionTabsEnabled(bool enabled) {
    for (int tab : {TabReport, TabThickness})
        Tabs->setTabEnabled(tab, enabled);
    // Nothing to enter on these until their surveys exist.
    Tabs->setTabEnabled(TabBottom, true);
    Tabs->setTabEnabled(TabShell, false);
}

void InspectionWindow::clearInspectionTabs() {
    report_->clear();
    thickness_->reset();
    report_->addThicknessButton()->setEnabled(false);
    setInspectionTabsEnabled(false);
    // Nothing can be printed until the inspection reports exist.
    Cmd_Print->setEnabled(false);
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

bool InspectionWindow::mayCloseOpenInspection() {
    if (!session_.RecordMode)
        return true;
    if (!confirmDiscard())
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
    report_->addThicknessButton()->setEnabled(true);
    setInspectionTabsEnabled(true);
    select_->hideInspections();
    setWindowTitle(WindowCaption + QStringLiteral(" - ") + select_->chain().chosenTankName());
    Tabs->setCurrentIndex(TabReport);
    report_->focusFirstBox();
}

void InspectionWindow::Cmd_AddThickness_Click() {
    if (!session_.RecordMode || !report_->checkInspection())
        return;
    if (report_->isNew()) {
        // Readings point at their inspection, so a new inspection is stored before its first
        // reading; Cancel afterwards drops only later changes to the row.
        Status stored =
            report_->database().transaction([this] { return report_->storeAsItStands(); });
        if (!stored) {
            services_.prompts.message(stored.error(), WindowCaption, Prompts::Icon::Exclamation);
            return;
        }
    }
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
        BusyScope busy(services_.pointer, *this);
        Status saved =
            report_->database().transaction([this] { return report_->writeInspection(); });
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

void InspectionWindow::Cmd_Cancel_Click() {
    if (session_.RecordMode) {
        if (!confirmDiscard())
            return;
        if (thickness_->sessionOpen())
            thickness_->endSession();
        report_->discard();
    }
    session_.RecordMode = false;
    QDialog::reject();
}

// The window's close box and Escape ask as Cancel does.
void InspectionWindow::reject() {
    Cmd_Cancel_Click();
}

void InspectionWindow::Cmd_Help_Click() {
    session_.HelpTopic = HelpTopicInspection;
    services_.help.showHelp(*this, HelpTopicInspection);
}

} // namespace korvane
