// Filling "Readings for this tank" on the Thickness tab for a tank of 100 inspections of 1,000
// readings each (100,000 readings): the real tab, filled and shown, and the reading of the rows
// alone, against the bare SQLite query of the same rows in the same order.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "inspection/ThicknessPanel.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Session.h"
#include "storage/InspectionRecords.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;
using bench::InspectionCount;
using bench::readingsDatabase;
using bench::ReadingsPerInspection;
using bench::ReadingsTankID;

constexpr long long ReadingCount = static_cast<long long>(InspectionCount) * ReadingsPerInspection;

void BM_BareSqliteTankReadings(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareQuery(
                readingsDatabase(),
                "SELECT Thickness.ThicknessID, Thickness.PointID, Thickness.DateTaken, "
                "Thickness.Reading, Thickness.Course, Thickness.TakenBy FROM Inspection INNER JOIN "
                "Thickness ON "
                "Inspection.InspectionID = Thickness.InspectionID WHERE Inspection.TankID = ? "
                "ORDER BY Thickness.PointID, Thickness.DateTaken, Thickness.ThicknessID",
                ReadingsTankID) != ReadingCount)
            state.SkipWithError("wrong row count");
}

void BM_ReadTankReadings(benchmark::State& state) {
    for (auto _ : state) {
        auto rows = readTankReadings(readingsDatabase(), ReadingsTankID);
        if (!rows || static_cast<long long>(rows->size()) != ReadingCount)
            state.SkipWithError("wrong row count");
    }
}

void BM_TankReadingsGridFill(benchmark::State& state) {
    Session session;
    session.DatabaseName = readingsDatabase();
    session.CurTankID = ReadingsTankID;
    WidgetPrompts prompts;
    StandaloneServices standalone(prompts);
    Services& services = standalone.services;
    ThicknessPanel panel(session, services);
    panel.setDatabaseName(session.DatabaseName);
    panel.resize(900, 560);
    panel.show();
    if (!panel.FillMinWallGrid())
        state.SkipWithError("no tank");
    auto* grid = panel.findChild<QTableView*>(QStringLiteral("Grid_TankReadings"));
    for (auto _ : state) {
        if (!panel.FillTankReadings() || grid->model()->rowCount() != ReadingCount)
            state.SkipWithError("wrong row count");
        // Laid out and painted as the user sees it after each fill.
        QApplication::processEvents();
    }
}

BENCHMARK(BM_BareSqliteTankReadings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTankReadings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TankReadingsGridFill)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    readingsDatabase(); // built once, outside the measured runs
    return korvane::bench::runWithRatios(
        argc, argv,
        {{"BM_ReadTankReadings", "BM_BareSqliteTankReadings"},
         {"BM_TankReadingsGridFill", "BM_BareSqliteTankReadings"}});
}
