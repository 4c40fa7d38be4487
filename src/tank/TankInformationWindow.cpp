#include "tank/TankInformationWindow.h"

#include "data/Database.h"
#include "data/Select.h"
#include "platform/BusyScope.h"
#include "platform/DateBox.h"
#include "platform/FormState.h"
#include "platform/Keyboard.h"
#include "platform/WindowControls.h"
#include "selection/TankSelectPanel.h"
#include "tank/CourseDataPanel.h"
#include "tank/MaxFillPanel.h"
#include "tank/TankBoxes.h"
#include "tank/TankCustomPanel.h"
#include "tank/TankDesignPanel.h"
#include "tank/TankGeneralPanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTabWidget>

namespace korvane {

using tankboxes::latin;
using tankboxes::WindowCaption;

TankInformationWindow::TankInformationWindow(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(WindowCaption);
    setModal(true);

    const auto dataSource = [this](const char* name) {
        auto* source = new DataSource(this);
        source->setObjectName(latin(name));
        return source;
    };
    Data_Tank = dataSource("Data_Tank");
    Data_Preferences = dataSource("Data_Preferences");

    buildLayout();
    Form_Load();
    orderFocusByLayout(*this);
}

TankInformationWindow::~TankInformationWindow() = default;

void TankInformationWindow::buildLayout() {
    select_ = new TankSelectPanel(session_, services_, *this, WindowCaption,
                                  TankSelectPanel::Use::Editing);
    general_ = new TankGeneralPanel(services_, *Data_Tank);
    design_ = new TankDesignPanel(session_, services_, *Data_Tank);
    custom_ = new TankCustomPanel(*Data_Tank);
    maxFill_ = new MaxFillPanel(session_, services_, *Data_Tank, *design_);

    select_->setGuard([this] { return mayCloseOpenTank(); });
    connect(select_, &TankSelectPanel::selectionCleared, this,
            &TankInformationWindow::selectionCleared);
    connect(select_, &TankSelectPanel::tankHighlighted, this,
            &TankInformationWindow::tankHighlighted);
    connect(select_, &TankSelectPanel::tankChosen, this, &TankInformationWindow::tankChosen);
    connect(general_, &TankGeneralPanel::assessClicked, this,
            &TankInformationWindow::Cmd_Assess_Click);
    connect(&design_->courses(), &CourseDataPanel::coursesChanged, maxFill_,
            &MaxFillPanel::FillMFCourseList);
    // The notice about minimums that disagree with the data stands on Design Info; its caption
    // carries a warning sign, so that it is seen from the other tabs too.
    connect(&design_->courses(), &CourseDataPanel::staleChanged, this, [this](bool stale) {
        Tabs->setTabIcon(TabDesign,
                         stale ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
        Tabs->setTabToolTip(TabDesign, stale ? QStringLiteral("The stored minimum thicknesses "
                                                              "do not agree with the design data")
                                             : QString());
    });

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(select_, QStringLiteral("Tank Select"));
    Tabs->addTab(general_, QStringLiteral("General Info"));
    Tabs->addTab(design_, QStringLiteral("Design Info"));
    Tabs->addTab(custom_, QStringLiteral("Custom Info"));
    Tabs->addTab(maxFill_, QStringLiteral("Max. Fill"));

    const WindowButtons buttons = layOutTabbedWindow(*this, *Tabs);
    Cmd_Print = buttons.print;
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_Help, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Help_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Print_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &TankInformationWindow::Cmd_Cancel_Click);
    connect(Cmd_OK, &QPushButton::clicked, this, &TankInformationWindow::Cmd_OK_Click);
    Cmd_History = addCommandAfter(*this, *Cmd_Help, "Cmd_History", QStringLiteral("&History"),
                                  QStringLiteral("Every recorded change to the open tank, its "
                                                 "inspections, readings and drawings"));
    connect(Cmd_History, &QPushButton::clicked, this, &TankInformationWindow::Cmd_History_Click);
    resize(880, 600);
}

void TankInformationWindow::Form_Load() {
    QStringList failures;
    if (auto listed = select_->open(); !listed) {
        failures << listed.error();
    } else if (auto db = Database::open(session_.DatabaseName)) {
        // A file made by an older version is given the fields this one keeps tanks with. One
        // that cannot be changed (read only) goes without: the maximum fill numbers are then
        // kept as older versions kept them, and saving says what stops it.
        (void)db->addMissingFields(QStringLiteral("Tank"));
    }
    Data_Preferences->setDatabaseName(session_.DatabaseName);
    Data_Preferences->setRecordSource(QStringLiteral("Preferences"));
    if (auto opened = Data_Preferences->refresh(); !opened)
        failures << opened.error();
    Data_Tank->setDatabaseName(session_.DatabaseName);
    Data_Tank->setLockEdits(true);
    custom_->SetupCustomFields(Data_Preferences->recordset());
    design_->courses().InitMinWallGrid();

    Cmd_Print->setEnabled(false);
    Cmd_History->setEnabled(false);
    setTankTabsEnabled(false);
    session_.RecordMode = false;
    SetToolTipsByUnits();
    Tabs->setCurrentIndex(TabSelect);

    if (!failures.isEmpty())
        services_.prompts.message(failures.join(QLatin1Char('\n')), WindowCaption,
                                  Prompts::Icon::Exclamation);
}

void TankInformationWindow::SetToolTipsByUnits() {
    design_->SetToolTipsByUnits();
    general_->SetToolTipsByUnits();
}

// ---------------------------------------------------------------------------------------------
// Tank Select

void TankInformationWindow::setTankTabsEnabled(bool enabled) {
    for (int tab = TabGeneral; tab <= TabMaxFill; ++tab)
        Tabs->setTabEnabled(tab, enabled);
}

QStringList TankInformationWindow::tankState() const {
    return formState({general_, design_, custom_, maxFill_});
}

bool TankInformationWindow::confirmDiscard() {
    if (tankState() == openedState_)
        return true;

    return services_.prompts.message(QStringLiteral("This will cause all changes to be ignored!"),
                                     QStringLiteral("Cancel Update"), Prompts::Icon::Exclamation,
                                     Prompts::Buttons::OkCancel) == Prompts::Answer::Ok;
}

bool TankInformationWindow::mayCloseOpenTank() {
    if (!session_.RecordMode)
        return true;
    if (!confirmDiscard())
        return false;
    Data_Tank->cancelUpdate();
    session_.RecordMode = false;
    ClearUnboundBoxes();
    setTankTabsEnabled(false);
    Cmd_History->setEnabled(false);
    return true;
}

void TankInformationWindow::selectionCleared() {
    // Whatever was chosen below the new choice no longer applies.
    maxFill_->clearCourseList();
    design_->courses().clear({});
    setTankTabsEnabled(false);
    Cmd_Print->setEnabled(false);
}

void TankInformationWindow::tankHighlighted(bool isTank) {
    Cmd_Print->setEnabled(isTank);
}

bool TankInformationWindow::openTank(qint32 companyId, qint32 locationId, qint32 tankId) {
    return select_->chooseTank(companyId, locationId, tankId) && session_.RecordMode;
}

void TankInformationWindow::tankChosen(qint32 tankId) {
    BusyScope busy(services_.pointer, *this);
    const bool opened = tankId != 0 ? openExistingTank(tankId) : openNewTank();
    if (!opened)
        return;
    setTankTabsEnabled(true);
    select_->tankOpened();
    Tabs->setCurrentIndex(TabGeneral);
    general_->tankIdBox()->setFocus();
    openedState_ = tankState();
}

// ---------------------------------------------------------------------------------------------
// Opening and showing a tank

void TankInformationWindow::showAccessError(const QString& message) {
    services_.prompts.message(message, QStringLiteral("Error Accessing Record"),
                              Prompts::Icon::Exclamation);
}

bool TankInformationWindow::openExistingTank(qint32 tankId) {
    const QScopedValueRollback<bool> showing(design_->showingTank(), true);
    session_.CurTankID = tankId;
    const Select query =
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tankId);
    session_.SQLString = query.text();
    Data_Tank->setRecordSource(query);
    Status opened = Data_Tank->refresh();
    if (opened && Data_Tank->recordset().eof())
        opened = Error{QStringLiteral("The tank is no longer in the database; another user may "
                                      "have deleted it.")};
    if (opened)
        opened = Data_Tank->recordset().edit(); // claims the row, or says who holds it
    if (!opened) {
        Data_Tank->recordset().close();
        Data_Tank->showCurrentRow();
        showAccessError(opened.error());
        return false;
    }
    ClearUnboundBoxes();
    ShowTank();
    general_->ShowNextDates();
    session_.RecordMode = true;
    Cmd_History->setEnabled(true);
    return true;
}

bool TankInformationWindow::openNewTank() {
    const QScopedValueRollback<bool> showing(design_->showingTank(), true);
    // An empty recordset over the Tank table (counter keys start at 1), to add the new row to.
    Data_Tank->setRecordSource(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), 0));
    Status opened = Data_Tank->refresh();
    if (opened)
        opened = Data_Tank->recordset().addNew();
    if (opened)
        opened =
            Data_Tank->recordset().setValue(QStringLiteral("LocationID"), session_.CurLocationID);
    if (!opened) {
        Data_Tank->recordset().close();
        Data_Tank->showCurrentRow();
        showAccessError(opened.error());
        return false;
    }
    session_.RecordMode = true;
    Cmd_History->setEnabled(false); // nothing is recorded of a tank until it is saved
    Data_Tank->showCurrentRow();
    ClearNewTank();
    return true;
}

void TankInformationWindow::ClearUnboundBoxes() {
    general_->clear();
    maxFill_->clear();
    design_->clear();
}

// A new tank: the custom fields and the other bound boxes are empty already (the data source
// shows the new row); the unbound ones are emptied here.
void TankInformationWindow::ClearNewTank() {
    ClearUnboundBoxes();
    design_->clearForNewTank();
    maxFill_->FillMFCourseList(0);
}

void TankInformationWindow::ShowTank() {
    const Recordset& rs = Data_Tank->recordset();
    design_->showTank(rs);
    general_->showTank(rs);
    maxFill_->showTank(rs);
    // Minimums made by an older version or another program may not be those the data gives.
    design_->courses().checkStoredMinimums();
}

// ---------------------------------------------------------------------------------------------
// Saving and leaving

Status TankInformationWindow::SaveTank() {
    Recordset& rs = Data_Tank->recordset();
    if (auto s = general_->saveTank(rs); !s)
        return s;
    if (auto s = maxFill_->saveTank(rs); !s)
        return s;
    return design_->saveTank(rs);
}

void TankInformationWindow::Cmd_OK_Click() {
    // A date box that refused its text has said so and holds the focus until it is corrected.
    for (const auto* boxes :
         {&general_->dateBoxes(), &design_->dateBoxes(), &maxFill_->dateBoxes()}) {
        for (DateBox* box : *boxes) {
            if (box->isRefused()) {
                bringForwardAndFocus(*box);
                return;
            }
        }
    }
    if (session_.RecordMode) {
        if (!design_->checkTypedNumbers() || !maxFill_->checkTypedNumbers())
            return;
        Status saved = SaveTank();
        if (saved)
            saved = Data_Tank->update();
        if (!saved) {
            services_.prompts.message(saved.error(), WindowCaption, Prompts::Icon::Exclamation);
            return;
        }
    }
    session_.RecordMode = false;
    accept();
}

void TankInformationWindow::Cmd_Cancel_Click() {
    if (session_.RecordMode) {
        if (!confirmDiscard())
            return;
        Data_Tank->cancelUpdate();
    }
    session_.RecordMode = false;
    QDialog::reject();
}

// The window's close box and Escape ask as Cancel does.
void TankInformationWindow::reject() {
    Cmd_Cancel_Click();
}

void TankInformationWindow::Cmd_Print_Click() {
    session_.HelpTopic = 10;
    services_.reports.showReports(*this, session_, services_);
}

void TankInformationWindow::Cmd_Help_Click() {
    session_.HelpTopic = 2;
    services_.help.showHelp(*this, 2);
}

void TankInformationWindow::Cmd_Assess_Click() {
    // A new tank is not the tank last highlighted, whose key the session may still hold.
    if (session_.CurTankID <= 0 ||
        Data_Tank->recordset().editMode() == Recordset::EditMode::AddNew) {
        services_.prompts.message(QStringLiteral("A new tank has no readings yet: save it, and "
                                                 "record its inspections first."),
                                  QStringLiteral("Corrosion Assessment"),
                                  Prompts::Icon::Information);
        return;
    }
    services_.assessment.showAssessment(*this, session_, services_, general_->tankIdBox()->text());
}

void TankInformationWindow::Cmd_History_Click() {
    // Only a stored tank has a history; the button is enabled only while one is open.
    if (session_.CurTankID <= 0)
        return;
    services_.history.showHistory(*this, session_, services_, HistoryOf::Tank, session_.CurTankID,
                                  general_->tankIdBox()->text());
}

} // namespace korvane
