#include "support/FocusChain.h"
#include "tank/TankWindowFixture.h"

#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>

namespace korvane {
namespace {

using test::TankWindowTest;
using Icon = Prompts::Icon;
using Answer = Prompts::Answer;

// One company with one location holding one fully described tank.
class TankEditTest : public TankWindowTest {
protected:
    TankEditTest() {
        company = file.addCompany(QStringLiteral("Gulf Plains"));
        location = file.addLocation(company, QStringLiteral("Port Arthur"));
        QVariantMap v{
            {QStringLiteral("PhysLoc"), QStringLiteral("Dike 1")},
            {QStringLiteral("Product"), QStringLiteral("Crude Oil")},
            {QStringLiteral("Capacity"), -500},
            {QStringLiteral("Diameter"), 1446},
            {QStringLiteral("Height"), 480},
            {QStringLiteral("DesignLevel"), 456},
            {QStringLiteral("Yield"), 30000},
            {QStringLiteral("Tensile"), 55000},
            {QStringLiteral("JointEff"), 0.85},
            {QStringLiteral("SpecGravity"), 0.87},
            {QStringLiteral("MfgType"), 1},
            {QStringLiteral("BottomType"), 2},
            {QStringLiteral("RoofType"), 6},
            {QStringLiteral("Courses"), 8},
            {QStringLiteral("Course1_Height"), 96},
            {QStringLiteral("Course1_Min"), 0.529},
            {QStringLiteral("ExternalFreq"), 5},
            {QStringLiteral("ExternalLast"), QStringLiteral("15/Jun/1998")},
            {QStringLiteral("UTFreq"), -18},
            {QStringLiteral("UTLast"), QStringLiteral("31/Aug/2000")},
            {QStringLiteral("Tested"), QStringLiteral("08/Apr/1974")},
            {QStringLiteral("MFCourse"), 3},
            {QStringLiteral("Custom1"), QStringLiteral("kept")},
            {QStringLiteral("Comments"), QStringLiteral("Old notes")},
        };
        tank = addTank(location, QStringLiteral("T-101"), v);
    }
    // The row added by the window: the one after the tank of the fixture.
    qint32 newTank() const { return tank + 1; }

    qint32 company = 0, location = 0, tank = 0;
};

TEST_F(TankEditTest, NewTankIsTypedAndSavedByOk) {
    openNewTank();
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{true, true, true, true}));
    EXPECT_FALSE(grid()->isEnabled());
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_TRUE(box("Text_TankID")->hasFocus());
    EXPECT_TRUE(text("Text_Diameter").isEmpty());
    EXPECT_EQ(find<QComboBox>("List_MfgType")->currentIndex(), 0);

    typeInto("Text_TankID", QStringLiteral("T-200"));
    typeInto("Text_Physical", QStringLiteral("East of unit 3"));
    typeInto("Text_Serial", QStringLiteral("LST-74-2187"));
    typeInto("Text_Product", QStringLiteral("Diesel"));

    // 120 ft and 6 in: the feet are offered, the inches asked for.
    t.prompts.answerInput(QStringLiteral("120")).answerInput(QStringLiteral("6"));
    typeKeys("Text_Diameter", QStringLiteral("120F"));
    ASSERT_EQ(t.prompts.inputs().size(), 2u);
    EXPECT_EQ(t.prompts.inputs()[0].prompt,
              QStringLiteral("Enter the no. of feet for this dimension."));
    EXPECT_EQ(t.prompts.inputs()[0].title, QStringLiteral("Value Conversion"));
    EXPECT_EQ(t.prompts.inputs()[0].defaultText, QStringLiteral("120"));
    EXPECT_EQ(t.prompts.inputs()[1].prompt,
              QStringLiteral("Now enter the no. of inches for this dimension."));
    EXPECT_EQ(t.prompts.inputs()[1].defaultText, QStringLiteral("0"));
    EXPECT_EQ(tag("Text_Diameter"), QStringLiteral("1446"));
    EXPECT_EQ(text("Text_Diameter"), QStringLiteral("120.50"));

    typeInto("Text_Yield", QStringLiteral("30000"));
    typeInto("Text_Tensile", QStringLiteral("55000"));
    typeInto("Text_Capacity", QStringLiteral("96,690b"));
    EXPECT_EQ(text("Text_Capacity"), QStringLiteral("96690b"));
    find<QComboBox>("List_MfgType")->setCurrentIndex(2);
    typeInto("Text_Ext_Freq", QStringLiteral("5y"));
    typeInto("Text_Ext_Last", QStringLiteral("15/6/98"));
    EXPECT_EQ(text("Text_Ext_Next"), QStringLiteral("15/Jun/2003"));
    click("Cmd_OK");

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(session.RecordMode);
    ASSERT_EQ(file.count(QStringLiteral("Tank")), 2);
    const struct {
        const char* field;
        QVariant value;
    } expected[] = {
        {"LocationID", location},
        {"Name", QStringLiteral("T-200")},
        {"PhysLoc", QStringLiteral("East of unit 3")},
        {"SerialNum", QStringLiteral("LST-74-2187")},
        {"Product", QStringLiteral("Diesel")},
        {"Diameter", 1446.0},
        {"Yield", 30000.0},
        {"Tensile", 55000.0},
        {"Capacity", 96690.0},
        {"MfgType", QVariant::fromValue<qint16>(2)},
        {"BottomType", QVariant::fromValue<qint16>(0)},
        {"Courses", 0.0},
        {"ExternalFreq", 5.0},
        {"ExternalLast", QStringLiteral("15/Jun/1998")},
        {"UTFreq", QVariant()},
        {"Height", 0.0},
    };
    for (const auto& e : expected)
        EXPECT_EQ(tankField(newTank(), e.field), e.value) << e.field;
}

TEST_F(TankEditTest, NewTankCancelledLeavesNoRow) {
    openNewTank();
    typeInto("Text_TankID", QStringLiteral("T-300"));
    t.prompts.answerMessage(Answer::Cancel);
    click("Cmd_Cancel");
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    const auto& m = t.prompts.messages()[0];
    EXPECT_EQ(m.text, QStringLiteral("This will cause all changes to be ignored!"));
    EXPECT_EQ(m.title, QStringLiteral("Cancel Update"));
    EXPECT_EQ(m.icon, Icon::Exclamation);
    EXPECT_EQ(m.buttons, Prompts::Buttons::OkCancel);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text("Text_TankID"), QStringLiteral("T-300"));
    EXPECT_TRUE(session.RecordMode);

    // The close box asks the same.
    t.prompts.answerMessage(Answer::Ok);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 1);
}

TEST_F(TankEditTest, CancelWithoutATankOpenAsksNothing) {
    openWindow();
    chooseLocation(0, 0);
    click("Cmd_Cancel");
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TankEditTest, StoredTankIsShownInItsUnits) {
    openTank();
    const struct {
        const char* box;
        const char* text;
        const char* tag; // nullptr: a plain box
    } shown[] = {
        {"Text_TankID", "T-101", nullptr},
        {"Text_Physical", "Dike 1", nullptr},
        {"Text_Product", "Crude Oil", nullptr},
        {"Text_JointEff", "0.85", nullptr},
        {"Text_SGravity", "0.87", nullptr},
        {"Text_Tested", "08/Apr/1974", nullptr},
        {"Text_Diameter", "120.50", "1446"},
        {"Text_Height", "40.00", "480"},
        {"Text_Level", "38.00", "456"},
        {"Text_Yield", "30000", "30000"},
        {"Text_Tensile", "55000", "55000"},
        {"Text_Capacity", " 500 gals.", "1"},
        {"Text_Ext_Freq", "5 Year(s)", "0"},
        {"Text_UT_Freq", "18 Month(s)", "1"},
        {"Text_Int_Freq", "", "2"}, // no unit: nothing is stored
        {"Text_Ext_Last", "15/Jun/1998", nullptr},
        {"Text_Ext_Next", "15/Jun/2003", nullptr},
        {"Text_UT_Next", "28/Feb/2002", nullptr},
        {"Text_Int_Next", "", nullptr},
    };
    for (const auto& s : shown) {
        EXPECT_EQ(text(s.box).toStdString(), s.text) << s.box;
        if (s.tag) {
            EXPECT_EQ(tag(s.box).toStdString(), s.tag) << s.box;
        }
    }
    EXPECT_EQ(find<QComboBox>("List_MfgType")->currentText(), QStringLiteral("Weld Butt"));
    EXPECT_EQ(find<QComboBox>("List_BottomType")->currentText(), QStringLiteral("Single Up"));
    EXPECT_EQ(find<QComboBox>("List_RoofType")->currentText(), QStringLiteral("Ext. Pontoon"));
    EXPECT_EQ(find<QPlainTextEdit>("Text_Comments")->toPlainText(), QStringLiteral("Old notes"));
    EXPECT_EQ(session.CurTankID, tank);
    EXPECT_EQ(session.SQLString, QStringLiteral("SELECT * FROM Tank WHERE TankID = %1").arg(tank));

    // Tool tips by units.
    EXPECT_EQ(find("Text_Diameter")->toolTip(), QStringLiteral("Tank Diameter (ft.)"));
    EXPECT_EQ(find("Text_Yield")->toolTip(), QStringLiteral("Yield Strength (psi)"));
    EXPECT_EQ(find("Text_Capacity")->toolTip(), QStringLiteral("Tank Capacity (bbls or gal)"));
    EXPECT_EQ(find("Text_TankID")->toolTip(), QStringLiteral("What identified the Tank"));
    EXPECT_EQ(find("Text_UT_Last")->toolTip(), QStringLiteral("Date format dd/mmm/yyyy"));
    EXPECT_EQ(find("Text_UT_Freq")->toolTip(), QStringLiteral("Inspection Frequency"));
    EXPECT_EQ(find("Text_CPSInstalled")->toolTip(), QStringLiteral("System Installation Date"));
}

TEST_F(TankEditTest, MetricUnitsShowMetresAndKPa) {
    session.UnitsUS = false;
    openTank();
    EXPECT_EQ(text("Text_Diameter"), QStringLiteral("36.73"));
    EXPECT_EQ(text("Text_Yield"), QStringLiteral("206843"));
    EXPECT_EQ(tag("Text_Yield"), QStringLiteral("30000"));
    EXPECT_EQ(find("Text_Diameter")->toolTip(), QStringLiteral("Tank Diameter (meters)"));
    EXPECT_EQ(find("Text_Level")->toolTip(), QStringLiteral("Design Level (meters)"));
    EXPECT_EQ(find("Text_Tensile")->toolTip(), QStringLiteral("Tensile Strength (KPa)"));

    // 12 m and 20 cm: 472 + 8 inches.
    t.prompts.answerInput(QStringLiteral("12")).answerInput(QStringLiteral("20"));
    typeKeys("Text_Height", QStringLiteral("12m"));
    EXPECT_EQ(t.prompts.inputs()[0].prompt,
              QStringLiteral("Enter the no. of meters for this dimension."));
    EXPECT_EQ(t.prompts.inputs()[1].prompt,
              QStringLiteral("Now enter the no. of centimeters for this dimension."));
    EXPECT_EQ(tag("Text_Height"), QStringLiteral("480"));
    EXPECT_EQ(text("Text_Height"), QStringLiteral("12.19"));

    // Strengths are typed in KPa and kept in psi.
    typeInto("Text_Tensile", QStringLiteral("379212"));
    click("Cmd_OK");
    EXPECT_NEAR(tankField(tank, "Tensile").toDouble(), 55000.0, 0.1);
    EXPECT_EQ(tankField(tank, "Yield"), QVariant(30000.0));
    EXPECT_EQ(tankField(tank, "Height"), QVariant(480.0));
}

// OK writes what was changed and leaves every other field of the row as it was.
TEST_F(TankEditTest, SavingAnOpenedTankKeepsWhatWasNotChanged) {
    openTank();
    typeInto("Text_Product", QStringLiteral("Gasoline"));
    typeInto("Text_UT_Freq", QStringLiteral("6"));
    EXPECT_EQ(text("Text_UT_Freq"), QStringLiteral("6 Month(s)"));
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    const struct {
        const char* field;
        QVariant value;
    } expected[] = {
        {"Product", QStringLiteral("Gasoline")},
        {"UTFreq", -6.0},
        {"Capacity", -500.0},
        {"Diameter", 1446.0},
        {"DesignLevel", 456.0},
        {"Yield", 30000.0},
        {"ExternalFreq", 5.0},
        {"MfgType", QVariant::fromValue<qint16>(1)},
        {"RoofType", QVariant::fromValue<qint16>(6)},
        {"Courses", 8.0},
        {"Course1_Height", QVariant::fromValue<qint16>(96)},
        {"Course1_Min", QVariant(0.529f)},
        {"MFCourse", QVariant::fromValue<qint16>(3)},
        {"Custom1", QStringLiteral("kept")},
        {"Comments", QStringLiteral("Old notes")},
        {"Tested", QStringLiteral("08/Apr/1974")},
        {"InternalFreq", QVariant()},
    };
    for (const auto& e : expected)
        EXPECT_EQ(tankField(tank, e.field), e.value) << e.field;
}

TEST_F(TankEditTest, FrequencyAndCapacityWithoutAUnitAreNotStored) {
    openTank();
    typeInto("Text_Capacity", QStringLiteral("750"));
    EXPECT_EQ(tag("Text_Capacity"), QStringLiteral("1")); // as shown: gallons
    // A new tank's boxes start with no unit at all.
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "Capacity"), QVariant(-750.0));

    openNewTank();
    typeInto("Text_TankID", QStringLiteral("T-2"));
    typeInto("Text_Capacity", QStringLiteral("750"));
    EXPECT_EQ(tag("Text_Capacity"), QStringLiteral("2"));
    typeInto("Text_Int_Freq", QStringLiteral("18"));
    EXPECT_EQ(text("Text_Int_Freq"), QStringLiteral("18"));
    EXPECT_EQ(tag("Text_Int_Freq"), QStringLiteral("2"));
    typeInto("Text_Int_Last", QStringLiteral("31/8/00"));
    EXPECT_EQ(text("Text_Int_Next"), QStringLiteral("28/Feb/2002")); // counted in months
    click("Cmd_OK");
    EXPECT_EQ(tankField(newTank(), "Capacity"), QVariant());
    EXPECT_EQ(tankField(newTank(), "InternalFreq"), QVariant());
    EXPECT_EQ(tankField(newTank(), "InternalLast"), QVariant(QStringLiteral("31/Aug/2000")));
}

TEST_F(TankEditTest, NextDatesFollowFrequencyAndLastDate) {
    openTank();
    typeInto("Text_Ext_Freq", QStringLiteral("18m"));
    EXPECT_EQ(text("Text_Ext_Freq"), QStringLiteral("18 Month(s)"));
    EXPECT_EQ(text("Text_Ext_Next"), QStringLiteral("15/Dec/1999"));
    typeInto("Text_Ext_Last", QStringLiteral("31/8/00"));
    EXPECT_EQ(text("Text_Ext_Last"), QStringLiteral("31/Aug/2000"));
    EXPECT_EQ(text("Text_Ext_Next"), QStringLiteral("28/Feb/2002"));
    // Clearing the last date leaves the next date as it was.
    typeInto("Text_Ext_Last", QString());
    EXPECT_EQ(text("Text_Ext_Next"), QStringLiteral("28/Feb/2002"));
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "ExternalFreq"), QVariant(-18.0));
    EXPECT_EQ(tankField(tank, "ExternalLast"), QVariant());
}

TEST_F(TankEditTest, DatesAreCheckedOnLeavingAndOkWaitsForACorrection) {
    openTank();
    t.prompts.answerMessage();
    typeInto("Text_Tested", QStringLiteral("31/Feb/2001"));
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text, QStringLiteral("Invalid Date"));
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Entry Error"));
    EXPECT_TRUE(box("Text_Tested")->hasFocus());

    // OK leaves the box, which says so again, and nothing is stored until it is corrected.
    t.prompts.answerMessage();
    click("Cmd_OK");
    ASSERT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_EQ(t.prompts.messages()[1].text, QStringLiteral("Invalid Date"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(box("Text_Tested")->hasFocus());
    EXPECT_EQ(tankField(tank, "Tested"), QVariant(QStringLiteral("08/Apr/1974")));

    typeInto("Text_Tested", QStringLiteral("5-Apr-1974"));
    EXPECT_EQ(text("Text_Tested"), QStringLiteral("05/Apr/1974"));
    t.prompts.answerMessage();
    typeInto("Text_Strapped", QStringLiteral("16/6/24")); // tomorrow
    EXPECT_EQ(t.prompts.messages().back().text, QStringLiteral("Date entered is beyond today!"));
    EXPECT_TRUE(box("Text_Strapped")->hasFocus());
    typeInto("Text_Strapped", QStringLiteral("15/6/24")); // today
    EXPECT_EQ(t.prompts.messages().size(), 3u);
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(tankField(tank, "Tested"), QVariant(QStringLiteral("05/Apr/1974")));
    EXPECT_EQ(tankField(tank, "Strapped"), QVariant(QStringLiteral("15/Jun/2024")));
}

// A dimension entry that cannot be taken ends with the box and its hidden value unchanged.
TEST_F(TankEditTest, DimensionAnswersThatCannotBeTakenChangeNothing) {
    openTank();
    const struct {
        std::vector<QString> answers;
        const char* message; // "" = none
    } cases[] = {
        {{""}, ""},
        {{"ten"}, "\"ten\" is not a number of feet. The dimension was left as it was."},
        {{"130", "six"}, "\"six\" is not a number of inches. The dimension was left as it was."},
        {{"2731"},
         "A dimension can be at most 32767 inches (2730.58 ft). The dimension was left as it "
         "was."},
        {{"99999999999999999999"},
         "A dimension can be at most 32767 inches (2730.58 ft). The dimension was left as it "
         "was."},
    };
    for (const auto& c : cases) {
        for (const QString& a : c.answers)
            t.prompts.answerInput(a);
        if (*c.message)
            t.prompts.answerMessage();
        const std::size_t before = t.prompts.messages().size();
        typeKeys("Text_Diameter", QStringLiteral("130'"));
        if (*c.message) {
            ASSERT_EQ(t.prompts.messages().size(), before + 1);
            EXPECT_EQ(t.prompts.messages().back().text.toStdString(), c.message);
            EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Value Conversion"));
        } else {
            EXPECT_EQ(t.prompts.messages().size(), before);
        }
        EXPECT_EQ(tag("Text_Diameter"), QStringLiteral("1446"));
        // Leaving the box shows the dimension that is kept, not the one typed.
        QTest::keyClick(box("Text_Diameter"), Qt::Key_Tab);
        EXPECT_EQ(text("Text_Diameter"), QStringLiteral("120.50"));
    }
    // Typing digits and leaving without a unit key changes nothing either.
    typeInto("Text_Diameter", QStringLiteral("99"));
    EXPECT_EQ(text("Text_Diameter"), QStringLiteral("120.50"));
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "Diameter"), QVariant(1446.0));
}

TEST_F(TankEditTest, HalfFootIsOfferedRoundedToEven) {
    openTank();
    t.prompts.answerInput(QStringLiteral("12")).answerInput(QString());
    typeKeys("Text_Level", QStringLiteral("12.5f"));
    EXPECT_EQ(t.prompts.inputs()[0].defaultText, QStringLiteral("12"));
    EXPECT_EQ(tag("Text_Level"), QStringLiteral("144"));
    EXPECT_EQ(text("Text_Level"), QStringLiteral("12.00"));
    // Clicking the box selects its whole text, ready to be typed over.
    QTest::keyClick(box("Text_Level"), Qt::Key_Tab);
    QTest::mouseClick(box("Text_Level"), Qt::LeftButton);
    EXPECT_EQ(box("Text_Level")->selectedText(), QStringLiteral("12.00"));
}

TEST_F(TankEditTest, TypedTextThatIsNoNumberIsRefusedOnOk) {
    openTank();
    typeInto("Text_Yield", QStringLiteral("high"));
    t.prompts.answerMessage();
    click("Cmd_OK");
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text, QStringLiteral("The yield strength must be a number."));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_TRUE(box("Text_Yield")->hasFocus());

    typeInto("Text_Yield", QStringLiteral("32000"));
    typeInto("Text_SGravity", QStringLiteral("heavy"));
    t.prompts.answerMessage();
    click("Cmd_OK");
    ASSERT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_EQ(t.prompts.messages()[1].text,
              QStringLiteral("\"heavy\" is not a number; SpecGravity needs a number."));
    EXPECT_EQ(t.prompts.messages()[1].title, QStringLiteral("Tank Information"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(tankField(tank, "Yield"), QVariant(30000.0));

    typeInto("Text_SGravity", QStringLiteral("0.9"));
    typeInto("Text_Capacity", QStringLiteral("gallons"));
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_EQ(t.prompts.messages()[2].text,
              QStringLiteral("The capacity must be a number followed by B (barrels) or G "
                             "(gallons)."));
    typeInto("Text_Capacity", QStringLiteral("800g"));
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(tankField(tank, "Yield"), QVariant(32000.0));
    EXPECT_EQ(tankField(tank, "SpecGravity"), QVariant(0.9));
    EXPECT_EQ(tankField(tank, "Capacity"), QVariant(-800.0));
}

TEST_F(TankEditTest, ChoosingAnotherLocationWhileATankIsOpenAsksFirst) {
    const qint32 other = file.addLocation(company, QStringLiteral("Beaumont"));
    openTank();
    typeInto("Text_Product", QStringLiteral("Changed"));
    t.prompts.answerMessage(Answer::Cancel);
    tabs()->setCurrentIndex(0);
    doubleClickList("List_Location", 1);
    EXPECT_TRUE(session.RecordMode);
    EXPECT_EQ(session.CurLocationID, location);
    EXPECT_EQ(find<QListWidget>("List_Location")->currentRow(), 0);
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{true, true, true, true}));

    t.prompts.answerMessage(Answer::Ok);
    doubleClickList("List_Location", 1);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(session.CurLocationID, other);
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(grid()->isEnabled());
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "Product"), QVariant(QStringLiteral("Crude Oil")));
}

// The company dialog uses RecordMode for itself; the open tank must still be saved by OK.
TEST_F(TankEditTest, OpenTankSurvivesTheCompanyDialog) {
    openTank();
    typeInto("Text_Product", QStringLiteral("Jet A"));
    tabs()->setCurrentIndex(0);
    t.windows.expect([](QDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cmd_OK")), Qt::LeftButton);
        return dialog.result();
    });
    click("Cmd_EditCompany");
    EXPECT_TRUE(session.RecordMode);
    click("Cmd_OK");
    EXPECT_EQ(tankField(tank, "Product"), QVariant(QStringLiteral("Jet A")));
}

TEST_F(TankEditTest, EnterInABoxDoesNotCloseTheWindow) {
    openTank();
    typeKeys("Text_Product", QStringLiteral("X"));
    QTest::keyClick(box("Text_Product"), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(session.RecordMode);
}

// On every tab, Tab runs through the controls in the order they are read, from the tab strip
// through the page to the buttons below it and round again.
TEST_F(TankEditTest, TabFollowsTheLayoutOnEveryTab) {
    openTank();
    test::expectTabOrderOnEveryTab(*window);
}

// The strengths are typed in the order the boxes stand: from Capacity the focus reaches Shell
// Construction, then Yield, never a dimension box again.
TEST_F(TankEditTest, DesignValuesTypedInOrderLandInTheirBoxes) {
    openTank();
    tabs()->setCurrentIndex(2);
    box("Text_Capacity")->setFocus();
    const char* const expected[] = {"List_MfgType", "Text_Yield", "Text_Tensile", "Text_JointEff",
                                    "Text_SGravity"};
    for (const char* name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
    }
}

TEST_F(TankEditTest, EnterPressesTheFocusedButtonAndEscapeCancels) {
    openTank();
    // Enter in a box neither saves nor closes the window.
    typeKeys("Text_Product", QStringLiteral(" blend"));
    QTest::keyClick(box("Text_Product"), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());

    // Escape is Cancel: it asks, and the question's Cancel keeps the work.
    t.prompts.answerMessage(Answer::Cancel);
    QTest::keyClick(box("Text_Product"), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(text("Text_Product"), QStringLiteral("Crude Oil blend"));

    // Enter on the focused OK button stores the tank and closes the window.
    auto* ok = find<QPushButton>("Cmd_OK");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(tankField(tank, "Product"), QStringLiteral("Crude Oil blend"));
}

// Cancel asks only when something differs from what the tank held when it was opened: walking
// through every box, or typing a value and putting it back, is no change.
TEST_F(TankEditTest, CancelAsksOnlyAfterAChange) {
    openTank();
    for (int tab = 1; tab < tabs()->count(); ++tab) {
        tabs()->setCurrentIndex(tab);
        for (int step = 0; step < 40; ++step)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    typeInto("Text_Product", QStringLiteral("Diesel"));
    typeInto("Text_Product", QStringLiteral("Crude Oil"));
    click("Cmd_Cancel");
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 1);

    // A new tank nobody typed into is dropped without a question; one with a name asks.
    openNewTank();
    click("Cmd_Cancel");
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_FALSE(window->isVisible());
    openNewTank();
    typeInto("Text_TankID", QStringLiteral("T-300"));
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 1);
}

// Corrosion Assessment on General Info opens the assessment of the open tank by its name; a new
// tank has none yet and says so.
TEST_F(TankEditTest, TheAssessmentOfTheOpenTankIsOpenedThroughTheServices) {
    openTank();
    click("Cmd_Assess");
    EXPECT_EQ(t.assessment.shown, (std::vector<QString>{QStringLiteral("T-101")}));
    click("Cmd_Cancel");
    openNewTank();
    t.prompts.answerMessage();
    click("Cmd_Assess");
    EXPECT_EQ(t.assessment.shown.size(), 1u);
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Corrosion Assessment"));
}

// The History is offered for a stored tank only: a new one has nothing recorded yet.
TEST_F(TankEditTest, TheHistoryIsOfferedForAStoredTankOnly) {
    openTank();
    EXPECT_TRUE(find<QWidget>("Cmd_History")->isEnabled());
    click("Cmd_History");
    EXPECT_EQ(t.history.shown,
              (std::vector<std::pair<HistoryOf, qint32>>{{HistoryOf::Tank, tank}}));
    click("Cmd_Cancel");
    openNewTank();
    EXPECT_FALSE(find<QWidget>("Cmd_History")->isEnabled());
}

} // namespace
} // namespace korvane
