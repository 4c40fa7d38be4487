#include "inspection/InspectionReports.h"

#include "common/NumberFormat.h"
#include "platform/PagePrinter.h"

#include <algorithm>

namespace korvane {

namespace {

// A report title at size 16, so many columns left of the middle of the page as the report
// gives. The size stays 16 for what follows until the caller changes it.
void printTitle(PagePrinter& page, const QString& title, int offset) {
    page.setFontSize(16);
    page.printLine(title,
                   std::max(0, page.pageWidthTwips() / 2 / PagePrinter::TwipsPerColumn - offset));
}

// The company, location and tank, one a line, each centred, at size 12.
void printNames(PagePrinter& page, const ReportHeading& heading) {
    page.setFontSize(12);
    for (const QString& name : {heading.company, heading.location, heading.tank})
        page.printLine(name, page.centredColumn(static_cast<int>(name.size())));
}

// The minimum thickness of every course in print zones, captions over values, "Min. Wall" in
// the first zone of the values line. A tank with more courses than one line of zones holds
// goes on in a further pair of lines.
void printMinimumWalls(PagePrinter& page, const QStringList& captions, const QStringList& texts) {
    const QString label = QStringLiteral("Min. Wall");
    const qsizetype perLine =
        std::max(1, page.zonesPerLine(QStringList{label} + captions + texts) - 1);
    const qsizetype count = std::max(captions.size(), texts.size());
    for (qsizetype first = 0; first < count; first += perLine) {
        if (first > 0)
            page.emptyLine();
        page.printZones(QStringList{QString()} + captions.mid(first, perLine));
        page.printZones(QStringList{label} + texts.mid(first, perLine));
    }
}

constexpr int CourseColumn = 12;
constexpr int DateColumn = 22;
constexpr int TakenByColumn = 34;
constexpr int ReadingColumn = 66;
constexpr int BelowColumn = 75;

} // namespace

Status printThicknessReport(QPrinter& printer, const ThicknessReport& report) {
    const QString title = QStringLiteral("Tank Thickness Readings");
    constexpr int titleOffset = 24;

    PagePrinter page(printer);
    page.setFontName(QStringLiteral("Arial"));
    printTitle(page, title, titleOffset);
    printNames(page, report.heading);
    page.setFontSize(10);
    page.emptyLine();
    printMinimumWalls(page, report.minWallCaptions, report.minWallTexts);
    page.emptyLine();
    page.emptyLine();

    const std::vector<std::pair<int, QString>> columnHeader = {
        {0, QStringLiteral("PointID")},
        {CourseColumn, QStringLiteral("Course")},
        {DateColumn, QStringLiteral("Date")},
        {TakenByColumn, QStringLiteral("Taken By")},
        {ReadingColumn,
         report.unitsUS ? QStringLiteral("Reading (in.)") : QStringLiteral("Reading (mm)")},
    };
    page.printLine(columnHeader);
    page.setContinuationHeading([&](PagePrinter& next) {
        printTitle(next, title, titleOffset);
        printNames(next, report.heading);
        next.setFontSize(10);
        next.emptyLine();
        next.printLine(columnHeader);
    });

    for (const TankReading& reading : report.readings) {
        std::vector<std::pair<int, QString>> pieces{
            {0, reading.pointId},
            {CourseColumn, thickness::courseText(reading.course)},
            {DateColumn, reading.dateTaken},
            {TakenByColumn, reading.takenBy},
            {ReadingColumn, formatThickness(reading.reading, report.unitsUS)}};
        if (thickness::belowMinimum(reading.reading, reading.course, report.minimums,
                                    report.unitsUS))
            pieces.emplace_back(BelowColumn, QStringLiteral("Below min."));
        page.printLine(pieces);
        page.advance(50);
    }
    return page.endDocument();
}

Status printSurveyReport(QPrinter& printer, const SurveyReport& report) {
    const QString title = QStringLiteral("Shell Settlement Survey Readings");
    constexpr int titleOffset = 28;
    constexpr int valueColumn = 15;
    static constexpr std::array<int, 6> rowColumns = {2, 20, 35, 50, 65, 80};

    PagePrinter page(printer);
    page.setFontName(QStringLiteral("Arial"));
    printTitle(page, title, titleOffset);
    printNames(page, report.heading);
    page.printLine({{0, QStringLiteral("Date")}, {valueColumn, report.date}});
    page.printLine({{0, QStringLiteral("Survey No.")}, {valueColumn, report.number}});
    page.printLine({{0, QStringLiteral("Inspector")}, {valueColumn, report.inspector}});
    page.printLine(
        {{0, QStringLiteral("Survey Points")}, {valueColumn, QString::number(report.points)}});
    page.emptyLine();

    const auto printColumnHeader = [&report](PagePrinter& p) {
        p.printZones({QStringLiteral("Survey"), QStringLiteral(" Location"),
                      QStringLiteral("    Actual"), QStringLiteral("Out-of-Plane"),
                      QStringLiteral("Out-of-Plane"), QStringLiteral("Allowable")});
        p.printZones({QStringLiteral("Point"), QStringLiteral("(Degrees)"),
                      QStringLiteral("Settlement"), QStringLiteral(" Settlement"),
                      QStringLiteral("  Deflection"), QStringLiteral("Deflection")});
        // The lengths' unit under their titles.
        if (!report.unit.isEmpty()) {
            const QString unit = QStringLiteral("(%1)").arg(report.unit);
            p.printZones({QString(), QString(), QStringLiteral("    ") + unit,
                          QStringLiteral("    ") + unit, QStringLiteral("    ") + unit, QString()});
        }
    };
    printColumnHeader(page);
    page.setContinuationHeading([&](PagePrinter& next) {
        printTitle(next, title, titleOffset);
        printNames(next, report.heading);
        next.printLine({{0, QStringLiteral("Survey No.")}, {valueColumn, report.number}});
        next.emptyLine();
        printColumnHeader(next);
    });

    for (const std::array<QString, 6>& row : report.rows) {
        std::vector<std::pair<int, QString>> pieces;
        for (size_t i = 0; i < row.size(); ++i)
            pieces.emplace_back(rowColumns[i], row[i]);
        page.printLine(pieces);
    }
    if (!report.allowanceText.isEmpty() || !report.fitText.isEmpty() || report.changed)
        page.emptyLine();
    if (!report.allowanceText.isEmpty())
        page.printLine(report.allowanceText);
    if (!report.fitText.isEmpty())
        page.printLine(report.fitText);
    if (report.changed)
        page.printLine(
            QStringLiteral("Data may have been changed.  Calculations may be inaccurate!!"));
    return page.endDocument();
}

} // namespace korvane
