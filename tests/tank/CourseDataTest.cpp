#include "data/History.h"
#include "tank/TankWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include <algorithm>

namespace korvane {
namespace {

using test::TankWindowTest;
using Answer = Prompts::Answer;

// One location holding the worked tank of the minimum thickness rule: 120 ft across, a 40 ft
// shell filled to 40 ft, eight welded courses, water, the least strengths the rule accepts.
class CourseDataTest : public TankWindowTest {
protected:
    CourseDataTest() {
        const qint32 company = file.addCompany(QStringLiteral("Gulf Plains"));
        const qint32 location = file.addLocation(company, QStringLiteral("Port Arthur"));
        tank = addTank(location, QStringLiteral("T-101"),
                       {{QStringLiteral("Diameter"), 1440},
                        {QStringLiteral("Height"), 480},
                        {QStringLiteral("DesignLevel"), 480},
                        {QStringLiteral("Yield"), 30000},
                        {QStringLiteral("Tensile"), 55000},
                        {QStringLiteral("JointEff"), 1.0},
                        {QStringLiteral("SpecGravity"), 1.0},
                        {QStringLiteral("MfgType"), 1},
                        {QStringLiteral("Courses"), 8},
                        {QStringLiteral("Course1_Height"), 96},
                        {QStringLiteral("Course1_Min"), 0.529},
                        {QStringLiteral("Course2_Height"), 96}});
    }
    QTableWidget* courseGrid() const { return find<QTableWidget>("Grid_MinWall"); }
    // Row 0 heights, row 1 minimums, cells joined by "|"; column k is course k.
    std::string gridRow(int row) const {
        QStringList cells;
        for (int c = 0; c < courseGrid()->columnCount(); ++c)
            cells << courseGrid()->item(row, c)->text();
        return cells.join(QLatin1Char('|')).toStdString();
    }
    QString coursesLabel() const { return find<QLabel>("LabelCourses")->text(); }
    // Presses "Change Course Measurements" with the answers already scripted.
    void changeCourses() {
        bringToFront(find("Cmd_ChangeCourse"));
        click("Cmd_ChangeCourse");
        EXPECT_TRUE(t.prompts.allAnswered());
    }
    // Stores minimums for courses 1..n of the tank, as an older program might have left them.
    void storeMinimums(std::initializer_list<double> walls) {
        int course = 0;
        for (double wall : walls)
            ASSERT_TRUE(
                file.open()
                    .exec(QStringLiteral("UPDATE Tank SET Course%1_Min = ?").arg(++course), {wall})
                    .ok());
    }
    void typeDimension(const char* box, const char* feet) {
        t.prompts.answerInput(QString::fromLatin1(feet)).answerInput(QStringLiteral("0"));
        typeKeys(box, QStringLiteral("%1F").arg(QString::fromLatin1(feet)));
    }

    qint32 tank = 0;
};

// The road of a new tank: dimensions with the unit keys, "Weld Butt", strengths, the courses,
// the grid, OK, and the minimums in the row.
TEST_F(CourseDataTest, NewTankCoursesAreWorkedOutShownAndSaved) {
    openNewTank();
    EXPECT_EQ(coursesLabel(), QStringLiteral("This tank has 0 courses."));
    typeInto("Text_TankID", QStringLiteral("T-200"));
    typeDimension("Text_Diameter", "120");
    typeDimension("Text_Height", "40");
    typeDimension("Text_Level", "40");
    find<QComboBox>("List_MfgType")->setCurrentIndex(1);
    typeInto("Text_Yield", QStringLiteral("30000"));
    typeInto("Text_Tensile", QStringLiteral("55000"));
    typeInto("Text_JointEff", QStringLiteral("1"));
    typeInto("Text_SGravity", QStringLiteral("1.0"));

    t.prompts.answerInput(QStringLiteral("8"))
        .answerMessage(Answer::Yes)
        .answerInput(QStringLiteral("0"));
    const std::size_t asked = t.prompts.inputs().size();
    changeCourses();
    const auto& count = t.prompts.inputs()[asked];
    EXPECT_EQ(count.prompt, QStringLiteral("Enter the number of courses."));
    EXPECT_EQ(count.title, QStringLiteral("Course Adjustments"));
    EXPECT_EQ(count.defaultText, QStringLiteral("0"));
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("Are you sure you want to change the number of courses?"));

    EXPECT_EQ(gridRow(0), "|60.00|60.00|60.00|60.00|60.00|60.00|60.00|60.00|||");
    EXPECT_EQ(gridRow(1), "|0.529|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||");
    EXPECT_EQ(coursesLabel(), QStringLiteral("This tank has 8 courses."));
    EXPECT_FLOAT_EQ(session.TankHeightFt, 40.0f);
    EXPECT_EQ(courseGrid()->verticalHeaderItem(0)->text(), QStringLiteral("Height in."));

    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());
    const qint32 added = tank + 1;
    expectStored(added, {{"Courses", 8.0},
                         {"Course1_Height", QVariant::fromValue<qint16>(60)},
                         {"Course8_Height", QVariant::fromValue<qint16>(60)},
                         {"Course8_Min", 0.1f},
                         {"Course9_Min", QVariant()}});
    EXPECT_NEAR(tankField(added, "Course1_Min").toFloat(), 40.0 * 312.0 / 23595.0, 1e-6);
    EXPECT_NEAR(tankField(added, "Course3_Min").toFloat(), 30.0 * 312.0 / 25960.0, 1e-6);
}

TEST_F(CourseDataTest, StoredCoursesAreShownAndCancelKeepsThem) {
    openTank();
    EXPECT_EQ(gridRow(0), "|96.00|96.00|||||||||");
    EXPECT_EQ(gridRow(1), "|0.529||||||||||");

    // Cancelling the number of courses changes nothing; cancelling the first height keeps the
    // heights and still works out the minimums.
    t.prompts.answerInput(QString());
    changeCourses();
    EXPECT_EQ(gridRow(1), "|0.529||||||||||");
    t.prompts.answerInput(QStringLiteral("8")).answerInput(QString());
    changeCourses();
    EXPECT_EQ(gridRow(0), "|96.00|96.00|||||||||");
    EXPECT_EQ(gridRow(1), "|0.529|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||");

    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_EQ(tankField(tank, "Course2_Min"), QVariant());
}

TEST_F(CourseDataTest, RefusalsComeInOrderAndChangeNothing) {
    const struct {
        const char* box;
        const char* typed;
        const char* message;
    } cases[] = {
        {"Text_JointEff", "0", "Data missing for necessary calculations"},
        {"Text_JointEff", "", "Data missing for necessary calculations"},
        {"Text_JointEff", "full", "Data missing for necessary calculations"},
        {"Text_SGravity", "0.39", "Data missing for necessary calculations"},
        {"Text_Diameter", "200.1", "Current calculations are limited to tanks under 200'"},
    };
    for (const auto& c : cases) {
        openTank();
        if (QByteArray(c.box) == "Text_Diameter") {
            t.prompts.answerInput(QStringLiteral("200")).answerInput(QStringLiteral("1.2"));
            typeKeys(c.box, QStringLiteral("200f"));
        } else {
            typeInto(c.box, QString::fromLatin1(c.typed));
        }
        t.prompts.answerInput(QStringLiteral("8")).answerInput(QString()).answerMessage();
        changeCourses();
        const auto& m = t.prompts.messages().back();
        EXPECT_EQ(m.text.toStdString(), c.message) << c.box << " " << c.typed;
        EXPECT_EQ(m.title, QStringLiteral("Minimum Wall Calculations"));
        EXPECT_EQ(gridRow(1), "|0.529||||||||||") << c.box << " " << c.typed;
        t.prompts.answerMessage(Answer::Ok);
        click("Cmd_Cancel");
    }

    // A number of courses the tank cannot have is refused before any height is asked.
    openTank();
    for (const char* answer : {"11", "-1", "many"}) {
        t.prompts.answerInput(QString::fromLatin1(answer)).answerMessage();
        changeCourses();
        EXPECT_TRUE(t.prompts.messages().back().text.startsWith(
            QStringLiteral("\"%1\" cannot be taken").arg(QString::fromLatin1(answer))));
    }
    EXPECT_EQ(coursesLabel(), QStringLiteral("This tank has 8 courses."));

    // A shell lower than 10 in stops at once, with the height box to type into.
    t.prompts.answerInput(QStringLiteral("0")).answerInput(QStringLiteral("9"));
    typeKeys("Text_Height", QStringLiteral("0f"));
    t.prompts.answerMessage();
    changeCourses();
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("Necessary information is missing!"));
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Insufficient Height Data"));
    QApplication::processEvents();
    EXPECT_TRUE(box("Text_Height")->hasFocus());
}

TEST_F(CourseDataTest, WeakStrengthsAreOfferedTheLeastInEitherUnits) {
    const struct {
        bool us;
        const char* yieldTyped;
        const char* tensileTyped;
        const char* yieldQuestion;
        const char* yieldShown;
        const char* tensileQuestion;
    } cases[] = {
        {true, "25000", "50000",
         "Changing Yield to 30,000 psi as minimum yield strength per API 653, Section 2.3", "30000",
         "Changing Tensile to 55,000 psi as minimum yield strength per API 653, Section 2.3"},
        {false, "172000", "344000",
         "Changing Yield to 206,850 KPa as minimum yield strength per API 653, Section 2.3",
         "206850",
         "Changing Tensile to 379,200 KPa as minimum yield strength per API 653, Section 2.3"},
    };
    for (const auto& c : cases) {
        session.UnitsUS = c.us;
        openTank();
        typeInto("Text_Yield", QString::fromLatin1(c.yieldTyped));
        typeInto("Text_Tensile", QString::fromLatin1(c.tensileTyped));
        const QString tensileTag = tag("Text_Tensile");
        // Raise the yield, keep the tensile strength: the minimums are worked out either way.
        t.prompts.answerInput(QStringLiteral("8"))
            .answerInput(QString())
            .answerMessage(Answer::Ok)
            .answerMessage(Answer::Cancel);
        const std::size_t before = t.prompts.messages().size();
        changeCourses();
        ASSERT_EQ(t.prompts.messages().size(), before + 2);
        const auto& yield = t.prompts.messages()[before];
        EXPECT_EQ(yield.text.toStdString(), c.yieldQuestion);
        EXPECT_EQ(yield.buttons, Prompts::Buttons::OkCancel);
        EXPECT_EQ(t.prompts.messages()[before + 1].text.toStdString(), c.tensileQuestion);
        EXPECT_EQ(text("Text_Yield").toStdString(), c.yieldShown);
        EXPECT_EQ(tag("Text_Yield"), QStringLiteral("30000"));
        EXPECT_EQ(tag("Text_Tensile"), tensileTag);
        click("Cmd_OK");
        EXPECT_EQ(tankField(tank, "Yield"), QVariant(30000.0));
        EXPECT_NEAR(tankField(tank, "Tensile").toDouble(), c.us ? 50000.0 : 344000.0 / 6.894757,
                    1e-6);
    }
}

// A tank may have a single course; "1" asks like any other count that differs.
TEST_F(CourseDataTest, OneCourseIsAnAnswerLikeAnyOther) {
    openTank();
    // Declined: the eight courses stay and their heights are asked.
    t.prompts.answerInput(QStringLiteral("1"))
        .answerMessage(Answer::No)
        .answerInput(QStringLiteral("96"))
        .answerInput(QString());
    changeCourses();
    EXPECT_EQ(t.prompts.inputs().back().prompt,
              QStringLiteral("Enter the height (inches) for course  2"));
    EXPECT_EQ(t.prompts.inputs().back().defaultText, QStringLiteral("384"));
    EXPECT_EQ(coursesLabel(), QStringLiteral("This tank has 8 courses."));

    t.prompts.answerInput(QStringLiteral("1"))
        .answerMessage(Answer::Yes)
        .answerInput(QStringLiteral("480"));
    changeCourses();
    EXPECT_EQ(coursesLabel(), QStringLiteral("This tank has 1 courses."));
    EXPECT_EQ(gridRow(0), "|480.00||||||||||");
    EXPECT_EQ(gridRow(1), "|0.529||||||||||");
    click("Cmd_OK");
    // The fields of courses above the count are left as they were.
    expectStored(tank, {{"Courses", 1.0},
                        {"Course1_Height", QVariant::fromValue<qint16>(480)},
                        {"Course2_Height", QVariant::fromValue<qint16>(96)}});
}

// The same stored tank read in metric units and back: metres, KPa and millimetres, with nothing
// changed by an OK in either.
TEST_F(CourseDataTest, UnitsChangeWhatIsShownNeverWhatIsStored) {
    openTank();
    t.prompts.answerInput(QStringLiteral("8")).answerInput(QStringLiteral("0"));
    changeCourses();
    click("Cmd_OK");
    const char* fields[] = {"Diameter",    "Height",         "DesignLevel",    "Yield",
                            "Tensile",     "Courses",        "Course1_Height", "Course1_Min",
                            "Course8_Min", "Course2_Height", "JointEff",       "SpecGravity"};
    std::vector<QVariant> stored;
    for (const char* f : fields)
        stored.push_back(tankField(tank, f));

    const struct {
        bool us;
        const char* diameter;
        const char* height;
        const char* yield;
        const char* tensile;
        const char* heightCaption;
        const char* heights;
        const char* minWall;
    } views[] = {
        {false, "36.58", "12.19", "206843", "379212", "Height cm.",
         "|152.40|152.40|152.40|152.40|152.40|152.40|152.40|152.40|||",
         "|13.43|11.76|9.16|7.63|6.11|4.58|3.05|2.54|||"},
        {true, "120.00", "40.00", "30000", "55000", "Height in.",
         "|60.00|60.00|60.00|60.00|60.00|60.00|60.00|60.00|||",
         "|0.529|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||"},
    };
    for (const auto& v : views) {
        session.UnitsUS = v.us;
        openTank();
        EXPECT_EQ(text("Text_Diameter").toStdString(), v.diameter);
        EXPECT_EQ(text("Text_Height").toStdString(), v.height);
        EXPECT_EQ(text("Text_Level").toStdString(), v.height);
        EXPECT_EQ(text("Text_Yield").toStdString(), v.yield);
        EXPECT_EQ(text("Text_Tensile").toStdString(), v.tensile);
        EXPECT_EQ(courseGrid()->verticalHeaderItem(0)->text().toStdString(), v.heightCaption);
        // Course heights entered in inches (eight of 60 fill the 40 ft shell) show converted.
        EXPECT_EQ(gridRow(0), v.heights);
        EXPECT_EQ(gridRow(1), v.minWall);
        click("Cmd_OK");
        for (std::size_t i = 0; i < std::size(fields); ++i)
            EXPECT_EQ(tankField(tank, fields[i]), stored[i]) << fields[i] << " us " << v.us;
    }
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

// Heights stored without a unit show in the units chosen: eight 96 in courses of a 48 ft shell
// read 243.84 cm in metric and stay 96 in the row after OK in either; six 244 cm courses of the
// same shell read 96.06 in.
TEST_F(CourseDataTest, CourseHeightsShowInTheUnitsChosenAndStayAsStored) {
    const qint32 location = file.value("Tank", "TankID", tank, "LocationID").toInt();
    QVariantMap inches{{QStringLiteral("Height"), 576}, {QStringLiteral("Courses"), 8}};
    QVariantMap centimetres{{QStringLiteral("Height"), 576}, {QStringLiteral("Courses"), 6}};
    for (int i = 1; i <= 8; ++i)
        inches.insert(QStringLiteral("Course%1_Height").arg(i), 96);
    for (int i = 1; i <= 6; ++i)
        centimetres.insert(QStringLiteral("Course%1_Height").arg(i), 244);
    const qint32 us = addTank(location, QStringLiteral("T-48"), inches);
    addTank(location, QStringLiteral("T-CM"), centimetres);

    for (const auto& [unitsUS, row, shown] :
         {std::tuple{false, 2, "243.84"}, std::tuple{true, 2, "96.00"},
          std::tuple{true, 3, "96.06"}}) {
        SCOPED_TRACE(shown);
        session.UnitsUS = unitsUS;
        openWindow();
        chooseLocation(0, 0);
        doubleClickGridRow(row);
        EXPECT_EQ(courseGrid()->item(0, 1)->text().toStdString(), shown);
        click("Cmd_OK");
        EXPECT_EQ(tankField(us, "Course1_Height").toInt(), 96);
    }
}

// Minimums of the worked tank's eight courses with E = 1.0 and with E = 0.85.
const std::initializer_list<double> WorkedWalls{0.5289256, 0.4628099, 0.3605547, 0.3004622,
                                                0.2403698, 0.1802773, 0.1201849, 0.1};
const std::initializer_list<double> WallsAt085{0.6222655, 0.5444822, 0.4241820, 0.3534850,
                                               0.2827880, 0.2120910, 0.1413940, 0.1};

// Each input of the rule reworks the minimums as it is typed, asking nothing, even of a weak
// strength; an input the rule cannot use brings back the minimums the tank had.
TEST_F(CourseDataTest, MinimumsFollowTheirInputsAtOnceAndOkStoresThem) {
    const struct {
        bool us;
        const char *yield25000, *yield30000;
        const char *worked, *at085, *weakYield;
    } cases[] = {
        {true, "25000", "30000", "|0.529|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||",
         "|0.622|0.544|0.424|0.353|0.283|0.212|0.141|0.100|||",
         "|0.624|0.546|0.425|0.355|0.284|0.213|0.142|0.100|||"},
        {false, "172369", "206843", "|13.43|11.76|9.16|7.63|6.11|4.58|3.05|2.54|||",
         "|15.81|13.83|10.77|8.98|7.18|5.39|3.59|2.54|||",
         "|15.85|13.87|10.81|9.01|7.20|5.40|3.60|2.54|||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.us);
        storeMinimums(WorkedWalls);
        ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET JointEff = 1.0")).ok());
        session.UnitsUS = c.us;
        openTank();
        EXPECT_TRUE(find("Frame_Stale")->isHidden());
        EXPECT_EQ(gridRow(1), c.worked);

        typeInto("Text_JointEff", QStringLiteral("0.85"));
        EXPECT_EQ(gridRow(1), c.at085);
        typeInto("Text_JointEff", QString());
        EXPECT_EQ(gridRow(1), c.worked);
        typeInto("Text_JointEff", QStringLiteral("1"));
        typeInto("Text_Yield", QString::fromLatin1(c.yield25000));
        EXPECT_EQ(gridRow(1), c.weakYield);
        EXPECT_TRUE(t.prompts.messages().empty());
        typeInto("Text_Yield", QString::fromLatin1(c.yield30000));
        typeInto("Text_JointEff", QStringLiteral("0.85"));
        EXPECT_EQ(gridRow(1), c.at085);

        click("Cmd_OK");
        ASSERT_FALSE(window->isVisible());
        int course = 0;
        for (double wall : WallsAt085)
            EXPECT_NEAR(
                tankField(tank, QStringLiteral("Course%1_Min").arg(++course).toLatin1()).toDouble(),
                wall, 1e-6)
                << course;
    }

    // The history shows the minimums each OK stored.
    const auto entries = history::readForTank(file.open(), tank);
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(std::count_if(entries->begin(), entries->end(),
                            [](const history::Entry& e) {
                                return e.field == QLatin1String("Course1_Min") &&
                                       e.before == QLatin1String("0.5289256") &&
                                       e.after == QLatin1String("0.62226546");
                            }),
              2);
}

// The tank: the joint efficiency raised to 1.0 with the minimums of 0.85 left behind.
TEST_F(CourseDataTest, StaleMinimumsAreToldOnOpeningAndRecomputedOnRequest) {
    storeMinimums(WallsAt085);
    const struct {
        bool us;
        const char *told, *stored, *worked;
    } cases[] = {
        {false,
         "The stored minimum thicknesses do not agree with this tank's design data: Course 1 is "
         "stored as 15.81 mm but works out to 13.43 mm.",
         "|15.81|13.83|10.77|8.98|7.18|5.39|3.59|2.54|||",
         "|13.43|11.76|9.16|7.63|6.11|4.58|3.05|2.54|||"},
        {true,
         "The stored minimum thicknesses do not agree with this tank's design data: Course 1 is "
         "stored as 0.622 in. but works out to 0.529 in.",
         "|0.622|0.544|0.424|0.353|0.283|0.212|0.141|0.100|||",
         "|0.529|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.us);
        session.UnitsUS = c.us;
        openTank();
        EXPECT_FALSE(find("Frame_Stale")->isHidden());
        EXPECT_EQ(find<QLabel>("LabelStale")->text().toStdString(), c.told);
        EXPECT_FALSE(tabs()->tabIcon(2).isNull());
        EXPECT_EQ(gridRow(1), c.stored);

        bringToFront(find("Cmd_Recompute"));
        click("Cmd_Recompute");
        EXPECT_EQ(gridRow(1), c.worked);
        EXPECT_TRUE(find("Frame_Stale")->isHidden());
        EXPECT_TRUE(tabs()->tabIcon(2).isNull());
        if (!c.us) {
            // Cancel asks, as after any change, and keeps the stored minimums.
            t.prompts.answerMessage(Answer::Ok);
            click("Cmd_Cancel");
            EXPECT_NEAR(tankField(tank, "Course1_Min").toDouble(), 0.6222655, 1e-6);
        }
    }
    click("Cmd_OK");
    EXPECT_NEAR(tankField(tank, "Course1_Min").toDouble(), 0.5289256, 1e-6);
    EXPECT_NEAR(tankField(tank, "Course7_Min").toDouble(), 0.1201849, 1e-6);

    // Minimums the rule cannot work out (no construction type) are not called stale.
    ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET MfgType = 0")).ok());
    storeMinimums({0.3});
    openTank();
    EXPECT_TRUE(find("Frame_Stale")->isHidden());
    EXPECT_EQ(gridRow(1), "|0.300|0.463|0.361|0.300|0.240|0.180|0.120|0.100|||");
}

} // namespace
} // namespace korvane
