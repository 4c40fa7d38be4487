#include "engineering/ReadingChecks.h"

#include "StoredReading.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace readingcheck;

QDate day(const char* iso) {
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

std::optional<Earlier> before(const char* iso, double inches) {
    return Earlier{day(iso), inches};
}

QString described(const Flags& flags) {
    QStringList lines;
    for (const Flag& f : flags)
        lines << flagsText({f});
    return lines.join(QLatin1Char('\n'));
}

// Each check at its limit and just past it, with the reason as the user reads it. Course 1
// (code 2) has a minimum of 0.300 in; code 5 has none. Four years from 01/Jan/2020 are 1,461
// days: exactly 4.0 years of 365.25 days, so the plausible rate allows 0.200 in.
TEST(ReadingChecks, EachCheckAtItsLimitAndPastIt) {
    const struct {
        const char* name;
        double inches;
        bool enteredUS;
        const char* date;
        std::optional<Earlier> previous;
        std::optional<double> minimum;
        bool shownUS;
        const char* expected; // the stored text of the flags
    } cases[] = {
        {"within the gauge tolerance", 0.260, true, "2024-03-01", before("2021-03-01", 0.250), 0.2,
         true, ""},
        {"thicker", 0.262, true, "2024-03-01", before("2021-03-01", 0.250), 0.2, true,
         "thicker: thicker than 2021 (0.250 -> 0.262)"},
        {"thicker, in mm", 0.262, true, "2024-03-01", before("2021-03-01", 0.250), 0.2, false,
         "thicker: thicker than 2021 (6.35 -> 6.65)"},
        {"thinner at the plausible rate", 0.800, true, "2024-01-01", before("2020-01-01", 1.000),
         0.3, true, ""},
        {"thinner faster", 0.780, true, "2024-01-01", before("2020-01-01", 1.000), 0.3, true,
         "thinner: thinner than 2020 (1.000 -> 0.780): 0.055 in/yr, more than 0.050 in/yr, a "
         "likely slip"},
        {"thinner faster, in mm", 0.780, true, "2024-01-01", before("2020-01-01", 1.000), 0.3,
         false,
         "thinner: thinner than 2020 (25.40 -> 19.81): 1.40 mm/yr, more than 1.27 mm/yr, a "
         "likely slip"},
        {"30% lost", 0.350, true, "2024-01-01", before("2010-01-01", 0.500), 0.1, true, ""},
        {"more than 30% lost", 0.340, true, "2024-01-01", before("2010-01-01", 0.500), 0.1, true,
         "thinner: thinner than 2010 (0.500 -> 0.340): 32% lost, a likely slip"},
        {"thinner on the same day", 0.480, true, "2024-01-01", before("2024-01-01", 0.500), 0.1,
         true,
         "thinner: thinner than 2024 (0.500 -> 0.480) on the same day, a likely slip\n"
         "soon: less than six months after 01/Jan/2024: no rate from this pair"},
        {"six months after", 0.250, true, "2024-09-01", before("2024-03-01", 0.250), 0.2, true, ""},
        {"a day short of six months", 0.250, true, "2024-08-31", before("2024-03-01", 0.250), 0.2,
         true, "soon: less than six months after 01/Mar/2024: no rate from this pair"},
        {"half the minimum", 0.150, true, "2024-01-01", std::nullopt, 0.3, true, ""},
        {"below half the minimum", 0.149, true, "2024-01-01", std::nullopt, 0.3, true,
         "implausible: below half the course 1 minimum of 0.300 (0.149): implausible"},
        {"3 inches", 3.000, true, "2024-01-01", std::nullopt, 0.3, true, ""},
        // 3.5 in read as millimetres is 0.138 in, under half the minimum: no plate either way.
        {"above 3 inches", 3.500, true, "2024-01-01", std::nullopt, 0.3, true,
         "implausible: above 3.000 in (3.500): implausible"},
        {"above 3 inches, in mm", 3.500, true, "2024-01-01", std::nullopt, 0.3, false,
         "implausible: above 76.20 mm (88.90): implausible"},
        {"millimetres typed for inches", 6.35, true, "2024-01-01", std::nullopt, 0.3, true,
         "unit: looks like millimetres, not inches: 6.350 millimetres is 0.250 in"},
        {"inches typed for millimetres", 0.25 / 25.399986, false, "2024-01-01", std::nullopt, 0.3,
         false, "unit: looks like inches, not millimetres: 0.25 inches is 6.35 mm"},
        // 2.5 could be a plate in inches, but only 2.5 mm is near the point's last 0.100 in;
        // the comparison with the last reading is then left out.
        {"the other unit near the last reading", 2.5, true, "2024-01-01",
         before("2020-01-01", 0.100), 0.1, true,
         "unit: looks like millimetres, not inches: 2.500 millimetres is 0.098 in"},
    };
    for (const auto& c : cases) {
        const Candidate reading{QStringLiteral("A"), day(c.date), c.inches, 2, c.enteredUS};
        Context context;
        context.previous = c.previous;
        context.minimum = c.minimum;
        const Flags flags = check(reading, context, Settings{}, c.shownUS);
        EXPECT_EQ(described(flags), QString::fromLatin1(c.expected)) << c.name;
    }
}

TEST(ReadingChecks, TheOtherUnitOffersItsConversionAndLimitsComeFromTheSettings) {
    Context context;
    context.minimum = 0.3;
    const Flags flags =
        check({QStringLiteral("A"), day("2024-01-01"), 6.35, 2, true}, context, {}, true);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_NEAR(flags[0].convertedInches.value_or(0), 0.25, 1e-6);
    EXPECT_TRUE(hasRed(flags));

    // A looser gauge and a faster plausible rate let the same readings pass.
    context.previous = before("2020-01-01", 1.000);
    EXPECT_EQ(
        check({QStringLiteral("A"), day("2024-01-01"), 1.015, 2, true}, context, {}, true).size(),
        1u);
    EXPECT_TRUE(check({QStringLiteral("A"), day("2024-01-01"), 1.015, 2, true}, context,
                      {0.020, 0.050}, true)
                    .empty());
    EXPECT_TRUE(check({QStringLiteral("A"), day("2024-01-01"), 0.790, 2, true}, context,
                      {0.010, 0.060}, true)
                    .empty());
}

TEST(ReadingChecks, RedAskAmberIsKeptAndTheStoredTextReadsBack) {
    EXPECT_EQ(severity(Kind::Thicker), Severity::Amber);
    EXPECT_EQ(severity(Kind::TooSoon), Severity::Amber);
    for (Kind k : {Kind::Thinner, Kind::Implausible, Kind::SimilarPoint, Kind::OtherUnit})
        EXPECT_EQ(severity(k), Severity::Red);

    const Flags flags{{Kind::Thicker, QStringLiteral("thicker than 2021 (0.250 -> 0.262)")},
                      {Kind::SimilarPoint, QStringLiteral("new point; the tank has C1-N1")}};
    const QString stored = flagsText(flags);
    const Flags back = parseFlags(stored + QStringLiteral("\nnonsense\nlater: a kind to come"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].kind, Kind::Thicker);
    EXPECT_EQ(back[1].reason, QStringLiteral("new point; the tank has C1-N1"));
    EXPECT_TRUE(hasRed(back));
    EXPECT_FALSE(hasRed({back[0]}));
    EXPECT_TRUE(parseFlags(QString()).empty());
}

TEST(ReadingChecks, PointsThatLookAlike) {
    const struct {
        const char* a;
        const char* b;
        bool alike;
    } cases[] = {
        {"C1-N1", "C1-NI", true}, {"C1-N1", "c1 n1", true},  {"A-01", "A-O1", true},
        {"S1/L2", "s1.12", true}, {"C1-N1", "C1-N2", false}, {"C1-N1", "C1-N11", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(looksAlike(QString::fromLatin1(c.a), QString::fromLatin1(c.b)), c.alike)
            << c.a << " " << c.b;
}

// A file's rows are checked against the tank and against the rows before them: its course comes
// from the point's latest reading, a second reading of a point on one day is too soon, and a new
// point like one the file brought in is asked about.
TEST(ReadingChecks, EntriesAreCheckedInOrderAgainstTheTankAndEachOther) {
    TankFacts tank;
    tank.courses = 2;
    tank.minimums[2] = 0.30;
    tank.minimums[3] = 0.25;
    tank.history = PointHistory({test::storedReading("C1-N1", "01/Mar/2019", 0.40, 3),
                                 test::storedReading("c1-n1", "01/Mar/2021", 0.38, 2),
                                 test::storedReading("C2-E1", "01/Mar/2021", 0.30, 3)});
    EXPECT_EQ(tank.history.course(QStringLiteral("C1-N1")), 2);
    EXPECT_EQ(tank.history.previous(QStringLiteral("C1-N1"), day("2020-01-01"))->inches, 0.40);
    EXPECT_FALSE(tank.history.previous(QStringLiteral("C1-N1"), day("2019-02-28")));

    const auto entry = [](const char* point, double inches, int course) {
        Entry e;
        e.pointId = QString::fromLatin1(point);
        e.inches = inches;
        e.course = course;
        e.date = day("2024-03-01");
        return e;
    };
    std::vector<Entry> entries{entry("C1-N1", 0.37, 0), entry("C1-N1", 0.37, 0),
                               entry("NEW-O1", 0.3, 3), entry("NEW-01", 0.3, 3),
                               entry("NEW-2", 0.3, 0),  entry("C2-EI", 0.3, 3),
                               entry("NEW-0I", 0.3, 3)};
    entries[2].error = QStringLiteral("no taken-by");
    checkEntries(entries, tank, true);
    EXPECT_EQ(entries[0].course, 2);
    EXPECT_TRUE(entries[0].flags.empty()) << described(entries[0].flags).toStdString();
    EXPECT_EQ(described(entries[1].flags),
              QStringLiteral("soon: less than six months after 01/Mar/2024: no rate from this "
                             "pair"));
    // A row with an error is neither checked nor known to the rows after it.
    EXPECT_TRUE(entries[2].flags.empty());
    EXPECT_TRUE(entries[3].flags.empty());
    EXPECT_EQ(entries[4].error,
              QStringLiteral("no course, and the point has no earlier reading to take one from"));
    EXPECT_EQ(entries[5].error, QString());
    EXPECT_EQ(described(entries[5].flags),
              QStringLiteral("similar: new point; the tank has C2-E1"));
    EXPECT_EQ(entries[5].course, 3); // the course of the point it looks like
    EXPECT_EQ(described(entries[6].flags),
              QStringLiteral("similar: new point; the tank has NEW-01"));
}

} // namespace
} // namespace korvane
