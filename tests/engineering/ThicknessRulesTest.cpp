#include "engineering/ThicknessRules.h"

#include "common/Units.h"

#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace korvane::thickness {
namespace {

// What a thickness shows as, read back: the fast rounding gives, bit for bit, what writing the
// shown digits and reading them back gives, in inches (3 decimals) and millimetres (2), for
// exact ties (rounded away from zero), values a hair either side of them, negative values, and
// a spread of readings such as a gauge gives.
TEST(ThicknessRules, ShownValueIsTheNumberTheShownTextReadsAs) {
    const auto throughText = [](double inches, bool us) {
        const double value = us ? inches : inches * units::MillimetresPerInch;
        return QString::number(value, 'f', us ? 3 : 2).toDouble();
    };
    std::vector<double> values{0.0625,  -0.0625, 0.1875, 0.3125, 2.0625, 0.0005, 0.0015,
                               0.00049, 0.125,   0.375,  1.0,    0.0,    -0.25,  123.4565};
    for (const double tie : {0.0625, 0.1875, 0.125})
        for (const double away : {-1.0, 1.0})
            values.push_back(std::nextafter(tie, tie + away));
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> reading(0.0, 3.0);
    for (int i = 0; i < 20000; ++i)
        values.push_back(reading(random));
    for (const double v : values)
        for (const bool us : {true, false})
            ASSERT_EQ(shownValue(v, us), throughText(v, us))
                << QString::number(v, 'g', 17).toStdString() << (us ? " in" : " mm");
    EXPECT_EQ(shownValue(0.0625, true), 0.063);
    EXPECT_EQ(shownValue(-0.0625, true), -0.063);
}

} // namespace
} // namespace korvane::thickness
