#include "inspection/InspectionWindowFixture.h"
#include "support/FocusChain.h"
#include "support/XlsxCells.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace korvane::test {
namespace {

// The column whose title is `title`; -1 when none is.
int columnTitled(const QAbstractItemModel& model, const QString& title) {
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == title)
            return c;
    return -1;
}

// T-101 (course 1 minimum 0.30 in, course 2 0.28 in) with A-1 at 0.29 in course 1, and B-2 of
// course 2 read in three inspections four years apart: 0.40, 0.38, 0.34. Long term 0.06 / 8 =
// 0.0075 in/yr, short term 0.04 / 4 = 0.01 governs; RCA 0.34 - 0.28 = 0.06: life 6 years, UT
// 0.06 / 0.02 = 3 years, external 0.06 / 0.04 = 1.5 years, against 5 years of each on the
// schedule.
TEST_F(InspectionWindowTest, TheCorrosionAssessmentOfTheTankWorstFirst) {
    addThinningPoint();
    ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET UTFreq = 5, ExternalFreq = 5")));

    openInspection(1);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    QStringList rows;
    QString ut, external;
    t.windows.expect([&](QDialog& shown) {
        const auto* grid = shown.findChild<QTableView*>(QStringLiteral("Grid_Assessment"));
        const QAbstractItemModel* model = grid->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (const char* title :
                 {"Point", "Course", "Latest\n(in.)", "Minimum\n(in.)", "Rate\n(in/yr)",
                  "RCA\n(in.)", "Life\n(yr)", "UT\n(yr)", "External\n(yr)", "Status"})
                cells << model->index(r, columnTitled(*model, QLatin1String(title)))
                             .data()
                             .toString();
            rows << cells.join(QLatin1Char('|'));
        }
        ut = shown.findChild<QLabel*>(QStringLiteral("Label_UT"))->text();
        external = shown.findChild<QLabel*>(QStringLiteral("Label_External"))->text();
        return 0;
    });
    click("Cmd_Assess");
    EXPECT_EQ(rows, QStringList({"A-1|Course 1|0.290|0.300||-0.010||5.0|5.0|Below minimum",
                                 "B-2|Course 2|0.340|0.280|0.0100|0.060|6.0|3.0|1.5|Sound"}));
    EXPECT_TRUE(ut.startsWith(QStringLiteral("Ultrasonic thickness interval allowed: 3.0 years; "
                                             "on the schedule: 5.0 years")));
    EXPECT_TRUE(ut.contains(QStringLiteral("longer than allowed")));
    EXPECT_TRUE(external.contains(QStringLiteral("1.5 years; on the schedule: 5.0 years")));
}

// The figures the window is opened for, each point's remaining life and the intervals it
// allows, are seen whole without scrolling at the size it opens at, within the screen, in both
// unit systems, however long its point IDs; a column too narrow for its text gives it whole in
// its tooltip.
TEST_F(InspectionWindowTest, TheAssessmentOpensWithLifeAndIntervalsInView) {
    const QString longPoint = QStringLiteral("SHELL-COURSE-1-NORTH-EAST-QUADRANT-NOZZLE-N12-"
                                             "REINFORCING-PAD-WELD-TOE-UPSTREAM-SIDE-AT-0600");
    for (int i = 0; i < 40; ++i)
        file.add(QStringLiteral("Thickness"),
                 {{"InspectionID", i % 2 ? i2023 : unnumbered},
                  {"PointID", i == 7 ? longPoint : QStringLiteral("B-%1").arg(i / 2)},
                  {"DateTaken", i % 2 ? "01/Mar/2023" : "02/Apr/2019"},
                  {"Reading", 0.40 - 0.001 * i},
                  {"Course", 2 + i % 4}});
    for (const bool unitsUS : {true, false}) {
        SCOPED_TRACE(unitsUS ? "US" : "metric");
        session.UnitsUS = unitsUS;
        openInspection(1);
        tabs()->setCurrentIndex(InspectionWindow::TabThickness);
        t.windows.expect([&](QDialog& shown) -> int {
            shown.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&shown));
            QApplication::processEvents();
            test::expectTabOrderFollowsLayout(shown);
            const QRect screen = shown.screen()->availableGeometry();
            EXPECT_LE(shown.frameGeometry().width(), screen.width());
            EXPECT_LE(shown.frameGeometry().height(), screen.height());

            auto* grid = shown.findChild<QTableView*>(QStringLiteral("Grid_Assessment"));
            const QAbstractItemModel* model = grid->model();
            EXPECT_GT(model->rowCount(), 20);
            EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
            const int room = grid->viewport()->width();
            const QFontMetrics metrics(grid->font());
            for (const char* title :
                 {"Point", "Status", "Life\n(yr)", "UT\n(yr)", "External\n(yr)"}) {
                SCOPED_TRACE(title);
                const int c = columnTitled(*model, QLatin1String(title));
                EXPECT_GE(c, 0);
                if (c < 0)
                    continue;
                const int left = grid->columnViewportPosition(c);
                EXPECT_GE(left, 0);
                EXPECT_LE(left + grid->columnWidth(c), room);
                if (QLatin1String(title) == QLatin1String("Point"))
                    continue; // a long point ID may be elided
                for (int r = 0; r < model->rowCount(); ++r)
                    EXPECT_LE(metrics.horizontalAdvance(model->index(r, c).data().toString()),
                              grid->columnWidth(c))
                        << "row " << r;
            }
            // A text cut short is there whole in its tooltip.
            const int point = columnTitled(*model, QStringLiteral("Point"));
            for (int r = 0; r < model->rowCount(); ++r)
                EXPECT_EQ(model->index(r, point).data(Qt::ToolTipRole),
                          model->index(r, point).data());
            return 0;
        });
        click("Cmd_Assess");
        EXPECT_EQ(t.windows.shown(), unitsUS ? 1 : 2);
        click("Cmd_Cancel");
    }
}

// The tank's readings on the Thickness tab and its assessment go to workbooks as numbers in the
// units shown, dates as dates, a reading below its minimum marked as on the screen.
TEST_F(InspectionWindowTest, ReadingsAndAssessmentExportAsWorkbooksInBothUnits) {
    for (const bool us : {true, false}) {
        SCOPED_TRACE(us ? "US" : "metric");
        session.UnitsUS = us;
        openInspection(1);
        tabs()->setCurrentIndex(InspectionWindow::TabThickness);
        const QString readings =
            file.folder() + (us ? QStringLiteral("/r-us.xlsx") : QStringLiteral("/r-si.xlsx"));
        t.prompts.answerSaveFile(readings);
        click("Cmd_ExportReadings");
        const XlsxContents r = readXlsx(readings);
        const double reading = us ? 0.29 : 0.29 * 25.399986;
        ASSERT_TRUE(r.cell(QStringLiteral("D2")));
        EXPECT_EQ(r.cell(QStringLiteral("D1"))->value,
                  us ? QStringLiteral("Reading (in.)") : QStringLiteral("Reading (mm)"));
        EXPECT_EQ(r.cell(QStringLiteral("A2"))->value, serialDate(2023, 3, 1));
        EXPECT_EQ(r.cell(QStringLiteral("B2"))->value, QStringLiteral("A-1"));
        EXPECT_EQ(r.cell(QStringLiteral("C2"))->value, QStringLiteral("Course 1"));
        EXPECT_DOUBLE_EQ(r.cell(QStringLiteral("D2"))->value.toDouble(), reading);
        EXPECT_EQ(r.cell(QStringLiteral("D2"))->numFmt,
                  us ? QStringLiteral("0.000") : QStringLiteral("0.00"));
        EXPECT_EQ(r.cell(QStringLiteral("D2"))->fill, QStringLiteral("FFFF0000"));
        EXPECT_FALSE(r.cell(QStringLiteral("A3")));

        const QString assessed =
            file.folder() + (us ? QStringLiteral("/a-us.xlsx") : QStringLiteral("/a-si.xlsx"));
        t.windows.expect([&](QDialog& shown) {
            t.prompts.answerSaveFile(assessed);
            QTest::mouseClick(shown.findChild<QPushButton*>(QStringLiteral("Cmd_Export")),
                              Qt::LeftButton);
            return 0;
        });
        click("Cmd_Assess");
        const XlsxContents a = readXlsx(assessed);
        EXPECT_EQ(a.sheets, QStringList{QStringLiteral("Corrosion Assessment")});
        ASSERT_TRUE(a.cell(QStringLiteral("K2")));
        EXPECT_EQ(a.cell(QStringLiteral("A1"))->value, QStringLiteral("Point"));
        EXPECT_EQ(a.cell(QStringLiteral("K1"))->value,
                  us ? QStringLiteral("Latest (in.)") : QStringLiteral("Latest (mm)"));
        EXPECT_EQ(a.cell(QStringLiteral("A2"))->value, QStringLiteral("A-1"));
        EXPECT_EQ(a.cell(QStringLiteral("B2"))->value, QStringLiteral("Below minimum"));
        EXPECT_EQ(a.cell(QStringLiteral("B2"))->fill, QStringLiteral("FFCC0000"));
        EXPECT_DOUBLE_EQ(a.cell(QStringLiteral("K2"))->value.toDouble(), reading);
        EXPECT_EQ(a.cell(QStringLiteral("L2"))->value, serialDate(2023, 3, 1));
        // The minimum as the tank row keeps it, a single-precision number.
        const double minimum = static_cast<float>(0.30);
        EXPECT_DOUBLE_EQ(a.cell(QStringLiteral("M2"))->value.toDouble(),
                         us ? minimum : minimum * 25.399986);
        window.reset();
    }
}

} // namespace
} // namespace korvane::test
