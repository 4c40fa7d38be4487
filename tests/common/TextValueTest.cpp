#include "common/TextValue.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvane {
namespace {

TEST(NumericValue, TakesTheLongestLeadingNumber) {
    const struct {
        const char16_t* text;
        double expected;
    } cases[] = {
        {u"12.5 ft", 12.5}, {u"-18", -18},   {u"", 0},
        {u"abc", 0},        {u"  .5", 0.5},  {u"\t \t3", 3},
        {u"\n5", 0},        {u"1e3x", 1000}, {u"1e", 1},
        {u"1e+", 1},        {u"1E-2", 0.01}, {u"2e+3", 2000},
        {u"+7", 7},         {u"1,000", 1},   {u"1 000", 1},
        {u"1.2.3", 1.2},    {u"5.", 5},      {u".", 0},
        {u"-", 0},          {u"+-3", 0},     {u"- 3", 0},
        {u" -.25e1", -2.5}, {u".e5", 0},     {u"00012", 12},
        {u"0x1A", 0},       {u"12abc", 12},  {u"1.5e2.5", 150},
        {u"1ee5", 1},       {u"\u0663", 0},  {u"\uFF11\uFF12", 0},
        {u"7\u00A0", 7},    {u"\u00A07", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numericValue(QStringView(c.text)), c.expected)
            << QStringView(c.text).toString().toStdString();
}

// Out-of-range numbers become the largest finite double, or zero, never an infinity; long digit
// runs are read in full, whatever their length.
TEST(NumericValue, ClampsWhatADoubleCannotHold) {
    constexpr double Largest = std::numeric_limits<double>::max();
    const QString nines(5000, u'9');
    const struct {
        QString text;
        double expected;
    } cases[] = {
        {QStringLiteral("1e400"), Largest},
        {QStringLiteral("-1e400 psi"), -Largest},
        {QStringLiteral("1e-400"), 0},
        {QStringLiteral("0.0001e-400"), 0},
        {QStringLiteral("1e99999999999999999999"), Largest},
        {QStringLiteral("-1e-99999999999999999999"), 0},
        {nines, Largest},
        {QStringLiteral("0.") + QString(5000, u'0') + u'1', 0},
        {u'1' + QString(400, u'0') + QStringLiteral("e-300"), 1e100},
        {QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1e405"), 1e4},
        {QStringLiteral("1.7976931348623157e308"), Largest},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numericValue(c.text), c.expected) << c.text.left(40).toStdString();
}

// A box that holds "0" holds a number; one that holds "ft" does not, though both read as 0.
TEST(BeginsWithNumber, TellsAZeroFromNoNumber) {
    const struct {
        const char16_t* text;
        bool expected;
    } cases[] = {
        {u"0", true},    {u"12 ft", true}, {u" .5", true}, {u"-3", true},   {u"+7e2", true},
        {u"5.", true},   {u"", false},     {u"ft", false}, {u"-", false},   {u".", false},
        {u"- 3", false}, {u"e5", false},   {u" ", false},  {u".e5", false}, {u"\u0663", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(beginsWithNumber(QStringView(c.text)), c.expected)
            << QStringView(c.text).toString().toStdString();
}

// Coordinates and area measurements must be numbers and nothing else.
TEST(PlainNumber, OnlyANumberWithNothingAfterIt) {
    const struct {
        const char16_t* text;
        double expected; // NaN: not a plain number
    } cases[] = {
        {u"12", 12},       {u" 3.75 ", 3.75}, {u"-0.5", -0.5}, {u"1e3", 1000},
        {u"25.4\t", 25.4}, {u"12 ft", NAN},   {u"1,000", NAN}, {u"", NAN},
        {u"N", NAN},       {u"0x10", NAN},    {u"1e", NAN},
    };
    for (const auto& c : cases) {
        const auto value = plainNumber(QStringView(c.text));
        if (std::isnan(c.expected))
            EXPECT_FALSE(value) << QStringView(c.text).toString().toStdString();
        else
            EXPECT_EQ(value.value_or(NAN), c.expected)
                << QStringView(c.text).toString().toStdString();
    }
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

// IDs fold as Qt folds them, the quick way for ASCII and Qt's own beyond it.
TEST(FoldedCase, FoldsAsQtDoes) {
    for (const char* text :
         {"C1-N1", "c1-n1", "", "AZ@[`az{", "Äu-1", "ΣΑΣ", "ß-Straße", "T-101 ROOF"})
        EXPECT_EQ(foldedCase(QString::fromUtf8(text)), QString::fromUtf8(text).toCaseFolded())
            << text;
    const QString lower = QString::fromLatin1("c1-n1");
    EXPECT_TRUE(foldedCase(lower).isSharedWith(lower)); // nothing to fold: no copy
}

} // namespace
} // namespace korvane
