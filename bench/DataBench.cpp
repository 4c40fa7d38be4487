// Reading every tank of one location holding 10,000 tanks: through the recordset layer (open
// the database, open the recordset, read every field of every row) against the bare SQLite
// query of the same rows reading every column, in the same process. With a PostgreSQL server
// named in KORVANE_TEST_SERVER, the same on a server database against the bare libpq query of
// the same rows; those are timed by the clock on the wall, since the server does its part of the
// work in a process of its own.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;

using bench::benchDatabase;
using bench::LocationID;
using bench::TankCount;

// Opens the database, opens the recordset of the location's tanks and reads every field.
void readRecordset(benchmark::State& state, const QString& database) {
    for (auto _ : state) {
        auto db = Database::open(database);
        if (!db) {
            state.SkipWithError("database cannot be opened");
            break;
        }
        auto rs = db->openRecordset(
            Select::from(QStringLiteral("Tank")).where(QStringLiteral("LocationID"), LocationID));
        if (!rs) {
            state.SkipWithError("recordset failed");
            break;
        }
        const QStringList fields = rs->fieldNames();
        long long rows = 0;
        qsizetype touched = 0;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            for (const QString& f : fields)
                touched += rs->value(f).isValid();
            ++rows;
        }
        benchmark::DoNotOptimize(touched);
        if (rows != TankCount)
            state.SkipWithError("wrong row count");
    }
}

void BM_BareSqliteQuery(benchmark::State& state) {
    benchDatabase();
    for (auto _ : state)
        if (bench::bareQuery("SELECT * FROM Tank WHERE LocationID = ?") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_RecordsetRead(benchmark::State& state) {
    readRecordset(state, benchDatabase());
}

void BM_BareLibpqQuery(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareServerQuery("SELECT * FROM \"Tank\" WHERE \"LocationID\" = $1") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_ServerRecordsetRead(benchmark::State& state) {
    readRecordset(state, bench::serverBenchDatabase());
}

BENCHMARK(BM_BareSqliteQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchDatabase(); // built once, outside the measured runs
    if (korvane::bench::withBenchServer()) {
        korvane::bench::serverBenchDatabase();
        benchmark::RegisterBenchmark("BM_BareLibpqQuery", BM_BareLibpqQuery)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("BM_ServerRecordsetRead", BM_ServerRecordsetRead)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return korvane::bench::runWithRatios(
        argc, argv,
        {{"BM_RecordsetRead", "BM_BareSqliteQuery"},
         {"BM_ServerRecordsetRead/real_time", "BM_BareLibpqQuery/real_time"}});
}
