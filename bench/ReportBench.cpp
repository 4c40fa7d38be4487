// "All Tanks - Detail" for a location of 1,000 tanks whose inspections hold 1,000,000 readings
// (about 2,000 pages):
// - building the report (the definition read, the selection parsed, the data tree read and the
//   template filled) against a hand-written formatter that reads the same rows straight through
//   SQLite and appends the same HTML to a string (and, for reference, against one that appends
//   it from the data tree the program reads);
// - the first page ready to show (the pages started, laid out until page 1 is complete and page 1
//   painted), the layout of every page, and the whole PDF (every page laid out and written), each
//   against the bare SQLite query of the location's tanks; their times are printed as well.

#include "BenchDatabase.h"
#include "RatioReporter.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"
#include "reports/ReportRenderer.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <array>
#include <sqlite3.h>
#include <unordered_map>

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

const reports::BuiltReport& builtReport() {
    static const reports::BuiltReport report = [] {
        auto built = reports::buildReport(allTanksDetail());
        if (!built)
            qFatal("%s", qPrintable(built.error()));
        return *built;
    }();
    return report;
}

void BM_BareSqliteLocationTanks(benchmark::State& state) {
    for (auto _ : state)
        if (bench::bareQuery(reportDatabase(), "SELECT * FROM Tank WHERE LocationID = ?",
                             LocationID) != ReportTankCount)
            state.SkipWithError("wrong row count");
}

// The HTML of tank_det.rpt written by hand, value by value, from the same data tree.
QString escaped(const QVariant& value) {
    return value.toString().toHtmlEscaped();
}

QString handFormatted(const QVariantMap& data) {
    QString html;
    const auto cell = [&](const char* label, const QVariantMap& map, const char* key) {
        html += QLatin1String("<td><b>");
        html += QLatin1String(label);
        html += QLatin1String(":</b> ");
        html += escaped(map.value(QLatin1String(key)));
        html += QLatin1String("</td>");
    };
    const QVariantMap units = data.value(QStringLiteral("units")).toMap();
    bool first = true;
    for (const QVariant& company : data.value(QStringLiteral("companies")).toList())
        for (const QVariant& location : company.toMap().value(QStringLiteral("locations")).toList())
            for (const QVariant& item : location.toMap().value(QStringLiteral("tanks")).toList()) {
                const QVariantMap tank = item.toMap();
                html += first ? QLatin1String("<h1>")
                              : QLatin1String("<h1 style=\"page-break-before: always\">");
                first = false;
                html += QLatin1String("Tank ") + escaped(tank.value(QStringLiteral("name"))) +
                        QLatin1String("</h1>\n<p><b>") +
                        escaped(tank.value(QStringLiteral("company"))) +
                        QLatin1String("</b> &mdash; ") +
                        escaped(tank.value(QStringLiteral("location"))) +
                        QLatin1String("</p>\n<h3>General Information</h3>\n<table border=\"1\" "
                                      "cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                                      "style=\"font-size:9pt\">\n");
                const char* general[][2][2] = {
                    {{"Tank ID", "name"}, {"Serial No.", "serial"}},
                    {{"Physical Location", "place"}, {"State No.", "stateNumber"}},
                    {{"Product", "product"}, {"Construction Code", "code"}},
                    {{"Manufacturer", "manufacturer"}, {"Date Hydro'd", "tested"}},
                    {{"Year Built", "year"}, {"Date Strapped", "strapped"}},
                    {{"Diameter", "diameter"}, {"Shell Construction", "shellConstruction"}},
                    {{"Shell Height", "height"}, {"Bottom", "bottomType"}},
                    {{"Design Level", "designLevel"}, {"Roof", "roofType"}},
                    {{"Capacity", "capacity"}, {"Joint Efficiency", "jointEfficiency"}},
                    {{"Yield Strength", "yield"}, {"Specific Gravity", "specificGravity"}},
                    {{"Tensile Strength", "tensile"}, {"Installed", "cpsInstalled"}},
                    {{"Installed", "vdeInstalled"}, {"Manufacturer", "cpsManufacturer"}},
                    {{"Manufacturer", "vdeManufacturer"}, {"Type", "cpsType"}}};
                for (const auto& row : general) {
                    html += QLatin1String("<tr>");
                    cell(row[0][0], tank, row[0][1]);
                    cell(row[1][0], tank, row[1][1]);
                    html += QLatin1String("</tr>\n");
                }
                html += QLatin1String("</table>\n<h3>Shell Courses</h3>\n<table border=\"1\" "
                                      "cellspacing=\"0\" cellpadding=\"3\" "
                                      "style=\"font-size:9pt\">\n<tr><th>Course</th><th>Height (") +
                        escaped(units.value(QStringLiteral("courseHeight"))) +
                        QLatin1String(")</th><th>Min. Wall (") +
                        escaped(units.value(QStringLiteral("thickness"))) +
                        QLatin1String(")</th></tr>\n");
                for (const QVariant& c : tank.value(QStringLiteral("courses")).toList()) {
                    const QVariantMap course = c.toMap();
                    html += QLatin1String("<tr><td align=\"center\">") +
                            escaped(course.value(QStringLiteral("number"))) +
                            QLatin1String("</td><td align=\"right\">") +
                            escaped(course.value(QStringLiteral("height"))) +
                            QLatin1String("</td><td align=\"right\">") +
                            escaped(course.value(QStringLiteral("minimum"))) +
                            QLatin1String("</td></tr>\n");
                }
                html +=
                    QLatin1String("</table>\n<h3>Inspection Schedule</h3>\n<table border=\"1\" "
                                  "cellspacing=\"0\" cellpadding=\"3\" style=\"font-size:9pt\">"
                                  "\n<tr><th align=\"left\">Inspection Type</th><th>Frequency"
                                  "</th><th>Last Inspection</th><th>Next Inspection</th></tr>\n");
                for (const QVariant& s : tank.value(QStringLiteral("schedule")).toList()) {
                    const QVariantMap entry = s.toMap();
                    html += QLatin1String("<tr><td>") +
                            escaped(entry.value(QStringLiteral("kind"))) +
                            QLatin1String("</td><td>") +
                            escaped(entry.value(QStringLiteral("frequency"))) +
                            QLatin1String("</td><td align=\"center\">") +
                            escaped(entry.value(QStringLiteral("last"))) +
                            QLatin1String("</td>\n<td align=\"center\">");
                    if (entry.value(QStringLiteral("due")).toBool())
                        html += QLatin1String("<span style=\"color:#c00\"><b>") +
                                escaped(entry.value(QStringLiteral("next"))) +
                                QLatin1String(" DUE</b></span>");
                    else
                        html += escaped(entry.value(QStringLiteral("next")));
                    html += QLatin1String("</td></tr>\n");
                }
                html += QLatin1String("</table>\n<h3>Maximum Fill Height</h3>\n");
                const QVariant fill = tank.value(QStringLiteral("maxFill"));
                if (fill.toMap().value(QStringLiteral("any")).toBool()) {
                    const QVariantMap maxFill = fill.toMap();
                    html += QLatin1String("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                          "width=\"100%\" style=\"font-size:9pt\">\n<tr>");
                    cell("Product", maxFill, "product");
                    cell("Course", maxFill, "course");
                    html += QLatin1String("</tr>\n<tr>");
                    cell("Specific Gravity", maxFill, "specificGravity");
                    cell("Critical Reading", maxFill, "criticalReading");
                    html += QLatin1String("</tr>\n<tr>");
                    cell("Corrosion Allowance", maxFill, "corrosionAllowance");
                    cell("NEW Design Level", maxFill, "designLevel");
                    html += QLatin1String("</tr>\n<tr>");
                    cell("Date", maxFill, "date");
                    html += QLatin1String("<td></td></tr>\n</table>\n");
                }
                html += QLatin1String("<h3>Custom Information</h3>\n<table border=\"1\" "
                                      "cellspacing=\"0\" cellpadding=\"3\" "
                                      "style=\"font-size:9pt\">\n");
                for (const QVariant& c : tank.value(QStringLiteral("custom")).toList()) {
                    const QVariantMap field = c.toMap();
                    html += QLatin1String("<tr><td><b>") +
                            escaped(field.value(QStringLiteral("label"))) +
                            QLatin1String("</b></td><td>") +
                            escaped(field.value(QStringLiteral("value"))) +
                            QLatin1String("</td></tr>\n");
                }
                html += QLatin1String("</table>\n<p><b>Comments:</b> ") +
                        escaped(tank.value(QStringLiteral("comments"))) + QLatin1String("</p>\n");
            }
    return html;
}

// The HTML of tank_det.rpt written by hand from the rows of the location's tanks, read straight
// through SQLite: each value appended as it is stored, each due date worked out from its last
// date and frequency. The baseline of building the report from its rows.
class TankRowsFormatter {
public:
    explicit TankRowsFormatter(sqlite3_stmt* stmt) : stmt_(stmt) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            columns_.emplace(sqlite3_column_name(stmt, c), c);
    }

    void append(QString& html, bool first, const std::array<QString, 20>& labels) {
        html += first ? QLatin1String("<h1>")
                      : QLatin1String("<h1 style=\"page-break-before: always\">");
        html += QLatin1String("Tank ") + text("Name") + QLatin1String("</h1>\n<p><b>") +
                text("CompanyName") + QLatin1String("</b> &mdash; ") + text("LocationName") +
                QLatin1String("</p>\n<h3>General Information</h3>\n<table border=\"1\" "
                              "cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                              "style=\"font-size:9pt\">\n");
        static const char* const general[][2][2] = {
            {{"Tank ID", "Name"}, {"Serial No.", "SerialNum"}},
            {{"Physical Location", "PhysLoc"}, {"State No.", "StateNum"}},
            {{"Product", "Product"}, {"Construction Code", "MfgCode"}},
            {{"Manufacturer", "Manufacturer"}, {"Date Hydro'd", "Tested"}},
            {{"Year Built", "MfgYear"}, {"Date Strapped", "Strapped"}},
            {{"Diameter (ft)", "Diameter"}, {"Shell Construction", "MfgType"}},
            {{"Shell Height (ft)", "Height"}, {"Bottom", "BottomType"}},
            {{"Design Level (ft)", "DesignLevel"}, {"Roof", "RoofType"}},
            {{"Capacity", "Capacity"}, {"Joint Efficiency", "JointEff"}},
            {{"Yield Strength", "Yield"}, {"Specific Gravity", "SpecGravity"}},
            {{"Tensile Strength", "Tensile"}, {"Installed", "CPSInstalled"}},
            {{"Installed", "VDEInstalled"}, {"Manufacturer", "CPSMfgBy"}},
            {{"Manufacturer", "VDEMfgBy"}, {"Type", "CPSType"}}};
        for (const auto& row : general) {
            html += QLatin1String("<tr>");
            for (const auto& cell : row)
                html += QLatin1String("<td><b>") + QLatin1String(cell[0]) +
                        QLatin1String(":</b> ") + text(cell[1]) + QLatin1String("</td>");
            html += QLatin1String("</tr>\n");
        }
        html += QLatin1String("</table>\n<h3>Shell Courses</h3>\n<table border=\"1\" "
                              "cellspacing=\"0\" cellpadding=\"3\" style=\"font-size:9pt\">\n"
                              "<tr><th>Course</th><th>Height (in)</th><th>Min. Wall (in)</th>"
                              "</tr>\n");
        const int courses = sqlite3_column_int(stmt_, column("Courses"));
        for (int course = 1; course <= courses && course <= 10; ++course) {
            const std::string prefix = "Course" + std::to_string(course);
            html += QLatin1String("<tr><td align=\"center\">") + QString::number(course) +
                    QLatin1String("</td><td align=\"right\">") + text(prefix + "_Height") +
                    QLatin1String("</td><td align=\"right\">") +
                    QString::number(sqlite3_column_double(stmt_, column(prefix + "_Min")), 'f', 3) +
                    QLatin1String("</td></tr>\n");
        }
        html += QLatin1String("</table>\n<h3>Inspection Schedule</h3>\n<table border=\"1\" "
                              "cellspacing=\"0\" cellpadding=\"3\" style=\"font-size:9pt\">"
                              "\n<tr><th align=\"left\">Inspection Type</th><th>Frequency"
                              "</th><th>Last Inspection</th><th>Next Inspection</th></tr>\n");
        static const char* const kinds[][3] = {{"External", "ExternalFreq", "ExternalLast"},
                                               {"UT", "UTFreq", "UTLast"},
                                               {"Internal", "InternalFreq", "InternalLast"},
                                               {"Primary Seal", "PriSealFreq", "PriSealLast"},
                                               {"Secondary Seal", "SecSealFreq", "SecSealLast"}};
        for (const auto& kind : kinds) {
            const double years = sqlite3_column_double(stmt_, column(kind[1]));
            const QDate last = QDate::fromString(text(kind[2]), Qt::ISODate);
            const QDate next = last.addMonths(static_cast<int>(std::lround(std::abs(years) * 12)));
            html += QLatin1String("<tr><td>") + QLatin1String(kind[0]) +
                    QLatin1String("</td><td>") + QString::number(years) +
                    QLatin1String("</td><td align=\"center\">") + last.toString(u"MM/dd/yyyy") +
                    QLatin1String("</td>\n<td align=\"center\">");
            if (next.year() <= 2024)
                html += QLatin1String("<span style=\"color:#c00\"><b>") +
                        next.toString(u"MM/dd/yyyy") + QLatin1String(" DUE</b></span>");
            else
                html += next.toString(u"MM/dd/yyyy");
            html += QLatin1String("</td></tr>\n");
        }
        html += QLatin1String("</table>\n<h3>Maximum Fill Height</h3>\n");
        if (sqlite3_column_type(stmt_, column("MFProduct")) != SQLITE_NULL) {
            html += QLatin1String("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                  "width=\"100%\" style=\"font-size:9pt\">\n");
            static const char* const fill[][2][2] = {
                {{"Product", "MFProduct"}, {"Course", "MFCourse"}},
                {{"Specific Gravity", "MFSGravity"}, {"Critical Reading", "MFCReading"}},
                {{"Corrosion Allowance", "MFCAllowance"}, {"NEW Design Level", "MFDesignLevel"}},
                {{"Date", "MFDate"}, {nullptr, nullptr}}};
            for (const auto& row : fill) {
                html += QLatin1String("<tr>");
                for (const auto& cell : row)
                    html += cell[0] ? QLatin1String("<td><b>") + QLatin1String(cell[0]) +
                                          QLatin1String(":</b> ") + text(cell[1]) +
                                          QLatin1String("</td>")
                                    : QStringLiteral("<td></td>");
                html += QLatin1String("</tr>\n");
            }
            html += QLatin1String("</table>\n");
        }
        html += QLatin1String("<h3>Custom Information</h3>\n<table border=\"1\" "
                              "cellspacing=\"0\" cellpadding=\"3\" style=\"font-size:9pt\">\n");
        for (std::size_t field = 0; field < labels.size(); ++field)
            html += QLatin1String("<tr><td><b>") + labels[field] + QLatin1String("</b></td><td>") +
                    text("Custom" + std::to_string(field + 1)) + QLatin1String("</td></tr>\n");
        html += QLatin1String("</table>\n<p><b>Comments:</b> ") + text("Comments") +
                QLatin1String("</p>\n");
    }

private:
    int column(const std::string& name) const { return columns_.at(name); }
    QString text(const std::string& name) const {
        const int c = column(name);
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c)),
                                 sqlite3_column_bytes(stmt_, c))
            .toHtmlEscaped();
    }

    sqlite3_stmt* stmt_;
    std::unordered_map<std::string, int> columns_;
};

QString rowsFormatted(const QString& database) {
    sqlite3* db = nullptr;
    QString html;
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        std::array<QString, 20> labels;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT * FROM Preferences LIMIT 1", -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            for (int field = 0; field < 20; ++field)
                labels[static_cast<std::size_t>(field)] =
                    QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, field)))
                        .toHtmlEscaped();
        sqlite3_finalize(stmt);
        if (sqlite3_prepare_v2(db,
                               "SELECT Tank.*, Company.Company AS CompanyName, "
                               "Location.Location AS LocationName FROM Tank "
                               "JOIN Location ON Location.LocationID = Tank.LocationID "
                               "JOIN Company ON Company.CompanyID = Location.CompanyID "
                               "WHERE Tank.LocationID = ? ORDER BY Tank.Name",
                               -1, &stmt, nullptr) == SQLITE_OK) {
            sqlite3_bind_int(stmt, 1, LocationID);
            TankRowsFormatter formatter(stmt);
            for (bool first = true; sqlite3_step(stmt) == SQLITE_ROW; first = false)
                formatter.append(html, first, labels);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return html;
}

void BM_RowsFormattedAllTanksDetail(benchmark::State& state) {
    for (auto _ : state) {
        const QString html = rowsFormatted(reportDatabase());
        if (html.count(QLatin1String("<h1")) != ReportTankCount) {
            state.SkipWithError("wrong tank count");
            break;
        }
        benchmark::DoNotOptimize(html.size());
    }
}

// The data tree of tank_det.rpt for the location, as the report reads it.
Result<QVariantMap> tankData() {
    static const auto selection =
        reports::parseSelection(QStringLiteral("{Tank.LocationID} = %1").arg(LocationID));
    reports::DataOptions options;
    options.today = QDate(2024, 6, 15);
    return reports::buildReportData(reportDatabase(), reports::DataKind::Tanks, *selection,
                                    options);
}

void BM_HandFormattedAllTanksDetail(benchmark::State& state) {
    for (auto _ : state) {
        auto data = tankData();
        if (!data) {
            state.SkipWithError(qPrintable(data.error()));
            break;
        }
        benchmark::DoNotOptimize(handFormatted(*data).size());
    }
}

// The parts of building, each alone: the data tree read from the database, and the template
// filled from a tree read beforehand (with the text made ready for layout).
void BM_DataTreeAllTanksDetail(benchmark::State& state) {
    for (auto _ : state) {
        auto data = tankData();
        if (!data) {
            state.SkipWithError(qPrintable(data.error()));
            break;
        }
        benchmark::DoNotOptimize(data->size());
    }
}

void BM_FillAllTanksDetail(benchmark::State& state) {
    const auto data = tankData();
    const auto definition = reports::loadReportDefinition(QStringLiteral("tank_det.rpt"));
    if (!data || !definition) {
        state.SkipWithError("the report could not be read");
        return;
    }
    for (auto _ : state) {
        auto html = reports::renderTemplate(definition->templateText, *data, {});
        auto prepared = html ? reports::prepareForLayout(*html) : Result<QString>(html.error());
        if (!prepared) {
            state.SkipWithError(qPrintable(prepared.error()));
            break;
        }
        benchmark::DoNotOptimize(prepared->size());
    }
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

// What the preview does before it shows anything: the pages started, parts laid out until the
// first page is complete, and that page painted (on an image of the screen's size).
void BM_FirstPageAllTanksDetail(benchmark::State& state) {
    const reports::BuiltReport& report = builtReport();
    QImage screen(800, 1131, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const auto pages = reports::reportPages(report);
        while (pages->pagesReady() < 1 && !pages->finished())
            pages->layOutMore(std::chrono::milliseconds(0));
        QPainter painter(&screen);
        painter.scale(screen.width() / pages->pageSize().width(),
                      screen.width() / pages->pageSize().width());
        pages->paintPage(painter, 0, pages->pageCount());
    }
}

// The layout alone, every page placed, nothing painted: the part of the whole PDF's time that is
// the text documents' layout.
void BM_LayOutAllTanksDetail(benchmark::State& state) {
    const reports::BuiltReport& report = builtReport();
    int pages = 0, blockParts = 0;
    for (auto _ : state) {
        const auto laidOut = reports::reportPages(report);
        auto count = laidOut->layOutAll();
        if (!count) {
            state.SkipWithError(qPrintable(count.error()));
            break;
        }
        pages = *count;
        blockParts = laidOut->blockParts();
    }
    state.counters["pages"] = pages;
    state.counters["block parts"] = blockParts;
}

void BM_PdfAllTanksDetail(benchmark::State& state) {
    const reports::BuiltReport& report = builtReport();
    int pages = 0;
    for (auto _ : state) {
        const auto laidOut = reports::reportPages(report);
        auto count = laidOut->layOutAll();
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        writer.setPageLayout(laidOut->pageLayout());
        writer.setResolution(laidOut->resolution());
        auto painted = reports::paintPages(*laidOut, writer);
        if (!count || !painted) {
            state.SkipWithError(qPrintable(count ? painted.error() : count.error()));
            break;
        }
        pages = *painted;
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_BareSqliteLocationTanks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsFormattedAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandFormattedAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataTreeAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageAllTanksDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutAllTanksDetail)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PdfAllTanksDetail)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir::setCurrent(QStringLiteral(KORVANE_REPORT_FILES)); // where the report files are
    reportDatabase();                                       // built once, outside the measured runs
    return korvane::bench::runWithRatios(
        argc, argv,
        {{"BM_BuildAllTanksDetail", "BM_RowsFormattedAllTanksDetail"},
         {"BM_BuildAllTanksDetail", "BM_HandFormattedAllTanksDetail"},
         {"BM_FirstPageAllTanksDetail", "BM_BareSqliteLocationTanks"},
         {"BM_LayOutAllTanksDetail/iterations:1", "BM_BareSqliteLocationTanks"},
         {"BM_PdfAllTanksDetail/iterations:1", "BM_BareSqliteLocationTanks"}});
}
