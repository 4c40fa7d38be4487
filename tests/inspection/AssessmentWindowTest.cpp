#include "inspection/InspectionWindowFixture.h"

#include <QLabel>

namespace korvane::test {
namespace {

// T-101 (course 1 minimum 0.30 in, course 2 0.28 in) with A-1 at 0.29 in course 1, and B-2 of
// course 2 read in three inspections four years apart: 0.40, 0.38, 0.34. Long term 0.06 / 8 =
// 0.0075 in/yr, short term 0.04 / 4 = 0.01 governs; RCA 0.34 - 0.28 = 0.06: life 6 years, UT
// 0.06 / 0.02 = 3 years, external 0.06 / 0.04 = 1.5 years, against 5 years of each on the
// schedule.
TEST_F(InspectionWindowTest, TheCorrosionAssessmentOfTheTankWorstFirst) {
    const qint32 third = file.add(QStringLiteral("Inspection"), {{"TankID", t101}});
    const std::pair<qint32, const char*> readings[] = {
        {i2023, "01/Mar/2015"}, {unnumbered, "01/Mar/2019"}, {third, "01/Mar/2023"}};
    const double inches[] = {0.40, 0.38, 0.34};
    for (std::size_t i = 0; i < std::size(readings); ++i)
        file.add(QStringLiteral("Thickness"), {{"InspectionID", readings[i].first},
                                               {"PointID", "B-2"},
                                               {"DateTaken", readings[i].second},
                                               {"Reading", inches[i]},
                                               {"Course", 3}});
    ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET UTFreq = 5, ExternalFreq = 5")));

    openInspection(1);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    QStringList rows;
    QString ut, external;
    t.windows.expect([&](QDialog& shown) {
        const auto* grid = shown.findChild<QTableView*>(QStringLiteral("Grid_Assessment"));
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c : {0, 2, 7, 9, 12, 13, 14, 15, 16, 1})
                cells << grid->model()->index(r, c).data().toString();
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

} // namespace
} // namespace korvane::test
