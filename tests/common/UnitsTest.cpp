#include "common/Units.h"

#include "common/NumberFormat.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace units;

// Wall thicknesses as the program shows them. 0.625 in and 1.875 in land next to a halfway
// hundredth, so the shown millimetres tell the fixed factor from the exact 25.4.
TEST(Units, ThicknessShowsInInchesOrMillimetres) {
    const struct {
        double inches;
        bool us;
        const char* shown;
    } cases[] = {
        {0.625, false, "15.87"}, // 0.625 x 25.399986 = 15.87499125 (25.4 would give 15.875: 15.88)
        {1.875, false, "47.62"}, // 1.875 x 25.399986 = 47.62497375 (25.4: 47.625, 47.63)
        {0.25, false, "6.35"},   // 6.3499965
        {1.0, false, "25.40"},   // 25.399986
        {0.625, true, "0.625"},  // inches as they are
        {0.0625, true, "0.063"}, // 0.0625 is exact in binary: halfway, away from zero
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatThickness(c.inches, c.us).toStdString(), c.shown)
            << c.inches << (c.us ? " in" : " in as mm");
}

// The other factors, applied the way the program applies them, to values that show their last
// digits: the exact definitions (1 in = 2.54 cm, 1 psi = 6.894757293 kPa) give different figures.
TEST(Units, FixedFactorsGiveTheFiguresShown) {
    const struct {
        const char* what;
        double value;
        const char16_t* pattern;
        const char* shown;
    } cases[] = {
        // 625 / 39.3701 = 15.8749914 (625 x 0.0254 = 15.875 exactly would show 15.88).
        {"625 in as m", 625 / InchesPerMetre, u"###.00", "15.87"},
        // 30 x 39.3701 = 1181.103 (30 / 0.0254 = 1181.1024).
        {"30 m as in", 30 * InchesPerMetre, u"0.000", "1181.103"},
        // 204 x 0.393701 = 80.315004 (204 / 2.54 = 80.3149606: 80.31).
        {"204 cm as in", 204 * InchesPerCentimetre, u"#00.00", "80.32"},
        // 96 x 2.5399986 = 243.8398656.
        {"96 in as cm", 96 * CentimetresPerInch, u"#00.00", "243.84"},
        // 10 / 25.399986 = 0.3937010.
        {"10 mm as in", 10 / MillimetresPerInch, u"0.000", "0.394"},
        // 24453 x 6.894757 = 168597.492921 (by 6.894757293: 168597.50009, 168598).
        {"24453 psi as kPa", 24453 * KPaPerPsi, u"######", "168597"},
        // 1446 / 12 = 120.5.
        {"1446 in as ft", 1446 / InchesPerFoot, u"###.00", "120.50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, QStringView(c.pattern)).toStdString(), c.shown) << c.what;
}

} // namespace
} // namespace korvane
