#include "data/PreferencesRow.h"

#include "EachEngine.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

class PreferencesRowTest : public test::EachEngine {};

// Rebuilds Preferences as databases made before the units option had it: 40 fields.
void makeFortyFieldPreferences(Database& db, layout::Dialect dialect) {
    ASSERT_TRUE(db.exec(QStringLiteral("DROP TABLE \"Preferences\"")).ok());
    layout::TableDef older{QStringLiteral("Preferences"), {}};
    for (int i = 1; i <= 20; ++i)
        older.fields.push_back({QStringLiteral("Custom%1_Label").arg(i), layout::FieldType::Text});
    for (int i = 1; i <= 20; ++i)
        older.fields.push_back({QStringLiteral("Custom%1_Type").arg(i), layout::FieldType::Int16});
    ASSERT_TRUE(db.exec(layout::createTableSql(older, dialect)).ok());
    ASSERT_TRUE(
        db.exec(QStringLiteral("INSERT INTO \"Preferences\" (\"Custom1_Label\") VALUES ('Owner')"))
            .ok());
}

TEST_P(PreferencesRowTest, OlderTableGainsUnitsSetToUS) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    makeFortyFieldPreferences(db, dialect());
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
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE \"Preferences\" SET \"USUnits\" = 0")).ok());
    units = preferences::loadUnitsUS(db);
    ASSERT_TRUE(units.ok());
    EXPECT_FALSE(*units);
}

TEST_P(PreferencesRowTest, NullFlagCountsAsMetricAndMissingRowIsAnError) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE \"Preferences\" SET \"USUnits\" = NULL")).ok());
    auto units = preferences::loadUnitsUS(db);
    ASSERT_TRUE(units.ok());
    EXPECT_FALSE(*units);

    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM \"Preferences\"")).ok());
    EXPECT_FALSE(preferences::loadUnitsUS(db).ok());
    ASSERT_TRUE(db.exec(QStringLiteral("DROP TABLE \"Preferences\"")).ok());
    EXPECT_FALSE(preferences::loadUnitsUS(db).ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, PreferencesRowTest, test::AllEngines, test::engineName);

} // namespace
} // namespace korvane
