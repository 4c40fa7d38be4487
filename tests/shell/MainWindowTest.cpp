#include "shell/MainWindow.h"

#include "data/DatabaseCheck.h"
#include "shell/RecentDatabases.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace korvane {
namespace {

using Icon = Prompts::Icon;

class MainWindowTest : public testing::Test {
protected:
    QAction* item(const char* name) {
        auto* action = window.findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    QAction* menu(const char* name) {
        auto* m = window.findChild<QMenu*>(QString::fromLatin1(name));
        EXPECT_NE(m, nullptr) << name;
        return m ? m->menuAction() : nullptr;
    }
    void choose(const test::TestDatabase& file) {
        session.DatabaseName = file.path();
        session.DBDir = file.folder();
        session.DBFile = QStringLiteral("plant.mdb");
    }
    // Enabled state of every item that the enabling rules change.
    std::vector<bool> states() {
        return {menu("mnuEdit")->isEnabled(), item("mnuFilePreferences")->isEnabled(),
                item("mnuEditInspection")->isEnabled(), item("mnuEditIGraphics")->isEnabled(),
                item("mnuEditTGraphics")->isEnabled()};
    }

    Session session;
    test::TestServices t;
    MainWindow window{session, t.services};
};

TEST_F(MainWindowTest, MenusAtStartUp) {
    EXPECT_EQ(window.objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));
    struct Expected {
        const char* name;
        const char* caption;
        bool enabled;
    };
    const std::vector<std::vector<Expected>> menus{
        {{"mnuFile", "&File", true},
         {"mnuFileNew_File", "&New", true},
         {"mnuFileOpen_File", "&Open", true},
         {"mnuFilePreferences", "&Preferences", false},
         {"mnuFileRecentSeparator", "", false}, // hidden while no database was opened
         {"mnuFileSeperator", "", true},
         {"mnuFileExit", "E&xit", true}},
        {{"mnuEdit", "&Edit", false},
         {"mnuEditTank", "&Tank Information", true},
         {"mnuEditTGraphics", "Tank &Graphics", false},
         {"mnuEditInspection", "&Inspection Information", true},
         {"mnuEditIGraphics", "Inspection Graphics", false},
         {"mnuEditSeparator", "", true},
         {"mnuEditDue", "&Due and at Risk", true}},
        {{"mnuHelp", "Help", true},
         {"mnuHelpTOC", "Table of Contnets", true},
         {"mnuHelpSearch", "Search", true},
         {"mnuHelpAbout", "About KV2000", true}}};
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    for (std::size_t m = 0; m < menus.size(); ++m) {
        QMenu* submenu = bar[static_cast<qsizetype>(m)]->menu();
        ASSERT_NE(submenu, nullptr);
        EXPECT_EQ(submenu->objectName(), QString::fromLatin1(menus[m][0].name));
        EXPECT_EQ(submenu->title(), QString::fromLatin1(menus[m][0].caption));
        EXPECT_EQ(submenu->menuAction()->isEnabled(), menus[m][0].enabled) << menus[m][0].name;
        const QList<QAction*> items = submenu->actions();
        ASSERT_EQ(static_cast<std::size_t>(items.size()), menus[m].size() - 1);
        for (std::size_t i = 1; i < menus[m].size(); ++i) {
            const QAction* a = items[static_cast<qsizetype>(i - 1)];
            EXPECT_EQ(a->objectName(), QString::fromLatin1(menus[m][i].name));
            EXPECT_EQ(a->text(), QString::fromLatin1(menus[m][i].caption));
            EXPECT_EQ(a->isEnabled(), menus[m][i].enabled) << menus[m][i].name;
        }
    }
    EXPECT_TRUE(item("mnuFileSeperator")->isSeparator());
}

// File > New makes an empty database and opens it; a name in use is refused, nothing made.
TEST_F(MainWindowTest, NewMakesADatabaseAndOpensIt) {
    test::TempDir folder;
    // A file named at start that is no database leaves the program with none open.
    const QString junk = folder.filePath(QStringLiteral("notes.mdb"));
    QFile notes(junk);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("shopping list");
    notes.close();
    t.prompts.answerMessage();
    window.openDatabaseFile(junk);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));
    EXPECT_EQ(states(), (std::vector<bool>{false, false, true, false, false}));

    const QString path = folder.path() + QStringLiteral("/north");
    t.prompts.answerSaveFile(path);
    item("mnuFileNew_File")->trigger();
    const auto kind = checkDatabaseFile(path + QStringLiteral(".mdb"));
    ASSERT_TRUE(kind);
    EXPECT_EQ(*kind, DatabaseFileKind::Korvane);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - north.mdb"));
    EXPECT_EQ(states(), (std::vector<bool>{true, true, false, false, false}));

    const QByteArray before = test::fileBytes(path + QStringLiteral(".mdb"));
    t.prompts.answerSaveFile(path + QStringLiteral(".mdb")).answerMessage();
    item("mnuFileNew_File")->trigger();
    EXPECT_EQ(test::fileBytes(path + QStringLiteral(".mdb")), before);
    EXPECT_TRUE(t.prompts.messages().back().text.contains(QStringLiteral("already exists")));
    t.prompts.answerSaveFile(QString()); // cancelled
    item("mnuFileNew_File")->trigger();
    EXPECT_EQ(t.prompts.messages().size(), 2u);
}

// File lists the last four databases opened, newest first; one that vanished is taken off.
TEST_F(MainWindowTest, RecentDatabasesKeepFourAndDropAVanishedOne) {
    std::vector<std::unique_ptr<test::TestDatabase>> files;
    for (const char* name : {"a.mdb", "b.mdb", "c.mdb", "d.mdb", "e.mdb"}) {
        files.push_back(std::make_unique<test::TestDatabase>(QString::fromLatin1(name)));
        window.openDatabaseFile(files.back()->path());
    }
    window.openDatabaseFile(files[2]->path()); // c again moves to the top
    const auto listed = [this] {
        QStringList names;
        for (int i = 1; i <= 5; ++i)
            if (auto* a = window.findChild<QAction*>(QStringLiteral("mnuFileRecent_%1").arg(i)))
                names << a->text();
        return names;
    };
    EXPECT_EQ(listed(), QStringList({"&1 c.mdb", "&2 e.mdb", "&3 d.mdb", "&4 b.mdb"}));
    // What a new window of the next run lists.
    MainWindow next{session, t.services};
    EXPECT_EQ(next.findChild<QAction*>(QStringLiteral("mnuFileRecent_4"))->toolTip(),
              files[1]->path());

    window.openDatabaseFile(files[4]->path());
    QFile::remove(files[3]->path());
    t.prompts.answerMessage();
    window.findChild<QAction*>(QStringLiteral("mnuFileRecent_3"))->trigger(); // d, gone
    QApplication::processEvents();
    EXPECT_TRUE(
        t.prompts.messages().back().text.startsWith(QStringLiteral("\"d.mdb\" is no longer at")));
    EXPECT_EQ(listed(), QStringList({"&1 e.mdb", "&2 c.mdb", "&3 b.mdb"}));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - e.mdb"));
}

// Two files of the same name in different folders are told apart by their folders; a name
// used once is shown alone, and an '&' of a name is shown, not taken for an access key.
TEST_F(MainWindowTest, RecentDatabasesOfTheSameNameShowTheirFolders) {
    QSettings().remove(QStringLiteral("RecentDatabases"));
    test::TestDatabase north;
    test::TestDatabase south;
    test::TestDatabase rd(QStringLiteral("R&D.mdb"));
    for (const test::TestDatabase* file : {&north, &rd, &south})
        window.openDatabaseFile(file->path());
    QStringList texts, tips;
    for (int i = 1; i <= 3; ++i) {
        const auto* a = window.findChild<QAction*>(QStringLiteral("mnuFileRecent_%1").arg(i));
        ASSERT_NE(a, nullptr) << i;
        texts << a->text();
        tips << a->toolTip();
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&1 plant.mdb in ") + south.folder(),
                                  QStringLiteral("&2 R&&D.mdb"),
                                  QStringLiteral("&3 plant.mdb in ") + north.folder()}));
    EXPECT_EQ(tips, (QStringList{south.path(), rd.path(), north.path()}));
    window.findChild<QAction*>(QStringLiteral("mnuFileRecent_3"))->trigger();
    EXPECT_EQ(session.DatabaseName, north.path());
    EXPECT_TRUE(t.prompts.messages().empty());
}

TEST(RecentDatabases, FoldersBesideNamesOnlyWhereTheNamesAreShared) {
    const QString home = QDir::homePath();
    const QString server = QStringLiteral("postgresql://anna@db.example.org/plant.mdb");
    const QStringList paths{home + QStringLiteral("/north/plant.mdb"),
                            QStringLiteral("/srv/plant.mdb"),
                            home + QStringLiteral("/plant.mdb"),
                            QStringLiteral("/srv/terminal.mdb"),
                            server,
                            QStringLiteral("/srv/old/Plant.mdb")};
    EXPECT_EQ(
        RecentDatabases::displayNames(paths),
        (QStringList{QStringLiteral("plant.mdb in ~/north"), QStringLiteral("plant.mdb in /srv"),
                     QStringLiteral("plant.mdb in ~"), QStringLiteral("terminal.mdb"),
                     RecentDatabases::displayName(server), QStringLiteral("Plant.mdb")}));
    EXPECT_EQ(RecentDatabases::displayNames({}), QStringList());
}

TEST_F(MainWindowTest, HelpSearchIsOnlyAMessage) {
    t.prompts.answerMessage();
    item("mnuHelpSearch")->trigger();
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    const auto& m = t.prompts.messages()[0];
    EXPECT_EQ(m.text, QStringLiteral("This Feature is Not Yet Implemented"));
    EXPECT_EQ(m.title, QStringLiteral("Help Search"));
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.buttons, Prompts::Buttons::Ok);
}

// Exit ends the program's event loop with 0 at once, asking nothing. Should Exit do nothing, a
// timer ends the loop with 1 instead, so that the test fails rather than waits for ever.
TEST_F(MainWindowTest, ExitEndsTheEventLoopAndAsksNothing) {
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    fallback.start(5000);
    QTimer::singleShot(0, item("mnuFileExit"), &QAction::trigger);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(t.prompts.messages().empty());
}

TEST_F(MainWindowTest, DatabaseWithoutTanksOffersOnlyTankInformation) {
    test::TestDatabase file;
    choose(file);
    // The title picture until a database is open, then the list of its tanks.
    const auto* central = qobject_cast<QStackedWidget*>(window.centralWidget());
    ASSERT_NE(central, nullptr);
    EXPECT_EQ(central->currentWidget()->objectName(), QStringLiteral("Picture1"));
    // Standing near the screen's right edge, the window grows for the list and moves back in.
    const QRect room = window.screen()->availableGeometry();
    window.show();
    window.move(room.right() - window.frameGeometry().width() / 2, room.top());
    ASSERT_TRUE(window.AcceptDatabase());
    EXPECT_EQ(central->currentWidget()->objectName(), QStringLiteral("FormDue"));
    EXPECT_TRUE(room.contains(window.frameGeometry()))
        << window.frameGeometry().x() << "+" << window.frameGeometry().width();
    EXPECT_GT(window.width(), room.width() / 2);
    EXPECT_EQ(states(), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_TRUE(item("mnuEditTank")->isEnabled());
    EXPECT_TRUE(item("mnuFileNew_File")->isEnabled()); // a new database can always be made
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - plant.mdb"));
    EXPECT_TRUE(session.UnitsUS);

    // Opening another database follows that database's tank count.
    test::TestDatabase other;
    other.addTank(1, QStringLiteral("T-1"));
    choose(other);
    session.DBFile = QStringLiteral("TERMINAL.MDB");
    ASSERT_TRUE(window.AcceptDatabase());
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - TERMINAL.MDB"));
    const auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid_Due"));
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(), QStringLiteral("T-1"));
    choose(file);
    ASSERT_TRUE(window.AcceptDatabase());
    EXPECT_EQ(states(), (std::vector<bool>{true, true, false, false, false}));
}

TEST_F(MainWindowTest, UnitsComeFromTheDatabase) {
    test::TestDatabase metric;
    ASSERT_TRUE(metric.open().exec(QStringLiteral("UPDATE Preferences SET USUnits = 0")).ok());
    choose(metric);
    ASSERT_TRUE(window.AcceptDatabase());
    EXPECT_FALSE(session.UnitsUS);
    EXPECT_EQ(session.SQLString, QStringLiteral("SELECT * FROM Preferences"));

    // An older Preferences table without the units field gains it, set to US.
    test::TestDatabase older;
    Database db = older.open();
    ASSERT_TRUE(db.exec(QStringLiteral("ALTER TABLE Preferences DROP COLUMN USUnits")).ok());
    choose(older);
    ASSERT_TRUE(window.AcceptDatabase());
    EXPECT_TRUE(session.UnitsUS);
    auto info = db.tableInfo(QStringLiteral("Preferences"));
    ASSERT_TRUE(info.ok());
    // The custom fields, the limits of the reading checks and the units field, added last.
    EXPECT_EQ(info->fields.size(), 43u);
    EXPECT_EQ(info->fields.back().name, QStringLiteral("USUnits"));
}

TEST_F(MainWindowTest, TankInformationEnablesInspectionsOnceATankExists) {
    test::TestDatabase file;
    choose(file);
    ASSERT_TRUE(window.AcceptDatabase());
    // Closed without a tank: nothing to inspect yet.
    t.windows.expect([](QDialog& form3) {
        EXPECT_EQ(form3.objectName(), QStringLiteral("Form3"));
        return int(QDialog::Rejected);
    });
    t.pointer.changes.clear();
    item("mnuEditTank")->trigger();
    // Busy while the window is up, and while the Due and at Risk list is read again after it.
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(states(), (std::vector<bool>{true, true, false, false, false}));

    // The first tank saved in the window makes inspections and drawings possible.
    t.windows.expect([&](QDialog&) {
        file.addTank(1, QStringLiteral("T-1"));
        return int(QDialog::Accepted);
    });
    item("mnuEditTank")->trigger();
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true}));

    // Edit > Inspection Information opens the inspection window on the same database.
    t.windows.expect([](QDialog& form4) {
        EXPECT_EQ(form4.objectName(), QStringLiteral("Form4"));
        EXPECT_EQ(form4.findChild<QListWidget*>(QStringLiteral("List_Company"))->count(), 0);
        return int(QDialog::Rejected);
    });
    item("mnuEditInspection")->trigger();
    EXPECT_EQ(t.windows.shown(), 3);
}

TEST_F(MainWindowTest, EngineErrorChangesNothing) {
    test::TestDatabase good;
    good.addTank(1, QStringLiteral("T-1"));
    choose(good);
    ASSERT_TRUE(window.AcceptDatabase());
    const auto before = states();

    // A database whose Preferences table is gone, then one whose Preferences row is missing.
    test::TestDatabase broken;
    ASSERT_TRUE(broken.open().exec(QStringLiteral("DROP TABLE Preferences")).ok());
    test::TestDatabase empty;
    ASSERT_TRUE(empty.open().exec(QStringLiteral("DELETE FROM Preferences")).ok());
    for (const test::TestDatabase* file : {&broken, &empty}) {
        session.UnitsUS = false;
        choose(*file);
        session.DBFile = QStringLiteral("broken.mdb");
        const QByteArray bytes = test::fileBytes(file->path());
        t.prompts.answerMessage();
        EXPECT_FALSE(window.AcceptDatabase());
        ASSERT_FALSE(t.prompts.messages().empty());
        const auto& m = t.prompts.messages().back();
        EXPECT_EQ(m.title, QStringLiteral("Open Database"));
        EXPECT_EQ(m.icon, Icon::Exclamation);
        EXPECT_TRUE(m.text.contains(QStringLiteral("Preferences"))) << m.text.toStdString();
        EXPECT_EQ(states(), before);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - plant.mdb"));
        EXPECT_FALSE(session.UnitsUS);
        EXPECT_EQ(test::fileBytes(file->path()), bytes);
    }
}

} // namespace
} // namespace korvane
