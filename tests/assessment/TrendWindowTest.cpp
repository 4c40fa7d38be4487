#include "inspection/InspectionWindowFixture.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QLineSeries>

namespace korvane::test {
namespace {

using Answer = Prompts::Answer;

// The first and last point of each series of the chart, as "name: date value | date value".
QStringList seriesEnds(QChart* chart, int decimals) {
    QStringList ends;
    for (QAbstractSeries* s : chart->series()) {
        const auto* xy = qobject_cast<QXYSeries*>(s);
        if (!xy || xy->count() == 0)
            continue;
        const auto point = [&](const QPointF& p) {
            return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(p.x()))
                       .date()
                       .toString(Qt::ISODate) +
                   QLatin1Char(' ') + QString::number(p.y(), 'f', decimals);
        };
        ends << s->name() + QStringLiteral(": ") + point(xy->at(0)) + QStringLiteral(" | ") +
                    point(xy->at(xy->count() - 1));
    }
    return ends;
}

// B-2 of T-101 (course 2, minimum 0.280 in) read 0.40, 0.38 and 0.34 in four years apart, the
// ultrasonic inspection every 5 years, last on 01/Mar/2023. Long term 0.06 / 8 = 0.0075 in/yr
// reaches 0.280 in 8 years, on 01/Mar/2031; short term 0.04 / 4 = 0.01 in/yr, the rate used,
// in 6 years, which in binary is a hair short of them: 28/Feb/2029. The line of the next
// ultrasonic inspection spans the thicknesses shown, with 8% to spare either way. The trend opened
// by a double click in the assessment, in both units: what it says, where its lines start and end,
// and its print and exports.
TEST_F(InspectionWindowTest, TheTrendOfAPointFromTheAssessment) {
    TempDir dir;
    addThinningPoint();
    ASSERT_TRUE(
        file.open().exec(QStringLiteral("UPDATE Tank SET UTFreq = 5, UTLast = '2023-03-01'")));

    const struct {
        bool us;
        QStringList summary;
        QStringList ends;
    } units[] = {
        {true,
         {"Point B-2, Course 2: 3 readings, the latest 0.340 in. on 01/Mar/2023",
          "long-term rate 0.0075 in/yr; short-term rate 0.0100 in/yr",
          "Minimum 0.280 in., reached about 28/Feb/2029; next ultrasonic inspection "
          "01/Mar/2028"},
         {"Readings: 2015-03-01 0.400 | 2023-03-01 0.340",
          "Readings: 2015-03-01 0.400 | 2023-03-01 0.340",
          "Long-term rate: 2015-03-01 0.400 | 2031-03-01 0.280",
          "Short-term rate: 2019-03-01 0.380 | 2029-02-28 0.280",
          "Minimum 0.280: 2015-03-01 0.280 | 2031-03-01 0.280",
          "Reaches minimum 28/Feb/2029: 2029-02-28 0.280 | 2029-02-28 0.280",
          "Next UT 01/Mar/2028: 2028-03-01 0.270 | 2028-03-01 0.410"}},
        {false,
         {"Point B-2, Course 2: 3 readings, the latest 8.64 mm on 01/Mar/2023",
          "long-term rate 0.190 mm/yr; short-term rate 0.254 mm/yr",
          "Minimum 7.11 mm, reached about 28/Feb/2029; next ultrasonic inspection 01/Mar/2028"},
         {"Readings: 2015-03-01 10.16 | 2023-03-01 8.64",
          "Readings: 2015-03-01 10.16 | 2023-03-01 8.64",
          "Long-term rate: 2015-03-01 10.16 | 2031-03-01 7.11",
          "Short-term rate: 2019-03-01 9.65 | 2029-02-28 7.11",
          "Minimum 7.11: 2015-03-01 7.11 | 2031-03-01 7.11",
          "Reaches minimum 28/Feb/2029: 2029-02-28 7.11 | 2029-02-28 7.11",
          "Next UT 01/Mar/2028: 2028-03-01 6.87 | 2028-03-01 10.40"}},
    };
    openInspection(1);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    for (const auto& u : units) {
        SCOPED_TRACE(u.us ? "US" : "metric");
        session.UnitsUS = u.us;
        const QString suffix = u.us ? QStringLiteral("us") : QStringLiteral("si");
        const QString printed = dir.filePath(QStringLiteral("printed-%1.pdf").arg(suffix));
        const QString png = dir.filePath(QStringLiteral("trend-%1.png").arg(suffix));
        const QString pdf = dir.filePath(QStringLiteral("trend-%1.pdf").arg(suffix));
        t.windows.expect([&](QDialog& assessment) {
            auto* grid = assessment.findChild<QTableView*>(QStringLiteral("Grid_Assessment"));
            const QModelIndex b2 = grid->model()->index(1, 0);
            EXPECT_EQ(b2.data().toString(), QStringLiteral("B-2"));
            assessment.show();
            grid->scrollTo(b2);
            const QPoint where = grid->visualRect(b2).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, where);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, where);
            return 0;
        });
        t.windows.expect([&](QDialog& trend) {
            EXPECT_EQ(trend.windowTitle(), QStringLiteral("Trend - T-101 - B-2"));
            EXPECT_EQ(trend.findChild<QLabel*>(QStringLiteral("Label_Summary"))->text(),
                      u.summary.join(QLatin1Char('\n')));
            auto* view = trend.findChild<QChartView*>(QStringLiteral("Chart_Trend"));
            EXPECT_EQ(seriesEnds(view->chart(), u.us ? 3 : 2), u.ends);

            t.printers.answerFile(printed);
            t.prompts.answerMessage(); // where the PDF went
            trend.findChild<QPushButton*>(QStringLiteral("Cmd_Print"))->click();
            t.prompts.answerSaveFile(png).answerMessage();
            trend.findChild<QPushButton*>(QStringLiteral("Cmd_Export"))->click();
            t.prompts.answerSaveFile(pdf).answerMessage();
            trend.findChild<QPushButton*>(QStringLiteral("Cmd_Export"))->click();
            // A name that is taken is refused, and nothing is written over it.
            t.prompts.answerSaveFile(png).answerMessage();
            trend.findChild<QPushButton*>(QStringLiteral("Cmd_Export"))->click();
            EXPECT_EQ(t.prompts.messages().back().text,
                      QStringLiteral("\"%1\" exists already.  Choose another name.").arg(png));
            return 0;
        });
        click("Cmd_Assess");
        EXPECT_EQ(t.windows.shown() % 2, 0);
        EXPECT_TRUE(t.prompts.allAnswered());

        for (const QString& written : {printed, pdf}) {
            const QString text = pdfPages(written).join(QLatin1Char('\n')).simplified();
            for (const QString& line : u.summary)
                EXPECT_TRUE(text.contains(line.simplified())) << line.toStdString() << "\n"
                                                              << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("Short-term rate"))) << text.toStdString();
        }
        const QImage image(png);
        EXPECT_EQ(image.size(), QSize(1600, 1100));
        // The minimum's line is drawn in its red.
        int red = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                red += image.pixelColor(x, y).red() > 150 && image.pixelColor(x, y).green() < 80 &&
                       image.pixelColor(x, y).blue() < 80;
        EXPECT_GT(red, 100);
    }
}

} // namespace
} // namespace korvane::test
