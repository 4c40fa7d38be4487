#include "common/Units.h"

#include "common/NumberFormat.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace units;

// Conversions as the program shows them, with the fixed factors and the display patterns.
TEST(Units, ConvertAndShowAsThePatternsSay) {
    const struct {
        double value;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {1446 / InchesPerFoot, FeetFormat, "120.50"},
        {10 / MillimetresPerInch, InchFormat, "0.394"},
        {0.5 * MillimetresPerInch, MillimetreFormat, "12.70"},
        {100 * KPaPerPsi, MillimetreFormat, "689.48"},
        {1200 / InchesPerMetre, MetreFormat, "30.48"},
        {100 * InchesPerCentimetre, InchFormat, "39.370"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, QString::fromLatin1(c.pattern)).toStdString(), c.expected)
            << c.value << " with " << c.pattern;
}

} // namespace
} // namespace korvane
