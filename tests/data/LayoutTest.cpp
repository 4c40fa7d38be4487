#include "data/Layout.h"

#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using layout::FieldType;

TEST(Layout, NewDatabaseListsTheFifteenTablesInNameOrder) {
    test::TestDatabase file;
    auto names = file.open().tableNames();
    ASSERT_TRUE(names.ok()) << names.error().toStdString();
    const QStringList expected{"BottomSurvey", "Company",    "EdgeSettle",  "History",
                               "IGraphic",     "Inspection", "Location",    "Preferences",
                               "RFCorrosion",  "SCorrosion", "ShellSurvey", "Tank",
                               "TGraphic",     "Thickness",  "TML"};
    EXPECT_EQ(*names, expected);
    EXPECT_EQ(names->at(1), QStringLiteral("Company")); // what the open check relies on
}

TEST(Layout, EveryFieldIsStoredWithItsType) {
    test::TestDatabase file;
    Database db = file.open();
    for (const auto& table : layout::tables()) {
        auto info = db.tableInfo(table.name);
        ASSERT_TRUE(info.ok()) << info.error().toStdString();
        ASSERT_EQ(info->fields.size(), table.fields.size()) << table.name.toStdString();
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
            EXPECT_EQ(info->fields[i].name, table.fields[i].name);
            EXPECT_EQ(info->fields[i].type, table.fields[i].type)
                << table.name.toStdString() << "." << table.fields[i].name.toStdString();
        }
    }
}

TEST(Layout, FieldsTheWindowsRelyOn) {
    struct Case {
        const char* table;
        const char* field;
        FieldType type;
    };
    const Case cases[] = {
        {"Tank", "Course10_Height", FieldType::Int16},
        {"Tank", "Course1_Min", FieldType::Single},
        {"Tank", "Custom20", FieldType::Text},
        {"Tank", "MFDate", FieldType::Date},
        {"ShellSurvey", "Point01_Settle", FieldType::Single},
        {"ShellSurvey", "Point48_Settle", FieldType::Single},
        {"SCorrosion", "DataTaken", FieldType::Date},
        {"EdgeSettle", "DateTaken", FieldType::Date},
        {"SCorrosion", "GraphicType", FieldType::Byte},
        {"IGraphic", "Graphic", FieldType::LongText},
        {"Preferences", "USUnits", FieldType::Boolean},
        {"Thickness", "ThicknessID", FieldType::Counter},
        {"Thickness", "Checks", FieldType::Text},
        {"Preferences", "GaugeTolerance", FieldType::Double},
        {"Preferences", "PlausibleRate", FieldType::Double},
    };
    for (const auto& c : cases) {
        const auto* table = layout::table(QString::fromLatin1(c.table));
        ASSERT_NE(table, nullptr) << c.table;
        const auto* field = table->field(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.table << "." << c.field;
        EXPECT_EQ(field->type, c.type) << c.table << "." << c.field;
    }
    EXPECT_EQ(layout::table(u"SCorrosion")->field(u"DateTaken"), nullptr);
    EXPECT_EQ(layout::table(u"Preferences")->fields.size(), 43u);
    // Fields added after files were made stand last, where adding them to a file puts them.
    EXPECT_EQ(layout::table(u"Thickness")->fields.back().name, QStringLiteral("Checks"));
    EXPECT_EQ(layout::table(u"Tank")->key()->name, QStringLiteral("TankID"));
    EXPECT_EQ(layout::table(u"ShellSurvey")->key(), nullptr);
}

TEST(Layout, NewDatabaseHoldsOnePreferencesRow) {
    test::TestDatabase file;
    auto rs = file.open().openRecordset(Select::from(QStringLiteral("Preferences")));
    ASSERT_TRUE(rs.ok());
    ASSERT_EQ(rs->recordCount(), 1);
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(rs->value(QStringLiteral("Custom%1_Label").arg(i)).toString(),
                  QStringLiteral("Custom Field %1").arg(i));
        EXPECT_EQ(rs->value(QStringLiteral("Custom%1_Type").arg(i)).toInt(), 0);
    }
    EXPECT_EQ(rs->value(QStringLiteral("USUnits")), QVariant(true));
}

TEST(Layout, FileSettings) {
    test::TestDatabase file;
    Database db = file.open();
    const auto pragma = [&](const char* name) {
        auto q = db.exec(QStringLiteral("PRAGMA %1").arg(QString::fromLatin1(name)));
        EXPECT_TRUE(q.ok());
        return q.ok() && q->next() ? q->value(0) : QVariant();
    };
    EXPECT_EQ(pragma("application_id").toInt(), layout::ApplicationId);
    EXPECT_EQ(pragma("user_version").toInt(), layout::LayoutVersion);
    EXPECT_EQ(pragma("journal_mode").toString(), QStringLiteral("delete"));
    EXPECT_EQ(pragma("synchronous").toInt(), 2); // FULL
}

} // namespace
} // namespace korvane
