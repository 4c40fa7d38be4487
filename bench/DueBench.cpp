// "Due and at Risk" for the whole fleet of a large organisation: 10,000 tanks whose inspections
// hold 1,000,000 thickness readings, a thousand of them with a shell settlement survey. The whole
// list (every tank's due dates, its corrosion assessment and its last survey's analysis, worst
// first) against the bare SQLite queries of the same rows, each column of each row read, in the
// same run. The list also runs in real time, the time a user waits for it.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "due/DueRecords.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;

// The rows the list reads, as it reads them: the places, the tanks with their schedule,
// minimums and survey values, the inspections, the surveys and the readings with their tanks.
const char* const FleetQueries[] = {
    "SELECT CompanyID, Company FROM Company",
    "SELECT LocationID, CompanyID, Location FROM Location",
    "SELECT TankID, LocationID, Name, Product, ExternalFreq, ExternalLast, InternalFreq, "
    "InternalLast, PriSealFreq, PriSealLast, SecSealFreq, SecSealLast, UTFreq, UTLast, Courses, "
    "Course1_Min, Course2_Min, Course3_Min, Course4_Min, Course5_Min, Course6_Min, Course7_Min, "
    "Course8_Min, Course9_Min, Course10_Min, Diameter, Height, Yield FROM Tank",
    "SELECT InspectionID, TankID, InspectionDate FROM Inspection",
    "SELECT * FROM ShellSurvey",
    "SELECT Thickness.ThicknessID, Inspection.TankID, Thickness.PointID, Thickness.DateTaken, "
    "Thickness.Reading, Thickness.Course FROM Thickness INNER JOIN Inspection ON "
    "Thickness.InspectionID = Inspection.InspectionID ORDER BY Thickness.ThicknessID",
};

void BM_BareSqliteFleetRows(benchmark::State& state) {
    for (auto _ : state) {
        long long rows = 0;
        for (const char* sql : FleetQueries)
            rows += bench::bareQuery(bench::fleetDatabase(), sql, 0);
        if (rows < bench::FleetTankCount * bench::FleetInspectionsPerTank *
                       bench::FleetReadingsPerInspection)
            state.SkipWithError("too few rows");
    }
}

void BM_DueList(benchmark::State& state) {
    due::Options options;
    options.today = QDate(2024, 6, 15);
    for (auto _ : state) {
        auto rows = due::readDueList(bench::fleetDatabase(), options);
        if (!rows || rows->size() != static_cast<std::size_t>(bench::FleetTankCount))
            state.SkipWithError("the list was not read whole");
        benchmark::DoNotOptimize(rows);
    }
}

BENCHMARK(BM_BareSqliteFleetRows)->Unit(benchmark::kMillisecond);
// The list shares the assessment of the tanks out among the cores: its CPU time is that of
// every thread.
BENCHMARK(BM_DueList)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_DueList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareSqliteFleetRows)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::fleetDatabase(); // built once, outside the measured runs
    return bench::runWithRatios(argc, argv,
                                {{"BM_DueList/process_time", "BM_BareSqliteFleetRows"},
                                 {"BM_DueList/real_time", "BM_BareSqliteFleetRows/real_time"}});
}
