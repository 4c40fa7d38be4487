#include "common/NumberFormat.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <limits>

namespace korvane {
namespace {

struct FormatCase {
    double value;
    const char16_t* pattern;
    const char* expected;
};

void check(const FormatCase& c) {
    EXPECT_EQ(formatNumber(c.value, QStringView(c.pattern)).toStdString(), c.expected)
        << c.value << " with " << QStringView(c.pattern).toString().toStdString();
}

TEST(FormatNumber, PadsAndRoundsByThePattern) {
    const FormatCase cases[] = {
        {120.5, u"###.00", "120.50"},
        {0.5, u"###.00", ".50"},
        {0.25, u"0.000", "0.250"},
        {1446.0 / 12, u"###.00", "120.50"},
        {12345, u"###.00", "12345.00"},
        {0, u"###.00", ".00"},
        {0, u"##0.00", "0.00"},
        {7, u"#00.00", "07.00"},
        {1234.56, u"###0.0", "1234.6"},
        {0.99999, u"#0.000", "1.000"},
        {3.14159, u"0.0000", "3.1416"},
        {0.00004, u"#0.0000", "0.0000"},
        {99.996, u"#0.00", "100.00"},
        {1e20, u"######", "100000000000000000000"},
        {0, u"######", ""},
        {0.4, u"######", ""},
        {1234567, u"######", "1234567"},
        {5, u"", "5"},
        // Halfway cases of the exact double go away from zero; 2.675 and 1.005 are stored just
        // below their written value, 0.0005 just above.
        {0.125, u"#0.00", "0.13"},
        {-0.125, u"#0.00", "-0.13"},
        {2.5, u"######", "3"},
        {0.5, u"######", "1"},
        {2.675, u"#0.00", "2.67"},
        {1.005, u"#0.00", "1.00"},
        {0.0005, u"0.000", "0.001"},
        {0.0004, u"0.000", "0.000"},
        // '#' after the point: decimals shown only when they are not trailing zeros.
        {1.5, u"0.0#", "1.5"},
        {1.25, u"0.0#", "1.25"},
        {2, u"#.##", "2"},
        {0.004, u"#.##", ""},
    };
    for (const auto& c : cases)
        check(c);
}

TEST(FormatNumber, SignOnlyWhenSomethingNonZeroIsShown) {
    const FormatCase cases[] = {
        {-3.5, u"#0.00", "-3.50"}, {-0.5, u"###.00", "-.50"}, {-0.001, u"#0.00", "0.00"},
        {-0.0, u"#0.00", "0.00"},  {-0.3, u"######", ""},     {-12345, u"###.00", "-12345.00"},
    };
    for (const auto& c : cases)
        check(c);
}

TEST(FormatNumber, OddValuesAndPatternsNeverFail) {
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const FormatCase cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), u"#0.00", ""},
        {Inf, u"#0.00", ""},
        {-Inf, u"###.00", ""},
        {1.5, u"0.0x", "1.5"}, // not a display pattern: plain number
        {1.5, u"0.0.0", "1.5"},
        {-2.25, u"#,##0.00", "-2.25"},
    };
    for (const auto& c : cases)
        check(c);

    const QString largest = formatNumber(std::numeric_limits<double>::max(), u"#0.00");
    EXPECT_EQ(largest.size(), 309 + 3);
    EXPECT_TRUE(largest.startsWith(u"17976931348623157") && largest.endsWith(u".00"));

    // Many decimals give the double's exact expansion, padded with zeros.
    const QString manyDecimals = QStringLiteral("0.") + QString(120, u'0');
    const QString tenth = formatNumber(0.1, manyDecimals);
    EXPECT_EQ(tenth.size(), 122);
    EXPECT_TRUE(tenth.startsWith(u"0.1000000000000000055511151231257827021181583404541015625000"));
}

TEST(FormatNumber, IgnoresTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatNumber(1234.5, u"#0.00"), QStringLiteral("1234.50"));
    EXPECT_EQ(numberText(1234.5), QStringLiteral("1234.5"));
    QLocale::setDefault(saved);
}

// Worked-out values go into boxes and default answers, and must read back as the same number.
TEST(NumberText, WritesPlainNumbersThatReadBack) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {12, "12"},
        {1446, "1446"},
        {2.5, "2.5"},
        {-18, "-18"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.3"},
        {30000 / 6.894757, "4351.13231691849"},
        {1e20, "1e+20"},
        {std::numeric_limits<double>::quiet_NaN(), ""},
        {std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberText(c.value).toStdString(), c.expected) << c.value;
}

} // namespace
} // namespace korvane
