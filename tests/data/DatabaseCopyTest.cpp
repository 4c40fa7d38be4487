#include "data/DatabaseCopy.h"

#include "EachEngine.h"
#include "data/NewDatabase.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestServer.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <tuple>
#include <unistd.h>

namespace korvane {
namespace {

class CopySnapshotTest : public test::EachEngine {};

bool running(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return false;
    process.waitForFinished(0); // takes notice of a program that has ended
    return process.state() != QProcess::NotRunning;
}

// The keys of a table's rows, and the keys the history records as added to it.
QSet<qint32> keys(const Database& db, const Select& query, const QString& field) {
    QSet<qint32> found;
    auto rs = db.openRecordset(query);
    EXPECT_TRUE(rs.ok()) << (rs.ok() ? std::string() : rs.error().toStdString());
    if (rs.ok())
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            found.insert(rs->value(field).toInt());
    return found;
}

// Two programs add inspections, each with its history entry in the same transaction, while
// copies of the database are taken: every copy holds each inspection together with its entry,
// never one without the other, and the programs are not kept from writing.
TEST_P(CopySnapshotTest, ACopyTakenWhileOthersAddRowsHoldsEachInspectionWithItsHistory) {
    test::TestDatabase source(GetParam());
    const qint32 tank = source.addTank(
        source.addLocation(source.addCompany(QStringLiteral("Acme")), QStringLiteral("Plant")),
        QStringLiteral("T-101"));
    constexpr int Each = 200;
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(QStringLiteral(ROW_ADDER_PATH),
                 {source.path(), QString::number(tank), QString::number(Each)});
    int copies = 0;
    int takenMidway = 0; // copies that hold some of the new inspections but not all
    do {
        const QString to = source.folder() + QStringLiteral("/copy%1.mdb").arg(copies++);
        auto copied = copyDatabase(source.path(), to);
        ASSERT_TRUE(copied.ok()) << copied.error().toStdString();
        auto db = Database::open(to);
        ASSERT_TRUE(db.ok());
        const QSet<qint32> inspections =
            keys(*db, Select::from(QStringLiteral("Inspection")), QStringLiteral("InspectionID"));
        const QSet<qint32> recorded =
            keys(*db,
                 Select::from(QStringLiteral("History"))
                     .where(QStringLiteral("TableName"), QStringLiteral("Inspection"))
                     .where(QStringLiteral("Action"), QStringLiteral("added")),
                 QStringLiteral("RowKey"));
        EXPECT_EQ(inspections, recorded) << "copy " << copies;
        if (!inspections.isEmpty() && inspections.size() < 2 * Each)
            ++takenMidway;
        db->close();
        QFile::remove(to);
    } while (running(first) || running(second));
    for (QProcess* p : {&first, &second}) {
        p->waitForFinished(-1);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_GT(takenMidway, 0) << "no copy was taken while the rows were being added";
    EXPECT_EQ(source.count(QStringLiteral("Inspection")), 2 * Each);
}

INSTANTIATE_TEST_SUITE_P(Engines, CopySnapshotTest, test::AllEngines, test::engineName);

// A table far larger than one statement may bind crosses to a server and back whole: every row,
// the last one too, with its values.
TEST(DatabaseCopy, ATableOfTwentyThousandRowsCrossesToAServerAndBackWhole) {
    KORVANE_REQUIRE_SERVER();
    test::TestDatabase source;
    const qint32 tank = source.addTank(
        source.addLocation(source.addCompany(QStringLiteral("Acme")), QStringLiteral("Plant")),
        QStringLiteral("T-101"));
    const qint32 inspection = source.add(QStringLiteral("Inspection"), {{"TankID", tank}});
    constexpr int Rows = 20000, PerInsert = 500;
    Database db = source.open();
    ASSERT_TRUE(db.transaction([&]() -> Status {
        for (int first = 1; first <= Rows; first += PerInsert) {
            QStringList marks;
            QVariantList values;
            for (int i = first; i < first + PerInsert; ++i) {
                marks << QStringLiteral("(?, ?, ?, ?)");
                values << inspection << QStringLiteral("P-%1").arg(i) << 0.25 + i * 1e-5 << 2;
            }
            auto done = db.exec(QStringLiteral("INSERT INTO Thickness (InspectionID, PointID, "
                                               "Reading, Course) VALUES ") +
                                    marks.join(QLatin1Char(',')),
                                values);
            if (!done)
                return done.takeError();
        }
        return {};
    }));
    db.close();

    test::ServerDatabase server;
    auto there = copyDatabase(source.path(), server.url());
    ASSERT_TRUE(there.ok()) << there.error().toStdString();
    const QString back = source.folder() + QStringLiteral("/back.mdb");
    auto returned = copyDatabase(server.url(), back);
    ASSERT_TRUE(returned.ok()) << returned.error().toStdString();
    EXPECT_EQ(returned->rows, there->rows);
    EXPECT_EQ(test::serverRows(server.url(), QStringLiteral("SELECT count(*) FROM \"Thickness\"")),
              QStringList{QString::number(Rows)});

    auto copy = Database::open(back);
    ASSERT_TRUE(copy.ok());
    auto last = copy->exec(QStringLiteral("SELECT count(*), max(ThicknessID), sum(Reading) FROM "
                                          "Thickness WHERE InspectionID = ?"),
                           {inspection});
    ASSERT_TRUE(last.ok());
    ASSERT_TRUE(last->next());
    EXPECT_EQ(last->value(0).toInt(), Rows);
    EXPECT_EQ(last->value(1).toInt(), Rows);
    EXPECT_NEAR(last->value(2).toDouble(), Rows * 0.25 + 1e-5 * Rows * (Rows + 1) / 2, 1e-3);
    auto lastPoint = copy->firstValue(
        QStringLiteral("SELECT PointID FROM Thickness WHERE ThicknessID = ?"), {Rows});
    ASSERT_TRUE(lastPoint.ok());
    EXPECT_EQ(lastPoint->toString(), QStringLiteral("P-20000"));

    // Rows added on the server after the copy take the keys that follow the copied ones.
    auto onServer = Database::open(server.url());
    ASSERT_TRUE(onServer.ok()) << onServer.error().toStdString();
    for (const auto& [table, key, next] :
         {std::tuple{"Thickness", "ThicknessID", Rows + 1},
          std::tuple{"Inspection", "InspectionID", inspection + 1}}) {
        auto rs = onServer->openRecordset(Select::from(QLatin1String(table)));
        ASSERT_TRUE(rs.ok()) << rs.error().toStdString();
        ASSERT_TRUE(rs->addNew().ok());
        EXPECT_EQ(rs->value(QLatin1String(key)).toInt(), next) << table;
        rs->cancelUpdate();
    }
}

// Tables and fields a user added to a database have no place in the new one: they are left out
// and named, and the rest of their table is copied.
TEST(DatabaseCopy, NamesWhatTheNewDatabaseHasNoPlaceFor) {
    test::TestDatabase source;
    const qint32 tank = source.addTank(
        source.addLocation(source.addCompany(QStringLiteral("Acme")), QStringLiteral("Plant")),
        QStringLiteral("T-101"));
    {
        Database db = source.open();
        for (const char* sql : {"CREATE TABLE \"Paint Log\" (Coat TEXT)",
                                "INSERT INTO \"Paint Log\" VALUES ('primer')",
                                "ALTER TABLE Tank ADD COLUMN PaintColour TEXT",
                                "UPDATE Tank SET PaintColour = 'grey', Product = 'Diesel'"})
            ASSERT_TRUE(db.exec(QLatin1String(sql)).ok()) << sql;
    }
    const QString to = source.folder() + QStringLiteral("/copy.mdb");
    auto copied = copyDatabase(source.path(), to);
    ASSERT_TRUE(copied.ok()) << copied.error().toStdString();
    EXPECT_EQ(copied->leftOut,
              (QStringList{QStringLiteral("Paint Log"), QStringLiteral("Tank.PaintColour")}));
    auto copy = Database::open(to);
    ASSERT_TRUE(copy.ok());
    auto product = copy->firstValue(
        QStringLiteral("SELECT Name || '/' || Product FROM Tank WHERE TankID = ?"), {tank});
    ASSERT_TRUE(product.ok());
    EXPECT_EQ(product->toString(), QStringLiteral("T-101/Diesel"));
    auto names = copy->tableNames();
    ASSERT_TRUE(names.ok());
    EXPECT_FALSE(names->contains(QStringLiteral("Paint Log")));
}

// A copy from a file takes its snapshot in a folder of the temporary folder named for its
// process, and first removes the folders that runs which died left there; those of a live
// process, and folders not named so, stay.
TEST(DatabaseCopy, RemovesTheSnapshotFoldersOfDeadRunsOnly) {
    test::TestDatabase source;
    source.addCompany(QStringLiteral("Acme"));
    test::TempDir temp;
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 deadPid = ended.processId();
    ended.waitForFinished(-1);
    const QString dead = QStringLiteral("korvane-snapshot-%1-a1b2c3").arg(deadPid);
    const QString alive = QStringLiteral("korvane-snapshot-%1-d4e5f6").arg(::getppid());
    const QString other = QStringLiteral("korvane-snapshot-x%1-g7h8i9").arg(deadPid);
    for (const QString& name : {dead, alive, other}) {
        ASSERT_TRUE(QDir(temp.path()).mkpath(name + QStringLiteral("/sub")));
        QFile file(temp.filePath(name + QStringLiteral("/source.mdb")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    auto copied = copyDatabase(source.path(), source.folder() + QStringLiteral("/copy.mdb"));
    if (oldTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp);
    ASSERT_TRUE(copied.ok()) << copied.error().toStdString();
    QStringList left = QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left.sort();
    QStringList kept{alive, other};
    kept.sort();
    EXPECT_EQ(left, kept);
}

// What lies under the temporary name of a new database file: a run that died leaves its file and
// its journal, which the next run removes; a file of the user's under that name, or any file that
// is not a database of ours, is left as it is and the run refused; a file merely ending in
// ".partial" is no concern of it.
TEST(NewDatabase, RemovesOnlyWhatADeadRunOfItsOwnLeft) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("plant.mdb"));
    const QString partial = path + QStringLiteral(".korvane-partial");
    const QString journal = partial + QStringLiteral("-journal");
    const auto write = [](const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    // A rollback journal's header as a transaction that has not reached the database leaves it.
    QByteArray header(512, '\0');
    header[22] = 0x02; // sector size 512
    header[26] = 0x10; // page size 4096
    // A database file of another program, without our mark.
    const auto foreignDatabase = [&](const QString& file) {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE t (a)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    };

    write(path + QStringLiteral(".partial"), "the user's own");
    write(partial, "the user's own");
    Status refused = buildDatabase(path);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("was not made by this program")))
        << refused.error().toStdString();
    EXPECT_EQ(test::fileBytes(partial), QByteArray("the user's own"));

    QFile::remove(partial);
    foreignDatabase(partial);
    const QByteArray foreign = test::fileBytes(partial);
    EXPECT_FALSE(buildDatabase(path).ok());
    EXPECT_EQ(test::fileBytes(partial), foreign);
    EXPECT_FALSE(QFile::exists(path));

    // Ours, with a journal that is not one: neither is removed.
    QFile::remove(partial);
    ASSERT_TRUE(Database::create(partial).ok());
    const QByteArray ours = test::fileBytes(partial);
    write(journal, "not a journal");
    EXPECT_FALSE(buildDatabase(path).ok());
    EXPECT_EQ(test::fileBytes(partial), ours);
    EXPECT_TRUE(QFile::exists(journal));

    // Another run for the same name, alive, holds the lock.
    write(journal, header);
    {
        QLockFile alive(path + QStringLiteral(".korvane-lock"));
        ASSERT_TRUE(alive.tryLock(0));
        refused = buildDatabase(path);
        ASSERT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().contains(QStringLiteral("is writing")))
            << refused.error().toStdString();
        EXPECT_EQ(test::fileBytes(partial), ours);
    }

    // A dead run's file and journal go, and the new database is whole.
    ASSERT_TRUE(buildDatabase(path).ok());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("plant.mdb"), QStringLiteral("plant.mdb.partial")}));
    EXPECT_EQ(test::fileBytes(path + QStringLiteral(".partial")), QByteArray("the user's own"));
    auto db = Database::open(path, Database::Check::Integrity);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    EXPECT_EQ(db->recordCount(QStringLiteral("Preferences")).value(), 1);
}

// On a server, the databases dead runs left for a name are dropped by the next run for that
// name; those made for other names, and the user's own databases, stay.
TEST(NewDatabase, OnAServerDropsTheUnfinishedDatabasesOfTheSameNameOnly) {
    KORVANE_REQUIRE_SERVER();
    test::ServerDatabase server;
    ASSERT_TRUE(server.isValid());
    const QString name = server.name() + QStringLiteral("_n");
    QString url = server.url();
    url.replace(QLatin1Char('/') + server.name() + QLatin1Char('?'),
                QLatin1Char('/') + name + QLatin1Char('?'));
    const QStringList made = {QStringLiteral("korvane_partial_0123abcd_") + name,
                              QStringLiteral("korvane_partial_89abcdef_") + name +
                                  QStringLiteral("x"),
                              QStringLiteral("partial_0123abcd_") + name};
    for (const QString& db : made)
        test::serverRows(test::serverUrl(), QStringLiteral("CREATE DATABASE %1").arg(db));
    const Status built = buildDatabase(url);
    EXPECT_TRUE(built.ok()) << built.error().toStdString();
    const QStringList left = test::serverRows(
        test::serverUrl(), QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE "
                                          "'%%%1%%' ORDER BY datname")
                               .arg(name));
    EXPECT_EQ(left, (QStringList{made[1], name, made[2]}));
    for (const QString& db : left)
        test::serverRows(test::serverUrl(),
                         QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(db));
}

} // namespace
} // namespace korvane
