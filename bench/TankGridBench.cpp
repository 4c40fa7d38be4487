// Filling the tank grid of the Tank Information window for a location of 10,000 tanks, with the
// due marking of every tank: the real window, its location double-clicked, against the bare
// SQLite query of the same rows. Two baselines: the query of every column of those rows, and
// the query of the fields the grid shows and marks by (key, name, place, serial number and the
// five frequencies and last dates), which is what the window reads. With a PostgreSQL server
// named in KORVANE_TEST_SERVER, the same on a server database against the same two queries
// through bare libpq; those are timed by the clock on the wall, since the server does its part of
// the work in a process of its own.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "platform/Prompts.h"
#include "platform/SelectionChain.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "tank/TankInformationWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <utility>

namespace {

using namespace korvane;
using bench::benchDatabase;
using bench::TankCount;

// Opens the window on a database, picks its company and location, and fills the grid by
// double-clicking the location as often as the benchmark asks.
void fillGrid(benchmark::State& state, const QString& database) {
    Session session;
    session.DatabaseName = database;
    WidgetPrompts prompts;
    StandaloneServices standalone(prompts);
    Services& services = standalone.services;
    TankInformationWindow window(session, services);
    window.show();
    // The company and location lists belong to the window's selection chain, whose slots
    // are what a double click on them calls.
    auto* chain = window.findChild<SelectionChain*>();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid_Tanks"));
    if (!chain || !grid) {
        state.SkipWithError("the window has no selection lists or no tank grid");
        return;
    }
    chain->companyList()->setCurrentRow(0);
    chain->List_Company_DblClick();
    chain->locationList()->setCurrentRow(0);
    for (auto _ : state) {
        chain->List_Location_DblClick();
        if (grid->model()->rowCount() != TankCount + 1)
            state.SkipWithError("wrong row count");
    }
    // The grid is shown once after the last fill, as the user sees it.
    QApplication::processEvents();
}

void BM_BareSqliteAllColumns(benchmark::State& state) {
    benchDatabase();
    for (auto _ : state)
        if (bench::bareQuery("SELECT * FROM Tank WHERE LocationID = ?") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_BareSqliteGridColumns(benchmark::State& state) {
    benchDatabase();
    for (auto _ : state)
        if (bench::bareQuery("SELECT rowid, TankID, Name, PhysLoc, SerialNum, ExternalFreq, "
                             "ExternalLast, InternalFreq, InternalLast, PriSealFreq, "
                             "PriSealLast, SecSealFreq, SecSealLast, UTFreq, UTLast FROM Tank "
                             "WHERE LocationID = ?") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_TankGridFill(benchmark::State& state) {
    fillGrid(state, benchDatabase());
}

void BM_BareLibpqAllColumns(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareServerQuery("SELECT * FROM \"Tank\" WHERE \"LocationID\" = $1") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_BareLibpqGridColumns(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareServerQuery(
                "SELECT rowid, \"TankID\", \"Name\", \"PhysLoc\", \"SerialNum\", "
                "\"ExternalFreq\", \"ExternalLast\", \"InternalFreq\", \"InternalLast\", "
                "\"PriSealFreq\", \"PriSealLast\", \"SecSealFreq\", \"SecSealLast\", \"UTFreq\", "
                "\"UTLast\" FROM \"Tank\" WHERE \"LocationID\" = $1") != TankCount)
            state.SkipWithError("wrong row count");
}

void BM_ServerTankGridFill(benchmark::State& state) {
    fillGrid(state, bench::serverBenchDatabase());
}

BENCHMARK(BM_BareSqliteAllColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSqliteGridColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TankGridFill)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchDatabase(); // built once, outside the measured runs
    if (korvane::bench::withBenchServer()) {
        korvane::bench::serverBenchDatabase();
        for (const auto& [name, run] :
             {std::pair{"BM_BareLibpqAllColumns", &BM_BareLibpqAllColumns},
              std::pair{"BM_BareLibpqGridColumns", &BM_BareLibpqGridColumns},
              std::pair{"BM_ServerTankGridFill", &BM_ServerTankGridFill}})
            benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    return korvane::bench::runWithRatios(
        argc, argv,
        {{"BM_TankGridFill", "BM_BareSqliteAllColumns"},
         {"BM_TankGridFill", "BM_BareSqliteGridColumns"},
         {"BM_ServerTankGridFill/real_time", "BM_BareLibpqAllColumns/real_time"},
         {"BM_ServerTankGridFill/real_time", "BM_BareLibpqGridColumns/real_time"}});
}
