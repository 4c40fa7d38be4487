#include "engineering/UnitEntry.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace korvane::unitentry {
namespace {

TEST(UnitEntry, LetterKeysChooseTheUnit) {
    const struct {
        char key;
        const char* capacity; // marker set, "" = none
        bool capacitySwallowed;
        const char* frequency;
    } cases[] = {
        {'B', "0", false, ""}, {'b', "0", false, ""}, {'G', "1", false, ""}, {'g', "1", false, ""},
        {',', "", true, ""},   {'Y', "", false, "0"}, {'y', "", false, "0"}, {'M', "", false, "1"},
        {'m', "", false, "1"}, {'5', "", false, ""},  {'.', "", false, ""},  {'x', "", false, ""},
    };
    for (const auto& c : cases) {
        const KeyEffect capacity = capacityKey(QLatin1Char(c.key));
        EXPECT_EQ(capacity.marker.value_or(QString()).toStdString(), c.capacity) << c.key;
        EXPECT_EQ(capacity.swallow, c.capacitySwallowed) << c.key;
        const KeyEffect frequency = frequencyKey(QLatin1Char(c.key));
        EXPECT_EQ(frequency.marker.value_or(QString()).toStdString(), c.frequency) << c.key;
        EXPECT_FALSE(frequency.swallow) << c.key;
    }
    EXPECT_EQ(markerOnLeave(QString()), NoUnit);
    EXPECT_EQ(markerOnLeave(NegativeUnit), NegativeUnit);
}

TEST(UnitEntry, SignOfTheStoredValueFollowsTheMarker) {
    const struct {
        const char* text;
        const char* marker;
        std::optional<double> stored;
    } cases[] = {
        {" 1000 bbls.", "0", 1000},
        {" 500 gals.", "1", -500},
        {"1000b", "0", 1000},
        {"18 Month(s)", "1", -18},
        {"5", "2", std::nullopt},
        {"5", "", std::nullopt},
        {"", "0", 0},
        {"g", "1", -0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(storedValue(QString::fromLatin1(c.text), QString::fromLatin1(c.marker)), c.stored)
            << c.text << " / " << c.marker;
}

TEST(UnitEntry, StoredValuesShowWithTheirUnit) {
    EXPECT_EQ(capacityShown(1000).text, QStringLiteral(" 1000 bbls."));
    EXPECT_EQ(capacityShown(1000).marker, PositiveUnit);
    EXPECT_EQ(capacityShown(0).text, QStringLiteral(" 0 bbls."));
    EXPECT_EQ(capacityShown(-500).text, QStringLiteral(" 500 gals."));
    EXPECT_EQ(capacityShown(-500).marker, NegativeUnit);
    EXPECT_EQ(frequencyShown(5).text, QStringLiteral("5 Year(s)"));
    EXPECT_EQ(frequencyShown(-18).text, QStringLiteral("18 Month(s)"));
    EXPECT_EQ(frequencyShown(-18).marker, NegativeUnit);

    // Shown and stored again, every value comes back as it was.
    for (double v : {1000.0, -500.0, 0.0, 12345.5, -0.25}) {
        const Shown s = capacityShown(v);
        EXPECT_EQ(storedValue(s.text, s.marker), v) << v;
        const Shown f = frequencyShown(v);
        EXPECT_EQ(storedValue(f.text, f.marker), v) << v;
    }
}

TEST(UnitEntry, FrequencyTextOnLeavingTheBox) {
    const struct {
        const char* text;
        const char* marker;
        const char* shown;
    } cases[] = {
        {"5y", "0", "5 Year(s)"},
        {"18 m", "1", "18 Month(s)"},
        {"5 Year(s)", "0", "5 Year(s)"},
        {"5 Year(s)", "1", "5 Month(s)"},
        {"6", "2", "6"},
        {"abc y", "0", "0 Year(s)"},
        {"2.5y", "0", "2.5 Year(s)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frequencyTextOnLeave(QString::fromLatin1(c.text), QString::fromLatin1(c.marker))
                      .toStdString(),
                  c.shown)
            << c.text;
}

TEST(UnitEntry, StrengthsKeepPsiBehindKPa) {
    EXPECT_EQ(strengthTag(QStringLiteral("30000"), true), QStringLiteral("30000"));
    EXPECT_EQ(strengthTag(QStringLiteral("3e4x"), true), QStringLiteral("3e4x")); // as typed
    EXPECT_EQ(strengthTag(QStringLiteral("206850"), false), QStringLiteral("30001.057325153"));
    EXPECT_EQ(strengthTag(QString(), false), QStringLiteral("0"));
    EXPECT_EQ(strengthText(30000, true), QStringLiteral("30000"));
    EXPECT_EQ(strengthText(30000, false), QStringLiteral("206843"));
    EXPECT_EQ(strengthText(55000, false), QStringLiteral("379212"));
    EXPECT_EQ(strengthText(0, true), QString());
}

} // namespace
} // namespace korvane::unitentry
