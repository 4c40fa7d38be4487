#include "storage/HistoryView.h"

#include "data/Recordset.h"
#include "data/Select.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane::history {
namespace {

DisplayContext contextIn(bool unitsUS) {
    DisplayContext c;
    c.unitsUS = unitsUS;
    c.customLabels[1] = QStringLiteral("Inspector's Phone");
    c.zone = QTimeZone(3600); // one hour ahead of UTC, whatever the computer's zone
    return c;
}

TEST(HistoryView, FieldsAreCaptionedAndValuesShownAsTheWindowsShowThem) {
    const struct {
        const char* table;
        const char* field;
        const char* stored;
        const char* caption;
        const char* us;
        const char* metric;
    } cases[] = {
        {"Tank", "Name", "T-101", "Tank ID", "T-101", "T-101"},
        {"Tank", "Diameter", "1446", "Diameter", "120.50 ft.", "36.73 meters"},
        {"Tank", "MFDesignLevel", "34.16", "Max. Fill NEW Design Level", "34.16 ft.",
         "10.41 meters"},
        {"Tank", "MFCReading", "0.25", "Max. Fill Critical Reading", "0.250 in.", "6.35 mm"},
        {"Tank", "DesignLevel", "456", "Design Level", "38.00 ft.", "11.58 meters"},
        {"Tank", "Height", "6", "Shell Height", "0.50 ft.", "0.15 meters"},
        {"Tank", "Yield", "30000", "Yield Strength", "30000 psi", "206843 KPa"},
        {"Tank", "Tensile", "0", "Tensile Strength", "0 psi", "0 KPa"},
        {"Tank", "Capacity", "-500", "Capacity", "500 gals.", "500 gals."},
        {"Tank", "Capacity", "96690", "Capacity", "96690 bbls.", "96690 bbls."},
        {"Tank", "UTFreq", "-18", "Ultrasonic Frequency", "18 Month(s)", "18 Month(s)"},
        {"Tank", "ExternalFreq", "5", "External Frequency", "5 Year(s)", "5 Year(s)"},
        {"Tank", "ExternalLast", "1998-06-15", "External Last Inspection", "15/Jun/1998",
         "15/Jun/1998"},
        {"Tank", "Course3_Min", "0.25", "Course 3 Min. Thickness", "0.250 in.", "6.35 mm"},
        {"Tank", "Course10_Height", "96", "Course 10 Height", "96", "96"},
        {"Tank", "MfgType", "1", "Shell Construction", "Weld Butt", "Weld Butt"},
        {"Tank", "BottomType", "2", "Bottom Type", "Single Up", "Single Up"},
        {"Tank", "RoofType", "6", "Roof Type", "Ext. Pontoon", "Ext. Pontoon"},
        {"Tank", "RoofType", "42", "Roof Type", "42", "42"}, // not in the list: as stored
        {"Tank", "MFCourse", "3", "Max. Fill Course", "Course 2", "Course 2"},
        {"Tank", "Custom2", "555-0199", "Inspector's Phone", "555-0199", "555-0199"},
        {"Tank", "Custom5", "x", "Custom Field 5", "x", "x"},
        {"Tank", "SpecGravity", "0.87", "Specific Gravity", "0.87", "0.87"},
        {"Tank", "Diameter", "", "Diameter", "", ""},             // Null
        {"Tank", "Diameter", "wide", "Diameter", "wide", "wide"}, // not a number: as stored
        {"Tank", "Tested", "08/04/74", "Date Hydro'd", "08/04/74", "08/04/74"},
        {"Inspection", "InspectionDate", "2001-03-05", "Inspection Date", "05/Mar/2001",
         "05/Mar/2001"},
        {"Inspection", "InspectionType", "4", "Inspection Type", "Ultrasonic", "Ultrasonic"},
        {"Inspection", "InspectionType", "0", "Inspection Type", "None Specified",
         "None Specified"},
        {"Inspection", "InspectionNum", "I-2023", "Inspection No.", "I-2023", "I-2023"},
        {"Thickness", "Reading", "0.29", "Thickness", "0.290 in.", "7.37 mm"},
        {"Thickness", "Course", "2", "Course", "Course 1", "Course 1"},
        {"Thickness", "Course", "12", "Course", "Roof", "Roof"},
        {"Thickness", "PointID", "C3-N'1", "Point ID", "C3-N'1", "C3-N'1"},
        {"Thickness", "DateTaken", "2024-06-14", "Date Taken", "14/Jun/2024", "14/Jun/2024"},
        {"ShellSurvey", "Point07_Settle", "1.5", "Point 7 Settlement", "1.500 in.", "38.10 mm"},
        {"ShellSurvey", "SurveyPoints", "8", "Survey Points", "8", "8"},
        {"EdgeSettle", "Radius", "12", "Radius", "12.00 in.", "304.8 mm"},
        {"EdgeSettle", "BReading", "0.5", "Actual 'B'", "0.500 in.", "12.70 mm"},
        {"EdgeSettle", "ReadingType", "1", "Reading Type", "Edge", "Edge"},
        {"EdgeSettle", "StressAnalysis", "0", "Stress Analysis Req'd", "No", "No"},
        {"RFCorrosion", "ReadingType", "0", "Reading Type", "Pitting", "Pitting"},
        {"RFCorrosion", "Reading", "0.125", "Reading", "0.125 in.", "3.17 mm"},
        {"SCorrosion", "Width", "2", "Width", "2.00 in.", "50.8 mm"},
        {"SCorrosion", "DataTaken", "2024-01-31", "Date Taken", "31/Jan/2024", "31/Jan/2024"},
        {"TML", "XCoordinate", "10.5", "X Coordinate", "10.5", "10.5"},
        {"Preferences", "Custom3_Type", "3", "Custom Field 3 Kind", "Yes/No", "Yes/No"},
        {"Preferences", "USUnits", "1", "US Units", "Yes", "Yes"},
        {"Location", "Zip", "77640", "Zip", "77640", "77640"},
        {"Tank", "MFUnitsUS", "1", "Max. Fill in Feet and Inches", "Yes", "Yes"},
        {"Tank", "NewField2B", "v", "New Field 2 B", "v", "v"}, // not in the layout
    };
    for (const auto& c : cases) {
        const QString table = QString::fromLatin1(c.table);
        const QString field = QString::fromLatin1(c.field);
        const QString stored = QString::fromUtf8(c.stored);
        const std::string where = std::string(c.table) + "." + c.field + " = " + c.stored;
        EXPECT_EQ(fieldCaption(table, field, contextIn(true)).toStdString(), c.caption) << where;
        EXPECT_EQ(valueText(table, field, stored, contextIn(true)).toStdString(), c.us) << where;
        EXPECT_EQ(valueText(table, field, stored, contextIn(false)).toStdString(), c.metric)
            << where;
    }
}

Entry entry(const char* table, Action action, const char* user, const char* databaseUser = "") {
    Entry e;
    e.when = QDateTime(QDate(2024, 6, 15), QTime(12, 34, 56), Qt::UTC);
    e.userName = QString::fromLatin1(user);
    e.databaseUser = QString::fromLatin1(databaseUser);
    e.computer = QStringLiteral("plant-pc");
    e.table = QString::fromLatin1(table);
    e.action = action;
    return e;
}

Entry change(const char* table, const char* field, const char* before, const char* after,
             const char* user, const char* databaseUser = "") {
    Entry e = entry(table, Action::Changed, user, databaseUser);
    e.field = QString::fromLatin1(field);
    e.before = QString::fromLatin1(before);
    e.after = QString::fromLatin1(after);
    return e;
}

// The cells of the rows from Who on, joined by '|'.
QStringList texts(const std::vector<Row>& rows) {
    QStringList lines;
    for (const Row& r : rows)
        lines << QStringList(r.cells.begin() + column::Who, r.cells.end()).join(QLatin1Char('|'));
    return lines;
}

TEST(HistoryView, RowsAreFilteredByFieldAndByPerson) {
    std::vector<Entry> entries;
    entries.push_back(change("Tank", "Diameter", "1446", "1440", "jsmith"));
    entries.back().rowLabel = QStringLiteral("T-101");
    Entry added = entry("Thickness", Action::Added, "anna", "inspections");
    added.rowLabel = QStringLiteral("A-1");
    added.values = {{"ThicknessID", "9"}, {"InspectionID", "7"}, {"PointID", "A-1"},
                    {"Course", "2"},      {"Reading", "0.29"},   {"DateTaken", "2024-06-14"}};
    entries.push_back(added);
    Entry deleted = entry("TML", Action::Deleted, "jsmith");
    deleted.rowLabel = QStringLiteral("A-1");
    deleted.values = {{"TankID", "3"}, {"PointID", "A-1"}, {"GraphicType", "1"}};
    entries.push_back(deleted);
    entries.push_back(change("TGraphic", "Graphic", "", "", "jsmith"));
    entries.back().rowLabel = QStringLiteral("C1_L2_T3_S53.tmp");
    entries.push_back(change("Tank", "Name", "", "T-101", "anna", "anna"));
    entries.back().rowKey = 3;

    const DisplayContext us = contextIn(true);
    EXPECT_EQ(people(entries), QStringList({"anna", "anna (inspections)", "jsmith"}));
    EXPECT_EQ(fieldCaptions(entries, us),
              QStringList({"Course", "Date Taken", "Diameter", "Drawing", "Page", "Point ID",
                           "Tank ID", "Thickness"}));

    const std::vector<Row> all = displayRows(entries, us);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].cells[column::When], QStringLiteral("15/Jun/2024 13:34:56"));
    EXPECT_EQ(all[0].when, entries[0].when);
    EXPECT_EQ(texts(all),
              QStringList({
                  "jsmith|plant-pc|Tank|T-101|changed|Diameter|120.50 ft.|120.00 ft.",
                  "anna (inspections)|plant-pc|Reading for Thickness|A-1|added||"
                  "|Point ID: A-1; Course: Course 1; Thickness: 0.290 in.; Date Taken: "
                  "14/Jun/2024",
                  "jsmith|plant-pc|TML Point|A-1|deleted||Point ID: A-1; Page: 1|",
                  "jsmith|plant-pc|Tank Drawing|Shell Plate 3|changed|Drawing||drawing changed",
                  "anna|plant-pc|Tank|key 3|changed|Tank ID||T-101",
              }));

    // A row added or deleted shows the one value of the field chosen.
    EXPECT_EQ(texts(displayRows(entries, us, {QStringLiteral("Point ID"), {}})),
              QStringList({"anna (inspections)|plant-pc|Reading for Thickness|A-1|added|Point "
                           "ID||A-1",
                           "jsmith|plant-pc|TML Point|A-1|deleted|Point ID|A-1|"}));
    EXPECT_EQ(texts(displayRows(entries, contextIn(false), {QStringLiteral("Diameter"), {}})),
              QStringList({"jsmith|plant-pc|Tank|T-101|changed|Diameter|36.73 meters|36.58 "
                           "meters"}));
    EXPECT_EQ(displayRows(entries, us, {{}, QStringLiteral("anna (inspections)")}).size(), 1u);
    EXPECT_EQ(displayRows(entries, us, {{}, QStringLiteral("jsmith")}).size(), 3u);
    EXPECT_TRUE(
        displayRows(entries, us, {QStringLiteral("Diameter"), QStringLiteral("anna")}).empty());
    EXPECT_TRUE(displayRows(entries, us, {QStringLiteral("Results"), {}}).empty());
}

TEST(HistoryView, CsvIsQuotedAndNeverRunsAFormula) {
    Row row;
    row.when = QDateTime(QDate(2024, 6, 15), QTime(12, 34, 56, 78), Qt::UTC);
    row.cells = {"15/Jun/2024 13:34:56",
                 "jsmith (plant, east)",
                 "pc",
                 "Tank",
                 "Say \"hi\"",
                 "changed",
                 "Results",
                 "first line\nsecond line",
                 "=HYPERLINK(\"http://x\",\"y\")"};
    Row formulas;
    formulas.cells = {"", "+1", "-2 in.", "@SUM(A1)", "\tx", "", "-1+2", "a=b", "-0.5"};

    EXPECT_EQ(csv({row, formulas}).toStdString(),
              "When,When (UTC),Who,Computer,Table,Record,Action,Field,Before,After\r\n"
              "15/Jun/2024 13:34:56,2024-06-15T12:34:56.078Z,\"jsmith (plant, east)\",pc,Tank,"
              "\"Say \"\"hi\"\"\",changed,Results,\"first line\nsecond line\","
              "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"\r\n"
              ",,+1,'-2 in.,'@SUM(A1),'\tx,,'-1+2,a=b,-0.5\r\n");
    EXPECT_EQ(csv({}), QStringLiteral("When,When (UTC),Who,Computer,Table,Record,Action,Field,"
                                      "Before,After\r\n"));
}

// The context is read without changing the database: a Preferences table without the units
// field is not given one.
TEST(HistoryView, DisplayContextIsReadFromThePreferencesAsTheyAre) {
    test::TestDatabase file;
    Database db = file.open();
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Preferences SET USUnits = NULL, "
                                       "Custom2_Label = 'Inspector''s Phone'")));
    auto context = readDisplayContext(db);
    ASSERT_TRUE(context) << context.error().toStdString();
    EXPECT_FALSE(context->unitsUS);
    EXPECT_EQ(context->customLabels[1], QStringLiteral("Inspector's Phone"));
    EXPECT_EQ(context->customLabels[0], QStringLiteral("Custom Field 1"));

    ASSERT_TRUE(db.exec(QStringLiteral("ALTER TABLE Preferences DROP COLUMN USUnits")));
    context = readDisplayContext(db);
    ASSERT_TRUE(context) << context.error().toStdString();
    EXPECT_TRUE(context->unitsUS);
    auto info = db.tableInfo(QStringLiteral("Preferences"));
    ASSERT_TRUE(info);
    // The custom fields and the two limits of the reading checks; no units field was added.
    EXPECT_EQ(info->fields.size(), 2u * layout::CustomFieldCount + 2);

    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Preferences")));
    context = readDisplayContext(db);
    ASSERT_FALSE(context);
    EXPECT_EQ(context.error(),
              QStringLiteral("The Preferences table of this database has no row."));
}

} // namespace
} // namespace korvane::history
