#include "reports/ReportData.h"

#include "reports/ReportDefinition.h"
#include "reports/ReportEngine.h"
#include "reports/ReportRenderer.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>

#include <gtest/gtest.h>

#include <tuple>

namespace korvane::reports {
namespace {

const QString Tanks = QStringLiteral("Tank");

// Two companies, added in the reverse of their name order: Acme Oil with North Farm (T-102 and
// T-101, added in that order) and Bayside Fuels with Harbour (B-1).
//
// T-101 is 120 ft across, 40 ft high, with three courses of 96 in and minimums 0.250, 0.200 and
// 0.100 in. Its inspection I-23 (15/Mar/2023) has readings below and above the minimum of
// course 1, one whose 0.2496 in shows as 0.250 in but as 6.34 mm against 6.35 mm, a floor
// reading, and a shell survey of 8 level points with a bump of 10 in at point 3. The older
// inspection I-21 (02/Feb/2021, added later) has an earlier reading of A1.
class ReportDataTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        file = new test::TestDatabase;
        const qint32 bayside = file->addCompany(QStringLiteral("Bayside Fuels"));
        const qint32 acme = file->addCompany(QStringLiteral("Acme Oil"));
        harbour = file->addLocation(bayside, QStringLiteral("Harbour"));
        north = file->addLocation(acme, QStringLiteral("North Farm"));
        t102 = file->addTank(north, QStringLiteral("T-102"));
        b1 = file->addTank(harbour, QStringLiteral("B-1"));
        t101 = file->add(Tanks, {{"LocationID", north},
                                 {"Name", "T-101"},
                                 {"PhysLoc", "East dike"},
                                 {"Product", "Crude"},
                                 {"Diameter", 1440},
                                 {"Height", 480},
                                 {"DesignLevel", 456},
                                 {"Capacity", 80000},
                                 {"Yield", 30000},
                                 {"Tensile", 55000},
                                 {"JointEff", 0.85},
                                 {"SpecGravity", 0.9},
                                 {"MfgType", 1},
                                 {"BottomType", 4},
                                 {"RoofType", 1},
                                 {"Courses", 3},
                                 {"Course1_Height", 96},
                                 {"Course2_Height", 96},
                                 {"Course3_Height", 96},
                                 {"Course1_Min", 0.25},
                                 {"Course2_Min", 0.2},
                                 {"Course3_Min", 0.1},
                                 {"ExternalFreq", 5},
                                 {"ExternalLast", "10/Jun/2020"},
                                 {"InternalFreq", 10},
                                 {"InternalLast", "01/Jan/2020"},
                                 {"UTFreq", -18},
                                 {"UTLast", "31/Aug/2022"},
                                 {"MFCourse", 2},
                                 {"MFProduct", "Diesel"},
                                 {"MFSGravity", 0.85},
                                 // kept as typed by an older version, in feet and inches
                                 {"MFDesignLevel", 34.16},
                                 {"MFCReading", 0.312},
                                 {"MFCAllowance", 0.05},
                                 {"Custom1", "P-77"},
                                 {"Custom2", "kept out of sight"},
                                 {"Custom3", "loose"},
                                 {"Custom5", "Yes"},
                                 {"Custom8", "kept by an older version"}});
        EXPECT_TRUE(file->open()
                        .exec(QStringLiteral("UPDATE Preferences SET Custom1_Label = 'Permit No.', "
                                             "Custom2_Label = 'Secret', Custom2_Type = 4, "
                                             "Custom4_Label = 'Inspector''s Ref.', "
                                             "Custom4_Type = 1, Custom5_Label = 'Lined?', "
                                             "Custom5_Type = 3, Custom6_Label = 'Recoated', "
                                             "Custom6_Type = 2, Custom7_Label = 'Grade', "
                                             "Custom7_Type = 5, Custom8_Type = -1"))
                        .ok());

        i23 = file->add(QStringLiteral("Inspection"), {{"TankID", t101},
                                                       {"InspectionDate", "15/Mar/2023"},
                                                       {"InspectionNum", "I-23"},
                                                       {"InspectionType", 3},
                                                       {"InspectedBy", "R. Diaz"},
                                                       {"InspectionReason", "Scheduled"},
                                                       {"Results", "Shell sound"}});
        const qint32 i21 = file->add(
            QStringLiteral("Inspection"),
            {{"TankID", t101}, {"InspectionDate", "02/Feb/2021"}, {"InspectionNum", "I-21"}});
        const auto reading = [](qint32 inspection, const char* point, int course, double inches,
                                const char* date) {
            file->add(QStringLiteral("Thickness"), {{"InspectionID", inspection},
                                                    {"PointID", point},
                                                    {"Course", course},
                                                    {"Reading", inches},
                                                    {"DateTaken", date},
                                                    {"TakenBy", "K. Obi"}});
        };
        reading(i23, "F1", 1, 0.05, "01/Mar/2023");
        reading(i23, "A1", 2, 0.24, "01/Mar/2023");
        reading(i23, "A2", 3, 0.30, "01/Mar/2023");
        reading(i23, "A1", 2, 0.2496, "20/Feb/2023");
        reading(i21, "A1", 2, 0.26, "01/Feb/2021");
        reading(i21, "A3", 4, 0.05, "01/Feb/2021");

        QVariantMap survey{{"InspectionID", i23},
                           {"InspectionNum", "SV-1"},
                           {"DateTaken", "02/Mar/2023"},
                           {"SurveyPoints", 8}};
        for (int i = 1; i <= 8; ++i)
            survey.insert(QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')),
                          i == 3 ? 10.0 : 0.0);
        file->add(QStringLiteral("ShellSurvey"), survey);

        // A TML matches readings without regard to case; Z9 was never read.
        const auto tml = [](qint32 tank, const char* point, int page, double x, double y) {
            file->add(QStringLiteral("TML"), {{"TankID", tank},
                                              {"PointID", point},
                                              {"GraphicType", page},
                                              {"XCoordinate", x},
                                              {"YCoordinate", y}});
        };
        tml(t101, "a1", 1, 10.5, 20.25);
        tml(t101, "F1", 2, 3, 4);
        tml(t101, "Z9", 1, 0, 0);
        tml(b1, "B-7", 1, 1, 1);
        file->add(QStringLiteral("TGraphic"),
                  {{"TankID", t101}, {"GraphicType", 1}, {"GraphicLabel", "Shell plan"}});
    }
    static void TearDownTestSuite() {
        delete file;
        file = nullptr;
    }

    static QVariantMap build(DataKind kind, const Selection& selection, bool us = true) {
        DataOptions options;
        options.unitsUS = us;
        options.today = QDate(2025, 3, 1);
        auto data = buildReportData(file->path(), kind, selection, options);
        EXPECT_TRUE(data.ok()) << (data.ok() ? std::string() : data.error().toStdString());
        return data.ok() ? *data : QVariantMap();
    }
    static Selection tankIs(qint32 id) {
        return {QStringLiteral("\"Tank\".\"TankID\" = ?"), {id}, {Tanks}};
    }
    // The one tank of a selection of one tank.
    static QVariantMap onlyTank(DataKind kind, qint32 id, bool us = true) {
        return at(build(kind, tankIs(id), us), "companies/0/locations/0/tanks/0").toMap();
    }

    // A value down a path of names and list positions: "companies/0/locations/1/name".
    static QVariant at(const QVariant& root, const QString& path) {
        QVariant v = root;
        for (const QString& step : path.split(QLatin1Char('/'))) {
            bool isIndex = false;
            const int index = step.toInt(&isIndex);
            if (isIndex) {
                const QVariantList list = v.toList();
                if (index >= list.size())
                    return QStringLiteral("<no item %1 in %2>").arg(step, path);
                v = list.at(index);
            } else {
                const QVariantMap map = v.toMap();
                if (!map.contains(step))
                    return QStringLiteral("<no %1 in %2>").arg(step, path);
                v = map.value(step);
            }
        }
        return v;
    }
    static QVariant at(const QVariantMap& root, const char* path) {
        return at(QVariant(root), QString::fromLatin1(path));
    }

    // "Company / Location / Tank" for every tank of the tree, in its order.
    static QStringList tankPaths(const QVariantMap& data) {
        QStringList paths;
        for (const QVariant& company : data.value(QStringLiteral("companies")).toList())
            for (const QVariant& location : at(company, QStringLiteral("locations")).toList())
                for (const QVariant& tank : at(location, QStringLiteral("tanks")).toList())
                    paths << QStringLiteral("%1 / %2 / %3")
                                 .arg(at(company, QStringLiteral("name")).toString(),
                                      at(location, QStringLiteral("name")).toString(),
                                      at(tank, QStringLiteral("name")).toString());
        return paths;
    }

    static inline test::TestDatabase* file = nullptr;
    static inline qint32 north = 0, harbour = 0, t101 = 0, t102 = 0, b1 = 0, i23 = 0;
};

TEST_F(ReportDataTest, OnlyTheSelectedTanksAreListedByCompanyLocationAndName) {
    const QString t101Path = QStringLiteral("Acme Oil / North Farm / T-101");
    const QString t102Path = QStringLiteral("Acme Oil / North Farm / T-102");
    const QString b1Path = QStringLiteral("Bayside Fuels / Harbour / B-1");
    const struct {
        DataKind kind;
        Selection selection;
        QStringList tanks;
    } cases[] = {
        {DataKind::Tanks, {}, {t101Path, t102Path, b1Path}},
        {DataKind::Tanks, tankIs(t101), {t101Path}},
        {DataKind::Tanks,
         {QStringLiteral("\"Tank\".\"LocationID\" = ?"), {north}, {Tanks}},
         {t101Path, t102Path}},
        {DataKind::Inspections,
         {QStringLiteral("\"Tank\".\"LocationID\" = ?"), {harbour}, {Tanks}},
         {b1Path}},
        {DataKind::Inspections,
         {QStringLiteral("\"Tank\".\"Name\" = ? OR \"Tank\".\"TankID\" = ?"),
          {"t-102", b1},
          {Tanks}},
         {t102Path, b1Path}},
        // TMLs: a selection of TML fields lists the tanks that have such TMLs.
        {DataKind::Tmls, {}, {t101Path, t102Path, b1Path}},
        {DataKind::Tmls,
         {QStringLiteral("\"TML\".\"PointID\" = ?"), {"B-7"}, {QStringLiteral("TML")}},
         {b1Path}},
        {DataKind::Tmls, {QStringLiteral("\"TML\".\"TankID\" = ?"), {t101}, {"TML"}}, {t101Path}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection.sql.toStdString());
        const QVariantMap data = build(c.kind, c.selection);
        EXPECT_EQ(tankPaths(data), c.tanks);
        EXPECT_EQ(data.value(QStringLiteral("tankCount")).toInt(), c.tanks.size());
        EXPECT_EQ(at(data, "companies/0/locations/0/tanks/0/first"), true);
    }
}

TEST_F(ReportDataTest, ASelectionNamingAnotherTableIsRefused) {
    const QString tankOnly =
        QStringLiteral("The selection of this report may name only {Tank.…} fields.");
    const struct {
        DataKind kind;
        QStringList tables;
        QString message; // empty: accepted
    } cases[] = {
        {DataKind::Tanks, {"Inspection"}, tankOnly},
        {DataKind::Tanks, {"TML"}, tankOnly},
        {DataKind::Inspections, {"Tank", "Thickness"}, tankOnly},
        {DataKind::Tmls,
         {"Thickness"},
         QStringLiteral("The selection of this report may name only {TML.…} and {Tank.…} "
                        "fields.")},
        {DataKind::Tmls, {"TML", "Tank"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tables.join(u',').toStdString());
        // The condition itself is sound, so only the tables named can refuse it.
        const Selection selection{QStringLiteral("\"Tank\".\"TankID\" > ?"), {0}, c.tables};
        DataOptions options;
        options.today = QDate(2025, 3, 1);
        const auto data = buildReportData(file->path(), c.kind, selection, options);
        EXPECT_EQ(data.ok() ? QString() : data.error(), c.message);
    }
}

TEST_F(ReportDataTest, TankValuesAreShownInTheUnitsChosen) {
    const QVariantMap us = onlyTank(DataKind::Tanks, t101, true);
    const QVariantMap si = onlyTank(DataKind::Tanks, t101, false);
    // 1440 in is 120 ft or 36.58 m (by 39.3701 in/m); 30,000 psi is 206,843 KPa; a minimum of
    // 0.25 in is 6.35 mm (by 25.399986 mm/in).
    const struct {
        const char* path;
        QVariant us;
        QVariant si;
    } cases[] = {
        {"name", "T-101", "T-101"},
        {"place", "East dike", "East dike"},
        {"company", "Acme Oil", "Acme Oil"},
        {"location", "North Farm", "North Farm"},
        {"diameter", "120.00", "36.58"},
        {"height", "40.00", "12.19"},
        {"designLevel", "38.00", "11.58"},
        {"capacity", "80000 bbls.", "80000 bbls."},
        {"yield", "30000", "206843"},
        {"tensile", "55000", "379212"},
        {"jointEfficiency", "0.85", "0.85"},
        {"shellConstruction", "Weld Butt", "Weld Butt"},
        {"bottomType", "Double", "Double"},
        {"roofType", "Fixed Flat", "Fixed Flat"},
        {"courseCount", 3, 3},
        {"courses/0/height", "96.00", "243.84"}, // entered in inches: 96 x 2.5399986 cm
        {"courses/0/minimum", "0.250", "6.35"},
        {"courses/2/minimum", "0.100", "2.54"},
        {"courses/2/number", 3, 3},
        {"maxFill/course", "Course 1", "Course 1"},
        {"maxFill/product", "Diesel", "Diesel"},
        {"maxFill/specificGravity", "0.85", "0.85"},
        {"maxFill/designLevel", "34.16 ft", "10.41 m"},
        {"maxFill/criticalReading", "0.312 in.", "7.92 mm"},
        {"maxFill/corrosionAllowance", "0.050 in.", "1.27 mm"},
        {"maxFill/any", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(at(us, c.path).toString(), c.us.toString());
        EXPECT_EQ(at(si, c.path).toString(), c.si.toString());
    }
    EXPECT_EQ(at(us, "courses").toList().size(), 3);
    EXPECT_DOUBLE_EQ(at(us, "diameterValue").toDouble(), 120.0);
    EXPECT_NEAR(at(si, "courses/0/minimumValue").toDouble(), 6.35, 1e-5);

    // A tank with nothing entered shows nothing, not zeros.
    const QVariantMap empty = onlyTank(DataKind::Tanks, t102);
    for (const char* path : {"diameter", "capacity", "yield", "shellConstruction", "maxFill/course",
                             "external/frequency", "external/next"})
        EXPECT_EQ(at(empty, path).toString(), QString()) << path;
    EXPECT_EQ(at(empty, "courses").toList().size(), 0);
    EXPECT_EQ(at(empty, "maxFill/any"), false);
}

// A maximum fill record with only one of its values entered is still printed, whichever it is.
TEST_F(ReportDataTest, AMaximumFillRecordWithOneValueIsPrinted) {
    test::TestDatabase one;
    const qint32 location =
        one.addLocation(one.addCompany(QStringLiteral("Acme Oil")), QStringLiteral("Fill Farm"));
    const struct {
        const char* field;
        QVariant stored;
        const char* path;
    } cases[] = {
        {"MFProduct", "Jet A", "product"},       {"MFSGravity", 0.8, "specificGravity"},
        {"MFDate", "01/Mar/2024", "date"},       {"MFCourse", 1, "course"},
        {"MFCReading", 0.25, "criticalReading"}, {"MFCAllowance", 0.05, "corrosionAllowance"},
        {"MFDesignLevel", 30, "designLevel"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        one.add(Tanks, {{"LocationID", location},
                        {"Name", QStringLiteral("M%1").arg(i)},
                        {"Height", 480},
                        {cases[i].field, cases[i].stored}});
    one.addTank(location, QStringLiteral("M9 without a record"));

    auto data = buildReportData(one.path(), DataKind::Tanks, {}, DataOptions{});
    ASSERT_TRUE(data.ok());
    const QVariantList tanks = at(*data, "companies/0/locations/0/tanks").toList();
    ASSERT_EQ(tanks.size(), static_cast<qsizetype>(std::size(cases)) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].field);
        const QVariant fill = at(tanks[static_cast<qsizetype>(i)], QStringLiteral("maxFill"));
        EXPECT_FALSE(at(fill, QString::fromLatin1(cases[i].path)).toString().isEmpty());
        EXPECT_EQ(at(fill, QStringLiteral("any")), true);
    }
    EXPECT_EQ(at(tanks.last(), QStringLiteral("maxFill/any")), false);
}

// The course of a maximum fill record is one of the tank's own courses, whatever courses the
// tanks before it in the report have.
TEST_F(ReportDataTest, TheMaximumFillCourseIsOneOfTheTanksOwnCourses) {
    test::TestDatabase db;
    const qint32 location =
        db.addLocation(db.addCompany(QStringLiteral("Acme Oil")), QStringLiteral("Fill Farm"));
    const struct {
        const char* name;
        int courses;
        int stored;
        const char* shown;
    } cases[] = {
        {"A", 2, 4, ""}, {"B", 5, 4, "Course 3"}, {"C", 2, 3, "Course 2"}, {"D", 0, 1, "Floor"},
        {"E", 0, 2, ""}, {"F", 5, 6, "Course 5"}, {"G", 5, 7, ""},
    };
    for (const auto& c : cases)
        db.add(Tanks, {{"LocationID", location},
                       {"Name", c.name},
                       {"Courses", c.courses},
                       {"MFCourse", c.stored}});
    auto data = buildReportData(db.path(), DataKind::Tanks, {}, DataOptions{});
    ASSERT_TRUE(data.ok());
    const QVariantList tanks = at(*data, "companies/0/locations/0/tanks").toList();
    ASSERT_EQ(tanks.size(), static_cast<qsizetype>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(at(tanks[static_cast<qsizetype>(i)], QStringLiteral("maxFill/course")),
                  QLatin1String(cases[i].shown))
            << cases[i].name;
}

// Every course of a ten-course tank, the top one too, with its height (entered in inches) and
// its minimum, in both unit systems.
TEST_F(ReportDataTest, EveryCourseOfATallTankHasItsHeightAndMinimum) {
    test::TestDatabase tall;
    const qint32 location =
        tall.addLocation(tall.addCompany(QStringLiteral("Acme Oil")), QStringLiteral("Tall Farm"));
    QVariantMap tank{{"LocationID", location}, {"Name", "T-10"}, {"Courses", 10}, {"Height", 924}};
    for (int course = 1; course <= 10; ++course) {
        tank.insert(QStringLiteral("Course%1_Height").arg(course), course == 10 ? 60 : 96);
        tank.insert(QStringLiteral("Course%1_Min").arg(course), 0.50 - 0.03 * (course - 1));
    }
    const qint32 tankId = tall.add(Tanks, tank);
    // Readings on the bottom and top courses, at and just below their minimums, on the floor and
    // the roof (which have none), and on a course the tank does not have.
    const qint32 inspection = tall.add(QStringLiteral("Inspection"),
                                       {{"TankID", tankId}, {"InspectionDate", "01/Mar/2024"}});
    for (const auto& [point, course, inches, date] :
         {std::tuple{"C1", 2, 0.499, "01/Mar/2024"}, std::tuple{"C10", 11, 0.23, "01/Mar/2023"},
          std::tuple{"C10", 11, 0.229, "01/Mar/2024"}, std::tuple{"F", 1, 0.01, "01/Mar/2024"},
          std::tuple{"R", 12, 0.05, "01/Mar/2024"}, std::tuple{"X", 13, 0.1, "01/Mar/2024"}})
        tall.add(QStringLiteral("Thickness"), {{"InspectionID", inspection},
                                               {"PointID", point},
                                               {"Course", course},
                                               {"Reading", inches},
                                               {"DateTaken", date}});

    const QStringList us{"1 96.00 0.500", "2 96.00 0.470", "3 96.00 0.440", "4 96.00 0.410",
                         "5 96.00 0.380", "6 96.00 0.350", "7 96.00 0.320", "8 96.00 0.290",
                         "9 96.00 0.260", "10 60.00 0.230"};
    const QStringList si{"1 243.84 12.70", "2 243.84 11.94", "3 243.84 11.18", "4 243.84 10.41",
                         "5 243.84 9.65",  "6 243.84 8.89",  "7 243.84 8.13",  "8 243.84 7.37",
                         "9 243.84 6.60",  "10 152.40 5.84"};
    // point, course, reading, minimum, below
    const QStringList readingsUS{"C1 Course 1 0.499 0.500 below",
                                 "C10 Course 10 0.230 0.230 -",
                                 "C10 Course 10 0.229 0.230 below",
                                 "F Floor 0.010  -",
                                 "R Roof 0.050  -",
                                 "X  0.100  -"};
    const QStringList readingsSI{"C1 Course 1 12.67 12.70 below",
                                 "C10 Course 10 5.84 5.84 -",
                                 "C10 Course 10 5.82 5.84 below",
                                 "F Floor 0.25  -",
                                 "R Roof 1.27  -",
                                 "X  2.54  -"};
    for (const bool unitsUS : {true, false}) {
        SCOPED_TRACE(unitsUS ? "US" : "metric");
        DataOptions options;
        options.unitsUS = unitsUS;
        auto data = buildReportData(tall.path(), DataKind::Inspections, {}, options);
        ASSERT_TRUE(data.ok());
        const QVariant shown = at(*data, "companies/0/locations/0/tanks/0");
        EXPECT_EQ(at(shown, QStringLiteral("courseCount")), 10);
        QStringList rows;
        for (const QVariant& course : at(shown, QStringLiteral("courses")).toList())
            rows << QStringLiteral("%1 %2 %3")
                        .arg(at(course, QStringLiteral("number")).toString(),
                             at(course, QStringLiteral("height")).toString(),
                             at(course, QStringLiteral("minimum")).toString());
        EXPECT_EQ(rows, unitsUS ? us : si);

        QStringList readings;
        for (const QVariant& r : at(shown, QStringLiteral("inspections/0/readings")).toList())
            readings << QStringLiteral("%1 %2 %3 %4 %5")
                            .arg(at(r, QStringLiteral("point")).toString(),
                                 at(r, QStringLiteral("course")).toString(),
                                 at(r, QStringLiteral("reading")).toString(),
                                 at(r, QStringLiteral("minimum")).toString(),
                                 at(r, QStringLiteral("below")).toBool() ? "below" : "-");
        EXPECT_EQ(readings, unitsUS ? readingsUS : readingsSI);
        EXPECT_EQ(at(shown, QStringLiteral("inspections/0/belowCount")), 2);
    }
}

TEST_F(ReportDataTest, TheScheduleGivesNextDatesAndMarksThoseDueThisYearOrEarlier) {
    // Today is 01/Mar/2025: external (10/Jun/2025) is due this year, ultrasonic (18 months after
    // 31/Aug/2022: 29/Feb/2024, a leap year) is overdue, internal (2030) is not; the seals have no
    // schedule.
    const QVariantMap tank = onlyTank(DataKind::Tanks, t101);
    const struct {
        const char* name;
        const char* kind;
        const char* frequency;
        const char* next;
        bool due;
    } cases[] = {
        {"external", "External", "5 Year(s)", "10/Jun/2025", true},
        {"internal", "Internal", "10 Year(s)", "01/Jan/2030", false},
        {"primarySeal", "Primary Seal", "", "", false},
        {"secondarySeal", "Secondary Seal", "", "", false},
        {"ultrasonic", "Ultrasonic", "18 Month(s)", "29/Feb/2024", true},
    };
    int position = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QVariantMap entry = tank.value(QLatin1String(c.name)).toMap();
        EXPECT_EQ(entry.value("kind").toString(), QLatin1String(c.kind));
        EXPECT_EQ(entry.value("frequency").toString(), QLatin1String(c.frequency));
        EXPECT_EQ(entry.value("next").toString(), QLatin1String(c.next));
        EXPECT_EQ(entry.value("due").toBool(), c.due);
        EXPECT_EQ(at(tank, QStringLiteral("schedule/%1").arg(position++)), entry);
    }
    EXPECT_EQ(at(tank, "external/last"), QStringLiteral("10/Jun/2020"));
    EXPECT_EQ(at(tank, "dueCount"), 2);
    EXPECT_EQ(at(tank, "anyDue"), true);
}

TEST_F(ReportDataTest, CustomFieldsGoByTheirPreferencesNamesAndHiddenOnesAreLeftOut) {
    const QVariantList custom = onlyTank(DataKind::Tanks, t101).value("custom").toList();
    QStringList shown;
    for (const QVariant& field : custom)
        shown << QStringLiteral("%1 (%2) = %3")
                     .arg(at(field, "label").toString(), at(field, "kind").toString(),
                          at(field, "value").toString());
    // Field 3 has no name but a value; field 4 has a name but no value. Fields 7 and 8 hold a
    // kind the program does not know (a damaged or foreign file): they are shown as text.
    EXPECT_EQ(shown, (QStringList{"Permit No. (Text) = P-77", "Custom Field 3 (Text) = loose",
                                  "Inspector's Ref. (Numeric) = ", "Lined? (Yes/No) = Yes",
                                  "Recoated (Date/Time) = ", "Grade (Text) = ",
                                  "Custom Field 8 (Text) = kept by an older version"}));
}

TEST_F(ReportDataTest, ReadingsComeByPointThenDateWithTheMinimumOfTheirCourse) {
    const struct {
        const char* point;
        const char* date;
        const char* course;
        const char* readingUS;
        const char* minimumUS;
        bool belowUS;
        const char* readingSI;
        const char* minimumSI;
        bool belowSI;
    } cases[] = {
        {"A1", "20/Feb/2023", "Course 1", "0.250", "0.250", false, "6.34", "6.35", true},
        {"A1", "01/Mar/2023", "Course 1", "0.240", "0.250", true, "6.10", "6.35", true},
        {"A2", "01/Mar/2023", "Course 2", "0.300", "0.200", false, "7.62", "5.08", false},
        {"F1", "01/Mar/2023", "Floor", "0.050", "", false, "1.27", "", false},
    };
    for (bool us : {true, false}) {
        const QVariantMap tank = onlyTank(DataKind::Inspections, t101, us);
        // By date: I-21 of 2021 first, though it was added after I-23.
        EXPECT_EQ(at(tank, "inspectionCount"), 2);
        EXPECT_EQ(at(tank, "inspections/0/number"), QStringLiteral("I-21"));
        const QVariantMap latest = at(tank, "inspections/1").toMap();
        ASSERT_EQ(latest.value("number"), QStringLiteral("I-23"));
        const QVariantList readings = latest.value("readings").toList();
        ASSERT_EQ(readings.size(), static_cast<qsizetype>(std::size(cases)));
        EXPECT_EQ(latest.value("readingCount"), 4);
        EXPECT_EQ(latest.value("belowCount"), us ? 1 : 2);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto& c = cases[i];
            SCOPED_TRACE(testing::Message() << c.point << " " << c.date << (us ? " US" : " SI"));
            const QVariantMap r = readings[static_cast<qsizetype>(i)].toMap();
            EXPECT_EQ(r.value("point").toString(), QLatin1String(c.point));
            EXPECT_EQ(r.value("date").toString(), QLatin1String(c.date));
            EXPECT_EQ(r.value("course").toString(), QLatin1String(c.course));
            EXPECT_EQ(r.value("reading").toString(), QLatin1String(us ? c.readingUS : c.readingSI));
            EXPECT_EQ(r.value("minimum").toString(), QLatin1String(us ? c.minimumUS : c.minimumSI));
            EXPECT_EQ(r.value("below").toBool(), us ? c.belowUS : c.belowSI);
            EXPECT_EQ(r.value("takenBy").toString(), QStringLiteral("K. Obi"));
        }
    }
}

TEST_F(ReportDataTest, InspectionsCarryTheirTextsAndOnlyTheirOwnSurvey) {
    const QVariantMap tank = onlyTank(DataKind::Inspections, t101);
    const struct {
        const char* path;
        QVariant expected;
    } cases[] = {
        {"inspections/1/date", "15/Mar/2023"},
        {"inspections/1/type", "External"},
        {"inspections/1/inspectedBy", "R. Diaz"},
        {"inspections/1/reason", "Scheduled"},
        {"inspections/1/results", "Shell sound"},
        {"inspections/1/first", false},
        {"inspections/0/type", "None Specified"},
        {"inspections/0/first", true},
        {"inspections/0/survey", false},
        // I-21's A3 was taken on course 3 (code 4), below its 0.100 in.
        {"inspections/0/readings/1/course", "Course 3"},
        {"inspections/0/readings/1/below", true},
        {"inspections/0/belowCount", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(at(tank, c.path).toString(), c.expected.toString()) << c.path;
    // The other tanks have no inspections.
    const QVariantMap other = onlyTank(DataKind::Inspections, b1);
    EXPECT_EQ(at(other, "inspectionCount"), 0);
    EXPECT_EQ(at(other, "inspections").toList().size(), 0);
}

TEST_F(ReportDataTest, TheSurveyHasItsClosingRowAndTheFitOfTheCurve) {
    // Level readings but a bump of d = 10 in at point 3: R² = 2/7, so the fit is poor; the
    // deflection at the bump is d(6 + √2)/8 = 9.268 in, above the allowance of
    // (120 π / 8)² x 30,000 x 11 / (40 x 60,000,000) ft = 3.664 in (93.07 mm).
    for (bool us : {true, false}) {
        SCOPED_TRACE(us ? "US" : "SI");
        const QVariantMap survey =
            at(onlyTank(DataKind::Inspections, t101, us), "inspections/1/survey").toMap();
        ASSERT_FALSE(survey.isEmpty());
        EXPECT_EQ(survey.value("number"), QStringLiteral("SV-1"));
        EXPECT_EQ(survey.value("points"), 8);
        EXPECT_EQ(survey.value("analysed"), true);
        EXPECT_EQ(survey.value("rSquared"), QStringLiteral("0.286"));
        EXPECT_EQ(survey.value("fitWarning"), true);
        EXPECT_EQ(survey.value("allowance"),
                  us ? QStringLiteral("3.664") : QStringLiteral("93.07"));
        const QVariantList rows = survey.value("rows").toList();
        ASSERT_EQ(rows.size(), 9);
        EXPECT_EQ(at(rows[8], "point"), 9);
        // Where the surveyor marked the points: eight of them 45 degrees apart, to one decimal.
        EXPECT_EQ(at(rows[1], "angle"), QStringLiteral("45.0"));
        EXPECT_EQ(at(rows[8], "angle"), QStringLiteral("360.0"));
        EXPECT_EQ(at(rows[8], "actual"), at(rows[0], "actual"));
        EXPECT_EQ(at(rows[2], "actual"), us ? QStringLiteral("10.000") : QStringLiteral("254.00"));
        EXPECT_EQ(at(rows[2], "outOfPlane"),
                  us ? QStringLiteral("6.250") : QStringLiteral("158.75"));
        EXPECT_EQ(at(rows[2], "deflection"),
                  us ? QStringLiteral("9.268") : QStringLiteral("235.40"));
        int refused = 0;
        for (const QVariant& row : rows) {
            const bool notAllowed = at(row, "notAllowed").toBool();
            EXPECT_EQ(at(row, "allowed"),
                      notAllowed ? QStringLiteral("No") : QStringLiteral("Yes"));
            refused += notAllowed ? 1 : 0;
        }
        // The bump and, bent the other way beyond the allowance, its two neighbours.
        EXPECT_EQ(refused, 3);
    }
}

TEST_F(ReportDataTest, ASurveyOfATankWithoutItsDimensionsSaysWhatIsMissing) {
    test::TestDatabase own;
    const qint32 location = own.addLocation(own.addCompany(QStringLiteral("C")), "L");
    const qint32 tank = own.addTank(location, QStringLiteral("T"));
    const qint32 inspection = own.add(QStringLiteral("Inspection"), {{"TankID", tank}});
    own.add(QStringLiteral("ShellSurvey"),
            {{"InspectionID", inspection}, {"SurveyPoints", 8}, {"Point01_Settle", 0.5}});
    DataOptions options;
    const auto data = buildReportData(own.path(), DataKind::Inspections, {}, options);
    ASSERT_TRUE(data.ok()) << data.error().toStdString();
    const QVariantMap survey =
        at(*data, "companies/0/locations/0/tanks/0/inspections/0/survey").toMap();
    EXPECT_EQ(survey.value("analysed"), false);
    EXPECT_TRUE(survey.value("missing").toString().contains(QLatin1String("diameter")));
    EXPECT_EQ(survey.value("rSquared"), QString());
    EXPECT_EQ(survey.value("rows").toList().size(), 9);
    EXPECT_EQ(at(survey.value("rows"), QStringLiteral("0/actual")), QStringLiteral("0.500"));
    EXPECT_EQ(at(survey.value("rows"), QStringLiteral("0/allowed")), QString());
}

TEST_F(ReportDataTest, TmlsShowTheirPageAndTheLatestReadingOfTheirPoint) {
    const struct {
        const char* point;
        const char* page;
        const char* x;
        const char* reading; // the latest of the point's readings, whatever its letter case
        const char* date;
        const char* course;
        const char* minimum;
        bool below;
    } cases[] = {
        {"a1", "1", "10.50", "0.240", "01/Mar/2023", "Course 1", "0.250", true},
        {"F1", "2", "3.00", "0.050", "01/Mar/2023", "Floor", "", false},
        {"Z9", "1", "0.00", "", "", "", "", false},
    };
    const QVariantMap tank = onlyTank(DataKind::Tmls, t101);
    const QVariantList tmls = tank.value("tmls").toList();
    ASSERT_EQ(tmls.size(), static_cast<qsizetype>(std::size(cases)));
    EXPECT_EQ(tank.value("tmlCount"), 3);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.point);
        const QVariantMap t = tmls[static_cast<qsizetype>(i)].toMap();
        EXPECT_EQ(t.value("point").toString(), QLatin1String(c.point));
        EXPECT_EQ(t.value("page").toString(), QLatin1String(c.page));
        EXPECT_EQ(t.value("x").toString(), QLatin1String(c.x));
        EXPECT_EQ(t.value("reading").toString(), QLatin1String(c.reading));
        EXPECT_EQ(t.value("hasReading").toBool(), *c.reading != 0);
        EXPECT_EQ(t.value("date").toString(), QLatin1String(c.date));
        EXPECT_EQ(t.value("course").toString(), QLatin1String(c.course));
        EXPECT_EQ(t.value("minimum").toString(), QLatin1String(c.minimum));
        EXPECT_EQ(t.value("below").toBool(), c.below);
    }
    EXPECT_EQ(at(onlyTank(DataKind::Tmls, t101, false), "tmls/0/reading"), QStringLiteral("6.10"));
}

TEST_F(ReportDataTest, TheTreeSaysWhenAndInWhichUnits) {
    const QVariantMap us = build(DataKind::Tanks, tankIs(t102), true);
    const QVariantMap si = build(DataKind::Tanks, tankIs(t102), false);
    EXPECT_EQ(at(us, "printed"), QStringLiteral("01/Mar/2025"));
    EXPECT_EQ(at(us, "units/system"), QStringLiteral("US"));
    EXPECT_EQ(at(si, "units/system"), QStringLiteral("SI"));
    EXPECT_EQ(at(us, "units/thickness"), QStringLiteral("in."));
    EXPECT_EQ(at(si, "units/thickness"), QStringLiteral("mm"));
    EXPECT_EQ(at(si, "units/length"), QStringLiteral("m"));
    // No tank chosen: no companies at all.
    const QVariantMap none = build(DataKind::Tanks, tankIs(-1));
    EXPECT_EQ(none.value("tankCount"), 0);
    EXPECT_EQ(none.value("companies").toList().size(), 0);
}

// One course of minimum 0.250 in, readings 1461 days (4 years of 365.25 days) apart. A1: 0.500
// to 0.460, 0.040 / 4 = 0.0100 in/yr (0.254 mm/yr), life 0.210 / 0.010 = 21 years. C1: 0.300 to
// 0.260, life 1 year, short of the 5-year UT. B1: one reading of 0.240, below its minimum.
TEST_F(ReportDataTest, AssessedPointsComeWorstFirstWithTheirRatesInTheUnitsChosen) {
    test::TestDatabase own;
    const qint32 tank = own.add(Tanks, {{"LocationID", own.addLocation(own.addCompany("C"), "L")},
                                        {"Courses", 1},
                                        {"Course1_Min", 0.25},
                                        {"UTFreq", 5}});
    const auto reading = [&](const char* point, double inches, const char* date) {
        own.add("Thickness", {{"InspectionID", own.add("Inspection", {{"TankID", tank}})},
                              {"PointID", point},
                              {"Course", 2},
                              {"Reading", inches},
                              {"DateTaken", date}});
    };
    for (const auto& [point, first, latest] : {std::tuple{"A1", 0.5, 0.46}, {"C1", 0.3, 0.26}}) {
        reading(point, first, "01/Jan/2019");
        reading(point, latest, "01/Jan/2023");
    }
    reading("B1", 0.24, "01/Jan/2023");
    const struct {
        bool us;
        QStringList points; // point, status, latest, rate, life, red; then the tank's summary
    } cases[] = {
        {true,
         {"B1|Below minimum|0.240|||red", "C1|Life short of next UT|0.260|0.0100|1.0|red",
          "A1|Sound|0.460|0.0100|21.0|", "1.0|C1|0.5"}},
        {false,
         {"B1|Below minimum|6.10|||red", "C1|Life short of next UT|6.60|0.254|1.0|red",
          "A1|Sound|11.68|0.254|21.0|", "1.0|C1|0.5"}},
    };
    for (const auto& c : cases) {
        DataOptions options;
        options.unitsUS = c.us;
        const auto data = buildReportData(own.path(), DataKind::Assessment, {}, options);
        ASSERT_TRUE(data.ok()) << data.error().toStdString();
        const QVariantMap t = at(*data, "companies/0/locations/0/tanks/0").toMap();
        QStringList points;
        for (const QVariant& p : t.value("points").toList()) {
            QStringList cells;
            for (const char* name : {"point", "status", "latest", "rate", "remainingLife"})
                cells << at(p, name).toString();
            points << cells.join(u'|') + (at(p, "red").toBool() ? "|red" : "|");
        }
        points << QStringList{at(t, "shortestLife").toString(), at(t, "governingPoint").toString(),
                              at(t, "allowedUt").toString()}
                      .join(u'|');
        EXPECT_EQ(points, c.points);
    }
}

// The texts of a laid-out report shown in the red of the marks.
QStringList redTexts(const QTextDocument& document) {
    QStringList red;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().foreground().color() == QColor(0xcc, 0, 0))
                red << it.fragment().text().trimmed();
    return red;
}

TEST_F(ReportDataTest, TheShippedReportsShowTheSelectedTanksAndMarkWhatIsDueOrBelow) {
    const Selection atNorthFarm{QStringLiteral("\"Tank\".\"LocationID\" = ?"), {north}, {Tanks}};
    const struct {
        const char* file;
        DataKind kind;
        QStringList red; // beside the legend's own "red"
    } cases[] = {
        // T-101's external inspection is due this year, its ultrasonic one overdue.
        {"tank_sum.rpt", DataKind::Tanks, {"10/Jun/2025", "29/Feb/2024"}},
        {"tank_det.rpt", DataKind::Tanks, {"10/Jun/2025 DUE", "29/Feb/2024 DUE"}},
        {"insp_sum.rpt", DataKind::Inspections, {"1", "1"}},
        // I-21's A3, then I-23's A1 and the bump of its survey; the survey fits poorly.
        {"insp_det.rpt",
         DataKind::Inspections,
         {"1 below the minimum of their course", "A3", "0.050", "BELOW",
          "1 below the minimum of their course", "A1", "0.240", "BELOW", "No", "No", "No",
          "The cosine curve fits these readings poorly: it is not a sound basis for the "
          "allowable deflection, and the settlement should be evaluated by a more rigorous "
          "method."}},
        {"tml_list.rpt", DataKind::Tmls, {"a1", "0.240", "BELOW"}},
        // A1, A3 and F1 (floor, 0.100 in) are below their minimums; A1's life of 0 years allows
        // no interval, so both on the schedule are too long.
        {"tml_rate.rpt",
         DataKind::Assessment,
         {"Longer than allowed", "Longer than allowed", "A1", "Below minimum", "A3",
          "Below minimum", "F1", "Below minimum"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QFile report(QStringLiteral(KORVANE_REPORT_FILES "/") + QLatin1String(c.file));
        ASSERT_TRUE(report.open(QIODevice::ReadOnly));
        const auto definition = parseReportDefinition(report.readAll());
        ASSERT_TRUE(definition.ok()) << definition.error().toStdString();
        EXPECT_EQ(definition->data, c.kind);
        const auto html = renderTemplate(definition->templateText, build(c.kind, atNorthFarm));
        ASSERT_TRUE(html.ok()) << html.error().toStdString();
        // Made ready for layout, a shipped report is left exactly as it was filled.
        const auto prepared = prepareForLayout(*html);
        ASSERT_TRUE(prepared.ok()) << prepared.error().toStdString();
        EXPECT_EQ(*prepared, *html);
        QTextDocument document;
        document.setHtml(*html);
        const QString text = document.toPlainText();
        EXPECT_TRUE(text.contains(QLatin1String("T-101")));
        EXPECT_TRUE(text.contains(QLatin1String("T-102")));
        // The maximum fill record prints its numbers with their units.
        if (c.kind == DataKind::Tanks && QLatin1String(c.file) == QLatin1String("tank_det.rpt")) {
            EXPECT_TRUE(text.contains(QLatin1String("NEW Design Level: 34.16 ft")) &&
                        text.contains(QLatin1String("Corrosion Allowance: 0.050 in.")))
                << text.toStdString();
        }
        EXPECT_FALSE(text.contains(QLatin1String("B-1")));
        QStringList red = redTexts(document);
        red.removeAll(QStringLiteral("red"));
        EXPECT_EQ(red, c.red);
    }
}

// due.rpt: the tanks chosen, worst first, the overdue date on red and the due-soon ones on amber.
TEST_F(ReportDataTest, TheDueReportListsTheChosenTanksWorstFirstInTheirColours) {
    const Selection atNorthFarm{QStringLiteral("\"Tank\".\"LocationID\" = ?"), {north}, {Tanks}};
    QFile report(QStringLiteral(KORVANE_REPORT_FILES "/due.rpt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const auto definition = parseReportDefinition(report.readAll());
    ASSERT_TRUE(definition.ok()) << definition.error().toStdString();
    EXPECT_EQ(definition->data, DataKind::Due);
    const QVariantMap data = build(DataKind::Due, atNorthFarm);
    const QVariantList tanks = data.value(QStringLiteral("due")).toMap().value("tanks").toList();
    ASSERT_EQ(tanks.size(), 2);
    EXPECT_EQ(tanks[0].toMap().value("tank").toString(), QStringLiteral("T-101"));
    EXPECT_EQ(tanks[1].toMap().value("tank").toString(), QStringLiteral("T-102"));
    const auto html = renderTemplate(definition->templateText, data);
    ASSERT_TRUE(html.ok()) << html.error().toStdString();
    EXPECT_TRUE(html->contains(QLatin1String("background-color:#f4c7c3\">29/Feb/2024<")))
        << html->toStdString();
    EXPECT_FALSE(html->contains(QLatin1String("B-1")));
    QTextDocument document;
    document.setHtml(*html);
    EXPECT_TRUE(document.toPlainText().contains(QLatin1String("2 tanks, 1 needing attention")))
        << document.toPlainText().toStdString();
}

// A run stopped by its watch, cancelled or past its time, fails with the watch's message naming
// the report, whether it stops while the report is made or while its pages are written; no PDF
// is left behind.
TEST_F(ReportDataTest, AStoppedRunSaysWhyAndLeavesNoPdf) {
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(KORVANE_REPORT_FILES));
    ReportRequest request;
    request.databaseName = file->path();
    request.reportFile = QStringLiteral("tank_det.rpt");
    request.today = QDate(2025, 3, 1);
    test::TempDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const QString cancelled = QStringLiteral("The report \"tank_det.rpt\" was cancelled.");

    // Reading the data asks too, every thousand rows and for every tank assessed.
    DataOptions options;
    options.keepGoing = [] {
        return false;
    };
    const auto data = buildReportData(file->path(), DataKind::Assessment, {}, options);
    ASSERT_FALSE(data.ok());
    EXPECT_EQ(data.error(), QStringLiteral("The reading of the report's data was stopped."));

    RunWatch cancelNow(std::chrono::milliseconds::zero(), [] { return true; });
    const auto notBuilt = buildReport(request, cancelNow);
    ASSERT_FALSE(notBuilt.ok());
    EXPECT_EQ(notBuilt.error(), cancelled);

    // Cancelled after the report is made: its pages are not written.
    bool cancel = false;
    RunWatch cancelLater(std::chrono::milliseconds::zero(), [&cancel] { return cancel; });
    const auto built = buildReport(request, cancelLater);
    ASSERT_TRUE(built.ok()) << built.error().toStdString();
    cancel = true;
    const auto written = writePdf(*built, pdf, cancelLater);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error(), cancelled);
    EXPECT_FALSE(QFile::exists(pdf));

    RunWatch oneSecond(std::chrono::seconds(1));
    QThread::msleep(1100);
    const auto late = writePdf(*built, pdf, oneSecond);
    ASSERT_FALSE(late.ok());
    EXPECT_EQ(late.error(), QStringLiteral("The report \"tank_det.rpt\" was stopped: it took "
                                           "longer than 1 seconds, the longest a report may "
                                           "take."));
    EXPECT_FALSE(QFile::exists(pdf));

    RunWatch unhurried(std::chrono::seconds(300));
    EXPECT_TRUE(writePdf(*built, pdf, unhurried).ok());
    EXPECT_TRUE(QFile::exists(pdf));
    QDir::setCurrent(startFolder);
}

} // namespace
} // namespace korvane::reports
