#include "access/AccessReader.h"

#include "access/AccessImport.h"
#include "support/AccessFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <unistd.h>

namespace korvane::access {
namespace {

using namespace Qt::StringLiterals;
using test::AccessFile;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// The processes this test program started that are still there, ended or not.
int childProcesses() {
    int children = 0;
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...: the name may hold spaces, so the fields after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == getpid())
            ++children;
    }
    return children;
}

// Lets the event loop run until done() holds.
template <class Done> void waitUntil(const Done& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Sets an environment variable for one test.
struct Environment {
    Environment(const char* name, const QByteArray& value) : name_(name) { qputenv(name, value); }
    ~Environment() { qunsetenv(name_); }
    const char* name_;
};

// Through the reader process every table, column and value arrives as read in this process:
// dates and times, memos, texts, numbers, Nulls, in Jet 3 and Jet 4.
TEST(AccessReader, RowsArriveAsTheFileHoldsThem) {
    for (const AccessFile kind : {AccessFile::Jet3Location, AccessFile::Jet4Location}) {
        test::TempDir dir;
        const QString path = dir.filePath(u"old.mdb"_s);
        test::writeAccessFile(kind, path);
        auto contents = readAccessFile(path);
        ASSERT_TRUE(contents.ok()) << contents.error().toStdString();
        auto file = korvane::access::AccessFile::open(path);
        ASSERT_TRUE(file.ok()) << file.error().toStdString();
        EXPECT_EQ(ContentsSource(*contents).tableNames().value(), (*file)->tableNames().value());
        const auto location =
            std::find_if(contents->tables.begin(), contents->tables.end(),
                         [](const TableContents& t) { return t.name == u"Location"_s; });
        ASSERT_NE(location, contents->tables.end());
        ASSERT_TRUE(location->rowsRead);
        auto columns = (*file)->columns(u"Location"_s);
        ASSERT_TRUE(columns.ok());
        ASSERT_EQ(location->columns.size(), columns->size());
        for (std::size_t i = 0; i < columns->size(); ++i) {
            EXPECT_EQ(location->columns[i].name, (*columns)[i].name);
            EXPECT_EQ(location->columns[i].kind, (*columns)[i].kind);
        }
        std::vector<QVariantList> rows;
        ASSERT_TRUE((*file)
                        ->readRows(u"Location"_s,
                                   [&](const QVariantList& row) -> Status {
                                       rows.push_back(row);
                                       return {};
                                   })
                        .ok());
        EXPECT_GT(rows.size(), 2u);
        EXPECT_EQ(location->rows, rows);
        EXPECT_EQ(location->storedRows, static_cast<qint64>(rows.size()));
        EXPECT_TRUE(contents->losses().isEmpty());
        // The tables of no use to us are named only.
        for (const TableContents& t : contents->tables) {
            if (t.name != u"Location"_s) {
                EXPECT_TRUE(!t.rowsRead && t.columns.empty() && t.rows.empty())
                    << qPrintable(t.name);
            }
        }
    }
}

// A file that makes the reader loop or grow without end is stopped at the limit, the reader
// process is gone, and no file is left where the new database was to be. The reader simulates
// the damage (KORVANE_MDB_READER_TEST).
TEST(AccessReader, AReaderThatLoopsOrGrowsIsStoppedAndLeavesNothing) {
    test::TempDir dir;
    const QString old = dir.filePath(u"old.mdb"_s);
    test::writeAccessFile(AccessFile::Jet3Location, old);
#ifdef __SANITIZE_ADDRESS__
    // The address sanitizer ends a program that reaches the limit itself, without a word.
    const QString grown = u"Reading \"%1\" stopped before the end: the file is probably damaged."_s;
#else
    const QString grown = u"Reading \"%1\" stopped when it needed more than 256 MB of memory: the "
                          "file is probably damaged."_s;
#endif
    const std::pair<QByteArray, QString> cases[] = {
        {"hang", u"Reading \"%1\" stopped after 2 seconds: the file is probably damaged."_s},
        {"grow", grown},
    };
    for (const auto& [how, said] : cases) {
        Environment simulate("KORVANE_MDB_READER_TEST", how);
        const QString target = dir.filePath(u"new.mdb"_s);
        const auto imported = importAccess(old, target, false, ReadLimits{2, 256});
        ASSERT_FALSE(imported.ok()) << how.constData();
        EXPECT_EQ(imported.error(), said.arg(old));
        EXPECT_EQ(filesIn(dir.path()), QStringList{u"old.mdb"_s});
        EXPECT_EQ(childProcesses(), 0);
    }
}

// Cancel ends the reader at once, whatever it is doing; what it had read is dropped.
TEST(AccessReader, CancelEndsTheReader) {
    test::TempDir dir;
    const QString old = dir.filePath(u"old.mdb"_s);
    test::writeAccessFile(AccessFile::Jet3Location, old);
    Environment simulate("KORVANE_MDB_READER_TEST", "hang");
    AccessReadJob job(old, ReadLimits{});
    QSignalSpy progress(&job, &AccessReadJob::progress);
    job.start();
    // Until the row is reported, or the reader ended without it (then the test fails, not hangs).
    waitUntil(
        [&] { return job.progressText() == u"Tank: 1 of 2 records read"_s || job.isFinished(); });
    ASSERT_FALSE(job.isFinished());
    EXPECT_EQ(progress.last().at(0).toString(), u"Tank: 1 of 2 records read"_s);
    QSignalSpy finished(&job, &AccessReadJob::finished);
    job.cancel();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_TRUE(job.cancelled());
    EXPECT_FALSE(job.result().ok());
    EXPECT_EQ(childProcesses(), 0);
}

// Files the reader cannot take are refused with what is wrong with them, and nothing is
// written: an encrypted file, a front-end whose table is a link, one whose rows could not all
// be read (unless the loss is accepted, and then it is listed).
TEST(AccessReader, FilesThatCannotBeImportedWholeAreRefusedWithTheirOwnMessage) {
    const struct {
        AccessFile kind;
        QString said;
    } cases[] = {
        {AccessFile::Encrypted,
         u"\"%1\" is an encrypted Access database: its records cannot be read without its "
         "password. Open it in Microsoft Access, remove the password (File > Info > Decrypt "
         "Database) and import the decrypted file."_s},
        {AccessFile::Linked,
         u"The table Location of the old database is a link to another database file, which it "
         "does not name; their records are kept there, not in this file. Import that database "
         "instead. Nothing was imported."_s},
        {AccessFile::RowsLost, u"Not every record of \"%1\" could be read; the file is probably "
                               "damaged:\nLocation: 0 of 3 records read\nNothing was imported."_s},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const QString old = dir.filePath(u"old.mdb"_s);
        test::writeAccessFile(c.kind, old);
        const auto imported = importAccess(old, dir.filePath(u"new.mdb"_s));
        ASSERT_FALSE(imported.ok()) << qPrintable(c.said);
        EXPECT_EQ(imported.error(), c.said.contains(u"%1"_s) ? c.said.arg(old) : c.said);
        EXPECT_EQ(filesIn(dir.path()), QStringList{u"old.mdb"_s});
    }

    test::TempDir dir;
    const QString old = dir.filePath(u"old.mdb"_s);
    test::writeAccessFile(AccessFile::RowsLost, old);
    const auto imported = importAccess(old, dir.filePath(u"new.mdb"_s), true);
    ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
    EXPECT_EQ(imported->losses, QStringList{u"Location: 0 of 3 records read"_s});
    EXPECT_EQ(imported->imported.size(), 1u);
    EXPECT_EQ(imported->imported.at(0).rows, 0);
    EXPECT_TRUE(imported->text().contains(
        u"Not every record of the old database could be read:\n  Location: 0 of 3 records read"_s))
        << imported->text().toStdString();
}

} // namespace
} // namespace korvane::access
