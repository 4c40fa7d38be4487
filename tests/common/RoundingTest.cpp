#include "common/Rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace korvane {
namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    const struct {
        double value;
        double expected;
    } cases[] = {
        {12.5, 12},
        {13.5, 14},
        {-2.5, -2},
        {2.4999, 2},
        {0.5, 0},
        {1.5, 2},
        {-1.5, -2},
        {-0.5, 0},
        {2.5000001, 3},
        {-3.7, -4},
        {0.49999999999999994, 0},
        {4503599627370494.5, 4503599627370494},
        {1e300, 1e300},
        {-Inf, -Inf},
    };
    // The result must not follow the rounding mode in force.
    const int savedMode = std::fegetround();
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (const auto& c : cases)
            EXPECT_EQ(roundHalfEven(c.value), c.expected) << c.value << " in mode " << mode;
    }
    std::fesetround(savedMode);
    EXPECT_TRUE(std::isnan(roundHalfEven(NaN)));
}

// A value that fits gives the rounded number; one that does not gives `problem` followed by the
// field's range, e.g. "The number 40000 is too large" and ": it must lie between ...".
struct IntegerCase {
    double value;
    std::optional<qint64> fits;
    const char* problem = "";
};

template <class T, std::size_t N>
void check(Result<T> (*convert)(double), const char* range, const IntegerCase (&cases)[N]) {
    for (const auto& c : cases) {
        const Result<T> result = convert(c.value);
        ASSERT_EQ(result.ok(), c.fits.has_value()) << c.value;
        if (result.ok())
            EXPECT_EQ(qint64{*result}, *c.fits) << c.value;
        else
            EXPECT_EQ(result.error().toStdString(), std::string(c.problem) + range) << c.value;
    }
}

TEST(IntegerConversion, RoundsThenChecksTheRange) {
    const IntegerCase int16Cases[] = {
        {12.5, 12},
        {-0.4, 0},
        {32767.4, 32767},
        {-32768.5, -32768},
        {32767.5, {}, "The number 32767.5 is too large"},
        {40000, {}, "The number 40000 is too large"},
        {-32768.6, {}, "The number -32768.6 is too small"},
        {Inf, {}, "The number is too large"},
        {-Inf, {}, "The number is too small"},
        {NaN, {}, "The value is not a number"},
    };
    check(toInt16, ": it must lie between -32768 and 32767.", int16Cases);

    const IntegerCase int32Cases[] = {
        {2147483647.4, 2147483647},
        {-2147483648.5, -2147483648},
        {2147483647.5, {}, "The number 2147483647.5 is too large"},
        {1e10, {}, "The number 10000000000 is too large"},
        {-1e300, {}, "The number -1e+300 is too small"},
    };
    check(toInt32, ": it must lie between -2147483648 and 2147483647.", int32Cases);

    const IntegerCase byteCases[] = {
        {254.5, 254},
        {-0.5, 0},
        {0.5, 0},
        {255.5, {}, "The number 255.5 is too large"},
        {-0.6, {}, "The number -0.6 is too small"},
        {NaN, {}, "The value is not a number"},
    };
    check(toByte, ": it must lie between 0 and 255.", byteCases);
}

} // namespace
} // namespace korvane
