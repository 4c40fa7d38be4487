#include "engineering/MinWall.h"

#include "common/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace korvane {
namespace {

// The worked tank: 120 ft across, 40 ft shell filled to 40 ft, eight welded courses, water,
// the least strengths the rule accepts.
MinWallInput workedTank() {
    MinWallInput in;
    in.mfgType = mfgtype::WeldButt;
    in.diameterIn = 120 * 12;
    in.heightIn = 40 * 12;
    in.levelIn = 40 * 12;
    in.courses = 8;
    in.specGravity = 1.0f;
    in.yieldPsi = 30000;
    in.tensilePsi = 55000;
    in.jointEff = 1.0;
    return in;
}

TEST(MinWall, WorkedWeldedTankUsesTheLowerStressOnTheFirstTwoCourses) {
    const MinWallInput in = workedTank();
    const auto stress = weldedAllowableStress(in.yieldPsi, in.tensilePsi);
    EXPECT_EQ(stress.lowerCourses, 23595); // min(24000, 23595)
    EXPECT_EQ(stress.upperCourses, 25960); // min(26400, 25960)

    const auto heads = fillHeights(in);
    ASSERT_EQ(heads.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(heads[static_cast<std::size_t>(i)], 40.0f - 5.0f * static_cast<float>(i))
            << "course " << i + 1;

    const auto walls = calcMinWall(in);
    ASSERT_EQ(walls.size(), 8u);
    // D x 2.6 = 312 for a 120 ft tank.
    EXPECT_NEAR(walls[0], 40.0 * 312.0 / 23595.0, 1e-6);
    EXPECT_EQ(formatNumber(walls[0], u"0.000"), QStringLiteral("0.529"));
    EXPECT_NEAR(walls[1], 35.0 * 312.0 / 23595.0, 1e-6);
    EXPECT_NEAR(walls[2], 30.0 * 312.0 / 25960.0, 1e-6); // course 3: the upper stress
    EXPECT_EQ(formatNumber(walls[2], u"0.000"), QStringLiteral("0.361"));
    EXPECT_NEAR(walls[6], 10.0 * 312.0 / 25960.0, 1e-6);
    EXPECT_EQ(walls[7], 0.1f); // 5 ft of head gives 0.060 in, below the floor
}

TEST(MinWall, EveryRivetedTypeUses21000PsiOnEveryCourse) {
    for (int type = mfgtype::RivetL1; type <= mfgtype::RivetB6; ++type) {
        MinWallInput in = workedTank();
        in.mfgType = type;
        in.jointEff = 0.85;
        const auto walls = calcMinWall(in);
        ASSERT_EQ(walls.size(), 8u) << "type " << type;
        for (int i = 0; i < 6; ++i) {
            const double head = 40.0 - 5.0 * i;
            EXPECT_NEAR(walls[static_cast<std::size_t>(i)], head * 312.0 / (21000.0 * 0.85), 1e-6)
                << "type " << type << " course " << i + 1;
        }
        EXPECT_EQ(walls[7], 0.1f) << "type " << type; // 5 * 312 / 17850 = 0.087
    }
}

TEST(MinWall, WeldLapIsWeldedLikeWeldButt) {
    MinWallInput lap = workedTank();
    lap.mfgType = mfgtype::WeldLap;
    EXPECT_EQ(calcMinWall(lap), calcMinWall(workedTank()));
}

TEST(MinWall, ThinCoursesAreRaisedToTheFloorAndThickerOnesKept) {
    MinWallInput in = workedTank();
    in.diameterIn = 60 * 12; // D x 2.6 = 156
    const auto walls = calcMinWall(in);
    ASSERT_EQ(walls.size(), 8u);
    // Top course: 5 * 156 / 25960 = 0.030 in, stored as the 0.1 in floor and shown 0.100.
    EXPECT_EQ(walls[7], 0.1f);
    EXPECT_EQ(formatNumber(walls[7], u"0.000"), QStringLiteral("0.100"));
    // Bottom course: 40 * 156 / 23595 = 0.264 in, above the floor and left alone.
    EXPECT_NEAR(walls[0], 40.0 * 156.0 / 23595.0, 1e-6);
    // Course 5: 20 * 156 / 25960 = 0.120 in; course 6: 15 * 156 / 25960 = 0.090 in.
    EXPECT_NEAR(walls[4], 20.0 * 156.0 / 25960.0, 1e-6);
    EXPECT_EQ(walls[5], 0.1f);
}

TEST(MinWall, GravityAndLevelScaleTheThickness) {
    MinWallInput in = workedTank();
    in.specGravity = 0.75f;
    in.levelIn = 38 * 12; // two feet of freeboard
    in.jointEff = 0.85;
    const auto walls = calcMinWall(in);
    ASSERT_EQ(walls.size(), 8u);
    EXPECT_NEAR(walls[0], 38.0 * 312.0 * 0.75 / (23595.0 * 0.85), 1e-6);
    EXPECT_NEAR(walls[3], 23.0 * 312.0 * 0.75 / (25960.0 * 0.85), 1e-6);
}

TEST(MinWall, AllowableStressTakesTheSmallerCandidateRoundedHalfToEven) {
    struct Case {
        qint32 yield, tensile, lower, upper;
    };
    const Case cases[] = {
        {30000, 55000, 23595, 25960}, // tensile governs both
        {30000, 70000, 24000, 26400}, // yield governs both: 30030 and 33040 are larger
        {36000, 58000, 24882, 27376},
        {30000, 57000, 24000, 26400}, // 24453 > 24000; 26904 > 26400
        {40000, 56500, 24238, 26668}, // 24238.5 goes to the even 24238
        {40000, 57500, 24668, 27140}, // 24667.5 goes to the even 24668
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto s = weldedAllowableStress(c.yield, c.tensile);
        EXPECT_EQ(s.lowerCourses, c.lower) << c.yield << " / " << c.tensile;
        EXPECT_EQ(s.upperCourses, c.upper) << c.yield << " / " << c.tensile;
    }
}

TEST(MinWall, InputsAreRefusedInTheRuleOrder) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    using enum MinWallRefusal;
    struct Case {
        const char* what;
        int type, diameterIn, heightIn, levelIn, courses;
        float gravity;
        double jointEff;
        MinWallRefusal expected;
    };
    // The worked tank is 1, 1440, 480, 480, 8, 1.0, 1.0; each row changes what it names.
    const Case cases[] = {
        {"as given", 1, 1440, 480, 480, 8, 1.0f, 1.0, None},
        {"no construction type", 0, 1440, 480, 480, 8, 1.0f, 1.0, NoConstructionType},
        {"type past the list", 12, 1440, 480, 480, 8, 1.0f, 1.0, NoConstructionType},
        {"no courses", 1, 1440, 480, 480, 0, 1.0f, 1.0, DataMissing},
        {"one course", 1, 1440, 480, 480, 1, 1.0f, 1.0, None},
        {"ten courses", 1, 1440, 480, 480, 10, 1.0f, 1.0, None},
        {"eleven courses", 1, 1440, 480, 480, 11, 1.0f, 1.0, TooManyCourses},
        {"gravity exactly 0.4", 1, 1440, 480, 480, 8, 0.4f, 1.0, None},
        {"gravity 0.39", 1, 1440, 480, 480, 8, 0.39f, 1.0, DataMissing},
        {"gravity not a number", 1, 1440, 480, 480, 8, nan, 1.0, DataMissing},
        {"level exactly 5 ft", 1, 1440, 480, 60, 8, 1.0f, 1.0, None},
        {"level 59 in", 1, 1440, 480, 59, 8, 1.0f, 1.0, DataMissing},
        {"height 59 in", 1, 1440, 59, 480, 8, 1.0f, 1.0, DataMissing},
        {"diameter 59 in", 1, 59, 480, 480, 8, 1.0f, 1.0, DataMissing},
        {"diameter exactly 200 ft", 1, 2400, 480, 480, 8, 1.0f, 1.0, None},
        {"diameter 200.08 ft", 1, 2401, 480, 480, 8, 1.0f, 1.0, DiameterTooLarge},
        {"joint efficiency 0", 1, 1440, 480, 480, 8, 1.0f, 0.0, DataMissing},
        {"joint efficiency negative", 3, 1440, 480, 480, 8, 1.0f, -0.85, DataMissing},
        {"joint efficiency not a number", 1, 1440, 480, 480, 8, 1.0f, static_cast<double>(nan),
         DataMissing},
        // Where several inputs are wrong, the first check in the rule's order speaks.
        {"no type, no courses", 0, 1440, 480, 480, 0, 1.0f, 1.0, NoConstructionType},
        {"no courses, too wide", 1, 3000, 480, 480, 0, 1.0f, 1.0, DataMissing},
        {"too many courses, too wide", 1, 3000, 480, 480, 12, 1.0f, 1.0, TooManyCourses},
        {"too wide, no efficiency", 1, 3000, 480, 480, 8, 1.0f, 0.0, DiameterTooLarge},
    };
    for (const Case& c : cases) {
        MinWallInput in = workedTank();
        in.mfgType = c.type;
        in.diameterIn = c.diameterIn;
        in.heightIn = c.heightIn;
        in.levelIn = c.levelIn;
        in.courses = c.courses;
        in.specGravity = c.gravity;
        in.jointEff = c.jointEff;
        EXPECT_EQ(checkMinWallInput(in), c.expected) << c.what;
        const auto walls = calcMinWall(in);
        if (c.expected == None) {
            ASSERT_EQ(walls.size(), static_cast<std::size_t>(in.courses)) << c.what;
            for (float t : walls)
                EXPECT_TRUE(std::isfinite(t) && t >= 0.1f) << c.what;
        } else {
            EXPECT_TRUE(walls.empty()) << c.what; // refused before anything is divided
        }
    }

    // Strengths below the least accepted are a question for the user, never a refusal.
    MinWallInput weak = workedTank();
    weak.yieldPsi = 20000;
    weak.tensilePsi = 40000;
    EXPECT_EQ(checkMinWallInput(weak), None);
    EXPECT_EQ(calcMinWall(weak).size(), 8u);
    // But a welded shell without a strength has no allowable stress to divide by; a riveted one
    // needs none.
    for (auto [type, yield, tensile, expected] :
         {std::tuple{1, 0, 55000, DataMissing}, std::tuple{2, 30000, -1, DataMissing},
          std::tuple{3, 0, 0, None}}) {
        weak.mfgType = type;
        weak.yieldPsi = yield;
        weak.tensilePsi = tensile;
        EXPECT_EQ(checkMinWallInput(weak), expected) << type << " " << yield << " " << tensile;
    }
}

TEST(MinWall, TheTwoStagesSplitAroundTheStrengthQuestions) {
    // The window asks about the strengths after the first stage and before the second, so the
    // first stage must not look at dimensions and the second not at type, courses or gravity.
    MinWallInput in = workedTank();
    in.diameterIn = 3000;
    in.jointEff = 0.0;
    EXPECT_EQ(checkCoursesAndGravity(in), MinWallRefusal::None);
    EXPECT_EQ(checkDimensions(in), MinWallRefusal::DiameterTooLarge);

    in = workedTank();
    in.mfgType = 0;
    in.specGravity = 0.1f;
    EXPECT_EQ(checkCoursesAndGravity(in), MinWallRefusal::NoConstructionType);
    EXPECT_EQ(checkDimensions(in), MinWallRefusal::None);
}

TEST(MinWall, RefusalsReadAsTheWindowShowsThem) {
    EXPECT_EQ(refusalText(MinWallRefusal::None), QString());
    EXPECT_EQ(refusalText(MinWallRefusal::NoConstructionType),
              QStringLiteral("Must select a Manufacturing Type"));
    EXPECT_EQ(refusalText(MinWallRefusal::DataMissing),
              QStringLiteral("Data missing for necessary calculations"));
    EXPECT_EQ(refusalText(MinWallRefusal::DiameterTooLarge),
              QStringLiteral("Current calculations are limited to tanks under 200'"));
    EXPECT_FALSE(refusalText(MinWallRefusal::TooManyCourses).isEmpty());
}

TEST(MinWall, StrengthsBelowTheLeastAcceptedAreOfferedARaise) {
    EXPECT_TRUE(needsYieldRaise(29999));
    EXPECT_FALSE(needsYieldRaise(30000));
    EXPECT_TRUE(needsYieldRaise(0));
    EXPECT_TRUE(needsTensileRaise(54999));
    EXPECT_FALSE(needsTensileRaise(55000));
    EXPECT_FALSE(needsTensileRaise(60000));
}

} // namespace
} // namespace korvane
