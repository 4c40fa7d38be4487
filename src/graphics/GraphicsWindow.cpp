#include "graphics/GraphicsWindow.h"

#include "drawing/DrawingSurface.h"
#include "graphics/LinkedEntryPanel.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/Printing.h"
#include "platform/WindowControls.h"

#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

namespace korvane {

GraphicsWindow::GraphicsWindow(Session& session, Services& services, QWidget* parent, Setup setup)
    : QDialog(parent), session_(session), services_(services), setup_(std::move(setup)) {
    setObjectName(QString::fromLatin1(setup_.formName));
    setWindowTitle(setup_.caption);
    setModal(true);
    pages_ = new DrawingPages(services_, *this, setup_.owner);
    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    session_.RecordMode = false;
}

GraphicsWindow::~GraphicsWindow() = default;

DrawingTab::Names GraphicsWindow::tabNames(int number, const char* tools, const char* pager,
                                           const char* counter, bool shellType) {
    DrawingTab::Names names;
    names.number = number;
    names.tools = QString::fromLatin1(tools);
    names.pager = QString::fromLatin1(pager);
    names.counter = QString::fromLatin1(counter);
    names.shellType = shellType;
    // Shell pages run to 49 (a plate page is numbered 50 higher), other pages to 99.
    names.lastPage = shellType ? 49 : 99;
    return names;
}

DrawingTab::Names GraphicsWindow::roofFloorNames(int number) {
    DrawingTab::Names names = tabNames(number, "Opt_RFDraw", "HScroll_RF", "Label_RFPage");
    names.growingPager = false;
    names.pageTitles = {QStringLiteral("Roof"), QStringLiteral("Floor")};
    return names;
}

DrawingTab* GraphicsWindow::addDrawingTab(const DrawingTab::Names& names, DrawingPages::Kind kind,
                                          const QString& title) {
    auto* tab = new DrawingTab(names);
    pages_->addTab(*tab, kind);
    connect(tab, &DrawingTab::printClicked, this, [this, tab] { printPage(*tab); });
    if (kind == DrawingPages::Kind::Other) {
        // The other pages carry no data rows: Delete removes the selection at once.
        DrawingSurface& surface = tab->surface();
        connect(&surface, &DrawingSurface::KeyDown, this, [&surface](int keyCode, int) {
            if (keyCode == 46 && surface.EditMode() == 11)
                surface.DeleteSelected(2);
        });
    }
    drawingTabs_.push_back(tab);
    Tabs->addTab(tab, title);
    return tab;
}

QPushButton* GraphicsWindow::layOut(QWidget* selectTab, const QString& selectTitle) {
    Tabs->insertTab(0, selectTab, selectTitle);
    Tabs->setCurrentIndex(0);
    connect(Tabs, &QTabWidget::currentChanged, this, &GraphicsWindow::Tabs_Click);
    const WindowButtons buttons = layOutTabbedWindow(
        *this, *Tabs, QStringLiteral("Store the pages and what is marked on them"),
        QStringLiteral("Discard the pages and what was marked on them"));
    Cmd_Help = buttons.help;
    Cmd_Cancel = buttons.cancel;
    Cmd_OK = buttons.ok;
    connect(Cmd_OK, &QPushButton::clicked, this, &GraphicsWindow::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &GraphicsWindow::Cmd_Cancel_Click);
    connect(Cmd_Help, &QPushButton::clicked, this, &GraphicsWindow::Cmd_Help_Click);
    setDrawingTabsEnabled(false);
    // Every control of the window is in place by now: the selection tab, the drawing tabs with
    // their side panels and the buttons.
    orderFocusByLayout(*this);
    return buttons.print;
}

void GraphicsWindow::setDrawingTabsEnabled(bool enabled) {
    for (int tab = 1; tab < Tabs->count(); ++tab)
        Tabs->setTabEnabled(tab, enabled);
}

bool GraphicsWindow::pickOwner(qint32 ownerKey, const QString& prefix, const QString& caption) {
    if (Status picked = pages_->pick(session_.DatabaseName, ownerKey, prefix); !picked) {
        services_.prompts.message(picked.error(), setup_.caption, Prompts::Icon::Exclamation);
        return false;
    }
    setWindowTitle(caption);
    setDrawingTabsEnabled(true);
    // The first page comes to the front, ready to draw on.
    if (Tabs->currentIndex() == 1)
        pages_->showTab(drawingTabs_.front());
    else
        Tabs->setCurrentIndex(1);
    return true;
}

void GraphicsWindow::clearOwner() {
    setWindowTitle(setup_.caption);
    pages_->clearOwner();
    setDrawingTabsEnabled(false);
}

void GraphicsWindow::Tabs_Click(int index) {
    pages_->showTab(index >= 1 ? drawingTabs_.at(static_cast<std::size_t>(index - 1)) : nullptr);
}

QString GraphicsWindow::printSubject() const {
    return windowTitle().section(QStringLiteral(" - "), 1);
}

void GraphicsWindow::printPage(DrawingTab& tab) {
    // The page is named under the header, and the points or areas on it listed with it.
    const QString page = pages_->pageCaption(tab);
    QStringList header = printHeader();
    header << page;
    auto* linked = qobject_cast<LinkedEntryPanel*>(tab.sidePanel());
    const QStringList rows = linked ? linked->printedRows() : QStringList();
    const QString subject = printSubject() + QStringLiteral(" ") + page;
    printPages(services_, *this, {setup_.caption, printFileName(setup_.caption, subject)},
               [&](QPrinter& printer) { return tab.printPage(printer, header, rows); });
}

void GraphicsWindow::Cmd_OK_Click() {
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

void GraphicsWindow::Cmd_Cancel_Click() {
    if (pages_->anyChanges()) {
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

void GraphicsWindow::reject() {
    // The close box and Escape cancel as the Cancel button does.
    Cmd_Cancel_Click();
}

void GraphicsWindow::Cmd_Help_Click() {
    session_.HelpTopic = setup_.helpTopic;
    services_.help.showHelp(*this, setup_.helpTopic);
}

} // namespace korvane
