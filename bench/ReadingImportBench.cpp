// Importing a gauge's day of 10,000 thickness readings as the Import Readings window and
// korvane-db import-readings do: the CSV file read, its rows mapped and checked against the
// tank's 10,000 earlier readings, and stored in one transaction with their history. Against two
// baselines with the same rows in one transaction: the bare INSERTs, without checks or history;
// and the same rows stored with their history but neither read nor checked. Each run starts from
// a copy of the same database. Storing waits for the disk, so all are timed on the wall.

#include "RatioReporter.h"
#include "data/Database.h"
#include "data/Engine.h"
#include "readingfile/ReadingMapping.h"
#include "storage/ReadingImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

namespace {

using namespace korvane;

constexpr int ReadingCount = 10000;
constexpr int TankID = 1;
constexpr int EarlierInspection = 1;
constexpr int NewInspection = 2;

void fail(const QString& message) {
    std::cerr << "bench database: " << message.toStdString() << '\n';
    std::exit(1);
}

QString pointId(int i) {
    return QStringLiteral("C%1-%2").arg(i % 3 + 1).arg(i, 5, 10, QLatin1Char('0'));
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A tank of three courses whose 10,000 points were read on 01/Mar/2021, and a new inspection.
const QString& templateDatabase() {
    static const QString path = [] {
        const QString file = folder().filePath(QStringLiteral("template.mdb"));
        if (auto created = Database::create(file); !created)
            fail(created.error());
        auto db = Database::open(file);
        if (!db)
            fail(db.error());
        const Status filled = db->transaction([&]() -> Status {
            const auto run = [&](const char* sql, const QVariantList& values = {}) -> Status {
                if (auto q = db->exec(QString::fromLatin1(sql), values); !q)
                    return q.takeError();
                return {};
            };
            Status s = run("INSERT INTO Company (CompanyID, Company) VALUES (1, 'Bench')");
            if (s)
                s = run("INSERT INTO Location (LocationID, CompanyID, Location) VALUES (1, 1, "
                        "'Farm')");
            if (s)
                s = run("INSERT INTO Tank (TankID, LocationID, Name, Courses, Course1_Min, "
                        "Course2_Min, Course3_Min) VALUES (?, 1, 'T-1', 3, 0.3, 0.28, 0.25)",
                        {TankID});
            for (int id : {EarlierInspection, NewInspection})
                if (s)
                    s = run("INSERT INTO Inspection (InspectionID, TankID, InspectionNum) VALUES "
                            "(?, ?, 'I')",
                            {id, TankID});
            for (int i = 0; s && i < ReadingCount; ++i)
                s = run("INSERT INTO Thickness (InspectionID, PointID, Course, Reading, "
                        "DateTaken, TakenBy) VALUES (?, ?, ?, 0.4, '2021-03-01', 'R. Diaz')",
                        {EarlierInspection, pointId(i), i % 3 + 2});
            return s;
        });
        if (!filled)
            fail(filled.error());
        return file;
    }();
    return path;
}

// The gauge's file: every point 0.005 in thinner three years on.
const QString& gaugeFile() {
    static const QString path = [] {
        QByteArray csv = "Point,Thickness,Unit,Course,Date,By\n";
        for (int i = 0; i < ReadingCount; ++i)
            csv += QStringLiteral("%1,0.395,in,C%2,05/03/2024,A. Smith\n")
                       .arg(pointId(i))
                       .arg(i % 3 + 1)
                       .toUtf8();
        const QString file = folder().filePath(QStringLiteral("gauge.csv"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(csv) != csv.size())
            fail(QStringLiteral("the gauge file could not be written"));
        return file;
    }();
    return path;
}

// A fresh copy of the template for one run, made while the clock is stopped.
QString freshCopy(benchmark::State& state) {
    state.PauseTiming();
    static int run = 0;
    const QString file = folder().filePath(QStringLiteral("run%1.mdb").arg(++run));
    if (!QFile::copy(templateDatabase(), file))
        fail(QStringLiteral("the database could not be copied"));
    state.ResumeTiming();
    return file;
}

void BM_BareInserts(benchmark::State& state) {
    for (auto _ : state) {
        const QString file = freshCopy(state);
        auto db = Database::open(file);
        if (!db)
            fail(db.error());
        const QString sql = QStringLiteral(
            "INSERT INTO \"Thickness\" (\"InspectionID\", \"PointID\", \"Course\", \"Reading\", "
            "\"DateTaken\", \"TakenBy\", \"Checks\") VALUES (?, ?, ?, ?, ?, ?, ?)");
        const Status stored = db->transaction([&]() -> Status {
            for (int i = 0; i < ReadingCount; ++i)
                if (auto q = db->engine()->execute(sql, {NewInspection, pointId(i), i % 3 + 2,
                                                         0.395, QStringLiteral("2024-03-05"),
                                                         QStringLiteral("A. Smith"), QVariant()});
                    !q)
                    return q.takeError();
            return {};
        });
        if (!stored)
            state.SkipWithError(stored.error().toStdString().c_str());
    }
}

// The rows as the import stores them, built once.
const std::vector<QVariantList>& storedRows() {
    static const std::vector<QVariantList> rows = [] {
        std::vector<QVariantList> all;
        for (int i = 0; i < ReadingCount; ++i)
            all.push_back({NewInspection, pointId(i), i % 3 + 2, 0.395,
                           QStringLiteral("2024-03-05"), QStringLiteral("A. Smith"), QVariant()});
        return all;
    }();
    return rows;
}

void BM_StoreWithHistory(benchmark::State& state) {
    for (auto _ : state) {
        const QString file = freshCopy(state);
        auto db = Database::open(file);
        if (!db)
            fail(db.error());
        auto stored = db->insertRows(QStringLiteral("Thickness"),
                                     {QStringLiteral("InspectionID"), QStringLiteral("PointID"),
                                      QStringLiteral("Course"), QStringLiteral("Reading"),
                                      QStringLiteral("DateTaken"), QStringLiteral("TakenBy"),
                                      QStringLiteral("Checks")},
                                     storedRows());
        if (!stored)
            state.SkipWithError(stored.error().toStdString().c_str());
    }
}

void BM_ImportReadings(benchmark::State& state) {
    for (auto _ : state) {
        const QString file = freshCopy(state);
        auto table = readingfile::readTableFile(gaugeFile());
        if (!table)
            fail(table.error());
        const readingfile::Mapping mapping = readingfile::guessMapping(*table);
        auto facts = readingimport::readTankFacts(file, TankID);
        if (!facts)
            fail(facts.error());
        const readingfile::SessionDefaults defaults{QDate(2024, 3, 5), QStringLiteral("A. Smith"),
                                                    facts->courses, QDate(2024, 6, 15)};
        std::vector<readingcheck::Entry> entries = readingfile::mapRows(*table, mapping, defaults);
        readingcheck::checkEntries(entries, *facts, true);
        std::vector<const readingcheck::Entry*> rows;
        for (const readingcheck::Entry& e : entries) {
            if (!e.error.isEmpty() || !e.flags.empty())
                fail(QStringLiteral("line %1 was flagged").arg(e.line));
            rows.push_back(&e);
        }
        if (rows.size() != ReadingCount)
            fail(QStringLiteral("%1 rows read").arg(rows.size()));
        if (const Status stored = readingimport::storeEntries(file, NewInspection, rows); !stored)
            state.SkipWithError(stored.error().toStdString().c_str());
    }
}

BENCHMARK(BM_BareInserts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_StoreWithHistory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ImportReadings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    templateDatabase(); // built once, outside the measured runs
    gaugeFile();
    return bench::runWithRatios(
        argc, argv,
        {{"BM_ImportReadings/iterations:5/real_time", "BM_BareInserts/iterations:5/real_time"},
         {"BM_StoreWithHistory/iterations:5/real_time", "BM_BareInserts/iterations:5/real_time"},
         {"BM_ImportReadings/iterations:5/real_time",
          "BM_StoreWithHistory/iterations:5/real_time"}});
}
