#include "tank/TankWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

namespace korvane {
namespace {

using test::TankWindowTest;
using Answer = Prompts::Answer;

// A four-course tank with a maximum fill record and custom values, under preferences that
// rename field 3, hide field 5 and make field 7 a date and field 8 a number.
class FillAndCustomTest : public TankWindowTest {
protected:
    FillAndCustomTest() {
        const qint32 company = file.addCompany(QStringLiteral("Gulf Plains"));
        const qint32 location = file.addLocation(company, QStringLiteral("Port Arthur"));
        tank = addTank(location, QStringLiteral("T-101"),
                       {{QStringLiteral("Height"), 480},
                        {QStringLiteral("Courses"), 4},
                        {QStringLiteral("MFCourse"), 1},
                        {QStringLiteral("MFProduct"), QStringLiteral("Diesel")},
                        {QStringLiteral("MFSGravity"), 0.85},
                        {QStringLiteral("Custom3"), QStringLiteral("R-17")},
                        {QStringLiteral("Custom5"), QStringLiteral("kept out of sight")},
                        {QStringLiteral("Custom7"), QStringLiteral("1/2/03")}});
        EXPECT_TRUE(file.open()
                        .exec(QStringLiteral("UPDATE Preferences SET Custom3_Label = "
                                             "'Owner''s Ref.', Custom5_Type = 4, Custom7_Type = "
                                             "2, Custom8_Type = 1"))
                        .ok());
    }
    QComboBox* courseList() const { return find<QComboBox>("List_MFCourse"); }
    QStringList courseEntries() const {
        QStringList entries;
        for (int i = 0; i < courseList()->count(); ++i)
            entries << courseList()->itemText(i);
        return entries;
    }
    QLabel* customLabel(int i) const {
        return find<QLabel>(QStringLiteral("CustomLabel(%1)").arg(i).toLatin1().constData());
    }
    QLineEdit* customBox(int i) const {
        return box(QStringLiteral("CustomText(%1)").arg(i).toLatin1().constData());
    }

    qint32 tank = 0;
};

TEST_F(FillAndCustomTest, MaxFillRecordIsShownAndSaved) {
    openTank();
    EXPECT_EQ(courseEntries(),
              (QStringList{QString(), QStringLiteral("Floor"), QStringLiteral("Course 1"),
                           QStringLiteral("Course 2"), QStringLiteral("Course 3"),
                           QStringLiteral("Course 4")}));
    EXPECT_EQ(courseList()->currentText(), QStringLiteral("Floor"));
    EXPECT_EQ(text("Text_MFProduct"), QStringLiteral("Diesel"));
    EXPECT_EQ(text("Text_MFSGravity"), QStringLiteral("0.85"));

    bringToFront(courseList());
    courseList()->setCurrentIndex(courseList()->findText(QStringLiteral("Course 2")));
    typeInto("Text_MFLevel", QStringLiteral("38.5"));
    typeInto("Text_MFCriticalRead", QStringLiteral("0.312"));
    typeInto("Text_MFCorrosion", QStringLiteral("0.0625"));
    typeInto("Text_MFDate", QStringLiteral("5/3/01"));
    EXPECT_EQ(text("Text_MFDate"), QStringLiteral("05/Mar/2001"));
    // The date follows the rule of every date box.
    t.prompts.answerMessage();
    typeInto("Text_MFDate", QStringLiteral("31/Feb/2001"));
    EXPECT_EQ(t.prompts.messages().back().text, QStringLiteral("Invalid Date"));
    typeInto("Text_MFDate", QStringLiteral("5/3/01"));
    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());
    expectStored(tank, {{"MFCourse", QVariant::fromValue<qint16>(3)},
                        {"MFDesignLevel", 38.5},
                        {"MFCReading", 0.312},
                        {"MFCAllowance", 0.0625},
                        {"MFDate", QStringLiteral("05/Mar/2001")},
                        {"MFProduct", QStringLiteral("Diesel")}});
}

TEST_F(FillAndCustomTest, CourseListFollowsTheCoursesAndKeepsWhatItCannotShow) {
    // A stored course beyond the list is not shown, and OK keeps it.
    EXPECT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET MFCourse = 9")).ok());
    openTank();
    EXPECT_EQ(courseList()->currentIndex(), -1);

    // Six courses: the list offers them at once, and the choice made stands. (The tank has no
    // construction type, so no minimums are worked out.)
    courseList()->setCurrentIndex(2);
    t.prompts.answerInput(QStringLiteral("6"))
        .answerMessage(Answer::Yes)
        .answerInput(QStringLiteral("0"))
        .answerMessage();
    bringToFront(find("Cmd_ChangeCourse"));
    click("Cmd_ChangeCourse");
    EXPECT_EQ(courseList()->count(), 8);
    EXPECT_EQ(courseList()->currentText(), QStringLiteral("Course 1"));
    courseList()->setCurrentIndex(-1);
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "MFCourse"), QVariant::fromValue<qint16>(9));

    // A new tank offers the floor alone until it has courses.
    openNewTank();
    EXPECT_EQ(courseEntries(), (QStringList{QString(), QStringLiteral("Floor")}));
    EXPECT_EQ(courseList()->currentIndex(), -1);
}

// Rivet L1, 105 ft across, E 0.65, water, course 3 of the 40 ft shell, 0.300 in read with
// 0.050 allowed: 0.25 x 21000 x 0.65 / (2.6 x 105) = 12.5 ft over the course's 20 ft bottom.
TEST_F(FillAndCustomTest, CalculateFillsTheNewDesignLevelInTheUnitsOfThePreferences) {
    const struct {
        bool us;
        const char *reading, *allowance, *level; // 7.62 and 1.27 mm; 32.5 ft is 9.906 m
        double stored;                           // feet
    } cases[] = {{true, "0.3", "0.05", "32.5", 32.5},
                 {false, "7.62", "1.27", "9.9", 9.9 * 39.3701 / 12}};
    for (const auto& c : cases) {
        EXPECT_TRUE(file.open()
                        .exec(QStringLiteral("UPDATE Tank SET Diameter = 1260, MfgType = 3, "
                                             "JointEff = 0.65, MFDesignLevel = 38.5"))
                        .ok());
        session.UnitsUS = c.us;
        openTank();
        bringToFront(courseList());
        courseList()->setCurrentIndex(4); // Course 3
        typeInto("Text_MFSGravity", QStringLiteral("1.0"));
        typeInto("Text_MFCriticalRead", QString::fromLatin1(c.reading));
        typeInto("Text_MFCorrosion", QString::fromLatin1(c.allowance));
        click("Cmd_CalcFill");
        EXPECT_EQ(text("Text_MFLevel"), QString::fromLatin1(c.level)) << c.us;
        click("Cmd_OK");
        EXPECT_NEAR(tankField(tank, "MFDesignLevel").toDouble(), c.stored, 1e-12) << c.us;
    }
}

TEST_F(FillAndCustomTest, CalculateWithValuesMissingSaysSoAndLeavesTheLevel) {
    openTank(); // no diameter, construction or joint efficiency
    bringToFront(courseList());
    courseList()->setCurrentIndex(3); // Course 2
    typeInto("Text_MFLevel", QStringLiteral("38.5"));
    typeInto("Text_MFCriticalRead", QStringLiteral("0.3"));
    typeInto("Text_MFSGravity", QString());
    t.prompts.answerMessage();
    click("Cmd_CalcFill");
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Maximum Fill"));
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("Data missing for the maximum fill height: the tank diameter, the "
                             "shell construction, the joint efficiency and the specific gravity."));
    EXPECT_EQ(text("Text_MFLevel"), QStringLiteral("38.5"));
}

// The level typed in feet is shown in metres after a switch of units, and OK in either leaves
// the one stored value as it is. 31.25 ft is 9.52 m by the program's 39.3701 in/m (9.525 m
// exactly by 0.3048 m/ft would show 9.53).
TEST_F(FillAndCustomTest, MaxFillNumbersAreStoredInOneUnitAndShownInThePreferences) {
    openTank();
    EXPECT_EQ(find<QLabel>("LabelMFLevelUnit")->text(), QStringLiteral("ft."));
    typeInto("Text_MFLevel", QStringLiteral("31.25"));
    typeInto("Text_MFCriticalRead", QStringLiteral("0.312"));
    typeInto("Text_MFCorrosion", QStringLiteral("0.05"));
    click("Cmd_OK");
    const auto stored = {std::pair<const char*, QVariant>{"MFDesignLevel", 31.25},
                         {"MFCReading", 0.312},
                         {"MFCAllowance", 0.05},
                         {"MFUnitsUS", true}};
    expectStored(tank, stored);

    for (const auto& [us, level, reading, allowance, levelUnit, thicknessUnit] :
         {std::tuple{false, "9.52", "7.92", "1.27", "meters", "mm"},
          std::tuple{true, "31.25", "0.312", "0.050", "ft.", "in."}}) {
        session.UnitsUS = us;
        openTank();
        EXPECT_EQ(text("Text_MFLevel").toStdString(), level);
        EXPECT_EQ(text("Text_MFCriticalRead").toStdString(), reading);
        EXPECT_EQ(text("Text_MFCorrosion").toStdString(), allowance);
        EXPECT_EQ(find<QLabel>("LabelMFLevelUnit")->text().toStdString(), levelUnit);
        EXPECT_EQ(find<QLabel>("LabelMFReadingUnit")->text().toStdString(), thicknessUnit);
        click("Cmd_OK");
        expectStored(tank, stored);
    }
}

// Records kept as typed by older versions are read in the units the shell height tells.
TEST_F(FillAndCustomTest, MaxFillNumbersKeptAsTypedAreReadInTheirLikelyUnits) {
    // A file of an older version has no mark of the units; the window gives its table one.
    ASSERT_TRUE(
        file.open().exec(QStringLiteral("ALTER TABLE \"Tank\" DROP COLUMN \"MFUnitsUS\"")).ok());
    openWindow();
    click("Cmd_Cancel");
    const struct {
        double level, reading, allowance;
        QVariant height;
        bool us;
        const char *levelShown, *readingShown, *toolTip;
    } cases[] = {
        {34.16, 0.312, 0.05, 480, false, "10.41", "7.92", "read as feet and inches"},
        // 10.70 m is 35.11 ft by 39.3701 in/m (35.10 by 0.3048 m/ft).
        {10.70, 7.92, 1.27, 480, true, "35.11", "0.312", "read as metres and mm"},
        {34.16, 0.312, 0.05, QVariant(), true, "34.16", "0.312", "cannot tell"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.levelShown);
        ASSERT_TRUE(file.open()
                        .exec(QStringLiteral("UPDATE Tank SET MFDesignLevel = ?, MFCReading = ?, "
                                             "MFCAllowance = ?, Height = ?, MFUnitsUS = NULL"),
                              {c.level, c.reading, c.allowance, c.height})
                        .ok());
        session.UnitsUS = c.us;
        openTank();
        EXPECT_EQ(text("Text_MFLevel").toStdString(), c.levelShown);
        EXPECT_EQ(text("Text_MFCriticalRead").toStdString(), c.readingShown);
        EXPECT_TRUE(box("Text_MFLevel")->toolTip().contains(QLatin1String(c.toolTip)))
            << box("Text_MFLevel")->toolTip().toStdString();
        // Untouched, the record stays as it was kept.
        click("Cmd_OK");
        expectStored(tank, {{"MFDesignLevel", c.level}, {"MFUnitsUS", QVariant()}});
    }

    // A change to one number stores the whole record in the one unit: 10.41 m, 7.92 mm.
    ASSERT_TRUE(file.open()
                    .exec(QStringLiteral("UPDATE Tank SET MFDesignLevel = 10.41, MFCReading = "
                                         "7.92, MFCAllowance = 1.27, Height = 480"))
                    .ok());
    openTank();
    typeInto("Text_MFCorrosion", QStringLiteral("0.06"));
    click("Cmd_OK");
    expectStored(tank, {{"MFCAllowance", 0.06}, {"MFUnitsUS", true}});
    EXPECT_NEAR(tankField(tank, "MFDesignLevel").toDouble(), 10.41 * 39.3701 / 12, 1e-12);
    EXPECT_NEAR(tankField(tank, "MFCReading").toDouble(), 7.92 / 25.399986, 1e-12);
}

TEST_F(FillAndCustomTest, CustomFieldsFollowThePreferences) {
    openTank();
    EXPECT_EQ(customLabel(1)->text(), QStringLiteral("Custom Field 1"));
    EXPECT_EQ(customLabel(3)->text(), QStringLiteral("Owner's Ref."));
    EXPECT_EQ(customBox(3)->text(), QStringLiteral("R-17"));
    EXPECT_FALSE(customBox(3)->isHidden());
    EXPECT_TRUE(customLabel(5)->isHidden());
    EXPECT_TRUE(customBox(5)->isHidden());
    EXPECT_EQ(tagBox("CustomText(7)")->tag(), QStringLiteral("2"));
    EXPECT_EQ(customBox(7)->text(), QStringLiteral("1/2/03")); // shown as stored

    // A date is shown as dd/Mmm/yyyy once the box is left; a number and a text take any text.
    typeInto("CustomText(7)", QStringLiteral("3/5/01"));
    EXPECT_EQ(customBox(7)->text(), QStringLiteral("03/May/2001"));
    typeInto("CustomText(8)", QStringLiteral("about 12"));
    typeInto("CustomText(1)", QStringLiteral("3/5/01"));
    EXPECT_EQ(customBox(1)->text(), QStringLiteral("3/5/01"));
    typeInto("CustomText(3)", QStringLiteral("R-18"));
    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());
    expectStored(tank, {{"Custom1", QStringLiteral("3/5/01")},
                        {"Custom3", QStringLiteral("R-18")},
                        {"Custom5", QStringLiteral("kept out of sight")},
                        {"Custom7", QStringLiteral("03/May/2001")},
                        {"Custom8", QStringLiteral("about 12")},
                        {"Custom20", QVariant()}});

    // A new tank starts with every custom box empty.
    openNewTank();
    for (int i : {1, 3, 5, 7})
        EXPECT_EQ(customBox(i)->text(), QString()) << i;
}

} // namespace
} // namespace korvane
