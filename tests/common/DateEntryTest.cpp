#include "common/DateEntry.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace korvane::dateentry {
namespace {

// What the box shows after each key when a date is typed one character at a time.
QStringList typedKeyByKey(const QString& keys) {
    QString text;
    QStringList shown;
    for (const QChar key : keys) {
        text += key;
        if (const auto formatted = reformatWhileTyping(text))
            text = *formatted;
        shown << text;
    }
    return shown;
}

TEST(DateEntry, TypingRewritesTheDateOnceAYearFollowsASlash) {
    // 5/3/2001 typed key by key is taken as 2020 as soon as "5/3/20" stands; the rest of the
    // year then makes a text that is no date, which leaving the box reports.
    EXPECT_EQ(typedKeyByKey(QStringLiteral("5/3/2001")),
              (QStringList{"5", "5/", "5/3", "5/3/", "5/3/2", "05/Mar/2020", "05/Mar/20200",
                           "05/Mar/202001"}));
    // A two-digit day with a one-digit year so far waits for the second digit of the year.
    EXPECT_EQ(typedKeyByKey(QStringLiteral("15/03/24")).mid(5),
              (QStringList{"15/03/", "15/03/2", "15/Mar/2024"}));
    // Month names and other separators are left for leaving the box.
    EXPECT_EQ(typedKeyByKey(QStringLiteral("5-Mar-2001")).last(), QStringLiteral("5-Mar-2001"));
    EXPECT_EQ(typedKeyByKey(QStringLiteral("5/Mar/01")).last(), QStringLiteral("05/Mar/2001"));
}

TEST(DateEntry, RewritesOnlyTextsThatEndInAYearAndReadAsADate) {
    const struct {
        const char* text;
        const char* expected; // "" = left as typed
    } cases[] = {
        {"5/3/2001", "05/Mar/2001"}, // pasted whole
        {"31/12/99", "31/Dec/1999"},
        {"29/2/2000", "29/Feb/2000"},
        {"05/Mar/2001", ""}, // already so
        {"31/2/01", ""},     // no such day
        {"5/13/01", ""},
        {"5/3/200", ""},
        {"12/1", ""},
        {"abc/12", ""},
        {"/12", ""},
        {"5/3/20 ", ""},
        {"", ""},
        {"/", ""},
    };
    for (const auto& c : cases) {
        const auto rewritten = reformatWhileTyping(QString::fromLatin1(c.text));
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
