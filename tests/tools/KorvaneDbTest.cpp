#include "common/Clock.h"
#include "common/DateText.h"
#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "engineering/MinWall.h"
#include "support/AccessFiles.h"
#include "support/PdfText.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServer.h"
#include "support/XlsxCells.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace korvane {
namespace {

struct ToolRun {
    int exitCode = -1;
    bool killed = false; // ended by a signal, as the stop of KORVANE_DB_TEST_STOP_AT ends it
    qint64 pid = 0;
    QString out;
    QString err;
};

// Runs the tool; stopAt names the step of writing a new database at which it is to kill itself;
// environment holds further variables of its environment.
ToolRun runTool(const QStringList& args, const QString& workingDir, const QString& stopAt = {},
                const std::vector<std::pair<QString, QString>>& environment = {}) {
    QProcess process;
    process.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!stopAt.isEmpty())
        env.insert(QStringLiteral("KORVANE_DB_TEST_STOP_AT"), stopAt);
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KORVANE_DB_PATH), args);
    ToolRun run;
    run.pid = process.processId();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("(did not finish)");
        return run;
    }
    run.killed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = run.killed ? -1 : process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// Calls each(row) for every row of a table.
void forEachRow(const Database& db, const Select& query,
                const std::function<void(const Recordset&)>& each) {
    auto rs = db.openRecordset(query);
    ASSERT_TRUE(rs.ok()) << rs.error().toStdString();
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        each(*rs);
}

// Every row of every table as text, to compare two databases by content.
QStringList contents(const Database& db) {
    QStringList lines;
    for (const auto& table : layout::tables())
        forEachRow(db, Select::from(table.name), [&](const Recordset& rs) {
            QStringList cells;
            // The history's times are the only thing that differs between two runs.
            for (const QString& field : rs.fieldNames())
                if (field != QLatin1String("ChangedAt"))
                    cells << rs.text(field);
            lines << table.name + QLatin1Char(':') + cells.join(QLatin1Char('|'));
        });
    return lines;
}

TEST(KorvaneDb, CreateWritesAnEmptyDatabaseAndNeverOverwritesAFile) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("plant.mdb"));
    const ToolRun created = runTool({QStringLiteral("create"), path}, dir.path());
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();

    {
        auto db = Database::open(path, Database::Check::Integrity);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        auto names = db->tableNames();
        ASSERT_TRUE(names.ok());
        QStringList expected;
        for (const auto& table : layout::tables())
            expected << table.name;
        EXPECT_EQ(*names, expected);
        EXPECT_EQ(names->size(), 15);
        for (const QString& table : expected) {
            auto count = db->recordCount(table);
            ASSERT_TRUE(count.ok());
            EXPECT_EQ(*count, table == QLatin1String("Preferences") ? 1 : 0) << qPrintable(table);
        }
    }

    // Neither command writes over an existing file, and both say why.
    const QByteArray before = test::fileBytes(path);
    ASSERT_FALSE(before.isEmpty());
    for (const char* command : {"create", "demo"}) {
        const ToolRun again = runTool({QString::fromLatin1(command), path}, dir.path());
        EXPECT_EQ(again.exitCode, 1) << command;
        EXPECT_TRUE(again.err.contains(QLatin1String("already exists")))
            << command << ": " << again.err.toStdString();
        EXPECT_EQ(test::fileBytes(path), before) << command;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("plant.mdb")});
}

TEST(KorvaneDb, BadCommandLinesShowTheUsageAndWriteNothing) {
    test::TempDir dir;
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate"), QStringLiteral("a.mdb")},
        {QStringLiteral("Create"), QStringLiteral("a.mdb")},
        {QStringLiteral("create")},
        {QStringLiteral("demo")},
        {QStringLiteral("demo"), QString()},
        {QStringLiteral("create"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb")},
        {QStringLiteral("demo"), QStringLiteral("a.mdb"), QStringLiteral("--force")},
        {QStringLiteral("survey")},
        {QStringLiteral("survey"), QStringLiteral("a.mdb")},
        {QStringLiteral("survey"), QStringLiteral("a.mdb"), QStringLiteral("seven")},
        {QStringLiteral("survey"), QStringLiteral("a.mdb"), QStringLiteral("1.5")},
        {QStringLiteral("survey"), QStringLiteral("a.mdb"), QString()},
        {QStringLiteral("survey"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("2")},
        {QStringLiteral("assess"), QStringLiteral("a.mdb")},
        {QStringLiteral("assess"), QStringLiteral("a.mdb"), QStringLiteral("T-1")},
        {QStringLiteral("assess"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("2")},
        {QStringLiteral("history"), QStringLiteral("a.mdb")},
        {QStringLiteral("history"), QStringLiteral("a.mdb"), QStringLiteral("T-1")},
        {QStringLiteral("history"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("2")},
        {QStringLiteral("survey"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("-o")},
        {QStringLiteral("history"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("--force")},
        {QStringLiteral("assess"), QStringLiteral("a.mdb"), QStringLiteral("1"),
         QStringLiteral("-o"), QStringLiteral("x.csv"), QStringLiteral("--output"),
         QStringLiteral("y.csv")},
        {QStringLiteral("copy"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb"),
         QStringLiteral("--force")},
        {QStringLiteral("report"), QStringLiteral("a.mdb")},
        {QStringLiteral("report"), QStringLiteral("a.mdb"), QStringLiteral("tank_sum.rpt"),
         QStringLiteral("{Tank.TankID} = 1")},
        {QStringLiteral("report"), QStringLiteral("a.mdb"), QStringLiteral("tank_sum.rpt"),
         QStringLiteral("{Tank.TankID} = 1"), QString()},
        {QStringLiteral("import")},
        {QStringLiteral("import"), QStringLiteral("old.mdb")},
        {QStringLiteral("import"), QString(), QStringLiteral("a.mdb")},
        {QStringLiteral("import"), QStringLiteral("old.mdb"), QString()},
        {QStringLiteral("import"), QStringLiteral("old.mdb"), QStringLiteral("a.mdb"),
         QStringLiteral("b.mdb")},
    };
    for (const QStringList& args : cases) {
        const ToolRun run = runTool(args, dir.path());
        EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("usage: korvane-db create FILE.mdb")))
            << args.join(QLatin1Char(' ')).toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(KorvaneDb, AFileThatCannotBeWrittenFailsWithStatus1) {
    test::TempDir dir;
    for (const char* command : {"create", "demo"}) {
        const QString path = dir.filePath(QStringLiteral("missing/folder/plant.mdb"));
        const ToolRun run = runTool({QString::fromLatin1(command), path}, dir.path());
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_FALSE(run.err.isEmpty()) << command;
        EXPECT_FALSE(QFile::exists(path)) << command;
    }
}

// Access files of another layout are refused naming our tables, and so are a file that is no
// Access file, a missing one and an existing target; nothing is written. The Access test files
// are kept beside the data tests.
TEST(KorvaneDb, ImportOfWhatCannotBeImportedFailsWithStatus1AndWritesNothing) {
    const QString access = QStringLiteral(KORVANE_REPORT_FILES "/../../tests/access/access/");
    test::TempDir dir;
    const QString taken = dir.filePath(QStringLiteral("taken.mdb"));
    ASSERT_EQ(runTool({QStringLiteral("create"), taken}, dir.path()).exitCode, 0);
    ASSERT_TRUE(QFile::copy(access + QStringLiteral("DateTestDatabase.mdb"),
                            dir.filePath(QStringLiteral("dates.mdb"))));
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray before = test::fileBytes(taken);
    QStringList ourTables;
    for (const auto& table : layout::tables())
        ourTables << table.name;
    const std::pair<QStringList, QStringList> cases[] = {
        {{access + QStringLiteral("nwind.mdb"), QStringLiteral("new.mdb")}, ourTables},
        {{QStringLiteral("dates.mdb"), QStringLiteral("new.mdb")}, ourTables},
        {{QStringLiteral("dates.mdb"), QStringLiteral("taken.mdb")}, {QStringLiteral("exists")}},
        {{QStringLiteral("gone.mdb"), QStringLiteral("new.mdb")}, {QStringLiteral("not found")}},
        {{QStringLiteral("taken.mdb"), QStringLiteral("new.mdb")}, {QStringLiteral("Korvane")}},
    };
    for (const auto& [args, said] : cases) {
        const ToolRun run = runTool(QStringList{QStringLiteral("import")} + args, dir.path());
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        for (const QString& text : said)
            EXPECT_TRUE(run.err.contains(text)) << qPrintable(text) << ": " << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    }
    EXPECT_EQ(test::fileBytes(taken), before);
}

// An Access file of which not every record can be read is imported only with --accept-loss, and
// then the loss is listed; a reader that hangs is stopped at the time limit. Only the tool's own
// words reach the standard error, never the reader's.
TEST(KorvaneDb, ImportOfUnreadableRecordsNeedsAcceptLossAndAHangIsStopped) {
    test::TempDir dir;
    test::writeAccessFile(test::AccessFile::RowsLost, dir.filePath(QStringLiteral("old.mdb")));
    const QStringList import{QStringLiteral("import"), QStringLiteral("old.mdb"),
                             QStringLiteral("new.mdb")};
    const QStringList only{QStringLiteral("old.mdb")};

    ToolRun run = runTool(import, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("korvane-db: Not every record of \"old.mdb\" could be read; "
                                      "the file is probably damaged:\nLocation: 0 of 3 records "
                                      "read\nNothing was imported.\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), only);

    run = runTool(import, dir.path(), {},
                  {{QStringLiteral("KORVANE_MDB_READER_TEST"), QStringLiteral("hang")},
                   {QStringLiteral("KORVANE_IMPORT_TIME_LIMIT"), QStringLiteral("2")}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("korvane-db: Reading \"old.mdb\" stopped after 2 seconds: "
                                      "the file is probably damaged.\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), only);

    run = runTool(import + QStringList{QStringLiteral("--accept-loss")}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral(
        "Wrote new.mdb from old.mdb.\nImported:\n  Location: 0 records\nNot every record of the "
        "old database could be read:\n  Location: 0 of 3 records read\n")))
        << run.out.toStdString();
    EXPECT_EQ(checkDatabaseFile(dir.filePath(QStringLiteral("new.mdb"))).value(),
              DatabaseFileKind::Korvane);
}

// An import killed half way leaves no database under the new name; the next import removes
// what it left and writes the whole database.
TEST(KorvaneDb, AnImportStoppedHalfWayIsCleanedUpByTheNext) {
    test::TempDir dir;
    test::writeAccessFile(test::AccessFile::Jet3Location, dir.filePath(QStringLiteral("old.mdb")));
    const QStringList import{QStringLiteral("import"), QStringLiteral("old.mdb"),
                             QStringLiteral("new.mdb")};
    for (const QString& step : {QStringLiteral("tables"), QStringLiteral("written")}) {
        const ToolRun stopped = runTool(import, dir.path(), step);
        EXPECT_TRUE(stopped.killed) << step.toStdString();
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_FALSE(files.contains(QStringLiteral("new.mdb"))) << step.toStdString();
        EXPECT_TRUE(files.contains(QStringLiteral("new.mdb.korvane-partial")))
            << files.join(u' ').toStdString();

        const ToolRun rerun = runTool(import, dir.path());
        EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
        files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files, (QStringList{QStringLiteral("new.mdb"), QStringLiteral("old.mdb")}));
        auto db =
            Database::open(dir.filePath(QStringLiteral("new.mdb")), Database::Check::Integrity);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        EXPECT_EQ(db->recordCount(QStringLiteral("Location")).value(), 3);
        db->close();
        QFile::remove(dir.filePath(QStringLiteral("new.mdb")));
    }
}

class DemoDatabase : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        path_ = dir_->filePath(QStringLiteral("demo.mdb"));
        const ToolRun run = runTool({QStringLiteral("demo"), path_}, dir_->path());
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    Database open() const {
        auto db = Database::open(path_, Database::Check::Integrity);
        EXPECT_TRUE(db.ok()) << (db.ok() ? std::string() : db.error().toStdString());
        return db.ok() ? std::move(db.value()) : Database();
    }

    struct TankRow {
        qint32 id = 0;
        QString name;
        int courses = 0;
        std::vector<float> courseMin;
    };
    // The tanks by key, with their course minimums.
    QMap<qint32, TankRow> tanks() const {
        QMap<qint32, TankRow> all;
        forEachRow(open(), Select::from(QStringLiteral("Tank")), [&](const Recordset& rs) {
            TankRow t;
            t.id = rs.value(QStringLiteral("TankID")).toInt();
            t.name = rs.text(QStringLiteral("Name"));
            t.courses = rs.value(QStringLiteral("Courses")).toInt();
            for (int i = 1; i <= t.courses; ++i)
                t.courseMin.push_back(rs.value(QStringLiteral("Course%1_Min").arg(i)).toFloat());
            all.insert(t.id, t);
        });
        return all;
    }

    static test::TempDir* dir_;
    static QString path_;
};

test::TempDir* DemoDatabase::dir_ = nullptr;
QString DemoDatabase::path_;

TEST_F(DemoDatabase, HoldsThreeCompaniesWithTwoOrThreeLocationsEach) {
    const Database db = open();
    QMap<qint32, int> locationsPerCompany;
    forEachRow(db, Select::from(QStringLiteral("Company")), [&](const Recordset& rs) {
        locationsPerCompany.insert(rs.value(QStringLiteral("CompanyID")).toInt(), 0);
        for (const char* field :
             {"Company", "Contact", "Address", "City", "State", "Zip", "Phone", "Fax"})
            EXPECT_FALSE(rs.text(QString::fromLatin1(field)).isEmpty()) << field;
    });
    EXPECT_EQ(locationsPerCompany.size(), 3);

    int locations = 0;
    forEachRow(db, Select::from(QStringLiteral("Location")), [&](const Recordset& rs) {
        ++locations;
        const qint32 company = rs.value(QStringLiteral("CompanyID")).toInt();
        ASSERT_TRUE(locationsPerCompany.contains(company))
            << qPrintable(rs.text(QStringLiteral("Location")));
        ++locationsPerCompany[company];
        EXPECT_FALSE(rs.text(QStringLiteral("Location")).isEmpty());
        EXPECT_FALSE(rs.text(QStringLiteral("City")).isEmpty());
    });
    EXPECT_GE(locations, 7);
    EXPECT_LE(locations, 8);
    for (int count : locationsPerCompany) {
        EXPECT_GE(count, 2);
        EXPECT_LE(count, 3);
    }
}

TEST_F(DemoDatabase, TankShellsAddUpAndCarryTheMinimumsTheCalculationGives) {
    const Database db = open();
    QList<qint32> locationIds;
    forEachRow(db, Select::from(QStringLiteral("Location")), [&](const Recordset& rs) {
        locationIds << rs.value(QStringLiteral("LocationID")).toInt();
    });
    int count = 0;
    forEachRow(db, Select::from(QStringLiteral("Tank")), [&](const Recordset& rs) {
        ++count;
        const QString name = rs.text(QStringLiteral("Name"));
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(locationIds.contains(rs.value(QStringLiteral("LocationID")).toInt()));
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(rs.text(QStringLiteral("Product")).isEmpty());
        EXPECT_NE(rs.value(QStringLiteral("Capacity")).toDouble(), 0.0);

        MinWallInput in;
        in.mfgType = rs.value(QStringLiteral("MfgType")).toInt();
        in.diameterIn = rs.value(QStringLiteral("Diameter")).toInt();
        in.heightIn = rs.value(QStringLiteral("Height")).toInt();
        in.levelIn = rs.value(QStringLiteral("DesignLevel")).toInt();
        in.courses = rs.value(QStringLiteral("Courses")).toInt();
        in.specGravity = static_cast<float>(rs.value(QStringLiteral("SpecGravity")).toDouble());
        in.yieldPsi = rs.value(QStringLiteral("Yield")).toInt();
        in.tensilePsi = rs.value(QStringLiteral("Tensile")).toInt();
        in.jointEff = rs.value(QStringLiteral("JointEff")).toDouble();

        EXPECT_GE(in.diameterIn, 20 * 12);
        EXPECT_LE(in.diameterIn, 150 * 12);
        EXPECT_GE(in.heightIn, 24 * 12);
        EXPECT_LE(in.heightIn, 56 * 12);
        EXPECT_LT(in.levelIn, in.heightIn);
        EXPECT_GE(in.specGravity, 0.7f);
        EXPECT_LE(in.specGravity, 1.0f);
        EXPECT_FALSE(needsYieldRaise(in.yieldPsi));
        EXPECT_FALSE(needsTensileRaise(in.tensilePsi));
        ASSERT_GE(in.courses, 4);
        ASSERT_LE(in.courses, 10);
        ASSERT_EQ(checkMinWallInput(in), MinWallRefusal::None);

        const std::vector<float> expected = calcMinWall(in);
        int shell = 0;
        for (int i = 1; i <= 10; ++i) {
            const QVariant height = rs.value(QStringLiteral("Course%1_Height").arg(i));
            const QVariant minimum = rs.value(QStringLiteral("Course%1_Min").arg(i));
            if (i > in.courses) {
                EXPECT_TRUE(height.isNull() || height.toInt() == 0) << "course " << i;
                continue;
            }
            EXPECT_GT(height.toInt(), 10) << "course " << i;
            shell += height.toInt();
            EXPECT_EQ(minimum.toFloat(), expected[static_cast<std::size_t>(i - 1)])
                << "course " << i;
        }
        EXPECT_EQ(shell, in.heightIn);
    });
    EXPECT_GE(count, 20);
    EXPECT_LE(count, 30);
}

TEST_F(DemoDatabase, SomeTanksAreDueForTheirExternalInspectionAndOthersNot) {
    const QDate today = SystemClock().today();
    int due = 0, notDue = 0;
    forEachRow(open(), Select::from(QStringLiteral("Tank")), [&](const Recordset& rs) {
        const QString name = rs.text(QStringLiteral("Name"));
        // Recorded dates are never later than today, as the date boxes require.
        for (const char* field : {"ExternalLast", "UTLast", "InternalLast", "PriSealLast",
                                  "SecSealLast", "Strapped", "Tested"}) {
            const QString text = rs.text(QString::fromLatin1(field));
            if (text.isEmpty())
                continue;
            const auto date = parseDate(text);
            ASSERT_TRUE(date.has_value()) << qPrintable(name) << " " << field;
            EXPECT_LE(*date, today) << qPrintable(name) << " " << field;
        }
        const auto last = parseDate(rs.text(QStringLiteral("ExternalLast")));
        ASSERT_TRUE(last.has_value()) << qPrintable(name);
        const int years = rs.value(QStringLiteral("ExternalFreq")).toInt();
        ASSERT_GT(years, 0) << qPrintable(name);
        (addYears(*last, years).year() <= today.year() ? due : notDue)++;
    });
    EXPECT_GE(due, 1);
    EXPECT_GE(notDue, 1);
}

TEST_F(DemoDatabase, ReadingsBelongToInspectedTanksAndSomeAreBelowTheirCourseMinimum) {
    const Database db = open();
    const auto tankRows = tanks();
    QMap<qint32, qint32> tankOfInspection;
    QMap<qint32, int> inspectionsPerTank;
    forEachRow(db, Select::from(QStringLiteral("Inspection")), [&](const Recordset& rs) {
        const qint32 tank = rs.value(QStringLiteral("TankID")).toInt();
        ASSERT_TRUE(tankRows.contains(tank));
        tankOfInspection.insert(rs.value(QStringLiteral("InspectionID")).toInt(), tank);
        ++inspectionsPerTank[tank];
        EXPECT_TRUE(parseDate(rs.text(QStringLiteral("InspectionDate"))).has_value());
        EXPECT_FALSE(rs.text(QStringLiteral("InspectionNum")).isEmpty());
        const int type = rs.value(QStringLiteral("InspectionType")).toInt();
        EXPECT_GE(type, 1);
        EXPECT_LE(type, 9);
    });
    for (int n : inspectionsPerTank)
        EXPECT_LE(n, 2);

    int shellReadings = 0, belowMinimum = 0;
    forEachRow(db, Select::from(QStringLiteral("Thickness")), [&](const Recordset& rs) {
        const qint32 inspection = rs.value(QStringLiteral("InspectionID")).toInt();
        ASSERT_TRUE(tankOfInspection.contains(inspection));
        const TankRow& tank = tankRows[tankOfInspection[inspection]];
        const QString point = rs.text(QStringLiteral("PointID"));
        const double reading = rs.value(QStringLiteral("Reading")).toDouble();
        EXPECT_GT(reading, 0.05) << qPrintable(point);
        EXPECT_LT(reading, 1.5) << qPrintable(point);
        // Course codes: 1 floor, 2 .. 11 courses 1 .. 10, 12 roof.
        const int code = rs.value(QStringLiteral("Course")).toInt();
        ASSERT_GE(code, 1) << qPrintable(point);
        ASSERT_LE(code, tank.courses + 1) << qPrintable(tank.name) << " " << qPrintable(point);
        if (code >= 2) {
            ++shellReadings;
            if (reading < tank.courseMin[static_cast<std::size_t>(code - 2)])
                ++belowMinimum;
        }
    });
    EXPECT_GT(shellReadings, 100);
    EXPECT_GE(belowMinimum, 1);
    EXPECT_LT(belowMinimum, shellReadings / 20); // a few, not a shell worn out everywhere
}

TEST_F(DemoDatabase, OneInspectionHasAShellSettlementSurveyOfTwelvePoints) {
    const Database db = open();
    QList<qint32> inspections;
    forEachRow(db, Select::from(QStringLiteral("Inspection")), [&](const Recordset& rs) {
        inspections << rs.value(QStringLiteral("InspectionID")).toInt();
    });
    int surveys = 0;
    forEachRow(db, Select::from(QStringLiteral("ShellSurvey")), [&](const Recordset& rs) {
        ++surveys;
        EXPECT_TRUE(inspections.contains(rs.value(QStringLiteral("InspectionID")).toInt()));
        EXPECT_EQ(rs.value(QStringLiteral("SurveyPoints")).toInt(), 12);
        EXPECT_TRUE(parseDate(rs.text(QStringLiteral("DateTaken"))).has_value());
        EXPECT_FALSE(rs.text(QStringLiteral("TakenBy")).isEmpty());
        float low = 1e9f, high = -1e9f;
        for (int i = 1; i <= 12; ++i) {
            const QVariant v =
                rs.value(QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')));
            ASSERT_TRUE(v.isValid()) << "point " << i;
            low = std::min(low, v.toFloat());
            high = std::max(high, v.toFloat());
        }
        // A tilted shell: the readings spread over a fraction of an inch to an inch or so.
        EXPECT_GT(high - low, 0.2f);
        EXPECT_LT(high - low, 3.0f);
        EXPECT_FALSE(rs.value(QStringLiteral("Point13_Settle")).isValid());
    });
    EXPECT_EQ(surveys, 1);
}

// The survey's CSV: a row per point and the closing row, an empty line, the fit by name.
TEST_F(DemoDatabase, SurveyPrintsTheAnalysisOfTheStoredSurveyAsCsv) {
    qint32 inspection = 0;
    float first = 0;
    forEachRow(open(), Select::from(QStringLiteral("ShellSurvey")), [&](const Recordset& rs) {
        inspection = rs.value(QStringLiteral("InspectionID")).toInt();
        first = rs.value(QStringLiteral("Point01_Settle")).toFloat();
    });
    const ToolRun run =
        runTool({QStringLiteral("survey"), path_, QString::number(inspection)}, dir_->path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1 + 13 + 2 + 5 + 1) << run.out.toStdString();
    EXPECT_EQ(lines.first(),
              QStringLiteral("Point,Angle,Actual,Optimum,OutOfPlane,Deflection,Allowed"));
    for (int point = 1; point <= 13; ++point) {
        const QStringList cells = lines.at(point).split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 7) << point;
        EXPECT_EQ(cells.mid(0, 2),
                  QStringList({QString::number(point), QString::number((point - 1) * 30)}));
        EXPECT_TRUE(cells.at(6) == QLatin1String("Yes") || cells.at(6) == QLatin1String("No"));
    }
    // Full precision: the stored single-precision reading reads back exactly, on the closing
    // row too.
    EXPECT_EQ(lines.at(1).section(QLatin1Char(','), 2, 2).toDouble(), double{first});
    EXPECT_EQ(lines.at(13).section(QLatin1Char(','), 2, 2).toDouble(), double{first});
    EXPECT_EQ(lines.mid(14, 2), QStringList({QString(), QStringLiteral("Name,Value")}));
    const QStringList names = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Phase"),
                               QStringLiteral("R2"), QStringLiteral("Allowance")};
    for (int i = 0; i < names.size(); ++i) {
        bool isNumber = false;
        EXPECT_EQ(lines.at(16 + i).section(QLatin1Char(','), 0, 0), names.at(i));
        lines.at(16 + i).section(QLatin1Char(','), 1).toDouble(&isNumber);
        EXPECT_TRUE(isNumber) << lines.at(16 + i).toStdString();
    }
}

// Eleven points stand 360/11 degrees apart, printed in full; a dip beyond the allowance (0.431
// in on this tank) is "No" as a bump would be.
TEST(KorvaneDb, SurveyPrintsTheTrueAnglesAndJudgesADipByItsSize) {
    test::TestDatabase db;
    const qint32 tank = db.add(QStringLiteral("Tank"), {{QStringLiteral("Diameter"), 960},
                                                        {QStringLiteral("Height"), 960},
                                                        {QStringLiteral("Yield"), 30000}});
    const qint32 id = db.add(QStringLiteral("Inspection"), {{QStringLiteral("TankID"), tank}});
    QVariantMap survey{{QStringLiteral("InspectionID"), id}, {QStringLiteral("SurveyPoints"), 11}};
    for (int i = 1; i <= 11; ++i)
        survey.insert(QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')),
                      i == 6 ? -0.1 : 0.5);
    db.add(QStringLiteral("ShellSurvey"), survey);
    const ToolRun run =
        runTool({QStringLiteral("survey"), db.path(), QString::number(id)}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 12);
    for (int point = 1; point <= 12; ++point) {
        const QStringList cells = lines.at(point).split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 7) << point;
        EXPECT_EQ(cells.at(1).toDouble(), 360.0 * (point - 1) / 11) << point;
        EXPECT_EQ(cells.at(6), point == 6 ? QLatin1String("No") : QLatin1String("Yes")) << point;
    }
}

TEST(KorvaneDb, SurveyOfNothingToAnalyseFailsWithStatus1AndSaysWhy) {
    test::TestDatabase db;
    const auto inspection = [&](const QVariant& height, int points) {
        const qint32 tank = db.add(QStringLiteral("Tank"), {{QStringLiteral("Diameter"), 1200},
                                                            {QStringLiteral("Height"), height},
                                                            {QStringLiteral("Yield"), 30000}});
        const qint32 id = db.add(QStringLiteral("Inspection"), {{QStringLiteral("TankID"), tank}});
        if (points > 0)
            db.add(QStringLiteral("ShellSurvey"), {{QStringLiteral("InspectionID"), id},
                                                   {QStringLiteral("SurveyPoints"), points},
                                                   {QStringLiteral("Point01_Settle"), 0.5}});
        return id;
    };
    const qint32 bare = inspection(480, 0), noHeight = inspection(QVariant(), 10),
                 crowded = inspection(480, 60);
    const struct {
        QString path;
        qint32 inspection;
        const char* message;
    } cases[] = {
        {db.folder() + QStringLiteral("/absent.mdb"), bare, "was not found"},
        {db.path(), crowded + 100, "holds no inspection"},
        {db.path(), bare, "has no shell settlement survey"},
        {db.path(), noHeight, "the tank's shell height is not given"},
        {db.path(), crowded, "has 60 points"},
    };
    for (const auto& c : cases) {
        const ToolRun run =
            runTool({QStringLiteral("survey"), c.path, QString::number(c.inspection)}, db.folder());
        EXPECT_EQ(run.exitCode, 1) << c.message;
        EXPECT_TRUE(run.out.isEmpty()) << c.message;
        EXPECT_TRUE(run.err.startsWith(QLatin1String("korvane-db: ")) &&
                    run.err.contains(QLatin1String(c.message)))
            << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(db.folder() + QStringLiteral("/absent.mdb")));
}

// S1 thins from 0.500 to 0.460 in over 1461 days (4 years of 365.25 days): 0.040 / 4 = 0.010
// in/yr; against the 0.250 minimum of course 1 its RCA is 0.210 in and its life 0.210 / 0.010 =
// 21 years, so UT may wait 0.210 / (2 x 0.010) = 10.5 years.
TEST(KorvaneDb, AssessPrintsEachPointsCorrosionRateAsCsvOrSaysWhyNot) {
    test::TestDatabase db;
    const qint32 tank = db.add(QStringLiteral("Tank"), {{"Courses", 1}, {"Course1_Min", 0.25}});
    for (const auto& [date, inches] : {std::pair{"01/Jan/2019", 0.5}, {"01/Jan/2023", 0.46}})
        db.add(QStringLiteral("Thickness"),
               {{"InspectionID", db.add(QStringLiteral("Inspection"), {{"TankID", tank}})},
                {"PointID", "S1"},
                {"Course", 2},
                {"Reading", inches},
                {"DateTaken", date}});
    const ToolRun run =
        runTool({QStringLiteral("assess"), db.path(), QString::number(tank)}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("PointID,Course,First,FirstDate,Previous,PreviousDate,"
                                       "Latest,LatestDate,Minimum,LongTermRate,ShortTermRate,"
                                       "Rate,RCA,RemainingLife,UTInterval,ExternalInterval,"
                                       "Status"));
    const QStringList cells = lines[1].split(QLatin1Char(','));
    ASSERT_EQ(cells.size(), 17) << lines[1].toStdString();
    EXPECT_EQ(QStringList({cells[0], cells[1], cells[3], cells[7], cells[16]}),
              QStringList({"S1", "2", "2019-01-01", "2023-01-01", "Sound"}));
    for (const auto& [column, expected] :
         {std::pair{11, 0.010}, {12, 0.21}, {13, 21.0}, {14, 10.5}})
        EXPECT_NEAR(cells[column].toDouble(), expected, 1e-9) << column;

    const QString absent = db.folder() + QStringLiteral("/absent.mdb");
    for (const auto& [path, id, message] :
         {std::tuple{absent, tank, "was not found"}, {db.path(), tank + 100, "holds no tank"}}) {
        const ToolRun bad = runTool({QStringLiteral("assess"), path, QString::number(id)}, {});
        EXPECT_EQ(bad.exitCode, 1) << message;
        EXPECT_TRUE(bad.out.isEmpty() && bad.err.contains(QLatin1String(message)))
            << bad.err.toStdString();
    }
}

// The whole fleet, worst first, to the standard output, a CSV file or a workbook; the exit status
// tells a nightly job whether anything needs attention.
TEST(KorvaneDb, DueListsEveryTankAndExitsWith3WhenOneNeedsAttention) {
    test::TestDatabase db;
    const qint32 location =
        db.addLocation(db.addCompany(QStringLiteral("Gulf, Inc.")), QStringLiteral("Plant 1"));
    const qint32 quiet = db.addTank(location, QStringLiteral("Q-1"));
    const auto due = [&](const QStringList& more) {
        return runTool(QStringList{QStringLiteral("due"), db.path()} + more, db.folder());
    };
    ToolRun run = due({});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Company,Location,Tank,Product,External,Internal,Primary "
                                      "Seal,Secondary Seal,Ultrasonic,Shortest Life (yr),At "
                                      "Point,Below Min.,Last Shell Survey,Last Inspection,Needs "
                                      "Attention\r\n\"Gulf, Inc.\",Plant 1,Q-1,,,,,,,,,,,,\r\n"));

    // A tank whose external inspection falls due in 30 days: due soon within 90 days, not 10.
    const QDate today = QDate::currentDate();
    const QDate last = addYears(today, -1).addDays(30);
    const qint32 soon = db.add(QStringLiteral("Tank"), {{"LocationID", location},
                                                        {"Name", "=HYPERLINK(\"x\")"},
                                                        {"ExternalFreq", 1},
                                                        {"ExternalLast", last}});
    ASSERT_NE(soon, quiet);
    run = due({QStringLiteral("--within"), QStringLiteral("10")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = due({});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    const QStringList lines = run.out.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1],
              QStringLiteral("\"Gulf, Inc.\",Plant 1,\"'=HYPERLINK(\"\"x\"\")\",,%1,,,,,,,,,,"
                             "External due %2")
                  .arg(addYears(last, 1).toString(Qt::ISODate), formatDate(addYears(last, 1))));

    // The same rows as a workbook: the formula-like name stays a text, the date a date, amber.
    const QString book = db.folder() + QStringLiteral("/due.xlsx");
    run = due({QStringLiteral("--xlsx"), book});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    const test::XlsxContents x = test::readXlsx(book);
    EXPECT_EQ(x.sheets, QStringList{QStringLiteral("Due and at Risk")});
    EXPECT_EQ(x.frozenRows, 1);
    ASSERT_TRUE(x.cell(QStringLiteral("C2")));
    EXPECT_EQ(x.cell(QStringLiteral("C2"))->value, QStringLiteral("=HYPERLINK(\"x\")"));
    EXPECT_FALSE(x.cell(QStringLiteral("C2"))->formula);
    const QDate next = addYears(last, 1);
    ASSERT_TRUE(x.cell(QStringLiteral("E2")));
    EXPECT_EQ(x.cell(QStringLiteral("E2"))->value,
              test::serialDate(next.year(), next.month(), next.day()));
    EXPECT_EQ(x.cell(QStringLiteral("E2"))->fill, QStringLiteral("FFFCE8B2"));
    EXPECT_EQ(x.cell(QStringLiteral("C3"))->value, QStringLiteral("Q-1"));

    // A CSV file, which a later run may replace; a workbook only with --force.
    const QString csvFile = db.folder() + QStringLiteral("/due.csv");
    EXPECT_EQ(due({QStringLiteral("--csv"), csvFile}).exitCode, 3);
    EXPECT_EQ(due({QStringLiteral("--csv"), csvFile}).exitCode, 3);
    EXPECT_TRUE(test::fileBytes(csvFile).startsWith("Company,Location,Tank"));
    EXPECT_EQ(due({QStringLiteral("--csv"), book}).exitCode, 1);
    EXPECT_EQ(due({QStringLiteral("--xlsx"), csvFile}).exitCode, 1);
    EXPECT_TRUE(test::fileBytes(csvFile).startsWith("Company,Location,Tank"));

    for (const QStringList& bad :
         {QStringList{QStringLiteral("--within"), QStringLiteral("soon")},
          QStringList{QStringLiteral("--within"), QStringLiteral("-1")},
          QStringList{QStringLiteral("--csv"), csvFile, QStringLiteral("--xlsx"), book},
          QStringList{QStringLiteral("--force")}, QStringList{QStringLiteral("extra")}})
        EXPECT_EQ(due(bad).exitCode, 2) << bad.join(u' ').toStdString();
    EXPECT_EQ(
        runTool({QStringLiteral("due"), db.folder() + QStringLiteral("/absent.mdb")}, {}).exitCode,
        1);
}

// A gauge's file stored as readings of an inspection: with one slip in it nothing is stored and
// every row that stops it is listed; the slip corrected, every row is stored with its history,
// amber flags kept, the unit of rows that name none given by --unit.
TEST(KorvaneDb, ImportReadingsStoresAFileOnlyWhenEveryRowPassesItsChecks) {
    test::TempDir dir;
    test::TestDatabase db;
    const qint32 tank = db.add(QStringLiteral("Tank"),
                               {{"Courses", 2}, {"Course1_Min", 0.30}, {"Course2_Min", 0.25}});
    const qint32 earlier = db.add(QStringLiteral("Inspection"), {{"TankID", tank}});
    for (const char* point : {"C1-N1", "C2-N1"})
        db.add(QStringLiteral("Thickness"), {{"InspectionID", earlier},
                                             {"PointID", point},
                                             {"Course", point[1] == '1' ? 2 : 3},
                                             {"Reading", 0.400},
                                             {"DateTaken", "01/Mar/2021"}});
    const qint32 inspection =
        db.add(QStringLiteral("Inspection"),
               {{"TankID", tank}, {"InspectionDate", "01/Mar/2024"}, {"InspectedBy", "J. Ames"}});
    const auto write = [&](const char* name, const char* text) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString slips = write("slips.csv", "Point;Thickness\nC1-N1;10,13\nC2-NI;10,10\n"
                                             "C2-N1;3,9\nC1-S1;10\n");
    const qint64 before = db.count(QStringLiteral("Thickness"));
    const ToolRun refused =
        runTool({QStringLiteral("import-readings"), db.path(), QString::number(inspection), slips,
                 QStringLiteral("--unit"), QStringLiteral("mm")},
                db.folder());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              slips + QStringLiteral(" line 3 (C2-NI): red: new point; the tank has C2-N1\n") +
                  slips +
                  QStringLiteral(" line 4 (C2-N1): red: thinner than 2021 (0.400 -> 0.154): "
                                 "62% lost, a likely slip\n") +
                  slips +
                  QStringLiteral(" line 5 (C1-S1): cannot be stored: no course, and the point "
                                 "has no earlier reading to take one from\n"
                                 "korvane-db: 3 of 4 rows cannot be stored or failed a check; "
                                 "nothing was stored.\n"));
    EXPECT_EQ(db.count(QStringLiteral("Thickness")), before);

    const QString fixed = write("fixed.csv", "Point;Thickness\nC1-N1;10,13\nC2-N1;10,10\n");
    const ToolRun stored =
        runTool({QStringLiteral("import-readings"), db.path(), QString::number(inspection), fixed,
                 QStringLiteral("--unit"), QStringLiteral("mm")},
                db.folder());
    ASSERT_EQ(stored.exitCode, 0) << stored.err.toStdString();
    EXPECT_EQ(stored.out, QStringLiteral("Stored 2 readings in inspection %1 (0 flagged in "
                                         "amber).\n")
                              .arg(inspection));
    EXPECT_EQ(db.count(QStringLiteral("Thickness")), before + 2);
    auto rs = db.open().openRecordset(Select::from(QStringLiteral("Thickness"))
                                          .where(QStringLiteral("InspectionID"), inspection)
                                          .orderBy(QStringLiteral("PointID")));
    ASSERT_TRUE(rs.ok());
    ASSERT_EQ(rs->recordCount(), 2);
    rs->moveFirst();
    EXPECT_EQ(rs->value(QStringLiteral("PointID")), QStringLiteral("C1-N1"));
    EXPECT_NEAR(rs->value(QStringLiteral("Reading")).toDouble(), 10.13 / 25.399986, 1e-12);
    EXPECT_EQ(rs->value(QStringLiteral("Course")).toInt(), 2); // from the point's last reading
    EXPECT_EQ(rs->value(QStringLiteral("DateTaken")), QStringLiteral("01/Mar/2024"));
    EXPECT_EQ(rs->value(QStringLiteral("TakenBy")), QStringLiteral("J. Ames"));
    auto history = db.open().firstValue(
        QStringLiteral("SELECT COUNT(*) FROM History WHERE TableName = 'Thickness' AND Action = "
                       "'added' AND InspectionID = ?"),
        {inspection});
    ASSERT_TRUE(history.ok());
    EXPECT_EQ(history->toInt(), 2);
}

// The history of a tank in the units of the database's Preferences (metric here), newest first;
// a tank deleted since keeps its history, which ends with the deletion.
TEST(KorvaneDb, HistoryPrintsTheChangesOfATankAsCsvOrSaysWhyNot) {
    test::TestDatabase db;
    const qint32 tank = db.add(QStringLiteral("Tank"),
                               {{"Name", "T-1"}, {"Product", "Crude, light"}, {"Diameter", 1446}});
    Database open = db.open();
    ASSERT_TRUE(open.exec(QStringLiteral("UPDATE Preferences SET USUnits = 0")));
    ASSERT_TRUE(
        open.updateRow(QStringLiteral("Tank"), tank, {QStringLiteral("Diameter")}, {1452.0}));
    const auto history = [&] {
        return runTool({QStringLiteral("history"), db.path(), QString::number(tank)}, db.folder());
    };
    const ToolRun run = history();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QStringList lines = run.out.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral(
                            "When,When (UTC),Who,Computer,Table,Record,Action,Field,Before,After"));
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral(",Tank,T-1,changed,Diameter,36.73 meters,36.88 meters")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",Tank,T-1,added,,,\"Tank ID: T-1; Product: "
                                                 "Crude, light; Diameter: 36.73 meters\"")))
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], QString());

    ASSERT_TRUE(open.deleteRow(QStringLiteral("Tank"), tank));
    const ToolRun deleted = history();
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err.toStdString();
    EXPECT_TRUE(deleted.out.section(QStringLiteral("\r\n"), 1, 1)
                    .contains(QLatin1String(",Tank,T-1,deleted,,\"Tank ID: T-1;")))
        << deleted.out.toStdString();

    const QString absent = db.folder() + QStringLiteral("/absent.mdb");
    for (const auto& [path, id, message] :
         {std::tuple{absent, tank, "was not found"}, {db.path(), tank + 100, "holds no tank"}}) {
        const ToolRun bad = runTool({QStringLiteral("history"), path, QString::number(id)}, {});
        EXPECT_EQ(bad.exitCode, 1) << message;
        EXPECT_TRUE(bad.out.isEmpty() && bad.err.contains(QLatin1String(message)))
            << bad.err.toStdString();
    }
}

// A stored report of the tanks of one location, and the ways a report run can fail: each says
// why, ends with status 1 and leaves no PDF behind.
TEST_F(DemoDatabase, ReportWritesTheChosenTanksToAPdfOrSaysWhyNot) {
    QStringList here, elsewhere;
    forEachRow(open(), Select::from(QStringLiteral("Tank")), [&](const Recordset& rs) {
        (rs.value(QStringLiteral("LocationID")).toInt() == 1 ? here : elsewhere)
            << rs.text(QStringLiteral("Name"));
    });
    ASSERT_FALSE(here.isEmpty());
    ASSERT_FALSE(elsewhere.isEmpty());
    test::TempDir out;
    const QString pdf = out.filePath(QStringLiteral("summary.pdf"));
    const QString reports = QStringLiteral(KORVANE_REPORT_FILES);
    const ToolRun run = runTool({QStringLiteral("report"), path_, QStringLiteral("tank_sum.rpt"),
                                 QStringLiteral("{Tank.LocationID} = 1"), pdf},
                                reports);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString text = test::pdfPages(pdf).join(u'\f');
    for (const QString& name : here)
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    for (const QString& name : elsewhere)
        EXPECT_FALSE(text.contains(name)) << name.toStdString();
    // The inspections of the location, with a pitted course, mark the reading below its minimum.
    const QString detail = out.filePath(QStringLiteral("detail.pdf"));
    ASSERT_EQ(runTool({QStringLiteral("report"), path_, QStringLiteral("insp_det.rpt"),
                       QStringLiteral("{Tank.LocationID} = 1"), detail},
                      reports)
                  .exitCode,
              0);
    EXPECT_TRUE(test::pdfPages(detail).join(u'\f').contains(QStringLiteral("BELOW")));
    QFile::remove(detail);

    const struct {
        QString database, report, formula, message;
    } failures[] = {
        {path_, QStringLiteral("tank_sum.rpt"), QStringLiteral("{Tank.TankID} = "),
         QStringLiteral("Expected a value")},
        {path_, QStringLiteral("tank_sum.rpt"), QStringLiteral("{Tank.Diametre} = 3"),
         QStringLiteral("Unknown field")},
        {path_, QStringLiteral("nothing.rpt"), QStringLiteral("{Tank.TankID} = 1"),
         QStringLiteral("nothing.rpt")},
        {out.filePath(QStringLiteral("missing.mdb")), QStringLiteral("tank_sum.rpt"),
         QStringLiteral("{Tank.TankID} = 1"), QStringLiteral("missing.mdb")},
    };
    for (const auto& f : failures) {
        const QString failed = out.filePath(QStringLiteral("failed.pdf"));
        const ToolRun bad =
            runTool({QStringLiteral("report"), f.database, f.report, f.formula, failed}, reports);
        EXPECT_EQ(bad.exitCode, 1) << f.formula.toStdString();
        EXPECT_TRUE(bad.err.contains(f.message)) << bad.err.toStdString();
        EXPECT_FALSE(QFile::exists(failed)) << f.formula.toStdString();
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("summary.pdf")});
}

// A report file named by its path, in a folder of the user's and under a name no stored report
// has, is run as the person at the command line chose it; a bare name is still only looked up
// where stored reports are, and a path to nothing, or to the PDF's own file, is refused.
TEST_F(DemoDatabase, ReportTakesAReportFileByItsPath) {
    test::TempDir mine;
    QDir(mine.path()).mkdir(QStringLiteral("reports"));
    const QString rpt = mine.filePath(QStringLiteral("reports/my_tanks.rpt"));
    {
        QFile file(rpt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Title: My Tanks\nData: tanks\n\n{{#companies}}{{#locations}}{{#tanks}}"
                   "<p>Mine: {{name}}</p>{{/tanks}}{{/locations}}{{/companies}}\n");
    }
    const QString formula = QStringLiteral("{Tank.LocationID} = 1");
    const QString pdf = mine.filePath(QStringLiteral("mine.pdf"));
    const struct {
        QString report, folder;
        int exitCode;
        QString message;
    } cases[] = {
        {rpt, QStringLiteral(KORVANE_REPORT_FILES), 0, QStringLiteral("Wrote")},
        {QStringLiteral("./my_tanks.rpt"), mine.filePath(QStringLiteral("reports")), 0,
         QStringLiteral("Wrote")},
        {QStringLiteral("reports/my_tanks.rpt"), mine.path(), 0, QStringLiteral("Wrote")},
        // By name, it is looked for where stored reports are, and is not there.
        {QStringLiteral("my_tanks.rpt"), QStringLiteral(KORVANE_REPORT_FILES), 1,
         QStringLiteral("\"my_tanks.rpt\" was not found")},
        {mine.filePath(QStringLiteral("reports/none.rpt")), mine.path(), 1,
         QStringLiteral("none.rpt was not found")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report.toStdString());
        QFile::remove(pdf);
        const ToolRun run =
            runTool({QStringLiteral("report"), path_, c.report, formula, pdf}, c.folder);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).contains(c.message)) << (run.out + run.err).toStdString();
        if (c.exitCode == 0) {
            const QString text = test::pdfPages(pdf).join(u'\f');
            EXPECT_TRUE(text.contains(QStringLiteral("My Tanks"))) << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("Mine: "))) << text.toStdString();
        } else {
            EXPECT_FALSE(QFile::exists(pdf));
        }
    }
    // The report file is never written over with the PDF.
    const ToolRun over =
        runTool({QStringLiteral("report"), path_, rpt, formula, rpt, QStringLiteral("--force")},
                mine.path());
    EXPECT_EQ(over.exitCode, 1);
    QFile kept(rpt);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().startsWith("Title: My Tanks"));
}

TEST_F(DemoDatabase, PreferencesKeepTheirDefaults) {
    test::TestDatabase fresh;
    EXPECT_EQ(contents(open()).filter(QRegularExpression(QStringLiteral("^Preferences:"))),
              contents(fresh.open()).filter(QRegularExpression(QStringLiteral("^Preferences:"))));
}

TEST_F(DemoDatabase, IsTheSameEveryTimeItIsMadeOnTheSameDay) {
    test::TempDir other;
    const QString path = other.filePath(QStringLiteral("again.mdb"));
    const ToolRun run = runTool({QStringLiteral("demo"), path}, other.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    auto again = Database::open(path);
    ASSERT_TRUE(again.ok());
    const QStringList first = contents(open());
    EXPECT_GT(first.size(), 500);
    EXPECT_EQ(contents(*again), first);
}

// A team moves its file to a server and back: every row and key comes through, new keys follow
// the copied ones, a database with Korvane tables is never copied over, and a copy that fails
// half way leaves nothing, not even the database it made.
TEST_F(DemoDatabase, CopiesToAServerAndBackWholeOrNotAtAll) {
    KORVANE_REQUIRE_SERVER();
    test::ServerDatabase server;
    ASSERT_TRUE(server.isValid());
    test::TempDir dir;
    const ToolRun there = runTool({QStringLiteral("copy"), path_, server.url()}, dir.path());
    ASSERT_EQ(there.exitCode, 0) << there.err.toStdString();
    EXPECT_TRUE(there.out.startsWith(QStringLiteral("Copied 15 tables,")))
        << there.out.toStdString();
    const QStringList demo = contents(open());
    auto onServer = Database::open(server.url());
    ASSERT_TRUE(onServer.ok()) << onServer.error().toStdString();
    EXPECT_EQ(contents(*onServer), demo);

    const QString back = dir.filePath(QStringLiteral("back.mdb"));
    const ToolRun home = runTool({QStringLiteral("copy"), server.url(), back}, dir.path());
    ASSERT_EQ(home.exitCode, 0) << home.err.toStdString();
    auto file = Database::open(back, Database::Check::Integrity);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(contents(*file), demo);

    // The next company on the server takes the key after the highest copied one.
    auto companies = onServer->openRecordset(Select::from(QStringLiteral("Company")));
    ASSERT_TRUE(companies.ok());
    int highest = 0;
    for (companies->moveFirst(); !companies->eof(); companies->moveNext())
        highest = std::max(highest, companies->value(QStringLiteral("CompanyID")).toInt());
    ASSERT_TRUE(companies->addNew().ok());
    EXPECT_EQ(companies->value(QStringLiteral("CompanyID")).toInt(), highest + 1);
    companies->cancelUpdate();

    const ToolRun again = runTool({QStringLiteral("copy"), back, server.url()}, dir.path());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds Korvane tables")))
        << again.err.toStdString();
    EXPECT_EQ(contents(*onServer), demo);

    // A course height too large for the server's column stops the copy at the Tank table; the
    // database the copy made for it is gone again.
    ASSERT_TRUE(file->exec(QStringLiteral("UPDATE \"Tank\" SET \"Course1_Height\" = 100000 "
                                          "WHERE rowid = (SELECT max(rowid) FROM \"Tank\")"))
                    .ok());
    file->close();
    const QString fresh = server.name() + QStringLiteral("_copy");
    QString url = server.url();
    url.replace(QLatin1Char('/') + server.name() + QLatin1Char('?'),
                QLatin1Char('/') + fresh + QLatin1Char('?'));
    const ToolRun failed = runTool({QStringLiteral("copy"), back, url}, dir.path());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("The rows of Tank could not be written")))
        << failed.err.toStdString();
    EXPECT_EQ(
        test::serverRows(
            test::serverUrl(),
            QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1'").arg(fresh)),
        QStringList{QStringLiteral("0")});
}

// The database is never a command's output, however the output is named, and --force does not
// change that; a file of another kind is replaced only with --force, an earlier output of the
// same kind without it.
TEST_F(DemoDatabase, NoCommandWritesOverTheDatabaseItReads) {
    test::TempDir dir;
    const QString db = dir.filePath(QStringLiteral("f1.mdb"));
    ASSERT_TRUE(QFile::copy(path_, db));
    ASSERT_TRUE(QFile::link(db, dir.filePath(QStringLiteral("link.mdb"))));
    ASSERT_EQ(::link(QFile::encodeName(db).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("hard.mdb"))).constData()),
              0);
    const QByteArray before = test::fileBytes(db);
    const QString report = QStringLiteral("tank_sum.rpt");
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(KORVANE_REPORT_FILES "/tank_sum.rpt"), dir.filePath(report)));
    const QString folder = QFileInfo(dir.path()).fileName();
    for (const QString& out : {db, QStringLiteral("f1.mdb"), QStringLiteral("./f1.mdb"),
                               QStringLiteral("../") + folder + QStringLiteral("/f1.mdb"),
                               QStringLiteral("link.mdb"), QStringLiteral("hard.mdb")}) {
        const QList<QStringList> commands = {
            {QStringLiteral("report"), QStringLiteral("f1.mdb"), report, QString(), out},
            {QStringLiteral("report"), QStringLiteral("f1.mdb"), report, QString(), out,
             QStringLiteral("--force")},
            {QStringLiteral("survey"), QStringLiteral("f1.mdb"), QStringLiteral("1"),
             QStringLiteral("-o"), out, QStringLiteral("--force")},
            {QStringLiteral("assess"), QStringLiteral("f1.mdb"), QStringLiteral("1"),
             QStringLiteral("--output"), out},
            {QStringLiteral("history"), QStringLiteral("f1.mdb"), QStringLiteral("1"),
             QStringLiteral("--force"), QStringLiteral("-o"), out},
            {QStringLiteral("copy"), QStringLiteral("f1.mdb"), out},
        };
        for (const QStringList& args : commands) {
            const ToolRun run = runTool(args, dir.path());
            const std::string said = args.join(u' ').toStdString() + ": " + run.err.toStdString();
            EXPECT_EQ(run.exitCode, 1) << said;
            EXPECT_TRUE(run.err.contains(QStringLiteral("is the same file as"))) << said;
            EXPECT_TRUE(run.out.isEmpty()) << said;
        }
    }
    EXPECT_EQ(test::fileBytes(db), before);

    // Files of other kinds: a note, another command's CSV, an earlier output of the same kind.
    QFile note(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("Call the tank farm on Monday.\n");
    note.close();
    const QByteArray noteBytes = test::fileBytes(note.fileName());
    const auto runIn = [&](QStringList args) {
        return runTool(args, dir.path());
    };
    const QStringList reportTo = {QStringLiteral("report"), QStringLiteral("f1.mdb"), report,
                                  QString()};
    const QStringList historyTo = {QStringLiteral("history"), QStringLiteral("f1.mdb"),
                                   QStringLiteral("1"), QStringLiteral("-o")};
    const QStringList assessTo = {QStringLiteral("assess"), QStringLiteral("f1.mdb"),
                                  QStringLiteral("1"), QStringLiteral("-o")};
    const struct {
        QStringList args;
        int exitCode;
        QString said;
    } cases[] = {
        {reportTo + QStringList{QStringLiteral("notes.txt")}, 1, QStringLiteral("--force")},
        {historyTo + QStringList{QStringLiteral("notes.txt")}, 1, QStringLiteral("--force")},
        {reportTo + QStringList{QStringLiteral("out.pdf")}, 0, QStringLiteral("Wrote out.pdf.")},
        {reportTo + QStringList{QStringLiteral("out.pdf")}, 0, QStringLiteral("Wrote out.pdf.")},
        {historyTo + QStringList{QStringLiteral("out.pdf")}, 1, QStringLiteral("--force")},
        {historyTo + QStringList{QStringLiteral("h.csv")}, 0, QStringLiteral("Wrote h.csv.")},
        {historyTo + QStringList{QStringLiteral("h.csv")}, 0, QStringLiteral("Wrote h.csv.")},
        {assessTo + QStringList{QStringLiteral("h.csv")}, 1, QStringLiteral("--force")},
        {QStringList{QStringLiteral("copy"), QStringLiteral("f1.mdb"), QStringLiteral("h.csv")}, 1,
         QStringLiteral("already exists")},
    };
    for (const auto& c : cases) {
        const ToolRun run = runIn(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
        EXPECT_TRUE((run.exitCode ? run.err : run.out).contains(c.said))
            << c.args.join(u' ').toStdString() << ": " << run.err.toStdString();
    }
    EXPECT_EQ(test::fileBytes(note.fileName()), noteBytes);
    EXPECT_TRUE(test::fileBytes(dir.filePath(QStringLiteral("out.pdf"))).startsWith("%PDF-"));
    EXPECT_TRUE(test::fileBytes(dir.filePath(QStringLiteral("h.csv"))).startsWith("When,"));
    ASSERT_EQ(runIn(reportTo + QStringList{QStringLiteral("notes.txt"), QStringLiteral("--force")})
                  .exitCode,
              0);
    EXPECT_TRUE(test::fileBytes(note.fileName()).startsWith("%PDF-"));
    EXPECT_EQ(test::fileBytes(db), before);
}

// Whether a server database holds any table.
bool holdsTables(const QString& url) {
    return test::serverRows(url, QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables WHERE "
                                                "schemaname = current_schema()")) !=
           QStringList{QStringLiteral("0")};
}

// The databases on the test server whose names start so.
QStringList serverDatabases(const QString& prefix) {
    return test::serverRows(test::serverUrl(),
                            QStringLiteral("SELECT datname FROM pg_database WHERE "
                                           "starts_with(datname, '%1') ORDER BY datname")
                                .arg(prefix));
}

// The URL of the test server's database of another name.
QString renamed(const test::ServerDatabase& server, const QString& name) {
    QString url = server.url();
    return url.replace(QLatin1Char('/') + server.name() + QLatin1Char('?'),
                       QLatin1Char('/') + name + QLatin1Char('?'));
}

// A demo or a copy stopped half way, as a kill or a power cut stops it, leaves no database under
// the new name, and the next run removes what it left and writes the whole database; a user's
// own file named like a leftover stays.
TEST_F(DemoDatabase, ADemoOrACopyStoppedHalfWayLeavesNoDatabaseAndARerunSucceeds) {
    const QStringList demo = contents(open());
    const struct {
        QString command, step;
    } stops[] = {
        {QStringLiteral("demo"), QStringLiteral("tables")},
        {QStringLiteral("demo"), QStringLiteral("tank 1")},
        {QStringLiteral("demo"), QStringLiteral("tank 6")},
        {QStringLiteral("demo"), QStringLiteral("written")},
        {QStringLiteral("copy"), QStringLiteral("tables")},
        {QStringLiteral("copy"), QStringLiteral("table History")},
        {QStringLiteral("copy"), QStringLiteral("table Tank")},
        {QStringLiteral("copy"), QStringLiteral("written")},
    };
    for (const auto& [command, step] : stops) {
        SCOPED_TRACE(qPrintable(command + QLatin1Char(' ') + step));
        test::TempDir dir;
        QFile own(dir.filePath(QStringLiteral("new.mdb.partial")));
        ASSERT_TRUE(own.open(QIODevice::WriteOnly));
        own.write("a user's own file");
        own.close();
        QStringList args{command};
        if (command == QLatin1String("copy"))
            args << path_;
        args << QStringLiteral("new.mdb");
        const ToolRun stopped = runTool(args, dir.path(), step);
        ASSERT_TRUE(stopped.killed) << stopped.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("new.mdb"))));

        const ToolRun again = runTool(args, dir.path());
        ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
        auto db =
            Database::open(dir.filePath(QStringLiteral("new.mdb")), Database::Check::Integrity);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        EXPECT_EQ(contents(*db), demo);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QStringLiteral("new.mdb"), QStringLiteral("new.mdb.partial")}));
        EXPECT_EQ(test::fileBytes(own.fileName()), QByteArray("a user's own file"));
        // The snapshot of the source the stopped copy took is gone too.
        EXPECT_TRUE(
            QDir::temp()
                .entryList({QStringLiteral("korvane-snapshot-%1-*").arg(stopped.pid)}, QDir::Dirs)
                .isEmpty());
    }
}

// On a server: an existing database is filled in one transaction, so a stopped copy leaves it
// without Korvane tables (or, stopped after it was kept, whole); a missing one is made under a
// name of its own, which a stopped copy leaves and the next copy removes.
TEST_F(DemoDatabase, ACopyToAServerStoppedHalfWayLeavesNoTablesAndARerunSucceeds) {
    KORVANE_REQUIRE_SERVER();
    const QStringList demo = contents(open());
    test::TempDir dir;
    for (const QString& step :
         {QStringLiteral("tables"), QStringLiteral("table Tank"), QStringLiteral("written")})
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(qPrintable(step + (existing ? " existing" : " missing")));
            test::ServerDatabase server;
            ASSERT_TRUE(server.isValid());
            const QString name = existing ? server.name() : server.name() + QStringLiteral("_new");
            const QString url = existing ? server.url() : renamed(server, name);
            const ToolRun stopped = runTool({QStringLiteral("copy"), path_, url}, dir.path(), step);
            ASSERT_TRUE(stopped.killed) << stopped.err.toStdString();
            const bool kept = existing && step == QLatin1String("written");
            if (existing)
                EXPECT_EQ(holdsTables(url), kept);
            else
                EXPECT_TRUE(serverDatabases(name).isEmpty());

            if (!kept) {
                const ToolRun again = runTool({QStringLiteral("copy"), path_, url}, dir.path());
                ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
            }
            auto db = Database::open(url);
            ASSERT_TRUE(db.ok()) << db.error().toStdString();
            EXPECT_EQ(contents(*db), demo);
            db->close();
            EXPECT_TRUE(serverDatabases(QStringLiteral("korvane_partial_")).filter(name).isEmpty());
            if (!existing)
                test::serverRows(
                    test::serverUrl(),
                    QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        }
}

// Killed at moments spread over a whole copy, to a file and to a server database, a copy leaves
// either nothing under the new name or the whole database, and after all of them the next copy
// succeeds. Each killed run removes what the one before left.
TEST_F(DemoDatabase, CopiesKilledAtAnyMomentLeaveNothingOrTheWholeDatabase) {
    const QStringList demo = contents(open());
    constexpr int Kills = 6;
    for (const bool toServer : {false, true}) {
        if (toServer && !test::serverAvailable())
            continue;
        SCOPED_TRACE(toServer ? "to a server" : "to a file");
        test::TempDir dir;
        std::unique_ptr<test::ServerDatabase> server;
        QString target;
        const auto freshTarget = [&] {
            if (toServer) {
                server = std::make_unique<test::ServerDatabase>();
                target = server->url();
            } else {
                target = dir.filePath(QStringLiteral("copy.mdb"));
                QFile::remove(target);
            }
        };
        const auto whole = [&]() -> std::optional<bool> {
            if (toServer ? !holdsTables(target) : !QFile::exists(target))
                return false;
            auto db = Database::open(target);
            if (!db)
                return std::nullopt;
            return contents(*db) == demo ? std::optional<bool>(true) : std::nullopt;
        };
        freshTarget();
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(runTool({QStringLiteral("copy"), path_, target}, dir.path()).exitCode, 0);
        const qint64 duration = timer.elapsed();
        freshTarget();
        for (int kill = 0; kill < Kills; ++kill) {
            QProcess copy;
            copy.setWorkingDirectory(dir.path());
            copy.start(QStringLiteral(KORVANE_DB_PATH), {QStringLiteral("copy"), path_, target});
            ASSERT_TRUE(copy.waitForStarted());
            QThread::msleep(static_cast<unsigned long>(duration * kill / Kills));
            copy.kill();
            copy.waitForFinished();
            const auto state = whole();
            ASSERT_TRUE(state.has_value()) << "a part of the copy stayed, killed at " << kill;
            if (*state)
                freshTarget();
        }
        const ToolRun last = runTool({QStringLiteral("copy"), path_, target}, dir.path());
        ASSERT_EQ(last.exitCode, 0) << last.err.toStdString();
        EXPECT_EQ(whole(), std::optional<bool>(true));
    }
}

} // namespace
} // namespace korvane
