#include "graphics/TankGraphicsWindow.h"

#include "graphics/DrawingPages.h"
#include "graphics/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "graphics/GraphicStorage.h"
#include "graphics/TankSelectPanel.h"
#include "graphics/TmlPointPanel.h"
#include "platform/BusyScope.h"
#include "platform/WindowControls.h"

#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("Tank Graphics");
constexpr quint8 HelpTopicTankGraphics = 5;

DrawingTab* makeTab(int number, const char* tools, const char* pager, const char* counter,
                    bool growing, bool shellType, const QStringList& pageTitles = {}) {
    DrawingTab::Names names;
    names.number = number;
    names.tools = QString::fromLatin1(tools);
    names.pager = QString::fromLatin1(pager);
    names.counter = QString::fromLatin1(counter);
    names.growingPager = growing;
    names.shellType = shellType;
    names.pageTitles = pageTitles;
    return new DrawingTab(names);
}

} // namespace

TankGraphicsWindow::TankGraphicsWindow(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(WindowCaption);
    setModal(true);

    select_ = new TankSelectPanel(session_, services_, *this, WindowCaption);
    roofFloor_ = makeTab(1, "Opt_RFDraw", "HScroll_RF", "Label_RFPage", false, false,
                         {QStringLiteral("Roof"), QStringLiteral("Floor")});
    shell_ = makeTab(2, "Opt_SDraw", "HScroll_S", "Graph_CountS", true, true);
    other_ = makeTab(3, "Opt_ODraw", "HScroll_O", "Graph_CountO", true, false);
    roofFloorPoints_ = new TmlPointPanel(session_, services_, *roofFloor_, QStringLiteral("RF"),
                                         QStringLiteral("&Add Area"));
    shellPoints_ = new TmlPointPanel(session_, services_, *shell_, QStringLiteral("S"),
                                     QStringLiteral("A&dd Area"));
    roofFloor_->setSidePanel(roofFloorPoints_);
    shell_->setSidePanel(shellPoints_);

    pages_ = new DrawingPages(services_, *this, GraphicStore::Owner::Tank);
    pages_->addTab(*roofFloor_, DrawingPages::Kind::RoofFloor);
    pages_->addTab(*shell_, DrawingPages::Kind::Shell);
    pages_->addTab(*other_, DrawingPages::Kind::Other);
    for (DrawingTab* tab : {roofFloor_, shell_, other_}) {
        // A drawing begun asks before Cancel throws it away.
        connect(tab, &DrawingTab::toolChosen, this, [this] { session_.RecordMode = true; });
        connect(tab, &DrawingTab::printClicked, this, [this, tab] { printPage(*tab); });
    }
    // The "Other" pages carry no measurement locations: Delete removes the selection at once.
    connect(&other_->surface(), &DrawingSurface::KeyDown, this, [this](int keyCode, int) {
        if (keyCode == 46 && other_->surface().EditMode() == 11)
            other_->surface().DeleteSelected(2);
    });

    connect(select_, &TankSelectPanel::tankPicked, this, &TankGraphicsWindow::tankPicked);
    connect(select_, &TankSelectPanel::selectionCleared, this,
            &TankGraphicsWindow::selectionCleared);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(select_, QStringLiteral("Tank Select"));
    Tabs->addTab(roofFloor_, QStringLiteral("Roof/Floor TML's"));
    Tabs->addTab(shell_, QStringLiteral("Shell TML's"));
    Tabs->addTab(other_, QStringLiteral("Other"));
    connect(Tabs, &QTabWidget::currentChanged, this, &TankGraphicsWindow::Tabs_Click);

    const WindowButtons buttons = layOutTabbedWindow(
        *this, *Tabs, QStringLiteral("Store the saved pages"), QStringLiteral("Discard the pages"));
    Cmd_PrintTML = buttons.print;
    Cmd_PrintTML->setObjectName(QStringLiteral("Cmd_PrintTML"));
    Cmd_PrintTML->setText(QStringLiteral("Print TML Listing"));
    Cmd_PrintTML->setToolTip(
        QStringLiteral("The measurement locations of this tank with their latest readings"));
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_OK, &QPushButton::clicked, this, &TankGraphicsWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &TankGraphicsWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &TankGraphicsWindow::Cmd_Help_Click);
    connect(Cmd_PrintTML, &QPushButton::clicked, this, &TankGraphicsWindow::Cmd_PrintTML_Click);
    resize(980, 700);

    session_.RecordMode = false;
    setDrawingTabsEnabled(false);
    if (Status listed = select_->open(); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

TankGraphicsWindow::~TankGraphicsWindow() = default;

DrawingTab* TankGraphicsWindow::drawingTab(Tab tab) const {
    switch (tab) {
    case TabRoofFloor:
        return roofFloor_;
    case TabShell:
        return shell_;
    case TabOther:
        return other_;
    default:
        return nullptr;
    }
}

void TankGraphicsWindow::setDrawingTabsEnabled(bool enabled) {
    for (int tab : {TabRoofFloor, TabShell, TabOther})
        Tabs->setTabEnabled(tab, enabled);
    Cmd_PrintTML->setEnabled(enabled);
}

void TankGraphicsWindow::selectionCleared() {
    setWindowTitle(WindowCaption);
    pages_->clearOwner();
    setDrawingTabsEnabled(false);
    tankRow_.clear();
}

void TankGraphicsWindow::tankPicked(qint32 tankId, const QStringList& row) {
    const QString prefix =
        graphicpages::prefix(session_.CurCompanyID, session_.CurLocationID, tankId);
    if (Status picked = pages_->pick(session_.DatabaseName, tankId, prefix); !picked) {
        services_.prompts.message(picked.error(), WindowCaption, Prompts::Icon::Exclamation);
        return;
    }
    tankRow_ = row;
    setWindowTitle(WindowCaption + QStringLiteral(" - ") + row.value(0));
    roofFloorPoints_->reset();
    shellPoints_->reset();
    setDrawingTabsEnabled(true);
    // The roof page comes to the front, ready to draw on.
    if (Tabs->currentIndex() == TabRoofFloor)
        pages_->showTab(roofFloor_);
    else
        Tabs->setCurrentIndex(TabRoofFloor);
}

void TankGraphicsWindow::Tabs_Click(int index) {
    pages_->showTab(drawingTab(static_cast<Tab>(index)));
}

void TankGraphicsWindow::printPage(DrawingTab& tab) {
    const QStringList header{select_->chain().chosenCompanyName(),
                             select_->chain().chosenLocationName(),
                             tankRow_.join(QStringLiteral("     "))};
    BusyScope busy(services_.pointer, *this);
    const auto printer = services_.printers.printer();
    if (Status printed = tab.printPage(*printer, header); !printed)
        services_.prompts.message(printed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

void TankGraphicsWindow::Cmd_PrintTML_Click() {
    session_.SQLString = QStringLiteral("{TML.TankID} = %1").arg(session_.CurTankID);
    services_.reports.showReport(*this, session_, services_, QStringLiteral("tml_list.rpt"));
}

void TankGraphicsWindow::Cmd_OK_Click() {
    Status stored = [&] {
        BusyScope busy(services_.pointer, *this);
        return pages_->store(session_.DatabaseName);
    }();
    if (!stored) {
        services_.prompts.message(stored.error(), QStringLiteral("Error Accessing Record"),
                                  Prompts::Icon::Exclamation);
        return;
    }
    session_.RecordMode = false;
    accept();
}

void TankGraphicsWindow::Cmd_Cancel_Click() {
    if (session_.RecordMode || pages_->anyChanges()) {
        const auto answer =
            services_.prompts.message(QStringLiteral("This will cause all changes to be ignored!"),
                                      QStringLiteral("Cancel Update"), Prompts::Icon::Exclamation,
                                      Prompts::Buttons::OkCancel);
        if (answer != Prompts::Answer::Ok)
            return;
    }
    session_.RecordMode = false;
    QDialog::reject();
}

void TankGraphicsWindow::reject() {
    // The close box and Escape cancel as the Cancel button does.
    Cmd_Cancel_Click();
}

void TankGraphicsWindow::Cmd_Help_Click() {
    session_.HelpTopic = HelpTopicTankGraphics;
    services_.help.showHelp(*this, HelpTopicTankGraphics);
}

} // namespace korvane
