#include "engineering/InspectionSchedule.h"

#include "common/DateText.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvane::schedule {
namespace {

QDate date(const char* text) {
    return parseDate(QString::fromLatin1(text)).value_or(QDate());
}

TEST(InspectionSchedule, NextDateAddsYearsOrMonthsAndClampsTheDay) {
    const struct {
        const char* last;
        qint64 n;
        bool years;
        const char* next; // "" = no date
    } cases[] = {
        {"15/Jun/1998", 5, true, "15/Jun/2003"},
        {"31/Aug/2000", 18, false, "28/Feb/2002"},
        {"29/Feb/2000", 1, true, "28/Feb/2001"},
        {"29/Feb/2000", 4, true, "29/Feb/2004"},
        {"31/Jan/2001", 1, false, "28/Feb/2001"},
        {"15/Mar/2023", -6, false, "15/Sep/2022"},
        {"15/Mar/2023", 0, true, "15/Mar/2023"},
        {"01/Jan/2000", 8000, true, ""}, // beyond the calendar
        {"01/Jan/2000", std::numeric_limits<qint64>::max(), true, ""},
        {"01/Jan/2000", std::numeric_limits<qint64>::min(), false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDate(nextDate(date(c.last), c.n, c.years)).toStdString(), c.next)
            << c.last << " + " << c.n << (c.years ? " years" : " months");
    EXPECT_FALSE(nextDate(QDate(), 5, true).isValid());
}

TEST(InspectionSchedule, StoredFrequencyIsYearsWhenPositiveMonthsWhenNegative) {
    const struct {
        double frequency;
        const char* next;
    } cases[] = {
        {5, "15/Jun/2003"},
        {-18, "15/Dec/1999"},
        {-6, "15/Dec/1998"},
        {2.5, "15/Jun/2000"},
        {3.5, "15/Jun/2002"},
        {0, ""},
        {0.4, ""},
        {-0.5, ""},
        {1e300, ""},
        {-1e300, ""},
        {std::numeric_limits<double>::quiet_NaN(), ""},
        {std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDate(nextDueDate(date("15/Jun/1998"), c.frequency)).toStdString(), c.next)
            << c.frequency;
}

// A tank is marked when any inspection falls due this calendar year or earlier.
TEST(InspectionSchedule, DueThisCalendarYearOrEarlier) {
    const struct {
        const char* today;
        double frequency;
        const char* last;
        bool due;
    } cases[] = {
        // Every 5 years from a date in 2019: due in 2024 (any day of it) and every year after.
        {"01/Jan/2024", 5, "20/Nov/2019", true},
        {"15/Jun/2031", 5, "20/Nov/2019", true},
        {"31/Dec/2023", 5, "20/Nov/2019", false},
        // Every 6 months from March of last year: due last September.
        {"15/Jun/2024", -6, "10/Mar/2023", true},
        // Next due on 31 December of this year counts from 1 January.
        {"01/Jan/2024", -12, "31/Dec/2023", true},
        {"01/Jan/2024", 1, "31/Dec/2023", true},
        {"01/Jan/2024", 1, "01/Jan/2024", false},
        // No frequency, no last date, or a last date that is no date: never due.
        {"15/Jun/2024", 0, "01/Jan/1990", false},
        {"15/Jun/2024", 5, "", false},
        {"15/Jun/2024", 5, "not a date", false},
        {"15/Jun/2024", 1e300, "01/Jan/1990", false},
    };
    for (const auto& c : cases) {
        std::array<StoredInspection, Kinds.size()> tank{};
        const QString last = QString::fromLatin1(c.last);
        tank[0] = {c.frequency, last};
        EXPECT_EQ(anyDue(tank, date(c.today)), c.due)
            << c.frequency << " from " << c.last << " on " << c.today;
    }
}

// The grid works the due year out without the day; it must agree with the full date.
TEST(InspectionSchedule, DueMarkAgreesWithTheNextDueDate) {
    const char* lasts[] = {"31/Aug/2000", "29/Feb/2000", "01/Jan/2020",
                           "31/Dec/2019", "15/Jul/1753", "31/Dec/9990"};
    const double frequencies[] = {1, 5, 2.5, 3.5, -1, -6, -11, -12, -13, -18, -119, 7999, -99999};
    const QDate todays[] = {QDate(2019, 12, 31), QDate(2020, 1, 1), QDate(2024, 6, 15),
                            QDate(9999, 12, 31)};
    for (const char* text : lasts) {
        const QString last = QString::fromLatin1(text);
        for (double f : frequencies) {
            for (const QDate& today : todays) {
                std::array<StoredInspection, Kinds.size()> tank{};
                tank[2] = {f, last};
                EXPECT_EQ(anyDue(tank, today), isDue(nextDueDate(date(text), f), today))
                    << f << " from " << text << " on " << today.toString().toStdString();
            }
        }
    }
}

TEST(InspectionSchedule, AnyOfTheFiveKindsMarksTheTank) {
    const QString old = QStringLiteral("01/Jan/2010");
    const QString recent = QStringLiteral("01/Jan/2024");
    for (std::size_t due = 0; due < Kinds.size(); ++due) {
        std::array<StoredInspection, Kinds.size()> tank{};
        for (std::size_t k = 0; k < Kinds.size(); ++k)
            tank[k] = {5, k == due ? QStringView(old) : QStringView(recent)};
        EXPECT_TRUE(anyDue(tank, date("15/Jun/2024"))) << Kinds[due].label;
    }
    std::array<StoredInspection, Kinds.size()> none{};
    EXPECT_FALSE(anyDue(none, date("15/Jun/2024")));
    EXPECT_FALSE(isDue(QDate(), date("15/Jun/2024")));
    EXPECT_FALSE(isDue(date("15/Jun/2024"), QDate()));
}

} // namespace
} // namespace korvane::schedule
