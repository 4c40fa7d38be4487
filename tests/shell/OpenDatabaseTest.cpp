#include "shell/ImportProgressWindow.h"
#include "shell/MainWindow.h"
#include "shell/OpenDatabaseWindow.h"
#include "support/AccessFiles.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Icon = Prompts::Icon;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Lets the event loop run until done() holds.
template <class Done> void waitUntil(const Done& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The import's progress window, left to read to the end.
int readToTheEnd(QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), QStringLiteral("ImportProgress"));
    auto& reading = static_cast<ImportProgressWindow&>(dialog);
    waitUntil([&] { return reading.job().isFinished(); });
    return dialog.result();
}

class OpenDatabaseTest : public testing::Test {
protected:
    // File > Open with the user going to `folder`, choosing `file` and pressing OK.
    void openThroughWindow(const QString& folder, const QString& file) {
        t.windows.expect([=](QDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("Form11"));
            auto& chooser = static_cast<OpenDatabaseWindow&>(dialog);
            chooser.openDirectory(folder);
            auto* list = dialog.findChild<QListWidget*>(QStringLiteral("File1"));
            const auto items = list->findItems(file, Qt::MatchExactly);
            EXPECT_EQ(items.size(), 1) << file.toStdString();
            if (!items.isEmpty())
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(items[0]).center());
            dialog.findChild<QPushButton*>(QStringLiteral("Cmd_OK"))->click();
            return dialog.result();
        });
        item("mnuFileOpen_File")->trigger();
    }
    QAction* item(const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
    bool editEnabled() {
        return window.findChild<QMenu*>(QStringLiteral("mnuEdit"))->menuAction()->isEnabled();
    }
    const test::ScriptedPrompts::Message& lastMessage() { return t.prompts.messages().back(); }

    Session session;
    test::TestServices t;
    MainWindow window{session, t.services};
};

TEST_F(OpenDatabaseTest, ChosenKorvaneDatabaseIsAcceptedWhateverTheCaseOfItsName) {
    test::TestDatabase file(QStringLiteral("PLANT.MDB"));
    openThroughWindow(file.folder(), QStringLiteral("PLANT.MDB"));
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_EQ(session.DatabaseName, file.path());
    EXPECT_EQ(session.DBDir, file.folder());
    EXPECT_EQ(session.DBFile, QStringLiteral("PLANT.MDB"));
    EXPECT_TRUE(editEnabled());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - PLANT.MDB"));
    // Busy from the choice until the database is open and its Due and at Risk list read.
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{false, true, true, false, false}));
}

TEST_F(OpenDatabaseTest, FilesThatAreNotKorvaneDatabasesChangeNothing) {
    test::TestDatabase good;
    openThroughWindow(good.folder(), QStringLiteral("plant.mdb"));
    ASSERT_TRUE(editEnabled());

    test::TestDatabase extra(QStringLiteral("extra.mdb"));
    ASSERT_TRUE(extra.open().exec(QStringLiteral("CREATE TABLE Archive (Note TEXT)")).ok());
    test::TempDir dir;
    const QString notes = dir.filePath(QStringLiteral("notes.mdb"));
    writeFile(notes, QByteArray("Tank notes, not a database.\n").repeated(100));
    const QString access = dir.filePath(QStringLiteral("legacy.mdb"));
    QByteArray jet(4096, '\0');
    jet.replace(0, 20, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
    writeFile(access, jet);
    test::TestDatabase damaged(QStringLiteral("damaged.mdb"));
    for (int i = 0; i < 40; ++i)
        damaged.addTank(1, QStringLiteral("T-%1").arg(i));
    QByteArray bytes = test::fileBytes(damaged.path());
    for (qsizetype i = 4096; i < bytes.size() - 100; i += 5)
        bytes[i] = '\x5A';
    writeFile(damaged.path(), bytes);

    struct Case {
        QString path;
        QString text; // part of the message shown
        Icon icon;
    };
    const Case cases[] = {
        {extra.path(), QStringLiteral("This is NOT a Korvane Database"), Icon::Information},
        {notes, QStringLiteral("not a database"), Icon::Exclamation},
        {access, QStringLiteral("\"legacy.mdb\" is a Microsoft Access database"),
         Icon::Question}, // declined: nothing imported
        {damaged.path(), QStringLiteral("damaged"), Icon::Exclamation},
        {dir.filePath(QStringLiteral("vanished.mdb")), QStringLiteral("not found"),
         Icon::Exclamation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray before = test::fileBytes(c.path);
        session.DatabaseName = c.path;
        session.DBFile = QFileInfo(c.path).fileName();
        session.UnitsUS = false;
        t.prompts.answerMessage();
        window.OpenChosenDatabase();
        EXPECT_TRUE(lastMessage().text.contains(c.text)) << lastMessage().text.toStdString();
        EXPECT_EQ(lastMessage().title, QStringLiteral("Open Database"));
        EXPECT_EQ(lastMessage().icon, c.icon);
        EXPECT_EQ(test::fileBytes(c.path), before);
        // The program goes on with the database accepted last.
        EXPECT_EQ(session.DatabaseName, good.path());
        EXPECT_EQ(session.DBFile, QStringLiteral("plant.mdb"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - plant.mdb"));
        EXPECT_FALSE(session.UnitsUS);
        EXPECT_TRUE(editEnabled());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("vanished.mdb"))));
}

// An Access file is offered for import into a new database beside it; one that holds none of
// our tables is refused with what is missing, and no file is made.
TEST_F(OpenDatabaseTest, AnAccessFileIsOfferedForImport) {
    test::TempDir dir;
    const QString old = dir.filePath(QStringLiteral("nwind.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_ACCESS_FILES "/nwind.mdb"), old));
    const QString target = dir.filePath(QStringLiteral("nwind (Korvane).mdb"));
    t.prompts.answerMessage(Prompts::Answer::Yes).answerSaveFile(target).answerMessage();
    t.windows.expect(readToTheEnd);
    session.DatabaseName = old;
    window.OpenChosenDatabase();
    EXPECT_EQ(t.prompts.saveDialogs(), std::vector<QString>{"Import into a New Database"});
    EXPECT_TRUE(lastMessage().text.contains(QStringLiteral("Tank")))
        << lastMessage().text.toStdString();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));
}

// A file that makes the reader hang (simulated by the reader) shows what is being read while
// the program goes on; Cancel ends it, says nothing more, writes nothing, and the program opens
// the next database as usual.
TEST_F(OpenDatabaseTest, AnImportThatHangsShowsProgressAndCanBeCancelled) {
    test::TempDir dir;
    const QString old = dir.filePath(QStringLiteral("old.mdb"));
    test::writeAccessFile(test::AccessFile::Jet3Location, old);
    const QString target = dir.filePath(QStringLiteral("old (Korvane).mdb"));
    qputenv("KORVANE_MDB_READER_TEST", "hang");
    t.prompts.answerMessage(Prompts::Answer::Yes).answerSaveFile(target);
    t.windows.expect([&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("ImportProgress"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import"));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label_File"))->text(),
                  QStringLiteral("Reading \"old.mdb\"..."));
        auto* progress = dialog.findChild<QLabel*>(QStringLiteral("Label_Progress"));
        auto& reading = static_cast<ImportProgressWindow&>(dialog);
        waitUntil([&] {
            return progress->text() == QStringLiteral("Tank: 1 of 2 records read") ||
                   reading.job().isFinished();
        });
        EXPECT_FALSE(reading.job().isFinished());
        EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("Bar_Progress"))->maximum(), 0);
        // The main window still paints while the reader works.
        window.repaint();
        dialog.findChild<QPushButton*>(QStringLiteral("Cmd_Cancel"))->click();
        EXPECT_TRUE(reading.job().cancelled());
        return dialog.result();
    });
    session.DatabaseName = old;
    window.OpenChosenDatabase();
    qunsetenv("KORVANE_MDB_READER_TEST");
    EXPECT_EQ(t.windows.shown(), 1);
    EXPECT_EQ(t.prompts.messages().size(), 1u); // the offer only
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("old.mdb")});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));

    test::TestDatabase file;
    openThroughWindow(file.folder(), QStringLiteral("plant.mdb"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - plant.mdb"));
    EXPECT_TRUE(editEnabled());
}

// A file whose stored row counts disagree with the rows read is imported only when the user
// says so after being told, table by table, what could not be read.
TEST_F(OpenDatabaseTest, RecordsThatCannotBeReadAreToldBeforeTheImport) {
    test::TempDir dir;
    const QString old = dir.filePath(QStringLiteral("old.mdb"));
    test::writeAccessFile(test::AccessFile::RowsLost, old);
    const QString target = dir.filePath(QStringLiteral("old (Korvane).mdb"));
    const QString told = QStringLiteral(
        "Not every record of \"old.mdb\" could be read; the file is probably damaged:\n"
        "Location: 0 of 3 records read\n\n"
        "Import the records that were read into a new database?");
    for (const auto answer : {Prompts::Answer::No, Prompts::Answer::Yes}) {
        t.prompts.answerMessage(Prompts::Answer::Yes).answerSaveFile(target).answerMessage(answer);
        if (answer == Prompts::Answer::Yes)
            t.prompts.answerMessage();
        t.windows.expect(readToTheEnd);
        const std::size_t before = t.prompts.messages().size();
        session.DatabaseName = old;
        window.OpenChosenDatabase();
        ASSERT_GE(t.prompts.messages().size(), before + 2);
        const auto& asked = t.prompts.messages().at(before + 1);
        EXPECT_EQ(asked.text, told);
        EXPECT_EQ(asked.title, QStringLiteral("Open Database"));
        EXPECT_EQ(asked.icon, Icon::Question);
        EXPECT_EQ(QFile::exists(target), answer == Prompts::Answer::Yes);
    }
    EXPECT_EQ(lastMessage().title, QStringLiteral("Import"));
    EXPECT_EQ(lastMessage().text,
              QStringLiteral("Imported:\n"
                             "  Location: 0 records\n"
                             "Not every record of the old database could be read:\n"
                             "  Location: 0 of 3 records read\n"
                             "Not imported, as a Korvane 2000 database has no place for them:\n"
                             "  table Order Details\n  table Orders\n  table Products\n"
                             "  table Categories\n  table Customers\n  table Employees\n"
                             "  table Suppliers\n  table Umsätze\n"
                             "  field Location.ShipperID\n  field Location.CompanyName"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - old (Korvane).mdb"));
}

TEST_F(OpenDatabaseTest, RejectedBeforeAnyDatabaseLeavesTheMenusOff) {
    test::TestDatabase extra;
    ASSERT_TRUE(extra.open().exec(QStringLiteral("CREATE TABLE Archive (Note TEXT)")).ok());
    t.prompts.answerMessage();
    openThroughWindow(extra.folder(), QStringLiteral("plant.mdb"));
    EXPECT_EQ(lastMessage().text, QStringLiteral("This is NOT a Korvane Database"));
    EXPECT_FALSE(editEnabled());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));
    EXPECT_TRUE(session.DatabaseName.isEmpty());
}

TEST_F(OpenDatabaseTest, CancelAndCloseBox) {
    // Cancel sets one blank, which opens nothing and asks nothing.
    t.windows.expect([](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("Cmd_Cancel"))->click();
        return dialog.result();
    });
    item("mnuFileOpen_File")->trigger();
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_FALSE(editEnabled());

    test::TestDatabase file;
    openThroughWindow(file.folder(), QStringLiteral("plant.mdb"));
    ASSERT_TRUE(editEnabled());
    file.addTank(1, QStringLiteral("T-1"));
    // The close box leaves the name as it was: the accepted database is checked and accepted
    // again, and now offers its inspections.
    t.windows.expect([](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    });
    item("mnuFileOpen_File")->trigger();
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_TRUE(item("mnuEditInspection")->isEnabled());
    EXPECT_EQ(session.DatabaseName, file.path());
}

// Where Open DataBase and New start: the folder of the database open now, else the folder a
// database file was last chosen in (this run or an earlier one), else the home folder; never the
// working folder.
class StartFolderTest : public testing::Test {
protected:
    // Records where each save dialog starts, and cancels it.
    class SaveDialogStarts final : public Prompts {
    public:
        Answer message(const QString& text, const QString&, Icon, Buttons) override {
            ADD_FAILURE() << "unexpected message: " << text.toStdString();
            return Answer::Ok;
        }
        QString input(const QString& prompt, const QString&, const QString&) override {
            ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
            return {};
        }
        QString saveFileName(const QString&, const QString&, const QString& suggestion) override {
            starts.push_back(suggestion);
            return {};
        }
        std::vector<QString> starts;
    };

    void SetUp() override {
        ASSERT_TRUE(QDir::setCurrent(working.path()));
        QSettings().remove(QStringLiteral("LastFolder"));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    // Where File > Open and File > New of the window start; both windows are cancelled.
    std::pair<QString, QString> starts(MainWindow& window) {
        QString open;
        t.windows.expect([&](QDialog& dialog) {
            open = static_cast<OpenDatabaseWindow&>(dialog).openedDirectory();
            EXPECT_EQ(session.DBDir, open);
            dialog.findChild<QPushButton*>(QStringLiteral("Cmd_Cancel"))->click();
            return dialog.result();
        });
        window.findChild<QAction*>(QStringLiteral("mnuFileOpen_File"))->trigger();
        const std::size_t asked = prompts.starts.size();
        window.findChild<QAction*>(QStringLiteral("mnuFileNew_File"))->trigger();
        EXPECT_EQ(prompts.starts.size(), asked + 1);
        return {open, prompts.starts.empty() ? QString() : prompts.starts.back()};
    }
    static std::pair<QString, QString> both(const QString& folder) { return {folder, folder}; }

    test::TempDir working;
    Session session;
    test::TestServices t;
    SaveDialogStarts prompts;
    Services services{prompts, t.clock,   t.printers, t.windows,   t.pointer,
                      t.help,  t.reports, t.history,  t.assessment};

private:
    QString previous_ = QDir::currentPath();
};

TEST_F(StartFolderTest, NeitherADatabaseNorALastFolder) {
    MainWindow window{session, services};
    EXPECT_EQ(starts(window), both(QDir::homePath()));
}

TEST_F(StartFolderTest, NoDatabaseOpenStartsInTheLastFolder) {
    test::TempDir last;
    QSettings().setValue(QStringLiteral("LastFolder"), last.path());
    MainWindow window{session, services}; // as at the start of the next run
    EXPECT_EQ(starts(window), both(last.path()));

    // A folder that is gone no longer counts.
    QSettings().setValue(QStringLiteral("LastFolder"), last.filePath(QStringLiteral("gone")));
    EXPECT_EQ(starts(window), both(QDir::homePath()));
}

TEST_F(StartFolderTest, TheFolderOfTheOpenDatabaseComesFirst) {
    test::TestDatabase plant;
    MainWindow window{session, services};
    window.openDatabaseFile(plant.path());
    ASSERT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000 - plant.mdb"));
    test::TempDir elsewhere;
    QSettings().setValue(QStringLiteral("LastFolder"), elsewhere.path());
    EXPECT_EQ(starts(window), both(plant.folder()));
    EXPECT_EQ(session.DatabaseName, plant.path()); // cancelling changed nothing
    // Opening a file keeps its folder for the next run, which starts with no database open.
    window.openDatabaseFile(plant.path());
    MainWindow next{session, services};
    EXPECT_EQ(starts(next), both(plant.folder()));
}

// A file chosen that is no database still leaves its folder as the last one used.
TEST_F(StartFolderTest, ARejectedFileLeavesItsFolderAsTheLastOne) {
    test::TempDir folder;
    const QString notes = folder.filePath(QStringLiteral("notes.mdb"));
    writeFile(notes, "not a database");
    test::ScriptedPrompts scripted;
    Services answering{scripted, t.clock,   t.printers, t.windows,   t.pointer,
                       t.help,   t.reports, t.history,  t.assessment};
    MainWindow window{session, answering};
    scripted.answerMessage();
    window.openDatabaseFile(notes);
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane 2000"));
    MainWindow next{session, services};
    EXPECT_EQ(starts(next), both(folder.path()));
}

TEST(OpenDatabaseWindow, StartsInTheFolderGivenAndListsDatabaseFiles) {
    test::TempDir dir;
    for (const char* name : {"b.mdb", "A.MDB", "c.Mdb", "notes.txt", "mdb.bak"})
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("folder.mdb"))));
    EXPECT_EQ(OpenDatabaseWindow::databaseFiles(dir.path()),
              (QStringList{"A.MDB", "b.mdb", "c.Mdb"}));

    Session session;
    session.DatabaseName = QStringLiteral("unchanged");
    {
        test::TestServices t;
        OpenDatabaseWindow chooser(session, t.services, dir.path());
        EXPECT_EQ(chooser.findChild<QListWidget*>(QStringLiteral("File1"))->count(), 3);
        EXPECT_EQ(session.DBDir, dir.path());
        EXPECT_EQ(chooser.openedDirectory(), dir.path());
        // OK with no file highlighted names the folder only, which is no database.
        chooser.findChild<QPushButton*>(QStringLiteral("Cmd_OK"))->click();
        EXPECT_FALSE(session.DatabaseName.contains(QLatin1String("mdb"), Qt::CaseInsensitive));
    }

    EXPECT_EQ(OpenDatabaseWindow::driveOf(QStringLiteral("/media/usb/site"),
                                          {QStringLiteral("/"), QStringLiteral("/media/usb")}),
              QStringLiteral("/media/usb"));
    EXPECT_EQ(OpenDatabaseWindow::driveOf(QStringLiteral("/media/usb2"),
                                          {QStringLiteral("/"), QStringLiteral("/media/usb")}),
              QStringLiteral("/"));
}

} // namespace
} // namespace korvane
