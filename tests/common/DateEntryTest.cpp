#include "common/DateEntry.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace korvane::dateentry {
namespace {

// What a box that does not check its date shows once it is left.
TEST(DateEntry, StandardTextRewritesOnlyWhatReadsAsADate) {
    const struct {
        const char* text;
        const char* expected; // "" = left as typed
    } cases[] = {
        {"5/3/2001", "05/Mar/2001"},
        {"3/5/01", "03/May/2001"},
        {"2001-03-05", "05/Mar/2001"},
        {"31/12/99", "31/Dec/1999"},
        {"05/Mar/2001", ""}, // already so
        {"31/2/01", ""},     // no such day
        {"5/3/200", ""},
        {"5/3/2", ""},
        {"about 12", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto rewritten = standardText(QString::fromLatin1(c.text));
        EXPECT_EQ(rewritten.value_or(QString()).toStdString(), c.expected) << c.text;
    }
}

TEST(DateEntry, LeavingTheBoxRefusesWhatIsNoDateOrLiesAfterToday) {
    const QDate today(2024, 6, 15);
    using enum Verdict;
    const struct {
        const char* text;
        Verdict verdict;
        const char* shown;
    } cases[] = {
        {"", Empty, ""},
        {"   ", Empty, ""},
        {"31/Feb/2001", NotADate, ""},
        {"05/Mar/202001", NotADate, ""},
        {"yesterday", NotADate, ""},
        {"16/Jun/2024", BeyondToday, ""},
        {"1/1/2025", BeyondToday, ""},
        {"15/Jun/2024", Accepted, "15/Jun/2024"},
        {"14/6/24", Accepted, "14/Jun/2024"},
        {"5-Mar-2001", Accepted, "05/Mar/2001"},
        {" 5 march 1999 ", Accepted, "05/Mar/1999"},
        {"05/Mar/2021", Accepted, "05/Mar/2021"},
        {"2024-06-15", Accepted, "15/Jun/2024"},
        {"2024-06-16", BeyondToday, ""},
        {"5/3/2", NotADate, ""},
    };
    for (const auto& c : cases) {
        const LeaveCheck check = checkOnLeave(QString::fromLatin1(c.text), today);
        EXPECT_EQ(check.verdict, c.verdict) << c.text;
        EXPECT_EQ(check.text.toStdString(), c.shown) << c.text;
    }
    EXPECT_EQ(refusalText(NotADate), QStringLiteral("Invalid Date"));
    EXPECT_EQ(refusalText(BeyondToday), QStringLiteral("Date entered is beyond today!"));
    EXPECT_TRUE(refusalText(Accepted).isEmpty());
    EXPECT_STREQ(EntryErrorTitle, "Entry Error");
}

} // namespace
} // namespace korvane::dateentry
