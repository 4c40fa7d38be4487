// Reading every tank of one location holding 10,000 tanks: through the recordset layer (open
// the database, open the recordset, read every field of every row) against the bare SQLite
// query of the same rows reading every column, in the same process.

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

void BM_BareSqliteQuery(benchmark::State& state) {
    benchDatabase();
    for (auto _ : state)
        if (bench::bareQuery("SELECT * FROM Tank WHERE LocationID = ?") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_RecordsetRead(benchmark::State& state) {
    const QString path = benchDatabase();
    for (auto _ : state) {
        auto db = Database::open(path);
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

BENCHMARK(BM_BareSqliteQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchDatabase(); // built once, outside the measured runs
    return korvane::bench::runWithRatios(argc, argv, {{"BM_RecordsetRead", "BM_BareSqliteQuery"}});
}
