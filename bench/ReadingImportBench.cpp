// Importing a gauge's day of 10,000 thickness readings as the Import Readings window and
// korvane-db import-readings do: the CSV file read, its rows mapped and checked against the
// tank's 10,000 earlier readings, and stored in one transaction with their history. Against two
// baselines with the same rows in one transaction: the bare INSERTs, without checks or history;
// and the same rows stored with their history but neither read nor checked. Each run starts from
// a copy of the same database. Storing waits for the disk, so all are timed on the wall.

#include "BenchDatabase.h"
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

using bench::ImportInspectionID;
using bench::importPointId;
using bench::ImportReadingCount;
using bench::ImportTankID;

[[noreturn]] void fail(const QString& message) {
    std::cerr << "bench: " << message.toStdString() << '\n';
    std::exit(1);
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// The gauge's file: every point 0.005 in thinner three years on.
const QString& gaugeFile() {
    static const QString path = [] {
        QByteArray csv = "Point,Thickness,Unit,Course,Date,By\n";
        for (int i = 0; i < ImportReadingCount; ++i)
            csv += QStringLiteral("%1,0.395,in,C%2,05/03/2024,A. Smith\n")
                       .arg(importPointId(i))
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
    if (!QFile::copy(bench::importDatabase(), file))
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
            for (int i = 0; i < ImportReadingCount; ++i)
                if (auto q =
                        db->engine()->execute(sql, {ImportInspectionID, importPointId(i), i % 3 + 2,
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
        for (int i = 0; i < ImportReadingCount; ++i)
            all.push_back({ImportInspectionID, importPointId(i), i % 3 + 2, 0.395,
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
        auto facts = readingimport::readTankFacts(file, ImportTankID);
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
        if (rows.size() != ImportReadingCount)
            fail(QStringLiteral("%1 rows read").arg(rows.size()));
        if (const Status stored = readingimport::storeEntries(file, ImportInspectionID, rows);
            !stored)
            state.SkipWithError(stored.error().toStdString().c_str());
    }
}

BENCHMARK(BM_BareInserts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_StoreWithHistory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ImportReadings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::importDatabase(); // built once, outside the measured runs
    gaugeFile();
    return bench::runWithRatios(
        argc, argv,
        {{"BM_ImportReadings/iterations:5/real_time", "BM_BareInserts/iterations:5/real_time"},
         {"BM_StoreWithHistory/iterations:5/real_time", "BM_BareInserts/iterations:5/real_time"},
         {"BM_ImportReadings/iterations:5/real_time",
          "BM_StoreWithHistory/iterations:5/real_time"}});
}
