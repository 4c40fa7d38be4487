#include "tank/ShellCourses.h"

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
    setUniformHeights(data, 475); // 59.375
    EXPECT_EQ(data.heights[0], 59);

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

TEST(ShellCourses, GridCellsLeaveUnsetValuesEmpty) {
    EXPECT_EQ(heightCellText(10), QString());
    EXPECT_EQ(heightCellText(11), QStringLiteral("11.00"));
    EXPECT_EQ(minWallCellText(0.099f, true), QString());
    EXPECT_EQ(minWallCellText(0.1f, true), QStringLiteral("0.100"));
    EXPECT_EQ(minWallCellText(0.1f, false), QStringLiteral("2.54"));
}

} // namespace
} // namespace korvane::courses
