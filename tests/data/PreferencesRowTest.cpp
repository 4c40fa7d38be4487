#include "data/PreferencesRow.h"

#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Rebuilds Preferences as databases made before the units option had it: 40 fields.
void makeFortyFieldPreferences(Database& db) {
    ASSERT_TRUE(db.exec(QStringLiteral("DROP TABLE Preferences")).ok());
    QStringList columns;
    for (int i = 1; i <= 20; ++i)
        columns << QStringLiteral("Custom%1_Label TEXT").arg(i);
    for (int i = 1; i <= 20; ++i)
        columns << QStringLiteral("Custom%1_Type INT16").arg(i);
    ASSERT_TRUE(
        db.exec(QStringLiteral("CREATE TABLE Preferences (%1)").arg(columns.join(QLatin1Char(','))))
            .ok());
    ASSERT_TRUE(
        db.exec(QStringLiteral("INSERT INTO Preferences (Custom1_Label) VALUES ('Owner')")).ok());
}

TEST(PreferencesRow, OlderTableGainsUnitsSetToUS) {
    test::TestDatabase file;
    Database db = file.open();
    makeFortyFieldPreferences(db);
    auto units = preferences::loadUnitsUS(db);
    ASSERT_TRUE(units.ok()) << units.error().toStdString();
    EXPECT_TRUE(*units);
    auto info = db.tableInfo(QStringLiteral("Preferences"));
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->fields.size(), 41u);
    EXPECT_EQ(info->fields.back().name, QStringLiteral("USUnits"));
    EXPECT_EQ(info->recordCount, 1);
    EXPECT_EQ(file.value(QStringLiteral("Preferences"), QStringLiteral("Custom1_Label"),
                         QStringLiteral("Owner"), QStringLiteral("USUnits")),
              QVariant(true));

    // A second open leaves the stored flag as it is.
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Preferences SET USUnits = 0")).ok());
    units = preferences::loadUnitsUS(db);
    ASSERT_TRUE(units.ok());
    EXPECT_FALSE(*units);
}

TEST(PreferencesRow, NullFlagCountsAsMetricAndMissingRowIsAnError) {
    test::TestDatabase file;
    Database db = file.open();
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Preferences SET USUnits = NULL")).ok());
    auto units = preferences::loadUnitsUS(db);
    ASSERT_TRUE(units.ok());
    EXPECT_FALSE(*units);

    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Preferences")).ok());
    EXPECT_FALSE(preferences::loadUnitsUS(db).ok());
    ASSERT_TRUE(db.exec(QStringLiteral("DROP TABLE Preferences")).ok());
    EXPECT_FALSE(preferences::loadUnitsUS(db).ok());
}

} // namespace
} // namespace korvane
