#include "shell/MainWindow.h"

#include "access/AccessImport.h"
#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/History.h"
#include "data/PreferencesRow.h"
#include "data/ServerAddress.h"
#include "fleet/DueWindow.h"
#include "graphics/InspectionGraphicsWindow.h"
#include "graphics/TankGraphicsWindow.h"
#include "inspection/InspectionWindow.h"
#include "platform/BusyScope.h"
#include "shell/ImportProgressWindow.h"
#include "shell/OpenDatabaseWindow.h"
#include "shell/PreferencesWindow.h"
#include "shell/RecentDatabases.h"
#include "shell/ServerWindow.h"
#include "tank/TankInformationWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QTimer>

#include <algorithm>

// The images are compiled into this static library; they must be registered by hand.
static void initShellResources() {
    Q_INIT_RESOURCE(resources);
}

namespace korvane {

namespace {

const QString ProgramCaption = QStringLiteral("Korvane 2000");
// The user setting that keeps the folder a database file was last chosen in.
const QString LastFolderKey = QStringLiteral("LastFolder");

QPixmap titlePicture(const QSize& size, qreal ratio) {
    QSvgRenderer renderer(QStringLiteral(":/korvane/images/title.svg"));
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

MainWindow::MainWindow(Session& session, Services& services, QWidget* parent)
    : QMainWindow(parent), session_(session), services_(services) {
    initShellResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ProgramCaption);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(titlePicture(QSize(640, 360), devicePixelRatioF()));
    Picture1->setStyleSheet(QStringLiteral("background: #16324f;"));
    // The picture until a database is open; the list of its tanks from then on.
    Stack_Central = new QStackedWidget(this);
    Stack_Central->setObjectName(QStringLiteral("Stack_Central"));
    Stack_Central->addWidget(Picture1);
    setCentralWidget(Stack_Central);

    settings_ = std::make_unique<QSettings>();
    recent_ = std::make_unique<RecentDatabases>(*settings_);
    buildMenus();
    Form_Load();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void MainWindow::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew_File = addItem(mnuFile, "mnuFileNew_File", QStringLiteral("&New"));
    mnuFileOpen_File = addItem(mnuFile, "mnuFileOpen_File", QStringLiteral("&Open"));
    mnuFilePreferences = addItem(mnuFile, "mnuFilePreferences", QStringLiteral("&Preferences"));
    recentSeparator_ = mnuFile->addSeparator();
    recentSeparator_->setObjectName(QStringLiteral("mnuFileRecentSeparator"));
    mnuFileSeperator = mnuFile->addSeparator();
    mnuFileSeperator->setObjectName(QStringLiteral("mnuFileSeperator"));
    mnuFile->setToolTipsVisible(true);
    mnuFileExit = addItem(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditTank = addItem(mnuEdit, "mnuEditTank", QStringLiteral("&Tank Information"));
    mnuEditTGraphics = addItem(mnuEdit, "mnuEditTGraphics", QStringLiteral("Tank &Graphics"));
    mnuEditInspection =
        addItem(mnuEdit, "mnuEditInspection", QStringLiteral("&Inspection Information"));
    mnuEditIGraphics = addItem(mnuEdit, "mnuEditIGraphics", QStringLiteral("Inspection Graphics"));
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuEditSeparator"));
    mnuEditDue = addItem(mnuEdit, "mnuEditDue", QStringLiteral("&Due and at Risk"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpTOC = addItem(mnuHelp, "mnuHelpTOC", QStringLiteral("Table of Contnets"));
    mnuHelpSearch = addItem(mnuHelp, "mnuHelpSearch", QStringLiteral("Search"));
    mnuHelpAbout = addItem(mnuHelp, "mnuHelpAbout", QStringLiteral("About KV2000"));

    connect(mnuFileNew_File, &QAction::triggered, this, &MainWindow::mnuFileNew_File_Click);
    connect(mnuFileOpen_File, &QAction::triggered, this, &MainWindow::mnuFileOpen_File_Click);
    connect(mnuFilePreferences, &QAction::triggered, this, &MainWindow::mnuFilePreferences_Click);
    connect(mnuFileExit, &QAction::triggered, this, &MainWindow::mnuFileExit_Click);
    connect(mnuEditTank, &QAction::triggered, this, &MainWindow::mnuEditTank_Click);
    connect(mnuEditInspection, &QAction::triggered, this, &MainWindow::mnuEditInspection_Click);
    connect(mnuEditTGraphics, &QAction::triggered, this, &MainWindow::mnuEditTGraphics_Click);
    connect(mnuEditIGraphics, &QAction::triggered, this, &MainWindow::mnuEditIGraphics_Click);
    connect(mnuEditDue, &QAction::triggered, this, &MainWindow::mnuEditDue_Click);
    connect(mnuHelpTOC, &QAction::triggered, this, &MainWindow::mnuHelpTOC_Click);
    connect(mnuHelpSearch, &QAction::triggered, this, &MainWindow::mnuHelpSearch_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
}

void MainWindow::Form_Load() {
    services_.pointer.setBusy(*this, false);
    // Nothing that needs a database works before one is open; a new one can always be made.
    mnuEdit->menuAction()->setEnabled(false);
    mnuFilePreferences->setEnabled(false);
    mnuFileNew_File->setEnabled(true);
    showRecentDatabases();
    mnuEditTGraphics->setEnabled(false);
    mnuEditIGraphics->setEnabled(false);
}

Result<bool> MainWindow::LoadPreferences() {
    auto db = Database::open(session_.DatabaseName);
    if (!db)
        return db.takeError();
    session_.SQLString = QStringLiteral("SELECT * FROM Preferences");
    auto unitsUS = preferences::loadUnitsUS(*db);
    if (!unitsUS)
        return unitsUS;
    // A database made before the history of changes gains its table now, so the history of
    // every change to it is kept from its first.
    if (auto made = history::ensureTable(*db); !made)
        return made.takeError();
    return unitsUS;
}

Result<MainWindow::Acceptance> MainWindow::readAcceptance() {
    Acceptance acceptance;
    {
        auto db = Database::open(session_.DatabaseName);
        if (!db)
            return db.takeError();
        auto count = db->recordCount(QStringLiteral("Tank"));
        if (!count)
            return count.takeError();
        acceptance.tankCount = *count;
    }
    auto units = LoadPreferences();
    if (!units)
        return units.takeError();
    acceptance.unitsUS = *units;
    return acceptance;
}

bool MainWindow::AcceptDatabase() {
    const bool onServer = server::isServerName(session_.DatabaseName);
    // A server database is kept by its URL without any password, and shown as "database on
    // host".
    if (onServer) {
        session_.DatabaseName = server::normalized(session_.DatabaseName);
        session_.DBFile = server::displayName(session_.DatabaseName);
    }
    // Everything is read first, so a failure leaves the menus, the caption and the units as
    // they were.
    auto acceptance = readAcceptance();
    if (!acceptance) {
        services_.prompts.message(acceptance.error(), QStringLiteral("Open Database"),
                                  Prompts::Icon::Exclamation);
        return false;
    }
    mnuFilePreferences->setEnabled(true);
    mnuEdit->menuAction()->setEnabled(true);
    const bool hasTanks = acceptance->tankCount >= 1;
    // With no tank yet there is nothing to inspect or draw.
    mnuEditInspection->setEnabled(hasTanks);
    mnuEditIGraphics->setEnabled(hasTanks);
    mnuEditTGraphics->setEnabled(hasTanks);
    session_.UnitsUS = acceptance->unitsUS;
    setWindowTitle(ProgramCaption + QLatin1String(" - ") + session_.DBFile);
    accepted_ = {session_.DatabaseName, session_.DBDrive, session_.DBDir, session_.DBFile};
    recent_->add(session_.DatabaseName);
    if (onServer)
        keepLastServer(session_.DatabaseName);
    showRecentDatabases();
    // An open Preferences window belongs to the database used before: its pending changes
    // are discarded rather than written there or mixed into this one.
    if (auto* preferences = findChild<PreferencesWindow*>())
        preferences->close();
    // The tanks of this database, worst first, in place of the picture.
    if (!Form_Due) {
        Form_Due = new DueWindow(session_, services_, Stack_Central);
        Stack_Central->addWidget(Form_Due);
        // The list wants the room of a page; the picture was smaller.
        const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        resize(std::max(width(), std::min(1240, room.width() - 40)),
               std::max(height(), std::min(720, room.height() - 80)));
        keepOnScreen(room);
    }
    Stack_Central->setCurrentWidget(Form_Due);
    Form_Due->refresh();
    return true;
}

void MainWindow::keepOnScreen(const QRect& room) {
    // Grown where it stood, the window may reach past the screen's edge: it moves back in, as
    // far as it must and no further.
    const QRect frame = frameGeometry();
    const int left = std::clamp(frame.left(), room.left(),
                                std::max(room.left(), room.right() + 1 - frame.width()));
    const int top = std::clamp(frame.top(), room.top(),
                               std::max(room.top(), room.bottom() + 1 - frame.height()));
    if (left != frame.left() || top != frame.top())
        move(pos() + QPoint(left - frame.left(), top - frame.top()));
}

void MainWindow::refreshDueList() {
    if (Form_Due && Stack_Central->currentWidget() == Form_Due)
        Form_Due->refresh();
}

void MainWindow::mnuEditDue_Click() {
    if (!Form_Due)
        return;
    Stack_Central->setCurrentWidget(Form_Due);
    Form_Due->refresh();
    Form_Due->setFocus();
}

void MainWindow::keepAcceptedDatabase() {
    session_.DatabaseName = accepted_.DatabaseName;
    session_.DBDrive = accepted_.DBDrive;
    session_.DBDir = accepted_.DBDir;
    session_.DBFile = accepted_.DBFile;
}

void MainWindow::showRecentDatabases() {
    for (QAction* item : recentItems_)
        delete item;
    recentItems_.clear();
    const QStringList paths = recent_->paths();
    const QStringList names = RecentDatabases::displayNames(paths);
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        // An '&' of a name is shown as it is, not taken for the access key.
        QString name = names[i];
        name.replace(QLatin1Char('&'), QLatin1String("&&"));
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), mnuFile);
        item->setObjectName(QStringLiteral("mnuFileRecent_%1").arg(i + 1));
        item->setToolTip(path);
        item->setStatusTip(path);
        connect(item, &QAction::triggered, this, [this, path] { openRecentDatabase(path); });
        mnuFile->insertAction(mnuFileSeperator, item);
        recentItems_.push_back(item);
    }
    recentSeparator_->setVisible(!paths.isEmpty());
}

void MainWindow::openRecentDatabase(const QString& path) {
    // A server that cannot be reached now may be reached later: its entry stays, and the
    // engine's message says why it did not open.
    if (!server::isServerName(path) && !QFileInfo::exists(path)) {
        services_.prompts.message(QStringLiteral("\"%1\" is no longer at %2; it is taken off the "
                                                 "list.")
                                      .arg(QFileInfo(path).fileName(), QFileInfo(path).path()),
                                  QStringLiteral("Open Database"), Prompts::Icon::Information);
        recent_->remove(path);
        // Removed from the menu once the menu's own handling of the click is over.
        QTimer::singleShot(0, this, &MainWindow::showRecentDatabases);
        return;
    }
    openDatabaseFile(path);
}

void MainWindow::openDatabaseFile(const QString& path) {
    if (server::isServerName(path)) {
        // The folder of the last file stays, for File > New.
        session_.DatabaseName = server::normalized(path);
        session_.DBFile = server::displayName(session_.DatabaseName);
        services_.pointer.setBusy(*this, true);
        OpenChosenDatabase();
        services_.pointer.setBusy(*this, false);
        return;
    }
    const QFileInfo file(path);
    session_.DatabaseName = file.absoluteFilePath();
    session_.DBDrive = QDir::rootPath();
    session_.DBDir = file.absolutePath();
    session_.DBFile = file.fileName();
    if (!session_.DatabaseName.contains(QLatin1String("mdb"), Qt::CaseInsensitive)) {
        services_.prompts.message(
            QStringLiteral("\"%1\" is not a database file: Korvane 2000 opens files named *.mdb.")
                .arg(session_.DBFile),
            QStringLiteral("Open Database"), Prompts::Icon::Information);
        keepAcceptedDatabase();
        return;
    }
    services_.pointer.setBusy(*this, true);
    OpenChosenDatabase();
    services_.pointer.setBusy(*this, false);
}

QString MainWindow::startFolder() const {
    const auto usable = [](const QString& folder) {
        return !folder.isEmpty() && QFileInfo(folder).isDir();
    };
    if (!server::isServerName(accepted_.DatabaseName)) {
        const QString open = QFileInfo(accepted_.DatabaseName).absolutePath();
        if (!accepted_.DatabaseName.isEmpty() && usable(open))
            return open;
    }
    const QString last = settings_->value(LastFolderKey).toString();
    return usable(last) ? last : QDir::homePath();
}

void MainWindow::rememberFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    settings_->setValue(LastFolderKey, QFileInfo(folder).absoluteFilePath());
    settings_->sync();
}

void MainWindow::mnuFileNew_File_Click() {
    const QString title = QStringLiteral("New Database");
    QString path = services_.prompts.saveFileName(
        title, QStringLiteral("Korvane databases (*.mdb)"), startFolder());
    if (path.isEmpty())
        return;
    rememberFolder(QFileInfo(path).absolutePath());
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".mdb");
    if (QFileInfo::exists(path)) {
        services_.prompts.message(
            QStringLiteral("\"%1\" already exists. A new database never replaces a file: "
                           "choose another name.")
                .arg(QFileInfo(path).fileName()),
            title, Prompts::Icon::Exclamation);
        return;
    }
    if (Status made = Database::create(path); !made) {
        services_.prompts.message(made.error(), title, Prompts::Icon::Exclamation);
        return;
    }
    openDatabaseFile(path);
}

void MainWindow::mnuFileOpen_File_Click() {
    {
        OpenDatabaseWindow chooser(session_, services_, startFolder(), this);
        services_.windows.showModal(chooser);
    }
    services_.pointer.setBusy(*this, true);
    OpenChosenDatabase();
    services_.pointer.setBusy(*this, false);
}

void MainWindow::mnuFilePreferences_Click() {
    // One Preferences window at a time: a second request brings the open one forward.
    if (auto* open = findChild<PreferencesWindow*>(); open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    services_.pointer.setBusy(*this, true);
    auto* window = new PreferencesWindow(session_, services_, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A window that could not read its row has said why and stayed hidden.
    if (!window->isVisible())
        delete window;
    services_.pointer.setBusy(*this, false);
}

void MainWindow::OpenChosenDatabase() {
    const QString title = QStringLiteral("Open Database");
    const bool onServer = server::isServerName(session_.DatabaseName);
    if (onServer) {
        // Logged in first, asking for the password when the server wants one; the name the
        // program keeps holds no password.
        session_.DatabaseName = server::normalized(session_.DatabaseName);
        if (!logInToServer(session_.DatabaseName, services_.prompts, title)) {
            keepAcceptedDatabase();
            return;
        }
    } else if (!session_.DatabaseName.contains(QLatin1String("mdb"), Qt::CaseInsensitive)) {
        // A cancelled window leaves one blank, which names no database.
        keepAcceptedDatabase();
        return;
    }
    // The folder a file was chosen in is where the next choice starts when no database is open,
    // in this run or the next, whether or not this file turns out to be a database.
    if (!onServer)
        rememberFolder(QFileInfo(session_.DatabaseName).absolutePath());
    auto kind = checkDatabaseFile(session_.DatabaseName);
    if (!kind) {
        services_.prompts.message(kind.error(), title, Prompts::Icon::Exclamation);
        keepAcceptedDatabase();
        return;
    }
    switch (*kind) {
    case DatabaseFileKind::Access:
        if (!onServer) {
            offerImport(session_.DatabaseName);
            return;
        }
        [[fallthrough]]; // a server holds no Access file
    case DatabaseFileKind::NotKorvane:
        services_.prompts.message(QStringLiteral("This is NOT a Korvane Database"), title,
                                  Prompts::Icon::Information);
        keepAcceptedDatabase();
        return;
    case DatabaseFileKind::Korvane:
        if (!AcceptDatabase())
            keepAcceptedDatabase();
        return;
    }
}

void MainWindow::offerImport(QString accessPath) {
    const QString title = QStringLiteral("Open Database");
    const QFileInfo source(accessPath);
    keepAcceptedDatabase();
    const auto answer = services_.prompts.message(
        QStringLiteral("\"%1\" is a Microsoft Access database. Korvane 2000 keeps its records in "
                       "its own database files and does not open Access files directly.\n"
                       "Import its records into a new Korvane database?")
            .arg(source.fileName()),
        title, Prompts::Icon::Question, Prompts::Buttons::YesNo);
    if (answer != Prompts::Answer::Yes)
        return;
    QString target = services_.prompts.saveFileName(
        QStringLiteral("Import into a New Database"), QStringLiteral("Korvane databases (*.mdb)"),
        source.dir().filePath(source.completeBaseName() + QStringLiteral(" (Korvane).mdb")));
    if (target.isEmpty())
        return;
    if (QFileInfo(target).suffix().isEmpty())
        target += QStringLiteral(".mdb");
    if (QFileInfo::exists(target)) {
        services_.prompts.message(
            QStringLiteral("\"%1\" already exists. An import never replaces a file: choose "
                           "another name.")
                .arg(QFileInfo(target).fileName()),
            title, Prompts::Icon::Exclamation);
        return;
    }
    // Read in a child process behind a window that shows what is read and can cancel; a file
    // that makes the reader loop is stopped at the time limit.
    ImportProgressWindow reading(accessPath, access::ReadLimits::fromEnvironment(), this);
    showChildWindow(services_, *this, reading);
    if (!reading.job().isFinished())
        reading.job().cancel();
    if (reading.job().cancelled())
        return;
    auto contents = reading.job().takeResult();
    if (!contents) {
        services_.prompts.message(contents.error(), title, Prompts::Icon::Exclamation);
        return;
    }
    if (const QStringList losses = contents->losses(); !losses.isEmpty()) {
        const auto go = services_.prompts.message(
            access::lossText(source.fileName(), losses) +
                QStringLiteral("\n\nImport the records that were read into a new database?"),
            title, Prompts::Icon::Question, Prompts::Buttons::YesNo);
        if (go != Prompts::Answer::Yes)
            return;
    }
    auto imported = [&] {
        BusyScope busy(services_.pointer, *this);
        return access::importContents(*contents, target);
    }();
    if (!imported) {
        services_.prompts.message(imported.error(), title, Prompts::Icon::Exclamation);
        return;
    }
    services_.prompts.message(imported->text(), QStringLiteral("Import"),
                              Prompts::Icon::Information);
    openDatabaseFile(target);
}

void MainWindow::mnuFileExit_Click() {
    // Every window saves on its own OK, so nothing is pending here: leave every event loop at
    // once, without asking and without closing windows one by one.
    QCoreApplication::exit(0);
}

void MainWindow::mnuEditInspection_Click() {
    {
        InspectionWindow form4(session_, services_, this);
        showChildWindow(services_, *this, form4);
    }
    refreshDueList();
}

void MainWindow::mnuEditIGraphics_Click() {
    InspectionGraphicsWindow form6(session_, services_, this);
    showChildWindow(services_, *this, form6);
}

void MainWindow::mnuEditTGraphics_Click() {
    TankGraphicsWindow form8(session_, services_, this);
    showChildWindow(services_, *this, form8);
}

void MainWindow::mnuEditTank_Click() {
    {
        TankInformationWindow form3(session_, services_, this);
        showChildWindow(services_, *this, form3);
    }
    refreshDueList();
    // The first tank saved makes inspections and drawings possible.
    if (mnuEditInspection->isEnabled())
        return;
    auto db = Database::open(session_.DatabaseName);
    auto count = db ? db->recordCount(QStringLiteral("Tank")) : Result<qint64>(db.takeError());
    if (!count) {
        services_.prompts.message(count.error(), QStringLiteral("Tank Information"),
                                  Prompts::Icon::Exclamation);
        return;
    }
    if (*count >= 1) {
        mnuEditInspection->setEnabled(true);
        mnuEditIGraphics->setEnabled(true);
        mnuEditTGraphics->setEnabled(true);
    }
}

void MainWindow::mnuHelpTOC_Click() {
    services_.help.showHelp(*this, 1);
}

void MainWindow::mnuHelpAbout_Click() {
    services_.help.showHelp(*this, 0);
}

void MainWindow::mnuHelpSearch_Click() {
    services_.prompts.message(QStringLiteral("This Feature is Not Yet Implemented"),
                              QStringLiteral("Help Search"), Prompts::Icon::Information);
}

} // namespace korvane
