#include "engineering/ShellCourses.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace korvane::courses {
namespace {

// Asks the course heights of `count` courses with scripted answers; records what was asked.
struct Questions {
    std::deque<QString> answers;
    std::vector<std::pair<QString, QString>> asked; // prompt, default
    std::vector<QString> told;

    CourseData run(const char* count, int total, bool unitsUS, CourseData data = {}) {
        data.count = QString::fromLatin1(count);
        askCourseHeights(
            data, total, unitsUS,
            [this](const QString& prompt, const QString& defaultText) {
                asked.emplace_back(prompt, defaultText);
                const QString a = answers.empty() ? QString() : answers.front();
                EXPECT_FALSE(answers.empty()) << "unexpected: " << prompt.toStdString();
                if (!answers.empty())
                    answers.pop_front();
                return a;
            },
            [this](const QString& message) { told.push_back(message); });
        EXPECT_TRUE(answers.empty());
        return data;
    }
};

TEST(ShellCourses, CourseCountAnswers) {
    using Kind = CountAnswer::Kind;
    const struct {
        const char* answer;
        Kind kind;
        int count;
    } cases[] = {{"", Kind::Cancelled, 0},     {"0", Kind::Accepted, 0},   {"1", Kind::Accepted, 1},
                 {" 10 ", Kind::Accepted, 10}, {"11", Kind::Refused, 0},   {"-1", Kind::Refused, 0},
                 {"2.5", Kind::Refused, 0},    {"eight", Kind::Refused, 0}};
    for (const auto& c : cases) {
        const CountAnswer a = readCourseCount(QString::fromLatin1(c.answer));
        EXPECT_EQ(a.kind, c.kind) << c.answer;
        EXPECT_EQ(a.count, c.count) << c.answer;
    }
    // 1 asks for confirmation like any other count that differs from the tank's.
    EXPECT_TRUE(countDiffers(QStringLiteral("8"), 1));
    EXPECT_TRUE(countDiffers(QString(), 1));
    EXPECT_FALSE(countDiffers(QStringLiteral("8"), 8));

    // A stored count outside what the slots hold is read within them.
    for (auto [stored, n] : {std::pair{"15", 10}, std::pair{"-3", 0}, std::pair{"x", 0}}) {
        CourseData data;
        data.count = QString::fromLatin1(stored);
        EXPECT_EQ(data.courses(), n) << stored;
    }
}

TEST(ShellCourses, HeightsAreAskedInTurnOfferingWhatIsLeft) {
    Questions q;
    q.answers = {QStringLiteral("96"), QStringLiteral("200.4"), QStringLiteral("184")};
    const CourseData data = q.run("3", 480, true);
    ASSERT_EQ(q.asked.size(), 3u);
    EXPECT_EQ(
        q.asked[0],
        std::pair(QStringLiteral("Enter the height (inches) for course 1\nEnter 0 for uniform "
                                 "heights"),
                  QStringLiteral("0")));
    EXPECT_EQ(q.asked[1], std::pair(QStringLiteral("Enter the height (inches) for course  2"),
                                    QStringLiteral("384")));
    EXPECT_EQ(q.asked[2].second, QStringLiteral("184")); // 384 less the 200 kept
    EXPECT_EQ(data.heights[1], 200);

    // Metric: centimetres of the shell (480 in is 1219.2 cm).
    EXPECT_EQ(totalHeight(480, false), 1219);
    Questions m;
    m.answers = {QStringLiteral("600"), QStringLiteral("619")};
    m.run("2", totalHeight(480, false), false);
    EXPECT_EQ(m.asked[1], std::pair(QStringLiteral("Enter the height (cm) for course  2"),
                                    QStringLiteral("619")));
}

TEST(ShellCourses, ZeroSharesTheHeightEvenlyAndCancelKeepsTheRest) {
    Questions q;
    q.answers = {QStringLiteral("0")};
    CourseData data = q.run("8", 480, true);
    EXPECT_EQ(data.heights[7], 60);
    EXPECT_EQ(data.heights[8], 0);
    // Each share is rounded half to even, not cut off.
    const struct {
        const char* count;
        int total;
        qint16 share;
    } shares[] = {
        {"8", 475, 59},   // 475 / 8 = 59.375
        {"7", 480, 69},   // 480 / 7 = 68.57: up, not cut off to 68
        {"8", 476, 60},   // 476 / 8 = 59.5: to the even 60, not 59
        {"8", 468, 58},   // 468 / 8 = 58.5: to the even 58, not 59
        {"8", 1219, 152}, // 1219 cm / 8 = 152.375
    };
    for (const auto& s : shares) {
        CourseData uniform;
        uniform.count = QString::fromLatin1(s.count);
        setUniformHeights(uniform, s.total);
        EXPECT_EQ(uniform.heights[0], s.share) << s.total << " over " << s.count;
        EXPECT_EQ(uniform.heights[static_cast<std::size_t>(uniform.courses() - 1)], s.share)
            << s.total << " over " << s.count;
    }
    setUniformHeights(data, 475); // 59 in each course

    Questions c;
    c.answers = {QStringLiteral("96"), QString()};
    data = c.run("8", 480, true, data);
    EXPECT_EQ(data.heights[0], 96);
    EXPECT_EQ(data.heights[1], 59);
}

TEST(ShellCourses, HeightThatCannotBeTakenIsAskedAgain) {
    Questions q;
    q.answers = {QStringLiteral("tall"), QStringLiteral("-5"), QStringLiteral("40000"),
                 QStringLiteral("240"), QStringLiteral("240")};
    const CourseData data = q.run("2", 480, true);
    ASSERT_EQ(q.told.size(), 3u);
    EXPECT_EQ(q.told[0].toStdString(), "\"tall\" is not a height in inches. Type a number, or "
                                       "Cancel to keep the heights not yet entered.");
    ASSERT_EQ(q.asked.size(), 5u);
    EXPECT_EQ(q.asked[3], q.asked[0]); // the same question, with the same default
    EXPECT_EQ(data.heights[0], 240);
}

// The unit of stored heights is told by their sum against the shell height; they are shown in
// the preferences' units.
TEST(ShellCourses, CourseHeightsShowInTheUnitsChosen) {
    const struct {
        const char* name;
        std::vector<qint16> heights;
        int shellIn;
        HeightUnit unit;
        const char* us;
        const char* si;
    } cases[] = {
        // Eight 96 in courses of a 48 ft shell: 96 in is 243.84 cm.
        {"inches", {96, 96, 96, 96, 96, 96, 96, 96}, 576, HeightUnit::Inches, "96.00", "243.84"},
        // The same shell entered in centimetres: 244 cm is 96.06 in (by 0.393701).
        {"centimetres",
         {244, 244, 244, 244, 244, 244},
         576,
         HeightUnit::Centimetres,
         "96.06",
         "244.00"},
        {"no shell height", {96, 96}, 0, HeightUnit::Unknown, "96.00", "96.00"},
        // 300 is 100 from 200 in and 208 from 508 cm: nearer inches, though it fits neither.
        {"neither fits well", {100, 100, 100}, 200, HeightUnit::Inches, "100.00", "254.00"},
        {"one course", {480}, 480, HeightUnit::Inches, "480.00", "1219.20"},
        {"one course in cm", {1219}, 480, HeightUnit::Centimetres, "479.92", "1219.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CourseData data;
        data.count = QString::number(c.heights.size());
        std::copy(c.heights.begin(), c.heights.end(), data.heights.begin());
        const HeightUnit unit = storedHeightUnit(data, c.shellIn);
        EXPECT_EQ(unit, c.unit);
        EXPECT_EQ(heightCellText(c.heights[0], unit, true).toStdString(), c.us);
        EXPECT_EQ(heightCellText(c.heights[0], unit, false).toStdString(), c.si);
    }
    EXPECT_EQ(storedHeightUnit(CourseData{}, 480), HeightUnit::Unknown); // no courses
}

TEST(ShellCourses, GridCellsLeaveUnsetValuesEmpty) {
    EXPECT_EQ(heightCellText(10, HeightUnit::Inches, false), QString());
    EXPECT_EQ(heightCellText(11, HeightUnit::Unknown, true), QStringLiteral("11.00"));
    EXPECT_EQ(minWallCellText(0.099f, true), QString());
    EXPECT_EQ(minWallCellText(0.1f, true), QStringLiteral("0.100"));
    EXPECT_EQ(minWallCellText(0.1f, false), QStringLiteral("2.54"));
}

} // namespace
} // namespace korvane::courses
