#include "engineering/MaxFill.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

using maxfill::Input;

// The thickness the minimum thickness rule asks of the course with the liquid at `levelIn`.
float ruleWall(const Input& in, int levelIn) {
    const MinWallInput rule{in.mfgType,  in.diameterIn, in.heightIn,
                            levelIn,     in.courses,    static_cast<float>(in.specGravity),
                            in.yieldPsi, in.tensilePsi, in.jointEff};
    const auto walls = calcMinWall(rule);
    return walls.size() == static_cast<std::size_t>(in.courses)
               ? walls[static_cast<std::size_t>(in.course - 1)]
               : NAN;
}

// Fields: course, courses, type, D in, H in, yield, tensile, E, G, reading in, allowance in.
// Each level, given back to the rule, has it ask no more than the remaining metal at the inch
// below and no less at the inch above; a level capped at the shell height leaves metal spare.
TEST(MaxFill, LevelsGiveTheRuleBackTheRemainingMetal) {
    const struct {
        Input in;
        double handFt; // worked by hand; 0 where only the rule checks the level
    } cases[] = {
        // Rivet L1 (S 21000), E 0.65, D 105 ft, water: H = 0.25 x 21000 x 0.65 / (2.6 x 105)
        // = 3412.5 / 273 = 12.5 ft over the 20 ft bottom of course 3 of a 40 ft shell: 32.5.
        {{3, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.300, 0.050}, 32.5},
        // Weld Butt 30000/55000, course 2 (S 23595), D 60 ft, G 0.8: H = 0.12 x 23595 / 124.8
        // = 22.6875 ft over a 6 ft bottom (36 ft shell in 6 courses): 28.6875.
        {{2, 6, 1, 720, 432, 30000, 55000, 1.0, 0.8, 0.125, 0.005}, 28.6875},
        // Course 4 of it (S 25960): 0.24 x 25960 / 124.8 = 49.9 ft over 18 ft, past the shell.
        {{4, 6, 1, 720, 432, 30000, 55000, 1.0, 0.8, 0.250, 0.010}, 36.0},
        {{5, 8, 2, 1446, 480, 36000, 58000, 0.85, 0.72, 0.150, 0.030}, 0},
        {{4, 4, 7, 1200, 384, 0, 0, 0.7, 0.9, 0.130, 0.020}, 0},
    };
    for (const auto& c : cases) {
        const Input& in = c.in;
        const auto out = maxfill::maxFillLevel(in);
        ASSERT_TRUE(out.levelFt) << in.diameterIn << ": " << out.message.toStdString();
        if (c.handFt > 0) {
            EXPECT_NEAR(*out.levelFt, c.handFt, 1e-9) << in.diameterIn << " course " << in.course;
        }
        const auto target = static_cast<float>(in.criticalIn - in.allowanceIn);
        const int below = static_cast<int>(std::floor(*out.levelFt * 12.0));
        EXPECT_EQ(out.capped, below == in.heightIn) << in.diameterIn << " course " << in.course;
        EXPECT_LE(ruleWall(in, below), target + 1e-5f) << in.diameterIn << " course " << in.course;
        if (!out.capped) {
            EXPECT_GE(ruleWall(in, below + 1), target - 1e-5f)
                << in.diameterIn << " course " << in.course;
        }
    }
}

TEST(MaxFill, RefusalsSayWhatIsMissing) {
    const struct {
        Input in;
        const char* says; // part of the message; "" for a level
    } cases[] = {
        {{-1, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.3, 0.05}, "Choose the course"},
        {{0, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.3, 0.05}, "The floor does not limit"},
        {{3, 2, 0, 0, 0, 0, 0, NAN, 0.0, 0.0, 0.0},
         "height: the tank diameter, the shell height, the number of shell courses, the shell "
         "construction, the joint efficiency, the specific gravity and the critical reading."},
        {{3, 4, 2, 1260, 480, 0, 55000, 0.65, 1.0, 0.3, 0.05}, "height: the yield strength."},
        {{3, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.3, -0.01}, "cannot be negative"},
        {{3, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.3, 0.3}, "must be greater than the corrosion"},
        // 0.095 in left is below the 0.1 in the rule asks at any level; 0.35 - 0.25 is not.
        {{3, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.3, 0.205}, "is below the 0.1 in."},
        {{3, 4, 3, 1260, 480, 0, 0, 0.65, 1.0, 0.35, 0.25}, ""},
    };
    for (const auto& c : cases) {
        const auto out = maxfill::maxFillLevel(c.in);
        EXPECT_EQ(out.levelFt.has_value(), !*c.says) << c.says;
        EXPECT_EQ(out.message.isEmpty(), !*c.says) << c.says;
        EXPECT_TRUE(out.message.contains(QLatin1String(c.says))) << out.message.toStdString();
    }
}

TEST(MaxFill, BoxUnits) {
    EXPECT_NEAR(maxfill::thicknessInches(6.35, false), 0.25, 1e-6); // 6.35 mm / 25.399986
    const struct {
        double levelFt;
        bool us;
        const char* text;
    } cases[] = {
        {32.5 - 1e-12, true, "32.5"}, // a rounding error's hair below is not a hundredth short
        {28.6875, true, "28.68"},     // down, never up
        {32.5, false, "9.9"},         // 390 in / 39.3701 = 9.90599 m
        {40.0, false, "12.19"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(maxfill::levelText(c.levelFt, c.us).toStdString(), c.text) << c.levelFt;
}

// A number written back in the units a record was kept in is read back as the same amount, by
// the one factor the program converts with (39.3701 in/m, 25.399986 mm/in).
TEST(MaxFill, NumbersWrittenInTheUnitsOfTheRecordReadBackTheSame) {
    for (const bool us : {true, false}) {
        for (const double feet : {31.25, 34.16, 6.25}) {
            EXPECT_NEAR(maxfill::levelFeet(maxfill::levelInUnits(feet, us), us), feet, 1e-12);
        }
        for (const double inches : {0.312, 0.05})
            EXPECT_NEAR(maxfill::thicknessInches(maxfill::thicknessInUnits(inches, us), us), inches,
                        1e-12);
    }
    EXPECT_EQ(maxfill::levelShown(31.25, false), QStringLiteral("9.52"));
}

// A 40 ft (12.19 m) shell: a level too high for the shell in metres is feet; one that fits
// either way is read in the unit that brings it nearer the shell height.
TEST(MaxFill, UnitsOfARecordKeptAsTypedAreToldFromTheShellHeight) {
    using enum maxfill::RecordUnits;
    const struct {
        std::optional<bool> mark;
        double level;
        int shellIn;
        maxfill::RecordUnits units;
    } cases[] = {
        {true, 10.0, 480, US},
        {false, 34.0, 480, Metric},
        {std::nullopt, 34.16, 480, US},
        {std::nullopt, 10.41, 480, Metric},
        {std::nullopt, 20.0, 480, US},     // half the shell; 20 m would be far above it
        {std::nullopt, 12.2, 480, Metric}, // the full shell typed in metres, a hair above it
        {std::nullopt, 5.0, 480, Metric},
        {std::nullopt, 34.16, 0, Unknown},
        {std::nullopt, 0.0, 480, Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(maxfill::recordUnits(c.mark, c.level, c.shellIn), c.units) << c.level;
    EXPECT_NEAR(maxfill::storedLevelFeet(10.41, Metric), 34.1536, 1e-4);
    EXPECT_EQ(maxfill::storedLevelFeet(10.41, Unknown), 10.41);
}

} // namespace
} // namespace korvane
