#include "engineering/ShellSettlement.h"

#include "storage/ShellSurveyRecords.h"
#include "support/TestDatabase.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace korvane {
namespace {

using namespace settlement;

constexpr double Radians = std::numbers::pi / 180;
// A cosine fitted exactly comes back to the rounding of its sums.
constexpr double Close = 1e-12;

const TankValues SomeTank{100, 40, 30000};

std::size_t at(int point) {
    return static_cast<std::size_t>(point - 1);
}

TEST(ShellSettlement, MinimumPointsAreOnePer32FeetTruncatedAndNeverFewerThan8) {
    const struct {
        double diameterFt;
        int points;
    } cases[] = {
        {10, 8},     // 0.98 truncated
        {81.49, 8},  // 8.0003
        {91.66, 8},  // 8.9996: truncated, not rounded
        {91.68, 9},  // 9.0003
        {120, 11},   // 11.78
        {489.5, 48}, // 48.06
        {0, 8},      {-30, 8}, {std::numeric_limits<double>::quiet_NaN(), 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(minimumSurveyPoints(c.diameterFt), c.points) << c.diameterFt;
}

// Each point stands where the surveyor marked it, 360 / N degrees apart, shown to one decimal;
// the closing row is point 1 again at 360.
TEST(ShellSettlement, PointsStandAtTheirTrueAnglesRoundTheCircle) {
    const std::pair<int, QStringList> cases[] = {
        {8, {"0.0", "45.0", "315.0", "360.0"}},
        {11, {"0.0", "32.7", "327.3", "360.0"}},
        {14, {"0.0", "25.7", "334.3", "360.0"}},
        {48, {"0.0", "7.5", "352.5", "360.0"}},
    };
    for (const auto& [points, shown] : cases) {
        const Analysis result = analyse(std::vector<double>(std::size_t(points), 0.5), SomeTank);
        ASSERT_EQ(result.rows.size(), std::size_t(points + 1));
        QStringList angles;
        for (int point : {1, 2, points, points + 1})
            angles << angleText(result.rows[at(point)].angle);
        EXPECT_EQ(angles, shown) << points;
    }
}

// A tilted tank settles as a cosine around the circle: the fit must give that cosine back
// exactly, for any number of points and whatever quadrant its crest lies in, and level readings
// (amplitude 0) back as they are.
TEST(ShellSettlement, APureCosineOrLevelReadingsAreFittedExactly) {
    const struct {
        int points;
        double mean, amplitude, phaseDeg;
    } cases[] = {
        {8, 0.5, 0.2, 0},     {8, 1.2, 0.75, 45},    {11, 0.9, 1.1, 62},   {11, 0, 0.4, -170},
        {14, -0.2, 0.5, 100}, {12, -0.4, 0.3, -100}, {24, 2.0, 0.05, 179}, {13, 0.8, 0.6, -30},
        {10, 0.3, 0.4, 90},   {48, 1.0, 2.5, -150},  {8, 0.1, 0, 0},       {11, 1.25, 0, 0},
        {36, 2.0 / 3, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << " points, amplitude " << c.amplitude
                                        << ", phase " << c.phaseDeg);
        std::vector<double> readings;
        for (int i = 1; i <= c.points; ++i)
            readings.push_back(c.mean +
                               c.amplitude *
                                   std::cos((360.0 * (i - 1) / c.points - c.phaseDeg) * Radians));
        const Analysis result = analyse(readings, SomeTank);
        ASSERT_TRUE(result.analysed);
        ASSERT_EQ(result.rows.size(), static_cast<std::size_t>(c.points + 1));
        EXPECT_NEAR(result.mean, c.mean, Close);
        EXPECT_NEAR(result.amplitude, c.amplitude, Close);
        if (c.amplitude > 0) {
            EXPECT_NEAR(result.phaseDeg, c.phaseDeg, 1e-9);
            EXPECT_NEAR(result.rSquared, 1, 1e-12);
        } else {
            EXPECT_EQ(result.rSquared, 1);
            EXPECT_EQ(result.minimum, c.mean);
        }
        for (const SurveyRow& row : result.rows) {
            EXPECT_NEAR(row.outOfPlane, 0, Close) << row.point;
            EXPECT_NEAR(row.deflection, 0, Close) << row.point;
            EXPECT_TRUE(row.allowed) << row.point;
        }
    }
}

// Level readings of 8 points with a bump of d at point k. Worked by hand: the fit gives
// A = d/8, B = d/4 with its crest at k, so U is 5d/8 at k, -d(1 + sqrt 2)/8 at both neighbours
// and -d/8 two points away; S is d(6 + sqrt 2)/8 at k and -d(3 + sqrt 2)/8 at both neighbours;
// R^2 = 1 - (5d^2/8) / (7d^2/8) = 2/7. The closing row repeats point 1.
TEST(ShellSettlement, ABumpDeflectsAgainstBothNeighboursAroundTheCircle) {
    const struct {
        int bump, previous, next;
        double d;
    } cases[] = {
        {1, 8, 2, 0.4}, {2, 1, 3, 0.4}, {5, 4, 6, -0.24}, {8, 7, 1, 0.4}, {1, 8, 2, -1.0},
    };
    const double root2 = std::sqrt(2.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bump of " << c.d << " at " << c.bump);
        std::vector<double> readings(8, 0.0);
        readings[at(c.bump)] = c.d;
        const Analysis result = analyse(readings, SomeTank);
        ASSERT_TRUE(result.analysed);
        EXPECT_NEAR(result.mean, c.d / 8, 1e-12);
        EXPECT_NEAR(result.amplitude, std::abs(c.d) / 4, Close);
        EXPECT_NEAR(result.rSquared, 2.0 / 7, 1e-6);
        EXPECT_EQ(result.minimum, std::min(c.d, 0.0));

        const auto& rows = result.rows;
        EXPECT_NEAR(rows[at(c.bump)].outOfPlane, 5 * c.d / 8, Close);
        EXPECT_NEAR(rows[at(c.bump)].deflection, c.d * (6 + root2) / 8, Close);
        for (int neighbour : {c.previous, c.next}) {
            EXPECT_NEAR(rows[at(neighbour)].outOfPlane, -c.d * (1 + root2) / 8, Close) << neighbour;
            EXPECT_NEAR(rows[at(neighbour)].deflection, -c.d * (3 + root2) / 8, Close) << neighbour;
        }
        EXPECT_NEAR(rows[8].outOfPlane, rows[0].outOfPlane, Close);
        EXPECT_NEAR(rows[8].deflection, rows[0].deflection, Close);
    }
}

// The level a survey is measured from is arbitrary: the same shape measured from another datum
// gives the same fit.
TEST(ShellSettlement, TheResultDoesNotDependOnTheDatum) {
    for (int points : {8, 11, 48}) {
        std::vector<double> low, high;
        for (int i = 1; i <= points; ++i) {
            const double shape =
                0.5 * std::cos((pointAngle(i, points) - 30) * Radians) + (i == 3 ? 0.2 : 0.0);
            low.push_back(shape);
            high.push_back(shape + 100);
        }
        const Analysis a = analyse(low, SomeTank);
        const Analysis b = analyse(high, SomeTank);
        EXPECT_NEAR(a.amplitude, b.amplitude, 1e-9) << points;
        EXPECT_NEAR(a.phaseDeg, b.phaseDeg, 1e-6) << points;
        for (std::size_t r = 0; r < a.rows.size(); ++r)
            EXPECT_NEAR(a.rows[r].outOfPlane, b.rows[r].outOfPlane, 1e-9) << points << " " << r;
    }
}

// D = 100 ft, H = 40 ft, Y = 30,000 psi, 10 points: L = 100 x 3.14159 / 10 = 31.4159 ft,
// Smax = 986.95877281 x 30,000 x 11 / (40 x 60,000,000) = 0.135706831 ft = 1.62848198 in.
// D = 10 ft, H = 20 ft, Y = 36,000 psi, 8 points: L^2 = 15.4212308, Smax = 0.0610680741 in.
TEST(ShellSettlement, TheAllowanceComesFromSpacingHeightAndWholeYield) {
    const struct {
        TankValues tank;
        int points;
        double allowanceIn;
    } cases[] = {
        {{100, 40, 30000}, 10, 1.6284819751365},
        {{100, 40, 30000.9}, 10, 1.6284819751365}, // the yield's whole part
        {{10, 20, 36000}, 8, 0.06106807406761876},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(analyse(std::vector<double>(static_cast<std::size_t>(c.points), 1.0), c.tank)
                        .allowanceIn,
                    c.allowanceIn, 1e-12);
}

// On the first tank above, a bump of d at one of 10 points deflects it by d(1 - 2/10 +
// 2 cos 36 / 10) = 0.9618034 d (worked as for 8 points) and its neighbours by -0.5309017 d. A
// deflection beyond the allowance either way is "No": a dip is judged as a bump of the same size.
TEST(ShellSettlement, ADeflectionBeyondTheAllowanceEitherWayIsNotAllowed) {
    const double allowance = 1.6284819751365, perInch = 0.9618033988749896;
    const double perInchBeside = 0.5309016994374947;
    const struct {
        double size;
        bool bumpAllowed, neighboursAllowed;
    } cases[] = {
        {allowance * (1 - 1e-4) / perInch, true, true},
        {allowance * (1 + 1e-4) / perInch, false, true},
        {allowance * (1 - 1e-4) / perInchBeside, false, true},
        {allowance * (1 + 1e-4) / perInchBeside, false, false},
    };
    for (const auto& c : cases)
        for (const double sign : {1.0, -1.0}) {
            const double d = sign * c.size;
            SCOPED_TRACE(d);
            std::vector<double> readings(10, 0.0);
            readings[at(4)] = d;
            const Analysis result = analyse(readings, {100, 40, 30000});
            EXPECT_NEAR(result.rows[at(4)].deflection, perInch * d, 1e-9);
            EXPECT_NEAR(result.rows[at(5)].deflection, -perInchBeside * d, 1e-9);
            for (const SurveyRow& row : result.rows)
                EXPECT_EQ(row.allowed, row.point == 4                 ? c.bumpAllowed
                                       : std::abs(row.point - 4) == 1 ? c.neighboursAllowed
                                                                      : true)
                    << row.point;
        }
}

TEST(ShellSettlement, ATankWithoutDiameterHeightOrYieldIsNotAnalysed) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QString prefix = QStringLiteral("Data missing for necessary calculations: the tank's ");
    const struct {
        TankValues tank;
        const char* missing; // empty: analysed
    } cases[] = {
        {{100, 40, 30000}, ""},
        {{0, 40, 30000}, "diameter is not given."},
        {{100, 0, 30000}, "shell height is not given."},
        {{100, -40, 30000}, "shell height is not given."},
        {{100, 40, 0.9}, "yield strength is not given."},
        {{nan, 40, 0}, "diameter and yield strength are not given."},
        {{0, 0, 0}, "diameter, shell height and yield strength are not given."},
    };
    const std::vector<double> readings{0.3, 0.1, 0.2, 0.4, 0.5, 0.6, 0.7, -0.2};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        const QString expected = *c.missing ? prefix + QLatin1String(c.missing) : QString();
        const Analysis result = analyse(readings, c.tank);
        EXPECT_EQ(result.analysed, expected.isEmpty());
        EXPECT_EQ(result.missing, expected);
        // The readings are still shown, the results are not.
        EXPECT_EQ(result.minimum, -0.2);
        ASSERT_EQ(result.rows.size(), 9u);
        EXPECT_EQ(result.rows[8].actual, 0.3);
        EXPECT_EQ(result.rows[1].optimum != 0, result.analysed);
    }

    for (std::size_t count : {0u, 49u}) {
        const Analysis result = analyse(std::vector<double>(count, 0.1), SomeTank);
        EXPECT_FALSE(result.analysed) << count;
        EXPECT_TRUE(result.rows.empty()) << count;
        EXPECT_TRUE(result.missing.contains(QLatin1String("1 to 48"))) << count;
    }
}

TEST(ShellSurveyRecords, ReadTheSurveyOfAnInspectionAndItsTankInFeet) {
    EXPECT_EQ(settleField(1), QStringLiteral("Point01_Settle"));
    EXPECT_EQ(settleField(48), QStringLiteral("Point48_Settle"));

    test::TestDatabase db;
    const qint32 tank = db.add(QStringLiteral("Tank"), {{QStringLiteral("Diameter"), 1440},
                                                        {QStringLiteral("Height"), 486},
                                                        {QStringLiteral("Yield"), 36000.7}});
    const auto inspection = [&] {
        return db.add(QStringLiteral("Inspection"), {{QStringLiteral("TankID"), tank}});
    };
    const qint32 surveyed = inspection(), bare = inspection(), odd = inspection();
    db.add(QStringLiteral("ShellSurvey"),
           {{QStringLiteral("InspectionID"), surveyed},
            {QStringLiteral("InspectionNum"), QStringLiteral("S-1")},
            {QStringLiteral("DateTaken"), QStringLiteral("05/Mar/2021")},
            {QStringLiteral("TakenBy"), QStringLiteral("O'Brien")},
            {QStringLiteral("Comments"), QStringLiteral("windy")},
            {QStringLiteral("SurveyPoints"), 3},
            {settleField(1), 0.1},
            {settleField(2), -1.5},
            {settleField(4), 9.0}}); // beyond the count: not read
    db.add(QStringLiteral("ShellSurvey"),
           {{QStringLiteral("InspectionID"), odd}, {QStringLiteral("SurveyPoints"), 60}});

    auto read = readShellSurvey(db.path(), surveyed);
    ASSERT_TRUE(read.ok() && read->has_value());
    const StoredSurvey& s = **read;
    EXPECT_EQ(QStringList({s.number, s.date, s.takenBy, s.comments}),
              QStringList({"S-1", "05/Mar/2021", "O'Brien", "windy"}));
    EXPECT_EQ(s.points, 3);
    // Readings are kept in single precision; a Null reading is 0.
    EXPECT_EQ(s.readingsIn, (std::vector<double>{double{0.1f}, -1.5, 0}));
    auto tooMany = readShellSurvey(db.path(), odd);
    ASSERT_TRUE(tooMany.ok() && tooMany->has_value());
    EXPECT_EQ((*tooMany)->points, 60);
    EXPECT_TRUE((*tooMany)->readingsIn.empty());
    auto none = readShellSurvey(db.path(), bare);
    EXPECT_TRUE(none.ok() && !none->has_value());

    auto owner = readInspectionTankId(db.path(), surveyed);
    EXPECT_TRUE(owner.ok() && *owner == std::optional<qint32>{tank});
    auto noInspection = readInspectionTankId(db.path(), odd + 100);
    EXPECT_TRUE(noInspection.ok() && !noInspection->has_value());

    auto values = readSurveyTank(db.path(), tank);
    ASSERT_TRUE(values.ok()) << values.error().toStdString();
    EXPECT_EQ(values->diameterFt, 120);
    EXPECT_EQ(values->heightFt, 40.5);
    EXPECT_EQ(values->yieldPsi, 36000.7);
    EXPECT_FALSE(readSurveyTank(db.path(), tank + 1).ok());
    EXPECT_FALSE(readShellSurvey(db.folder() + QStringLiteral("/absent.mdb"), surveyed).ok());
}

} // namespace
} // namespace korvane
