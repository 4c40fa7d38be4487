#include "engineering/Dimension.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvane::dimension {
namespace {

// Answers the questions in order and records what was asked.
struct Answers {
    std::vector<QString> answers;
    std::vector<std::pair<QString, QString>> asked; // prompt, default
    Ask ask() {
        return [this](const QString& prompt, const QString& defaultText) {
            asked.emplace_back(prompt, defaultText);
            if (asked.size() > answers.size()) {
                ADD_FAILURE() << "unexpected question: " << prompt.toStdString();
                return QString();
            }
            return answers[asked.size() - 1];
        };
    }
};

using Kind = Outcome::Kind;

TEST(Dimension, FeetAndInchesOrMetresAndCentimetresGiveWholeInches) {
    const struct {
        const char* typed;
        bool us;
        std::vector<QString> answers;
        const char* offered;
        qint16 inches;
        const char* shown;
    } cases[] = {
        {"120", true, {"120", "6"}, "120", 1446, "120.50"},
        {"40", true, {"40", "0"}, "40", 480, "40.00"},
        {"40", true, {"40", ""}, "40", 480, "40.00"},    // no inches given: 0
        {"12", false, {"12", "20"}, "12", 480, "12.19"}, // 472 + 8
        {"12.5", true, {"12", "0"}, "12", 144, "12.00"}, // 12.5 offers the even 12
        {"13.5", true, {"13.5", "0"}, "14", 162, "13.50"},
        {"", true, {"10", "6.5"}, "0", 126, "10.50"}, // 120 + 6.5 rounds to the even 126
        // 10.25 x 12 = 123, + 6.5 = 129.5: the even 130. Rounding the 6.5 alone first would
        // give 123 + 6 = 129. 130 / 12 = 10.833 ft.
        {"", true, {"10.25", "6.5"}, "0", 130, "10.83"},
        {"abc", true, {"2730", "7"}, "0", 32767, "2730.58"},
        {"5 ft", true, {"5 ft", "3 in"}, "5", 63, "5.25"},
        {"832", false, {"832", "0"}, "832", 32756, "832.00"},
    };
    for (const auto& c : cases) {
        Answers a{c.answers, {}};
        const Outcome out = convert(QString::fromLatin1(c.typed), c.us, a.ask());
        ASSERT_EQ(out.kind, Kind::Converted) << c.typed << ": " << out.message.toStdString();
        EXPECT_EQ(out.inches, c.inches) << c.typed;
        EXPECT_EQ(displayText(out.inches, c.us).toStdString(), c.shown) << c.typed;
        ASSERT_EQ(a.asked.size(), 2u);
        EXPECT_EQ(a.asked[0].first.toStdString(),
                  c.us ? "Enter the no. of feet for this dimension."
                       : "Enter the no. of meters for this dimension.");
        EXPECT_EQ(a.asked[0].second.toStdString(), c.offered) << c.typed;
        EXPECT_EQ(a.asked[1].first.toStdString(),
                  c.us ? "Now enter the no. of inches for this dimension."
                       : "Now enter the no. of centimeters for this dimension.");
        EXPECT_EQ(a.asked[1].second, QStringLiteral("0"));
    }
}

// Whatever is answered, the entry either converts or ends with a reason; nothing overflows.
TEST(Dimension, CancelledUnreadableAndOutOfRangeAnswersChangeNothing) {
    const QString tooLargeUS = QStringLiteral(
        "A dimension can be at most 32767 inches (2730.58 ft). The dimension was left as it was.");
    const QString tooLargeMetric = QStringLiteral(
        "A dimension can be at most 32767 inches (832.28 m). The dimension was left as it was.");
    const struct {
        bool us;
        std::vector<QString> answers;
        Kind kind;
        QString message;
        std::size_t questions;
    } cases[] = {
        {true, {""}, Kind::Cancelled, {}, 1},
        {false, {""}, Kind::Cancelled, {}, 1},
        {true,
         {"ten"},
         Kind::Refused,
         QStringLiteral("\"ten\" is not a number of feet. The dimension was left as it was."),
         1},
        {true,
         {"10", "six"},
         Kind::Refused,
         QStringLiteral("\"six\" is not a number of inches. The dimension was left as it was."),
         2},
        {false,
         {"10", "x"},
         Kind::Refused,
         QStringLiteral("\"x\" is not a number of centimeters. The dimension was left as it was."),
         2},
        {true, {"2731"}, Kind::Refused, tooLargeUS, 1},      // 32772 in
        {true, {"2730", "8"}, Kind::Refused, tooLargeUS, 2}, // 32768 in
        {true, {"1e308"}, Kind::Refused, tooLargeUS, 1},
        {true, {"-2731"}, Kind::Refused, tooLargeUS, 1},
        {true, {"10", "1e400"}, Kind::Refused, tooLargeUS, 2},
        {false, {"833"}, Kind::Refused, tooLargeMetric, 1},       // 32795 in
        {false, {"832", "30"}, Kind::Refused, tooLargeMetric, 2}, // 32756 + 12
        {false, {"1", "1e9"}, Kind::Refused, tooLargeMetric, 2},
        {true,
         {"-5", "6"},
         Kind::Refused,
         QStringLiteral("A dimension cannot be less than 0. The dimension was left as it was."),
         2},
    };
    for (const auto& c : cases) {
        Answers a{c.answers, {}};
        const Outcome out = convert(QStringLiteral("10"), c.us, a.ask());
        EXPECT_EQ(out.kind, c.kind) << c.answers[0].toStdString();
        EXPECT_EQ(out.message, c.message) << c.answers[0].toStdString();
        EXPECT_EQ(a.asked.size(), c.questions) << c.answers[0].toStdString();
    }
}

TEST(Dimension, UnitKeysAndDisplay) {
    for (QChar key : {u'\'', u'F', u'f', u'M', u'm'})
        EXPECT_TRUE(isUnitKey(key)) << key.toLatin1();
    for (QChar key : {u'1', u'.', u'i', u'"', u' ', u'G'})
        EXPECT_FALSE(isUnitKey(key)) << key.toLatin1();
    EXPECT_EQ(displayText(1446, true), QStringLiteral("120.50"));
    EXPECT_EQ(displayText(480, false), QStringLiteral("12.19"));
    EXPECT_EQ(displayText(6, true), QStringLiteral(".50"));
    // 625 / 39.3701 = 15.8749914 m; 625 x 0.0254 would be 15.875 exactly, shown 15.88.
    EXPECT_EQ(displayText(625, false), QStringLiteral("15.87"));
}

} // namespace
} // namespace korvane::dimension
