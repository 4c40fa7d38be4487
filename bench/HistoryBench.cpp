// Saving a tank row as the Tank Information window does (every field written back, two of them
// changed) with its history, against the same UPDATE in a transaction of its own without the
// history, in the same process. The history reads the row as it was, compares each field and
// writes one History row per changed field. The database is the benchmark location of 10,000
// fully described tanks. With a PostgreSQL server named in KORVANE_TEST_SERVER, the same on a
// server database. Saving waits for the disk, so every pair is timed by the clock on the wall.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "data/Database.h"
#include "data/Engine.h"
#include "data/Layout.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

namespace {

using namespace korvane;

// One tank of the benchmark location: its rowid and every field with its stored value.
struct SavedTank {
    Database db;
    qint64 rowid = 0;
    QStringList fields;
    QVariantList values;
    int diameter = 0;
    int product = 0;
};

SavedTank openTank(const QString& database) {
    SavedTank tank;
    auto db = Database::open(database);
    if (!db) {
        std::cerr << "bench database: " << db.error().toStdString() << '\n';
        std::exit(1);
    }
    tank.db = *db;
    auto row = tank.db.exec(QStringLiteral("SELECT rowid FROM \"Tank\" WHERE \"LocationID\" = ? "
                                           "ORDER BY \"TankID\" LIMIT 1"),
                            {bench::LocationID});
    if (!row || !row->next()) {
        std::cerr << "bench database: no tank\n";
        std::exit(1);
    }
    tank.rowid = row->value(0).toLongLong();
    QStringList columns;
    for (const auto& f : layout::table(QStringLiteral("Tank"))->fields)
        if (f.type != layout::FieldType::Counter) { // the key is never written
            tank.fields << f.name;
            columns << QLatin1Char('"') + f.name + QLatin1Char('"');
        }
    auto stored = tank.db.exec(QStringLiteral("SELECT %1 FROM \"Tank\" WHERE rowid = ?")
                                   .arg(columns.join(QLatin1String(", "))),
                               {tank.rowid});
    if (!stored || !stored->next())
        std::exit(1);
    for (int c = 0; c < columns.size(); ++c)
        tank.values << stored->value(c);
    return tank;
}

// The tank's values with two fields changed from the last save: the diameter and the product.
QVariantList nextValues(SavedTank& tank) {
    QVariantList values = tank.values;
    ++tank.diameter;
    ++tank.product;
    values[static_cast<int>(tank.fields.indexOf(QStringLiteral("Diameter")))] =
        1000 + tank.diameter % 500;
    values[static_cast<int>(tank.fields.indexOf(QStringLiteral("Product")))] =
        QStringLiteral("Product %1").arg(tank.product % 500);
    return values;
}

void saveWithoutHistory(benchmark::State& state, const QString& database) {
    SavedTank tank = openTank(database);
    for (auto _ : state) {
        // The statement is made for each save, as a save makes it for the fields it writes.
        QStringList sets;
        for (const QString& f : tank.fields)
            sets << QLatin1Char('"') + f + QLatin1String("\" = ?");
        const QString sql = QStringLiteral("UPDATE \"Tank\" SET %1 WHERE rowid = ?")
                                .arg(sets.join(QLatin1String(", ")));
        QVariantList values = nextValues(tank);
        values << tank.rowid;
        // The engine's call a save makes, so the two differ by the history alone.
        const Status saved = tank.db.transaction([&]() -> Status {
            auto q = tank.db.engine()->execute(sql, values);
            if (!q)
                return q.takeError();
            return {};
        });
        if (!saved)
            state.SkipWithError(saved.error().toStdString().c_str());
    }
}

void saveWithHistory(benchmark::State& state, const QString& database) {
    SavedTank tank = openTank(database);
    for (auto _ : state) {
        auto saved =
            tank.db.updateRow(QStringLiteral("Tank"), tank.rowid, tank.fields, nextValues(tank));
        if (!saved || !*saved)
            state.SkipWithError("the tank was not saved");
    }
}

void BM_TankSaveWithoutHistory(benchmark::State& state) {
    saveWithoutHistory(state, bench::benchDatabase());
}
void BM_TankSaveWithHistory(benchmark::State& state) {
    saveWithHistory(state, bench::benchDatabase());
}
void BM_ServerTankSaveWithoutHistory(benchmark::State& state) {
    saveWithoutHistory(state, bench::serverBenchDatabase());
}
void BM_ServerTankSaveWithHistory(benchmark::State& state) {
    saveWithHistory(state, bench::serverBenchDatabase());
}

// Saving waits for the disk, which CPU time does not see: every pair is timed on the wall.
BENCHMARK(BM_TankSaveWithoutHistory)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TankSaveWithHistory)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::benchDatabase(); // built once, outside the measured runs
    if (bench::withBenchServer()) {
        bench::serverBenchDatabase();
        benchmark::RegisterBenchmark("BM_ServerTankSaveWithoutHistory",
                                     BM_ServerTankSaveWithoutHistory)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("BM_ServerTankSaveWithHistory", BM_ServerTankSaveWithHistory)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    return bench::runWithRatios(
        argc, argv,
        {{"BM_TankSaveWithHistory/real_time", "BM_TankSaveWithoutHistory/real_time"},
         {"BM_ServerTankSaveWithHistory/real_time", "BM_ServerTankSaveWithoutHistory/real_time"}});
}
