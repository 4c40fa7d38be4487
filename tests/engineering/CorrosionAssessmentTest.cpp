#include "engineering/CorrosionAssessment.h"

#include "StoredReading.h"
#include "engineering/PointTrend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace korvane {
namespace {

using namespace assessment;

constexpr double None = NAN;

TankReading r(const char* point, const char* date, double inches, int course) {
    return test::storedReading(point, date, inches, course);
}

double valueOf(std::optional<double> v) {
    return v.value_or(None);
}

void expectNear(double actual, double expected, const char* what) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << what << " " << actual;
    else
        EXPECT_NEAR(actual, expected, 1e-9) << what;
}

// Course 1 (code 2) has a minimum of 0.30 in; the floor and roof take 0.10 and 0.09. Dates four
// years apart are 1,461 days: exactly 4.0 years of 365.25 days.
TEST(CorrosionAssessment, RatesLivesIntervalsAndStatusByHand) {
    thickness::Minimums minimums{};
    minimums[2] = 0.30;
    const struct {
        const char* name;
        std::vector<TankReading> readings; // point, date, inches, course
        double longTerm, shortTerm, rate, rca, life, ut, external;
        bool scatter;
        PointStatus status;
    } cases[] = {
        // 0.060 in over 4 years: 0.015 in/yr; RCA 0.14; life 0.14 / 0.015; UT 0.14 / 0.03;
        // external 0.14 / 0.06.
        {"two readings",
         {r("A", "01/Jan/2020", 0.500, 2), r("A", "01/Jan/2024", 0.440, 2)},
         0.015,
         0.015,
         0.015,
         0.14,
         0.14 / 0.015,
         0.14 / 0.03,
         0.14 / 0.06,
         false,
         PointStatus::Sound},
        // Long term 0.05 / 8 = 0.00625, short term 0.04 / 4 = 0.01 governs; RCA 0.15: life 15,
        // UT 7.5, external 3.75.
        {"short term governs",
         {r("B", "01/Jan/2012", 0.500, 2), r("B", "01/Jan/2020", 0.450, 2),
          r("B", "01/Jan/2016", 0.490, 2)},
         0.00625,
         0.01,
         0.01,
         0.15,
         15,
         7.5,
         3.75,
         false,
         PointStatus::Sound},
        // Grew by 0.02: the rate counts as 0, so no life and the longest intervals.
        {"grew",
         {r("C", "01/Jan/2016", 0.400, 2), r("C", "01/Jan/2020", 0.420, 2)},
         0,
         0,
         0,
         0.12,
         None,
         15,
         5,
         true,
         PointStatus::Sound},
        // One day: no rate, so the 5-year ultrasonic rule.
        {"one day",
         {r("D", "01/Jan/2020", 0.400, 2), r("D", "01/Jan/2020", 0.390, 2)},
         None,
         None,
         None,
         0.09,
         None,
         5,
         5,
         false,
         PointStatus::Sound},
        {"below minimum",
         {r("E", "01/Jan/2020", 0.290, 2)},
         None,
         None,
         None,
         -0.01,
         None,
         5,
         5,
         false,
         PointStatus::BelowMinimum},
        // Below its minimum and still thinning 0.01 in/yr: no life and no interval left,
        // never a negative one.
        {"below minimum and corroding",
         {r("E2", "01/Jan/2016", 0.320, 2), r("E2", "01/Jan/2020", 0.280, 2)},
         0.01,
         0.01,
         0.01,
         -0.02,
         0,
         0,
         0,
         false,
         PointStatus::BelowMinimum},
        // Floor: 0.04 over 4 years, RCA 0.21 - 0.10 = 0.11: life 11, UT 5.5, external 2.75.
        {"floor",
         {r("F", "01/Jan/2016", 0.250, 1), r("F", "01/Jan/2020", 0.210, 1)},
         0.01,
         0.01,
         0.01,
         0.11,
         11,
         5.5,
         2.75,
         false,
         PointStatus::Sound},
        // Roof: RCA 0.16 - 0.09 = 0.07: life 7, UT 3.5, external 1.75.
        {"roof",
         {r("G", "01/Jan/2016", 0.200, 12), r("G", "01/Jan/2020", 0.160, 12)},
         0.01,
         0.01,
         0.01,
         0.07,
         7,
         3.5,
         1.75,
         false,
         PointStatus::Sound},
        // 0.001 in/yr and RCA 0.196: life 196, UT capped at 15 and external at 5.
        {"caps",
         {r("H", "01/Jan/2016", 0.500, 2), r("H", "01/Jan/2020", 0.496, 2)},
         0.001,
         0.001,
         0.001,
         0.196,
         196,
         15,
         5,
         false,
         PointStatus::Sound},
        // The last two readings are two months apart, which gives no rate: the short-term rate
        // runs from 2012, the newest reading at least six months older. 0.06 over 1,521 days;
        // long term 0.08 over 2,982 days. RCA 0.14.
        {"the last two too close",
         {r("J", "01/Jan/2008", 0.520, 2), r("J", "01/Jan/2012", 0.500, 2),
          r("J", "01/Jan/2016", 0.460, 2), r("J", "01/Mar/2016", 0.440, 2)},
         0.08 / (2982 / 365.25),
         0.06 / (1521 / 365.25),
         0.06 / (1521 / 365.25),
         0.14,
         0.14 / (0.06 / (1521 / 365.25)),
         0.14 / (2 * 0.06 / (1521 / 365.25)),
         0.14 / (4 * 0.06 / (1521 / 365.25)),
         false,
         PointStatus::Sound},
        {"no minimum",
         {r("I", "01/Jan/2020", 0.5, 5)},
         None,
         None,
         None,
         None,
         None,
         None,
         None,
         false,
         PointStatus::NoMinimum},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TankAssessment tank = assessTank(c.readings, minimums, {});
        ASSERT_EQ(tank.points.size(), 1u);
        const PointAssessment& p = tank.points[0];
        expectNear(valueOf(p.longTermRate), c.longTerm, "long-term rate");
        expectNear(valueOf(p.shortTermRate), c.shortTerm, "short-term rate");
        expectNear(valueOf(p.rate), c.rate, "rate");
        expectNear(valueOf(p.rca), c.rca, "RCA");
        expectNear(valueOf(p.remainingLife), c.life, "remaining life");
        expectNear(valueOf(p.utInterval), c.ut, "UT interval");
        expectNear(valueOf(p.externalInterval), c.external, "external interval");
        EXPECT_EQ(p.scatter, c.scatter);
        EXPECT_EQ(p.status, c.status);
    }
}

// The tank: the point of the shortest life, the least intervals, and a schedule that asks for
// more than they allow. A ten-year UT schedule outlasts the 9.3-year life of A.
TEST(CorrosionAssessment, TheTankAgainstItsSchedule) {
    thickness::Minimums minimums{};
    minimums[2] = 0.30;
    const std::vector<TankReading> readings{r("a", "01/Jan/2020", 0.500, 2),
                                            r("B", "01/Jan/2016", 0.500, 2),
                                            r("A", "01/Jan/2024", 0.440, 2),
                                            r("B", "01/Jan/2020", 0.496, 2),
                                            r("X", "", 0.1, 2),
                                            r("Y", "01/Jan/2020", NAN, 2)};
    const TankAssessment tank = assessTank(readings, minimums, {10, -18});
    ASSERT_EQ(tank.points.size(), 2u); // "a" and "A" are one point; undated and empty are left out
    EXPECT_EQ(tank.points[0].pointId, QStringLiteral("a"));
    EXPECT_EQ(tank.points[0].status, PointStatus::LifeShorterThanUt);
    EXPECT_EQ(tank.governingPoint, QStringLiteral("a"));
    EXPECT_NEAR(valueOf(tank.shortestLife), 0.14 / 0.015, 1e-9);
    EXPECT_NEAR(valueOf(tank.utInterval), 0.14 / 0.03, 1e-9);
    EXPECT_NEAR(valueOf(tank.externalFrequency), 1.5, 1e-12); // 18 months
    EXPECT_TRUE(tank.utTooLong);
    EXPECT_FALSE(tank.externalTooLong); // 1.5 years against 0.14 / 0.06

    // A life exactly as long as the interval in force is not short of it; a hair less is.
    const double life = valueOf(tank.points[0].remainingLife);
    EXPECT_EQ(assessTank(readings, minimums, {life, 0}).points[0].status, PointStatus::Sound);
    EXPECT_EQ(assessTank(readings, minimums, {std::nextafter(life, 99.0), 0}).points[0].status,
              PointStatus::LifeShorterThanUt);

    const TankAssessment empty = assessTank({}, minimums, {});
    EXPECT_TRUE(empty.points.empty());
    EXPECT_FALSE(empty.shortestLife);
    EXPECT_FALSE(empty.utTooLong);

    // Full precision, dates as yyyy-mm-dd, the course as stored, the status in words.
    const QStringList cells = csv(tank).split(QLatin1Char('\n')).value(1).split(QLatin1Char(','));
    ASSERT_EQ(cells.size(), 17);
    EXPECT_EQ(cells.mid(0, 4).join(QLatin1Char(',')).toStdString(), "a,2,0.5,2020-01-01");
    EXPECT_EQ(cells[7].toStdString(), "2024-01-01");
    EXPECT_DOUBLE_EQ(cells[11].toDouble(), 0.06 / 4);
    EXPECT_DOUBLE_EQ(cells[13].toDouble(), (0.44 - 0.30) / (0.06 / 4));
    EXPECT_EQ(cells[16].toStdString(), "Life short of next UT");
}

// Points are listed in the order of their IDs without letter case, whatever order they come in,
// and IDs that differ only in letter case are one point, beyond ASCII too.
TEST(CorrosionAssessment, PointsByIdWithoutLetterCase) {
    const std::vector<TankReading> readings{
        r("c-2", "01/Jan/2020", 0.5, 2),  r("B-10", "01/Jan/2020", 0.5, 2),
        r("ÄU-1", "01/Jan/2020", 0.5, 2), r("äu-1", "01/Jan/2024", 0.4, 2),
        r("b-10", "01/Jan/2024", 0.4, 2), r("C-2", "01/Jan/2024", 0.4, 2)};
    QStringList ids;
    for (const PointAssessment& p : assessTank(readings, {}, {}).points)
        ids << QStringLiteral("%1:%2").arg(p.pointId).arg(p.latest->inches);
    EXPECT_EQ(ids.join(u' '), QStringLiteral("B-10:0.4 c-2:0.4 ÄU-1:0.4"));
}

// The whole fleet's list reads the readings in any order; the tank's own windows read them by
// point, date and key. Every order gives the same points, names, readings and figures: a point
// is named by its first reading by date as written and key, and the readings of one day keep
// the order of their keys.
TEST(CorrosionAssessment, TheOrderOfTheReadingsDoesNotMatter) {
    thickness::Minimums minimums{};
    minimums[2] = 0.30;
    const auto keyed = [](qint32 key, const char* point, const char* date, double inches) {
        TankReading reading = r(point, date, inches, 2);
        reading.thicknessId = key;
        return reading;
    };
    std::vector<TankReading> readings{
        keyed(7, "S-1", "2020-01-01", 0.50), keyed(3, "s-1", "2020-01-01", 0.49),
        keyed(9, "S-1", "2024-01-01", 0.44), keyed(2, "s-1", "2022-01-01", 0.47),
        keyed(5, "B", "2016-01-01", 0.50),   keyed(4, "B", "2020-01-01", 0.496)};
    const auto shown = [&](const std::vector<TankReading>& list) {
        QStringList lines;
        for (const PointAssessment& p : assessTank(list, minimums, {10, 5}).points)
            lines << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(p.pointId)
                         .arg(p.first->inches)
                         .arg(p.previous->inches)
                         .arg(p.latest->inches)
                         .arg(valueOf(p.rate), 0, 'g', 17);
        return lines;
    };
    const QStringList expected = shown(readings);
    // Named "s-1" by key 3, whose 0.49 of the first day comes before key 7's 0.50 of that day.
    EXPECT_EQ(expected.value(1).section(u' ', 0, 2), QStringLiteral("s-1 0.49 0.47"));
    std::sort(readings.begin(), readings.end(), [](const TankReading& a, const TankReading& b) {
        return a.thicknessId < b.thicknessId;
    });
    do
        EXPECT_EQ(shown(readings), expected);
    while (std::next_permutation(
        readings.begin(), readings.end(),
        [](const TankReading& a, const TankReading& b) { return a.thicknessId < b.thicknessId; }));
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

// Trends without a projection: one reading has no rate lines; a point that grew thicker has
// flat lines shown ten years on and no date at its minimum; a schedule in months gives the next
// UT in months; no schedule, none.
TEST(PointTrend, LinesAndDatesWhereThereIsNothingToProject) {
    thickness::Minimums minimums{};
    minimums[2] = 0.30;
    const auto reading = [](const char* point, const char* date, double inches) {
        TankReading r;
        r.pointId = QString::fromLatin1(point);
        r.dateTaken = QString::fromLatin1(date);
        r.reading = inches;
        r.course = 2;
        return r;
    };
    const std::vector<TankReading> readings{
        reading("A", "01/Jan/2020", 0.40), reading("b", "01/Jan/2016", 0.40),
        reading("B", "01/Jan/2020", 0.42), reading("C", "01/Jan/2020", 0.40)};

    const auto one =
        assessment::pointTrend(QStringLiteral("a"), readings, minimums, QDate(2020, 1, 1), -18);
    EXPECT_EQ(one.readings.size(), 1u);
    EXPECT_EQ(one.point.pointId, QStringLiteral("A"));
    EXPECT_FALSE(one.longTerm || one.shortTerm || one.reachesMinimum);
    EXPECT_EQ(one.nextUt, QDate(2021, 7, 1));

    const auto grew = assessment::pointTrend(QStringLiteral("B"), readings, minimums, QDate(), 5);
    ASSERT_TRUE(grew.longTerm);
    EXPECT_EQ(grew.longTerm->rate, 0);
    EXPECT_EQ(grew.longTerm->from, QDate(2016, 1, 1));
    EXPECT_EQ(grew.longTerm->to, QDate(2030, 1, 1));
    EXPECT_DOUBLE_EQ(grew.longTerm->toInches, 0.42);
    EXPECT_FALSE(grew.longTerm->reachesMinimum || grew.reachesMinimum);
    EXPECT_FALSE(grew.nextUt);

    EXPECT_TRUE(
        assessment::pointTrend(QStringLiteral("D"), readings, minimums, {}, 0).readings.empty());
}

} // namespace
} // namespace korvane
