#include "inspection/InspectionReports.h"

#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

class InspectionReportsTest : public testing::Test {
protected:
    InspectionReportsTest() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
    }

    // The pages of the printed report as pdftotext lays them out.
    QStringList pages() { return test::pdfPages(printer.outputFileName()); }

    // The printed lines that match `pattern`, with their runs of blanks made one, in the order
    // they were printed.
    QStringList linesMatching(const QString& pattern) {
        const QRegularExpression expression(pattern);
        QStringList found;
        for (const QString& line : pages().join(u'\n').split(u'\n')) {
            if (expression.match(line.simplified()).hasMatch())
                found << line.simplified();
        }
        return found;
    }

    static TankReading reading(const QString& point, const QString& date, const QString& by,
                               double inches, int course = 0) {
        return {.pointId = point,
                .dateTaken = date,
                .reading = inches,
                .course = course,
                .takenBy = by};
    }

    static ThicknessReport thicknessReport() {
        ThicknessReport report;
        report.heading = {QStringLiteral("Gulf Terminals"), QStringLiteral("North Yard"),
                          QStringLiteral("Tank 101")};
        report.minWallCaptions = {QStringLiteral("Floor"), QStringLiteral("Course 1"),
                                  QStringLiteral("Course 2"), QStringLiteral("Roof")};
        report.minWallTexts = {QStringLiteral("0.100"), QStringLiteral("0.221"),
                               QStringLiteral("0.180"), QStringLiteral("0.100")};
        return report;
    }

    test::TempDir dir;
    QPrinter printer{QPrinter::HighResolution};
};

// Readings of two inspections, interleaved by point as the caller orders them, in both units,
// each with its course and "Below min." beside those below the minimum of their course as the
// numbers are shown: 0.1796 in. shows as the minimum's 0.180 in inches but as 4.56 under 4.57 mm.
TEST_F(InspectionReportsTest, ThicknessReportListsEveryReadingByPoint) {
    const double none = std::nan("");
    struct Units {
        bool unitsUS;
        const char* header;
        QStringList lines;
    };
    const Units cases[] = {
        {true,
         "Reading (in.)",
         {"A-1 Course 1 01/Mar/2019 J. Smith 0.250",
          "A-1 Course 1 15/Jun/2023 R. O'Neil 0.241 Below min.",
          "B-7 Course 2 01/Mar/2019 J. Smith 0.300", "C-2 15/Jun/2023 R. O'Neil",
          "E-5 Roof 15/Jun/2023 R. O'Neil 0.180"}},
        {false,
         "Reading (mm)",
         {"A-1 Course 1 01/Mar/2019 J. Smith 6.35",
          "A-1 Course 1 15/Jun/2023 R. O'Neil 6.12 Below min.",
          "B-7 Course 2 01/Mar/2019 J. Smith 7.62", "C-2 15/Jun/2023 R. O'Neil",
          "E-5 Roof 15/Jun/2023 R. O'Neil 4.56 Below min."}},
    };
    for (const Units& c : cases) {
        SCOPED_TRACE(c.header);
        ThicknessReport report = thicknessReport();
        report.unitsUS = c.unitsUS;
        report.minimums[2] = 0.245;
        report.minimums[3] = 0.180;
        report.minimums[12] = 0.180;
        report.readings = {reading("A-1", "01/Mar/2019", "J. Smith", 0.25, 2),
                           reading("A-1", "15/Jun/2023", "R. O'Neil", 0.241, 2),
                           reading("B-7", "01/Mar/2019", "J. Smith", 0.3, 3),
                           reading("C-2", "15/Jun/2023", "R. O'Neil", none),
                           reading("E-5", "15/Jun/2023", "R. O'Neil", 0.1796, 12)};
        ASSERT_TRUE(printThicknessReport(printer, report).ok());

        const QStringList text = pages();
        ASSERT_EQ(text.size(), 1);
        for (const char* line :
             {"Tank Thickness Readings", "Gulf Terminals", "North Yard", "Tank 101", "Page 1 of 1"})
            EXPECT_EQ(text[0].count(QString::fromUtf8(line)), 1) << line;
        EXPECT_EQ(linesMatching(QStringLiteral("PointID")),
                  QStringList{QStringLiteral("PointID Course Date Taken By %1").arg(c.header)});
        EXPECT_EQ(linesMatching(QStringLiteral("^[A-E]-\\d ")), c.lines);
        EXPECT_EQ(linesMatching(QStringLiteral("Min\\. Wall")),
                  QStringList{QStringLiteral("Min. Wall 0.100 0.221 0.180 0.100")});
    }
}

// Every course of a ten-course tank is printed, each minimum under its own caption, however
// many pairs of lines the table takes.
TEST_F(InspectionReportsTest, MinimumTableCoversEveryCourse) {
    ThicknessReport report = thicknessReport();
    report.minWallCaptions = QStringList{QStringLiteral("Floor")};
    report.minWallTexts = QStringList{QStringLiteral("0.100")};
    for (int course = 1; course <= 10; ++course) {
        report.minWallCaptions << QStringLiteral("Course %1").arg(course);
        report.minWallTexts << QStringLiteral("0.%1").arg(200 + course);
    }
    report.minWallCaptions << QStringLiteral("Roof");
    report.minWallTexts << QStringLiteral("0.099");
    report.readings = {reading("A-1", "01/Mar/2019", "J. Smith", 0.25)};
    ASSERT_TRUE(printThicknessReport(printer, report).ok());

    const QStringList lines = pages().join(u'\n').split(u'\n');
    int pairs = 0;
    qsizetype found = 0;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i + 1].contains(QStringLiteral("Min. Wall")))
            continue;
        ++pairs;
        for (qsizetype k = 0; k < report.minWallCaptions.size(); ++k) {
            const qsizetype at = lines[i].indexOf(
                QRegularExpression(QStringLiteral("%1\\b").arg(report.minWallCaptions[k])));
            if (at < 0)
                continue;
            ++found;
            EXPECT_EQ(lines[i + 1].indexOf(report.minWallTexts[k]), at)
                << report.minWallCaptions[k].toStdString();
        }
    }
    EXPECT_GE(pairs, 2);
    EXPECT_EQ(found, report.minWallCaptions.size());
}

// A list longer than a page goes on with the title and column header at the top of the next.
TEST_F(InspectionReportsTest, LongThicknessListRunsOverPagesWithItsHeader) {
    ThicknessReport report = thicknessReport();
    for (int point = 1; point <= 150; ++point)
        report.readings.push_back(reading(QStringLiteral("P%1").arg(point, 3, 10, QChar(u'0')),
                                          "02/Apr/2023", "Inspector", 0.2 + point / 10000.0));
    ASSERT_TRUE(printThicknessReport(printer, report).ok());

    const QStringList text = pages();
    ASSERT_GE(text.size(), 2);
    QStringList points;
    for (qsizetype n = 0; n < text.size(); ++n) {
        SCOPED_TRACE(n + 1);
        const QString& page = text[n];
        EXPECT_EQ(page.count(QStringLiteral("Tank Thickness Readings")), 1);
        EXPECT_EQ(page.count(QStringLiteral("Reading (in.)")), 1);
        EXPECT_TRUE(page.contains(QStringLiteral("Page %1 of %2").arg(n + 1).arg(text.size())));
        EXPECT_LT(page.indexOf(QStringLiteral("PointID")),
                  page.indexOf(QRegularExpression(QStringLiteral("P\\d{3}"))));
        // The company, location and tank head every page; the minimum table the first only.
        for (const char* name : {"Gulf Terminals", "North Yard", "Tank 101"})
            EXPECT_EQ(page.count(QString::fromUtf8(name)), 1) << name;
        EXPECT_EQ(page.contains(QStringLiteral("Min. Wall")), n == 0);
        static const QRegularExpression row(QStringLiteral("^\\s*(P\\d{3}) .*Inspector\\s+0\\.2"));
        for (const QString& line : page.split(u'\n')) {
            if (const auto match = row.match(line); match.hasMatch())
                points << match.captured(1);
        }
    }
    ASSERT_EQ(points.size(), 150);
    EXPECT_EQ(points.front(), QStringLiteral("P001"));
    EXPECT_EQ(points.back(), QStringLiteral("P150"));
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));
}

// A survey of eight points prints nine table lines (the last closing the circle at 360) under
// the unit of their lengths, the allowance, the quality of the fit, and the changed-data warning
// only when it is raised.
TEST_F(InspectionReportsTest, SurveyReportPrintsEveryRowAndItsWarnings) {
    const QString warning =
        QStringLiteral("Data may have been changed. Calculations may be inaccurate!!");
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed);
        SurveyReport report;
        report.heading = {QStringLiteral("Gulf Terminals"), QStringLiteral("North Yard"),
                          QStringLiteral("Tank 101")};
        report.date = QStringLiteral("02/Apr/2023");
        report.number = QStringLiteral("S-17");
        report.inspector = QStringLiteral("R. O'Neil");
        report.points = 8;
        for (int p = 0; p <= 8; ++p)
            report.rows.push_back({QString::number(p % 8 + 1), QString::number(p * 45),
                                   QStringLiteral("1.%1").arg(p), QStringLiteral("0.0%1").arg(p),
                                   QStringLiteral("-0.00%1").arg(p),
                                   p == 4 ? QStringLiteral("No") : QStringLiteral("Yes")});
        report.unit = QStringLiteral("mm");
        report.allowanceText = QStringLiteral("Allowable deflection: 20.68 mm");
        report.fitText = QStringLiteral("R² = 0.97");
        report.changed = changed;
        ASSERT_TRUE(printSurveyReport(printer, report).ok());

        const QStringList table = linesMatching(QStringLiteral("^\\d \\d+ 1\\.\\d"));
        ASSERT_EQ(table.size(), 9);
        EXPECT_EQ(table.front(), QStringLiteral("1 0 1.0 0.00 -0.000 Yes"));
        EXPECT_EQ(table[4], QStringLiteral("5 180 1.4 0.04 -0.004 No"));
        EXPECT_EQ(table.back(), QStringLiteral("1 360 1.8 0.08 -0.008 Yes"));

        for (const char* label :
             {"Date 02/Apr/2023", "Survey No. S-17", "Inspector R. O'Neil", "Survey Points 8"})
            EXPECT_EQ(linesMatching(QString::fromUtf8(label)).size(), 1) << label;
        EXPECT_EQ(linesMatching(QStringLiteral("Survey\\s+Location\\s+Actual")).size(), 1);
        EXPECT_EQ(linesMatching(QStringLiteral("Point\\s+\\(Degrees\\)\\s+Settlement")).size(), 1);
        EXPECT_EQ(linesMatching(QStringLiteral("^\\(mm\\)\\s+\\(mm\\)\\s+\\(mm\\)$")).size(), 1);
        // "fl" may come back as its ligature.
        EXPECT_EQ(linesMatching(QStringLiteral("^Allowable de\\S+ection: 20\\.68 mm$")).size(), 1);
        EXPECT_EQ(linesMatching(QStringLiteral("R² = 0.97")).size(), 1);
        EXPECT_EQ(linesMatching(QStringLiteral("Data may have been changed")),
                  changed ? QStringList{warning} : QStringList{});
    }
}

} // namespace
} // namespace korvane
