#include "common/DateText.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace korvane {
namespace {

TEST(ParseDate, ReadsDayMonthYear) {
    const struct {
        const char16_t* text;
        QDate expected;
    } cases[] = {
        {u"5/3/20", {2020, 3, 5}},
        {u"05/Mar/2001", {2001, 3, 5}},
        {u"5-mar-01", {2001, 3, 5}},
        {u"5 MAR 1999", {1999, 3, 5}},
        {u"29/Feb/2000", {2000, 2, 29}},
        {u" \t5 / mar -  2001 ", {2001, 3, 5}},
        {u"5\t\tMarch  2001", {2001, 3, 5}},
        {u"5/SEPTEMBER/2001", {2001, 9, 5}},
        {u"5-3 2001", {2001, 3, 5}},
        {u"31/12/29", {2029, 12, 31}},
        {u"1/1/30", {1930, 1, 1}},
        {u"1/1/00", {2000, 1, 1}},
        {u"1/1/1753", {1753, 1, 1}},
        {u"31/Dec/9999", {9999, 12, 31}},
        {u"1/may/1999", {1999, 5, 1}},
        {u"20-12-05", {2005, 12, 20}},
        // The year first, with four digits.
        {u"2021-03-05", {2021, 3, 5}},
        {u"2021-3-5", {2021, 3, 5}},
        {u" 2020-12-31 ", {2020, 12, 31}},
        {u"2000/02/29", {2000, 2, 29}},
        {u"2021-Mar-05", {2021, 3, 5}},
    };
    for (const auto& c : cases) {
        const QString text = QStringView(c.text).toString();
        EXPECT_EQ(parseDate(text), std::optional(c.expected)) << text.toStdString();
        EXPECT_TRUE(readsAsDate(text)) << text.toStdString();
    }
}

TEST(ParseDate, RefusesWhatIsNotADate) {
    const char16_t* const cases[] = {
        u"31/Feb/2001",   u"29/Feb/2001",     u"0/Jan/2001",    u"32/1/2001",
        u"1/13/2001",     u"1/0/2001",        u"1/1/201",       u"1/1/5",
        u"1/1/1752",      u"1/1/20011",       u"1/1/0999",      u"",
        u"   ",           u"5/Mar",           u"5/Mar/",        u"5//Mar/2001",
        u"5/-Mar/2001",   u"5/Mar/2001x",     u"x5/Mar/2001",   u"5Mar2001",
        u"5/Ma/2001",     u"5/Marc/2001",     u"5/Mrz/2001",    u"5/Mayo/2001",
        u"005/3/2001",    u"5/003/2001",      u"5.3.2001",      u"2020-20-20",
        u"2021-13-05",    u"2021-02-30",      u"2001-02-29",    u"2021-03-005",
        u"2021-03",       u"1752-12-31",      u"202-03-05",     u"02021-03-05",
        u"21-03-05-2021", u"5/M\u00E4r/2001", u"\uFF15/3/2001", u"5/3/2001 10:00",
        u"5\n3\n2001",    u"-5/3/2001",       u"+5/3/2001",
    };
    for (const char16_t* c : cases) {
        const QString text = QStringView(c).toString();
        EXPECT_FALSE(readsAsDate(text)) << text.toStdString();
    }
}

// Long and random texts are answered promptly and without fault, and whatever is accepted is a
// valid date that reads back the same once formatted.
TEST(ParseDate, SurvivesHostileText) {
    const QString longDigits(200000, u'9');
    const QString hostile[] = {
        longDigits,
        QStringLiteral("1/") + longDigits,
        QStringLiteral("1/1/") + longDigits,
        QStringLiteral("1/Mar/") + QString(200000, u'0') + QStringLiteral("2001"),
        QString(200000, u'/'),
        QString(200000, u'a'),
        QString(200000, u' ') + QStringLiteral("5/3/20x"),
        QString(3, QChar(0)),
        QStringLiteral("5/3/") + QChar(0xD800),
    };
    for (const QString& text : hostile)
        EXPECT_FALSE(readsAsDate(text)) << text.left(20).toStdString();
    EXPECT_EQ(parseDate(QString(200000, u' ') + QStringLiteral("5/3/20")), QDate(2020, 3, 5));

    // Texts strung together from pieces of dates, half of them in the shape of one (number,
    // separator, month, separator, number), so that many read as a date and many nearly do.
    const QStringList numbers{"0",   "5",    "09",   "12",   "13",   "29",    "31", "99", "00",
                              "123", "1752", "2000", "2021", "9999", "20001", "",   "x",  "\uFF11"};
    const QStringList separators{"/", "-", " ", "\t", " / ", "//", "", "."};
    const QStringList months{"1",   "02",  "12",        "13",   "Jan",
                             "feb", "MAR", "september", "Marc", "\u00E9"};
    std::mt19937 random(2001);
    const auto any = [&random](const QStringList& list) {
        return list[std::uniform_int_distribution<qsizetype>(0, list.size() - 1)(random)];
    };
    std::uniform_int_distribution<int> length(0, 7);
    int accepted = 0;
    for (int i = 0; i < 100000; ++i) {
        QString text;
        if (i % 2 == 0) {
            text = any(numbers) + any(separators) + any(months) + any(separators) + any(numbers);
        } else {
            for (int n = length(random); n > 0; --n)
                text += any(random() % 2 ? numbers : separators);
        }
        const auto date = parseDate(text);
        if (!date)
            continue;
        ++accepted;
        ASSERT_TRUE(date->isValid()) << text.toStdString();
        ASSERT_EQ(parseDate(formatDate(*date)), date) << text.toStdString();
    }
    EXPECT_GT(accepted, 100);
}

TEST(FormatDate, WritesTwoDigitDayEnglishMonthFourDigitYear) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const struct {
        QDate date;
        const char* expected;
    } cases[] = {
        {{2001, 3, 5}, "05/Mar/2001"},
        {{1999, 12, 31}, "31/Dec/1999"},
        {{2000, 2, 29}, "29/Feb/2000"},
        {{999, 1, 1}, "01/Jan/0999"},
        {{2024, 9, 10}, "10/Sep/2024"},
        {{}, ""},
        {{2001, 2, 30}, ""},
        {{1, 1, 1}, "01/Jan/0001"},
        {{9999, 12, 31}, "31/Dec/9999"},
        {{10000, 1, 2}, "02/Jan/10000"},
        {{-44, 3, 15}, "15/Mar/-0044"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDate(c.date).toStdString(), c.expected);
    QLocale::setDefault(saved);

    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(parseDate(formatDate(QDate(2010, month, 28))), QDate(2010, month, 28));
}

// As Qt::ISODate writes a date, years outside 0 to 9999 and invalid dates included.
TEST(IsoDate, WritesAsQtDoes) {
    for (const QDate date :
         {QDate(2024, 3, 5), QDate(1, 1, 1), QDate(999, 12, 31), QDate(9999, 12, 31),
          QDate(10000, 1, 1), QDate(-1, 6, 30), QDate(), QDate(1753, 1, 1)})
        EXPECT_EQ(isoDate(date), date.toString(Qt::ISODate)) << date.toJulianDay();
    EXPECT_EQ(isoDate(QDate(2024, 11, 30)), QStringLiteral("2024-11-30"));
}

TEST(DateArithmetic, ClampsToTheEndOfTheMonth) {
    enum Unit { Months, Years };
    const struct {
        QDate from;
        int count;
        Unit unit;
        QDate expected;
    } cases[] = {
        {{2000, 8, 31}, 18, Months, {2002, 2, 28}},
        {{2000, 2, 29}, 1, Years, {2001, 2, 28}},
        {{2001, 3, 31}, -1, Months, {2001, 2, 28}},
        {{2000, 2, 29}, 4, Years, {2004, 2, 29}},
        {{2000, 2, 29}, -12, Months, {1999, 2, 28}},
        {{2000, 1, 31}, 1, Months, {2000, 2, 29}},
        {{1999, 12, 15}, 1, Months, {2000, 1, 15}},
        {{2000, 1, 15}, -1, Months, {1999, 12, 15}},
        {{2001, 5, 31}, -120, Months, {1991, 5, 31}},
        {{2001, 5, 31}, -10, Years, {1991, 5, 31}},
        {{2001, 4, 30}, 0, Months, {2001, 4, 30}},
        {{9999, 12, 31}, 1, Months, {}},
        {{9999, 1, 1}, 1, Years, {}},
        {{1, 1, 1}, -1, Months, {}},
        {{1, 12, 31}, -1, Years, {}},
        {{2001, 1, 1}, INT_MAX, Months, {}},
        {{2001, 1, 1}, INT_MIN, Months, {}},
        {{2001, 1, 1}, INT_MAX, Years, {}},
        {{2001, 1, 1}, INT_MIN, Years, {}},
        {{}, 1, Months, {}},
        {{}, 1, Years, {}},
    };
    for (const auto& c : cases) {
        const QDate moved =
            c.unit == Months ? addMonths(c.from, c.count) : addYears(c.from, c.count);
        EXPECT_EQ(moved, c.expected) << c.from.toString(Qt::ISODate).toStdString() << " + "
                                     << c.count << (c.unit == Months ? " months" : " years");
    }
}

} // namespace
} // namespace korvane
