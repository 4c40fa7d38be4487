// "All Tanks - Detail" for a location of 1,000 tanks whose inspections hold 1,000,000 readings:
// building the report (the definition read, the selection parsed, the query, the data tree and
// the filled template) against the bare SQLite query of the same tank rows, and, beside it, the
// layout of the filled report (the HTML read into a text document, laid out on PDF pages).

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "reports/ReportEngine.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;
using bench::LocationID;
using bench::reportDatabase;
using bench::ReportTankCount;

reports::ReportRequest allTanksDetail() {
    reports::ReportRequest request;
    request.databaseName = reportDatabase();
    request.reportFile = QStringLiteral("tank_det.rpt");
    request.formula = QStringLiteral("{Tank.LocationID} = %1").arg(LocationID);
    request.today = QDate(2024, 6, 15);
    return request;
}

void BM_BareSqliteLocationTanks(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareQuery(reportDatabase(), "SELECT * FROM Tank WHERE LocationID = ?",
                             LocationID) != ReportTankCount)
            state.SkipWithError("wrong row count");
}

void BM_BuildAllTanksDetail(benchmark::State& state) {
    const reports::ReportRequest request = allTanksDetail();
    for (auto _ : state) {
        auto report = reports::buildReport(request);
        if (!report) {
            state.SkipWithError(qPrintable(report.error()));
            break;
        }
        benchmark::DoNotOptimize(report->html.size());
    }
}

void BM_LayOutAllTanksDetail(benchmark::State& state) {
    auto report = reports::buildReport(allTanksDetail());
    if (!report) {
        state.SkipWithError(qPrintable(report.error()));
        return;
    }
    int pages = 0;
    for (auto _ : state) {
        const auto document = reports::reportDocument(*report);
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        auto painted = reports::paintDocument(*document, writer, report->frame);
        if (!painted) {
            state.SkipWithError(qPrintable(painted.error()));
            break;
        }
        pages = *painted;
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_BareSqliteLocationTanks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutAllTanksDetail)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir::setCurrent(QStringLiteral(KORVANE_REPORT_FILES)); // where the report files are
    reportDatabase();                                       // built once, outside the measured runs
    return korvane::bench::runWithRatios(
        argc, argv,
        {{"BM_BuildAllTanksDetail", "BM_BareSqliteLocationTanks"},
         {"BM_LayOutAllTanksDetail", "BM_BareSqliteLocationTanks"}});
}
