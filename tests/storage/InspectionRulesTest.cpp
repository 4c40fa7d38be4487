#include "engineering/InspectionTypes.h"
#include "engineering/ThicknessRules.h"
#include "storage/InspectionRecords.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

using namespace thickness;

TEST(InspectionTypes, StoredCodesRoundTripThroughTheListAndNameTheGridText) {
    const QStringList items = inspectiontype::listItems();
    ASSERT_EQ(items.size(), 9);
    for (int position = 0; position < items.size(); ++position) {
        const int code = inspectiontype::storedCode(position);
        EXPECT_EQ(code, position + 1);
        EXPECT_EQ(inspectiontype::listPosition(code), position);
    }
    EXPECT_EQ(inspectiontype::gridText(0), QStringLiteral("None Specified"));
    EXPECT_EQ(inspectiontype::gridText(1), QStringLiteral("Monthly"));
    EXPECT_EQ(inspectiontype::gridText(8), QStringLiteral("Cathodic Protection"));
    EXPECT_EQ(inspectiontype::gridText(9), QStringLiteral("Other Inspection Type"));
    EXPECT_EQ(inspectiontype::gridText(10), QString());
    EXPECT_EQ(inspectiontype::gridText(-1), QString());
    // Nothing chosen for a missing, zero or unknown code.
    for (const QVariant& stored : {QVariant(), QVariant(0), QVariant(10), QVariant(-3)})
        EXPECT_EQ(inspectiontype::listPosition(stored), -1) << stored.toString().toStdString();
}

TEST(CourseCodes, ListEntriesAndStoredCodes) {
    EXPECT_EQ(courseEntries(3),
              (QStringList{" ", "Floor", "Course 1", "Course 2", "Course 3", "Roof"}));
    EXPECT_EQ(courseEntries(0), (QStringList{" ", "Floor", "Roof"}));
    EXPECT_EQ(courseEntries(14).size(), 13); // never more than ten courses

    struct Case {
        int position, courses, code;
    } const cases[] = {
        {0, 3, 0},        {1, 3, FloorCode}, {4, 3, 4},          {5, 3, RoofCode}, {6, 3, 0},
        {2, 0, RoofCode}, {11, 10, 11},      {12, 10, RoofCode}, {-1, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(storedCourse(c.position, c.courses), c.code)
            << c.position << " of " << c.courses << " courses";
    EXPECT_EQ(courseText(1), QStringLiteral("Floor"));
    EXPECT_EQ(courseText(4), QStringLiteral("Course 3"));
    EXPECT_EQ(courseText(12), QStringLiteral("Roof"));
    EXPECT_EQ(courseText(0), QString());
    EXPECT_EQ(courseText(13), QString());
    EXPECT_EQ(courseCode(3), 4);
}

TEST(ThicknessDisplay, ShownAndTypedInEitherUnit) {
    // Shown values worked out by hand: 0.625 in x 25.399986 = 15.874991 mm.
    struct Shown {
        double inches;
        bool us;
        const char* text;
    } const shown[] = {
        {0.25, true, "0.250"}, {0.3125, true, "0.313"}, {0.625, false, "15.87"},
        {0.25, false, "6.35"}, {1.0, false, "25.40"},   {0.0, true, "0.000"},
    };
    for (const Shown& s : shown)
        EXPECT_EQ(shownThickness(s.inches, s.us), QString::fromLatin1(s.text)) << s.inches;
    EXPECT_EQ(shownThickness(std::nan(""), true), QString());

    struct Typed {
        const char* text;
        bool us;
        double inches; // NaN: refused
    } const typed[] = {
        {"0.375", true, 0.375}, {" .5 ", true, 0.5},       {"6.35", false, 6.35 / 25.399986},
        {"1e-1", true, 0.1},    {"6,35", false, NAN},      {"1,500", true, NAN},
        {"0.5 in", true, NAN},  {"", true, NAN},           {"inf", true, NAN},
        {"-0.2", true, -0.2},   {"25.399986", false, 1.0},
    };
    for (const Typed& t : typed) {
        const auto inches = typedInches(QString::fromLatin1(t.text), t.us);
        if (std::isnan(t.inches))
            EXPECT_FALSE(inches.has_value()) << t.text;
        else
            EXPECT_DOUBLE_EQ(inches.value_or(-99), t.inches) << t.text;
    }
    // 6.35 mm is stored as a quarter inch to within the precision of the conversion factor.
    EXPECT_NEAR(*typedInches(u"6.35", false), 0.25, 1e-6);
}

TEST(ThicknessDisplay, BelowMinimumComparesTheShownNumbers) {
    Minimums minimums{};
    minimums[4] = 0.250; // course 3
    minimums[2] = 0.3125;
    struct Case {
        double reading;
        int course;
        bool us;
        bool below;
    } const cases[] = {
        {0.249, 4, true, true},
        {0.250, 4, true, false},
        {0.2496, 4, true, false},
        {0.2494, 4, true, true},
        {0.30, 2, true, true},
        {0.313, 2, true, false},
        {0.01, FloorCode, true, false},
        {0.01, RoofCode, true, false},
        {0.01, 0, true, false},
        {0.01, 13, true, false},
        {0.01, 3, true, false}, // a course without a minimum
        // In millimetres 0.2498 in shows 6.34 against a minimum showing 6.35.
        {0.2498, 4, false, true},
        {0.2499, 4, false, false},
        {std::nan(""), 4, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(belowMinimum(c.reading, c.course, minimums, c.us), c.below)
            << c.reading << " on code " << c.course << (c.us ? " in" : " mm");
}

// The readings of a tank come through the join by tank, by point and then by date; a tank
// without inspections, or whose inspections have no readings, has none.
TEST(InspectionRecords, ReadingsOfATankByPointThenDate) {
    test::TestDatabase file;
    const qint32 location = file.addLocation(file.addCompany(QStringLiteral("C")), "L");
    const qint32 tank = file.addTank(location, QStringLiteral("T-1"));
    const qint32 other = file.addTank(location, QStringLiteral("T-2"));
    const qint32 bare = file.addTank(location, QStringLiteral("T-3"));
    const auto inspection = [&](qint32 t, const char* number) {
        return file.add(QStringLiteral("Inspection"),
                        {{"TankID", t},
                         {"InspectionNum", QString::fromLatin1(number)},
                         {"InspectionType", 4},
                         {"InspectionDate", "01/Mar/2023"}});
    };
    const qint32 first = inspection(tank, "I-1");
    const qint32 second = inspection(tank, "");
    const qint32 elsewhere = inspection(other, "X");
    inspection(bare, "empty");
    const auto reading = [&](qint32 insp, const char* point, const char* date, double value,
                             int course) {
        file.add(QStringLiteral("Thickness"), {{"InspectionID", insp},
                                               {"PointID", QString::fromUtf8(point)},
                                               {"DateTaken", QString::fromLatin1(date)},
                                               {"Reading", value},
                                               {"Course", course}});
    };
    reading(second, "B-2", "05/Jan/2024", 0.24, 4);
    reading(first, "B-2", "05/Jan/2020", 0.26, 4);
    reading(first, "A-1'N", "05/Jan/2020", 0.5, 12);
    reading(elsewhere, "A-0", "05/Jan/2020", 0.1, 2);

    auto rows = readTankReadings(file.path(), tank);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].pointId, QStringLiteral("A-1'N"));
    EXPECT_EQ((*rows)[0].course, 12);
    EXPECT_EQ((*rows)[1].dateTaken, QStringLiteral("05/Jan/2020"));
    EXPECT_DOUBLE_EQ((*rows)[2].reading, 0.24);
    EXPECT_EQ(readTankReadings(file.path(), bare)->size(), 0u);
    EXPECT_EQ(readTankReadings(file.path(), 999)->size(), 0u);

    auto inspections = readInspections(file.path(), tank);
    ASSERT_TRUE(inspections);
    ASSERT_EQ(inspections->size(), 2u);
    EXPECT_EQ((*inspections)[0].type, 4);
    EXPECT_EQ((*inspections)[1].number, QString());
    EXPECT_EQ((*inspections)[0].date, QStringLiteral("01/Mar/2023"));
}

// What a tank's readings are judged by is read whole: its minimums and schedules, and every
// reading in the order the readings list gives them (letter case of point IDs not counting,
// one day's readings by key), with their flags.
TEST(InspectionRecords, TheInputsOfATankAreItsScheduleAndItsReadingsInListOrder) {
    test::TestDatabase file;
    const qint32 location = file.addLocation(file.addCompany(QStringLiteral("C")), "L");
    const qint32 tank = file.add(QStringLiteral("Tank"), {{"LocationID", location},
                                                          {"Name", "T-1"},
                                                          {"Courses", 2},
                                                          {"Course1_Min", 0.3},
                                                          {"Course2_Min", 0.25},
                                                          {"Course3_Min", 0.9},
                                                          {"UTFreq", -18},
                                                          {"ExternalFreq", 5},
                                                          {"UTLast", "05/Jan/2020"}});
    const qint32 inspection = file.add(QStringLiteral("Inspection"), {{"TankID", tank}});
    struct Typed {
        const char* point;
        const char* date;
        QVariant reading;
    };
    for (const Typed& t : {Typed{"b-2", "05/Jan/2024", 0.24}, Typed{"B-2", "05/Jan/2020", 0.26},
                           Typed{"a-10", "05/Jan/2020", QVariant()},
                           Typed{"A-1", "07/Jan/2020", 0.5}, Typed{"A-1", "06/Jan/2020", 0.51},
                           Typed{"b-2", "05/Jan/2020", 0.27}, Typed{"Ä-1", "05/Jan/2020", 0.3}})
        file.add(QStringLiteral("Thickness"), {{"InspectionID", inspection},
                                               {"PointID", QString::fromUtf8(t.point)},
                                               {"DateTaken", QString::fromLatin1(t.date)},
                                               {"Reading", t.reading},
                                               {"Course", 2},
                                               {"TakenBy", "R. Diaz"},
                                               {"Checks", "soon: under six months"}});

    auto inputs = readTankInputs(file.path(), tank);
    ASSERT_TRUE(inputs) << inputs.error().toStdString();
    EXPECT_EQ(inputs->courses.courses, 2);
    EXPECT_FLOAT_EQ(inputs->courses.minimums[static_cast<std::size_t>(courseCode(1))], 0.3f);
    EXPECT_FLOAT_EQ(inputs->courses.minimums[static_cast<std::size_t>(courseCode(2))], 0.25f);
    EXPECT_EQ(inputs->courses.minimums[static_cast<std::size_t>(courseCode(3))], 0.0);
    EXPECT_EQ(inputs->utFrequency, -18);
    EXPECT_EQ(inputs->externalFrequency, 5);
    EXPECT_EQ(inputs->utLast, QDate(2020, 1, 5));

    const auto shown = [](const std::vector<TankReading>& readings) {
        QStringList lines;
        for (const TankReading& r : readings)
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(r.thicknessId)
                         .arg(r.pointId, r.dateTaken)
                         .arg(r.reading)
                         .arg(r.course)
                         .arg(r.takenBy, r.checks);
        return lines;
    };
    auto listed = readTankReadings(file.path(), tank);
    ASSERT_TRUE(listed);
    EXPECT_EQ(shown(inputs->readings), shown(*listed));
    EXPECT_EQ(shown(inputs->readings).first(),
              QStringLiteral("5 A-1 06/Jan/2020 0.51 2 R. Diaz soon: under six months"));
    EXPECT_EQ(shown(inputs->readings).mid(3, 3).join(u'|'),
              QStringLiteral("2 B-2 05/Jan/2020 0.26 2 R. Diaz soon: under six months|"
                             "6 b-2 05/Jan/2020 0.27 2 R. Diaz soon: under six months|"
                             "1 b-2 05/Jan/2024 0.24 2 R. Diaz soon: under six months"));

    EXPECT_FALSE(readTankInputs(file.path(), 999));

    // A file made before readings were checked has no Checks field: its readings come without
    // flags.
    ASSERT_TRUE(file.open().exec(QStringLiteral("ALTER TABLE Thickness DROP COLUMN Checks")));
    auto older = readTankInputs(file.path(), tank);
    ASSERT_TRUE(older) << older.error().toStdString();
    listed = readTankReadings(file.path(), tank);
    ASSERT_TRUE(listed) << listed.error().toStdString();
    EXPECT_EQ(shown(older->readings), shown(*listed));
    EXPECT_EQ(shown(older->readings).first(), QStringLiteral("5 A-1 06/Jan/2020 0.51 2 R. Diaz "));
}

} // namespace
} // namespace korvane
