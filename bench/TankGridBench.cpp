// Filling the tank grid of the Tank Information window for a location of 10,000 tanks, with the
// due marking of every tank: the real window, its location double-clicked, against the bare
// SQLite query of the same rows. Two baselines: the query of every column of those rows, and
// the query of the fields the grid shows and marks by (key, name, place, serial number and the
// five frequencies and last dates), which is what the window reads.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "tank/TankInformationWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;
using bench::benchDatabase;
using bench::TankCount;

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
    Session session;
    session.DatabaseName = benchDatabase();
    WidgetPrompts prompts;
    StandaloneServices standalone(prompts);
    Services& services = standalone.services;
    TankInformationWindow window(session, services);
    window.show();
    auto* companies = window.findChild<QListWidget*>(QStringLiteral("List_Company"));
    auto* locations = window.findChild<QListWidget*>(QStringLiteral("List_Location"));
    auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid_Tanks"));
    companies->setCurrentRow(0);
    QMetaObject::invokeMethod(&window, "List_Company_DblClick");
    locations->setCurrentRow(0);
    for (auto _ : state) {
        QMetaObject::invokeMethod(&window, "List_Location_DblClick");
        if (grid->model()->rowCount() != TankCount + 1)
            state.SkipWithError("wrong row count");
    }
    // The grid is shown once after the last fill, as the user sees it.
    QApplication::processEvents();
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
    return korvane::bench::runWithRatios(argc, argv,
                                         {{"BM_TankGridFill", "BM_BareSqliteAllColumns"},
                                          {"BM_TankGridFill", "BM_BareSqliteGridColumns"}});
}
