#include "inspection/InspectionWindowFixture.h"
#include "platform/SelectionChain.h"
#include "support/FocusChain.h"
#include "support/LockHolderProcess.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QListWidget>

#include <functional>

namespace korvane {
namespace {

using test::InspectionWindowTest;
using test::MmPerInch;
using Icon = Prompts::Icon;
using Answer = Prompts::Answer;

TEST_F(InspectionWindowTest, ChoosingDownToATankListsItsInspections) {
    session.RecordMode = true; // as another window may have left it
    openWindow();
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(window->objectName(), QStringLiteral("Form4"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Inspection & Thickness"));
    QStringList captions;
    for (int i = 0; i < tabs()->count(); ++i)
        captions << tabs()->tabText(i);
    EXPECT_EQ(captions, (QStringList{"Insp. Select", "Insp. Report", "Thickness", "Bottom Survey",
                                     "Shell Survey"}));
    EXPECT_EQ(tabsEnabled(), (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(inspectionGrid()->isHidden());
    EXPECT_EQ(find<QWidget>("Cmd_OK")->toolTip(), QStringLiteral("Accept Changes"));
    EXPECT_EQ(find<QWidget>("Text_Thickness")->toolTip(),
              QStringLiteral("Thickness for this PointID (in.)"));

    // A company without locations and a location without tanks say so.
    t.prompts.answerMessage().answerMessage();
    doubleClickList("List_Company", 1);
    chooseLocation(0, 1);
    EXPECT_EQ(messageTexts(),
              (QStringList{"Missing Location Data: There is no Location Information available "
                           "for this Company",
                           "Missing Tank Data: There is no Tank Information available for this "
                           "Location"}));

    doubleClickList("List_Location", 0);
    doubleClickList("List_Tank", 1); // O'Brien #3: nothing but the new row
    EXPECT_FALSE(inspectionGrid()->isHidden());
    EXPECT_EQ(gridColumn(inspectionGrid(), 0), (QStringList{"New Inspection"}));

    doubleClickList("List_Tank", 0);
    EXPECT_EQ(gridColumn(inspectionGrid(), 0),
              (QStringList{"New Inspection", "01/Mar/2023", "02/Apr/2023"}));
    // The row that makes a new inspection, and a number still to be entered, stand apart in
    // italics.
    const auto italic = [this](int row, int column) {
        return inspectionGrid()
            ->model()
            ->index(row, column)
            .data(Qt::FontRole)
            .value<QFont>()
            .italic();
    };
    EXPECT_EQ(
        (std::vector<bool>{italic(0, 0), italic(1, 0), italic(1, 1), italic(2, 0), italic(2, 1)}),
        (std::vector<bool>{true, false, false, false, true}));
    EXPECT_EQ(gridColumn(inspectionGrid(), 1).mid(1), (QStringList{"I-2023", "Needs Entry"}));
    EXPECT_EQ(gridColumn(inspectionGrid(), 2).mid(1),
              (QStringList{"Ultrasonic", "None Specified"}));
    EXPECT_EQ(session.CurTankID, t101);

    // A single click makes an inspection the current one; nothing opens.
    QTest::mouseClick(
        inspectionGrid()->viewport(), Qt::LeftButton, {},
        inspectionGrid()->visualRect(inspectionGrid()->model()->index(2, 0)).center());
    EXPECT_EQ(session.CurInspectionID, unnumbered);
    EXPECT_FALSE(session.RecordMode);
    click("Cmd_Help");
    EXPECT_EQ(t.help.topics, std::vector<int>{3});
}

// The whole road of a new inspection in metric units: the record, a session of three readings
// written as they are entered, corrections, and OK.
TEST_F(InspectionWindowTest, NewInspectionWithAThicknessSession) {
    session.UnitsUS = false;
    const qint64 inspectionsBefore = file.count(QStringLiteral("Inspection"));
    openInspection(0);
    ASSERT_TRUE(session.RecordMode);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Inspection & Thickness - T-101"));
    EXPECT_EQ(tabs()->currentIndex(), InspectionWindow::TabReport);
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Text_IDate"));
    EXPECT_TRUE(inspectionGrid()->isHidden());
    // The tank's minimums and earlier readings are there to compare with from the start.
    auto* minWall = find<QTableWidget>("Grid_MinWall");
    EXPECT_EQ(minWall->toolTip(), QStringLiteral("Min. Wall Data (mm)"));
    EXPECT_EQ(minWall->item(0, 0)->text(), QStringLiteral("Min. Wall"));
    EXPECT_EQ(minWall->item(0, 4)->text(), QStringLiteral("6.35"));
    EXPECT_EQ(minWall->item(0, 2)->text(), QStringLiteral("7.62"));
    EXPECT_EQ(minWall->item(0, 1)->text(), QString());
    EXPECT_EQ(minWall->item(0, 6)->text(), QString()); // course 5: the tank has four
    EXPECT_EQ(gridColumn(tankReadings(), 1), (QStringList{"A-1"}));
    EXPECT_TRUE(markedRed(QStringLiteral("A-1")));

    typeInto("Text_IDate", QStringLiteral("12/3/24"));
    EXPECT_EQ(text("Text_IDate"), QStringLiteral("12/Mar/2024"));
    typeInto("Text_INum", QStringLiteral("O'Neil-24"));
    // Tab has brought the focus to the kind of inspection, which stands next.
    EXPECT_EQ(QApplication::focusWidget(), combo("List_InspType"));
    combo("List_InspType")->setCurrentIndex(3); // Ultrasonic
    typeInto("Text_IBy", QStringLiteral("J. O'Hara"));
    typeInto("Text_IReason", QStringLiteral("Five-year external"));
    QTest::keyClicks(find<QPlainTextEdit>("Text_IResults"), QStringLiteral("Shell sound."));

    click("Cmd_AddThickness");
    // The inspection is stored before its first reading, with what was typed so far.
    const qint32 id = session.CurInspectionID;
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), inspectionsBefore + 1);
    EXPECT_EQ(inspectionField(id, "InspectionNum"), QStringLiteral("O'Neil-24"));
    EXPECT_EQ(inspectionField(id, "InspectionType"), 4);
    EXPECT_EQ(inspectionField(id, "TankID"), t101);
    EXPECT_EQ(tabs()->currentIndex(), InspectionWindow::TabThickness);
    EXPECT_FALSE(find<QWidget>("Cmd_AddThickness")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Text_TTakenBy"));

    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("13/3/24"));
    enterReading(4, QStringLiteral("C3-N'1"), QStringLiteral("5.00"), "Cmd_Next");
    // Taken by and date stay for the next reading; the rest is empty and the course comes first.
    EXPECT_EQ(text("Text_TTakenBy"), QStringLiteral("A. Smith"));
    EXPECT_EQ(text("Text_TDateTaken"), QStringLiteral("13/Mar/2024"));
    EXPECT_EQ(text("Text_PointID"), QString());
    EXPECT_EQ(text("Text_Thickness"), QString());
    EXPECT_EQ(combo("List_Course")->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), combo("List_Course"));
    enterReading(6, QStringLiteral("R-1"), QStringLiteral("4.00"), "Cmd_Next");
    enterReading(1, QStringLiteral("F-1"), QStringLiteral("6.35"), "Cmd_Done");
    EXPECT_TRUE(t.prompts.messages().empty()) << messageTexts().join('\n').toStdString();

    // Written before OK, each with its course code and in inches.
    EXPECT_EQ(thicknessField(QStringLiteral("C3-N'1"), "Course"), 4);
    EXPECT_EQ(thicknessField(QStringLiteral("R-1"), "Course"), 12);
    EXPECT_EQ(thicknessField(QStringLiteral("F-1"), "Course"), 1);
    EXPECT_NEAR(thicknessField(QStringLiteral("F-1"), "Reading").toDouble(), 0.25, 1e-6);
    EXPECT_EQ(thicknessField(QStringLiteral("F-1"), "InspectionID"), id);
    EXPECT_EQ(thicknessField(QStringLiteral("F-1"), "TakenBy"), QStringLiteral("A. Smith"));
    EXPECT_EQ(thicknessField(QStringLiteral("F-1"), "DateTaken"), QStringLiteral("13/Mar/2024"));
    EXPECT_EQ(gridColumn(sessionGrid(), 1), (QStringList{"C3-N'1", "R-1", "F-1"}));
    EXPECT_EQ(gridColumn(sessionGrid(), 2), (QStringList{"5.00", "4.00", "6.35"}));
    EXPECT_FALSE(find<QWidget>("Cmd_Next")->isEnabled());
    EXPECT_TRUE(find<QWidget>("Cmd_AddThickness")->isEnabled());

    // The tank's readings by point: 5.00 mm is below course 3's 6.35; floor and roof never are.
    EXPECT_EQ(gridColumn(tankReadings(), 1), (QStringList{"A-1", "C3-N'1", "F-1", "R-1"}));
    EXPECT_EQ(gridColumn(tankReadings(), 2)[2], QStringLiteral("6.35"));
    EXPECT_TRUE(markedRed(QStringLiteral("C3-N'1")));
    EXPECT_FALSE(markedRed(QStringLiteral("F-1")));
    EXPECT_FALSE(markedRed(QStringLiteral("R-1")));

    // Corrections: a reading that is no number is asked for again; a point ID is replaced.
    t.prompts.answerInput(QStringLiteral("7,00")).answerMessage().answerInput("7.00");
    doubleClickRow(sessionGrid(), 0, 2);
    EXPECT_EQ(t.prompts.inputs().at(0).prompt, QStringLiteral("Enter correct Thickness"));
    EXPECT_EQ(t.prompts.inputs().at(0).title, QStringLiteral("Editing Thickness Reading"));
    EXPECT_EQ(t.prompts.inputs().at(0).defaultText, QStringLiteral("5.00"));
    EXPECT_NEAR(thicknessField(QStringLiteral("C3-N'1"), "Reading").toDouble(), 7.0 / MmPerInch,
                1e-9);
    EXPECT_EQ(sessionGrid()->item(0, 2)->text(), QStringLiteral("7.00"));
    EXPECT_FALSE(markedRed(QStringLiteral("C3-N'1")));
    t.prompts.answerInput(QStringLiteral("R-1'A"));
    doubleClickRow(sessionGrid(), 1, 1);
    EXPECT_EQ(t.prompts.inputs().at(2).title, QStringLiteral("Editing PointID"));
    EXPECT_EQ(t.prompts.inputs().at(2).defaultText, QStringLiteral("R-1"));
    EXPECT_EQ(thicknessField(QStringLiteral("R-1'A"), "Course"), 12);
    EXPECT_EQ(sessionGrid()->item(1, 1)->text(), QStringLiteral("R-1'A"));
    EXPECT_NE(tankReadingRow(QStringLiteral("R-1'A")), -1);

    // OK writes the rest of the row to the same inspection, once.
    bringToFront(find<QWidget>("Text_IResults"));
    QTest::keyClicks(find<QPlainTextEdit>("Text_IResults"), QStringLiteral(" Roof pitted."));
    t.prompts.answerMessage(Answer::No); // not the last Ultrasonic inspection on the schedule
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), inspectionsBefore + 1);
    EXPECT_EQ(inspectionField(id, "Results"), QStringLiteral("Shell sound. Roof pitted."));
    EXPECT_EQ(inspectionField(id, "InspectedBy"), QStringLiteral("J. O'Hara"));
    EXPECT_EQ(inspectionField(id, "InspectionDate"), QStringLiteral("12/Mar/2024"));
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 4);
}

TEST_F(InspectionWindowTest, EntriesThatAreIncompleteAreRefusedAndNothingIsWritten) {
    openInspection(0);
    // No number: neither a session nor the row.
    t.prompts.answerMessage();
    click("Cmd_AddThickness");
    EXPECT_EQ(messageTexts(), (QStringList{"Inspection Data Validation: Data Missing.  All "
                                           "fields must be filled in."}));
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Text_INum"));
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), 2);

    typeKeys("Text_INum", QStringLiteral("I-7"));
    click("Cmd_AddThickness");
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("13/3/24"));
    t.prompts.answerMessage().answerMessage().answerMessage().answerMessage();
    enterReading(0, QStringLiteral("P-1"), QStringLiteral("0.25"), "Cmd_Next"); // no course
    enterReading(3, QString(), QStringLiteral("0.25"), "Cmd_Done");             // no point
    enterReading(3, QStringLiteral("P-1"), QStringLiteral("0,25"), "Cmd_Next");
    enterReading(3, QStringLiteral("P-1"), QStringLiteral("-0.25"), "Cmd_Next");
    const QString missing = QStringLiteral("Thickness Data Validation: Data Missing.  All fields "
                                           "must be filled in.");
    const QStringList said = messageTexts();
    ASSERT_EQ(said.size(), 5);
    EXPECT_EQ(said.mid(1, 2), (QStringList{missing, missing}));
    EXPECT_TRUE(said[3].contains(QStringLiteral("must be a number"))) << said[3].toStdString();
    EXPECT_EQ(said[4], said[3]);
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 1);

    // A reading typed but not saved keeps the window open on OK.
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messageTexts().last().contains(QStringLiteral("still being entered")));
    EXPECT_EQ(tabs()->currentIndex(), InspectionWindow::TabThickness);
    click("Cmd_TCancel");
    EXPECT_FALSE(find<QWidget>("Text_PointID")->isEnabled());
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 1);
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), 3);
}

TEST_F(InspectionWindowTest, CancelKeepsTheReadingsAndTheInspectionTheyBelongTo) {
    openInspection(0);
    typeKeys("Text_INum", QStringLiteral("I-8"));
    click("Cmd_AddThickness");
    const qint32 id = session.CurInspectionID;
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("14/6/24"));
    enterReading(2, QStringLiteral("S-1"), QStringLiteral("0.310"), "Cmd_Done");
    typeInto("Text_IReason", QStringLiteral("changed after the readings"));

    // The question can be answered Cancel: nothing changes.
    t.prompts.answerMessage(Answer::Cancel).answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_TRUE(window->isVisible());
    click("Cmd_Cancel");
    const auto& asked = t.prompts.messages().back();
    EXPECT_EQ(asked.text, QStringLiteral("This will cause all changes to the Inspection to be "
                                         "ignored!\nHowever, all Thickness data is saved!"));
    EXPECT_EQ(asked.title, QStringLiteral("Cancel Update"));
    EXPECT_EQ(asked.buttons, Prompts::Buttons::OkCancel);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);

    EXPECT_EQ(inspectionField(id, "InspectionNum"), QStringLiteral("I-8"));
    EXPECT_EQ(inspectionField(id, "InspectionReason"), QVariant());
    EXPECT_EQ(inspectionField(id, "InspectionType"), 1); // none chosen: the first
    EXPECT_EQ(thicknessField(QStringLiteral("S-1"), "InspectionID"), id);
    EXPECT_NEAR(thicknessField(QStringLiteral("S-1"), "Reading").toDouble(), 0.31, 1e-12);
    EXPECT_EQ(thicknessField(QStringLiteral("S-1"), "Course"), 2);
}

// An existing inspection is claimed while open: its record is locked except for the results,
// its type is kept, and a second program can neither take it nor be taken from.
TEST_F(InspectionWindowTest, AnExistingInspectionIsClaimedAndKeepsItsType) {
    {
        test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(),
                                       QStringLiteral("Inspection:%1").arg(i2023));
        ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
        t.prompts.answerMessage();
        openInspection(1);
        ASSERT_EQ(t.prompts.messages().size(), 1u);
        EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Error Accessing Record"));
        EXPECT_TRUE(t.prompts.messages()[0].text.contains(QStringLiteral("being edited")))
            << t.prompts.messages()[0].text.toStdString();
        EXPECT_FALSE(session.RecordMode);
        EXPECT_EQ(tabs()->currentIndex(), InspectionWindow::TabSelect);
        holder.finishEdit();
    }
    doubleClickRow(inspectionGrid(), 1);
    ASSERT_TRUE(session.RecordMode);
    EXPECT_EQ(session.CurInspectionID, i2023);
    EXPECT_EQ(text("Text_INum"), QStringLiteral("I-2023"));
    EXPECT_TRUE(box("Text_INum")->isReadOnly());
    EXPECT_TRUE(box("Text_IDate")->isReadOnly());
    EXPECT_EQ(combo("List_InspType")->currentText(), QStringLiteral("Ultrasonic"));
    EXPECT_FALSE(combo("List_InspType")->isEnabled());

    test::LockHolderProcess second(QStringLiteral(LOCK_HOLDER_PATH), file.path(),
                                   QStringLiteral("Inspection:%1").arg(i2023));
    EXPECT_TRUE(second.waitForLine().startsWith(QStringLiteral("refused")));

    QTest::keyClicks(find<QPlainTextEdit>("Text_IResults"), QStringLiteral("No change."));
    t.prompts.answerMessage(Answer::No); // the schedule's offer
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(inspectionField(i2023, "Results"), QStringLiteral("No change."));
    EXPECT_EQ(inspectionField(i2023, "InspectionType"), 4);
    EXPECT_EQ(inspectionField(i2023, "InspectionNum"), QStringLiteral("I-2023"));

    // One stored without a type or number: no type chosen, and the number, which "Needs
    // Entry", may be given; what was stored stays locked.
    openInspection(2);
    EXPECT_EQ(combo("List_InspType")->currentIndex(), -1);
    EXPECT_FALSE(combo("List_InspType")->isEnabled());
    EXPECT_TRUE(box("Text_IDate")->isReadOnly());
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Inspection Data Validation"));
    typeInto("Text_INum", QStringLiteral("I-2023b"));
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(inspectionField(unnumbered, "InspectionType"), QVariant());
    EXPECT_EQ(inspectionField(unnumbered, "InspectionNum"), QStringLiteral("I-2023b"));
}

// Print on the Thickness tab asks where the pages go: a file chosen is written and named, with
// the tank's reading on its course and marked below that course's minimum of 0.30 in.;
// cancelled, nothing is written.
TEST_F(InspectionWindowTest, TheThicknessReportGoesWhereTheUserChooses) {
    openInspection(1);
    tabs()->setCurrentIndex(InspectionWindow::TabThickness);
    test::TempDir dir;
    const QString pdf = dir.filePath(QStringLiteral("readings.pdf"));
    t.printers.answerFile(pdf);
    t.prompts.answerMessage(Answer::Ok).answerMessage();
    click("Cmd_Print");
    ASSERT_EQ(t.printers.jobs().size(), 1u);
    EXPECT_EQ(t.printers.jobs()[0].title, QStringLiteral("Tank Thickness Readings"));
    EXPECT_EQ(t.printers.jobs()[0].fileName, QStringLiteral("Tank Thickness Readings - T-101.pdf"));
    EXPECT_TRUE(t.printers.jobs()[0].pageRange);
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("The pages were saved in ") + QDir::toNativeSeparators(pdf));
    const QString text = test::pdfPages(pdf).join(u'\f').simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("A-1 Course 1 01/Mar/2023 R. Diaz 0.290 Below min.")))
        << text.toStdString();

    ASSERT_TRUE(QFile::remove(pdf));
    t.printers.answerCancel();
    t.prompts.answerMessage(Answer::Ok);
    const std::size_t said = t.prompts.messages().size();
    click("Cmd_Print");
    EXPECT_EQ(t.prompts.messages().size(), said + 1); // the question before printing only
    EXPECT_FALSE(QFile::exists(pdf));
}

// Return in the inspection grid opens the inspection it stands on, as a double-click does.
TEST_F(InspectionWindowTest, ReturnInTheInspectionGridOpensTheInspection) {
    openWindow();
    chooseLocation(0, 0);
    doubleClickList("List_Tank", 0);
    QTableView* grid = inspectionGrid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(session.RecordMode);
    EXPECT_EQ(session.CurInspectionID, i2023);
    EXPECT_EQ(text("Text_INum"), QStringLiteral("I-2023"));
    EXPECT_TRUE(t.prompts.messages().empty());
}

TEST_F(InspectionWindowTest, ANewChoiceAboveAnOpenInspectionAsksFirstWhenItWasChanged) {
    // Left as it was: the other tank is chosen without a question.
    openInspection(2);
    ASSERT_TRUE(session.RecordMode);
    tabs()->setCurrentIndex(InspectionWindow::TabSelect);
    doubleClickList("List_Tank", 1);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(session.CurTankID, obrien);
    EXPECT_TRUE(t.prompts.messages().empty());

    doubleClickList("List_Tank", 0);
    doubleClickRow(inspectionGrid(), 2);
    typeInto("Text_INum", QStringLiteral("I-2023b"));
    // Kept: the inspection stays open.
    t.prompts.answerMessage(Answer::Cancel);
    tabs()->setCurrentIndex(InspectionWindow::TabSelect);
    doubleClickList("List_Tank", 1);
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Cancel Update"));
    EXPECT_TRUE(session.RecordMode);
    EXPECT_EQ(session.CurTankID, t101);
    // Given up: the tabs are emptied and the other tank's inspections listed.
    t.prompts.answerMessage(Answer::Ok);
    doubleClickList("List_Tank", 1);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(session.CurTankID, obrien);
    EXPECT_EQ(tabsEnabled(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(gridColumn(tankReadings(), 1), QStringList());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Inspection & Thickness"));
    EXPECT_EQ(inspectionField(unnumbered, "InspectionNum"), QVariant());
    // The claim was given up with it.
    test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(),
                                   QStringLiteral("Inspection:%1").arg(unnumbered));
    EXPECT_EQ(holder.waitForLine(), QStringLiteral("locked"));
}

// Enter in the thickness box stores the reading and begins the next; Done on the empty row that
// follows closes the session without storing anything more or saying anything.
TEST_F(InspectionWindowTest, EnterIsNextAndDoneAfterNextStoresNothingMore) {
    openInspection(1);
    click("Cmd_AddThickness");
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("14/6/24"));
    for (const auto& [point, thickness] : {std::pair{"K-1", "0.310"}, std::pair{"K-2", "0.295"}}) {
        combo("List_Course")->setCurrentIndex(2);
        typeInto("Text_PointID", QString::fromLatin1(point));
        typeKeys("Text_Thickness", QString::fromLatin1(thickness));
        QTest::keyClick(find<QWidget>("Text_Thickness"), Qt::Key_Return);
        EXPECT_EQ(thicknessField(QString::fromLatin1(point), "Reading").toDouble(),
                  QString::fromLatin1(thickness).toDouble());
        EXPECT_EQ(thicknessField(QString::fromLatin1(point), "Course"), 2);
        EXPECT_EQ(text("Text_PointID"), QString());
        EXPECT_EQ(text("Text_Thickness"), QString());
        EXPECT_EQ(QApplication::focusWidget(), combo("List_Course"));
    }
    EXPECT_EQ(gridColumn(sessionGrid(), 1), (QStringList{"K-1", "K-2"}));

    click("Cmd_Done"); // an unexpected message fails the test
    EXPECT_TRUE(t.prompts.messages().empty()) << messageTexts().join('\n').toStdString();
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 3);
    EXPECT_FALSE(find<QWidget>("Cmd_Next")->isEnabled());
    EXPECT_TRUE(find<QWidget>("Cmd_AddThickness")->isEnabled());
    t.prompts.answerMessage(Answer::No); // the schedule's offer
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 3);
}

// Cancel asks only when it would drop something: a change to the record, a new survey with
// something in it, a reading typed but not stored. What was stored stays either way.
TEST_F(InspectionWindowTest, CancelAsksOnlyWhenSomethingWouldBeLost) {
    struct Case {
        const char* name;
        int row; // of the inspection grid: 0 new, 1 I-2023
        std::function<void()> change;
        bool asks;
    };
    const auto results = [this] {
        QTest::keyClicks(find<QPlainTextEdit>("Text_IResults"), QStringLiteral("Pitted."));
    };
    const Case cases[] = {
        {"opened and left", 1, [] {}, false},
        {"results typed", 1, results, true},
        {"results typed and taken back", 1,
         [&] {
             results();
             find<QPlainTextEdit>("Text_IResults")->clear();
         },
         false},
        {"new, left empty", 0, [] {}, false},
        {"new, a type chosen", 0, [this] { combo("List_InspType")->setCurrentIndex(2); }, true},
        {"new, stored by Add Thickness, nothing since", 0,
         [this] {
             typeKeys("Text_INum", QStringLiteral("I-9"));
             click("Cmd_AddThickness");
             click("Cmd_TCancel");
         },
         false},
        {"a reading typed, not stored", 1,
         [this] {
             click("Cmd_AddThickness");
             typeInto("Text_PointID", QStringLiteral("K-9"));
         },
         true},
        {"a session open, nothing typed", 1, [this] { click("Cmd_AddThickness"); }, false},
        {"a survey begun, nothing typed", 1, [this] { click("Cmd_AddShell"); }, false},
        {"a survey begun, its inspector typed", 1,
         [this] {
             click("Cmd_AddShell");
             typeInto("Text_STakenBy", QStringLiteral("L. Ng"));
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openInspection(c.row);
        ASSERT_TRUE(session.RecordMode);
        c.change();
        const qint64 inspections = file.count(QStringLiteral("Inspection"));
        const std::size_t said = t.prompts.messages().size();
        if (c.asks) {
            t.prompts.answerMessage(Answer::Cancel).answerMessage(Answer::Ok);
            click("Cmd_Cancel");
            EXPECT_TRUE(window->isVisible());
            ASSERT_EQ(t.prompts.messages().size(), said + 1);
            EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Cancel Update"));
        }
        click("Cmd_Cancel");
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Rejected);
        EXPECT_EQ(t.prompts.messages().size(), said + (c.asks ? 2 : 0));
        EXPECT_EQ(file.count(QStringLiteral("Inspection")), inspections);
        EXPECT_EQ(inspectionField(i2023, "Results"), QVariant());
        EXPECT_EQ(file.count(QStringLiteral("ShellSurvey")), 0);
    }
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 1);
}

// The minimum of every course of a tank of ten courses stands under its course, the top one
// too; the floor and the roof have none. Both unit systems.
TEST_F(InspectionWindowTest, TheMinimumWallRowShowsEveryCourseOfATallTank) {
    const qint32 portArthur = file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), t101,
                                         QStringLiteral("LocationID"))
                                  .toInt();
    QVariantMap tank{{"LocationID", portArthur}, {"Name", "T-110"}, {"Courses", 10}};
    for (int course = 1; course <= 10; ++course)
        tank.insert(QStringLiteral("Course%1_Min").arg(course), 0.50 - 0.03 * (course - 1));
    file.add(QStringLiteral("Tank"), tank);

    struct Case {
        bool unitsUS;
        QStringList row;
    };
    const Case cases[] = {
        {true,
         {"Min. Wall", "", "0.500", "0.470", "0.440", "0.410", "0.380", "0.350", "0.320", "0.290",
          "0.260", "0.230", ""}},
        {false,
         {"Min. Wall", "", "12.70", "11.94", "11.18", "10.41", "9.65", "8.89", "8.13", "7.37",
          "6.60", "5.84", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unitsUS ? "US" : "metric");
        session.UnitsUS = c.unitsUS;
        openWindow();
        chooseLocation(0, 0);
        doubleClickList("List_Tank", 2);
        doubleClickRow(inspectionGrid(), 0);
        ASSERT_TRUE(session.RecordMode);
        const auto* minWall = find<QTableWidget>("Grid_MinWall");
        QStringList captions, row;
        for (int column = 0; column < minWall->columnCount(); ++column) {
            captions << minWall->horizontalHeaderItem(column)->text();
            row << (minWall->item(0, column) ? minWall->item(0, column)->text() : QString());
        }
        EXPECT_EQ(captions, (QStringList{c.unitsUS ? "(in.)" : "(mm)", "Floor", "Course 1",
                                         "Course 2", "Course 3", "Course 4", "Course 5", "Course 6",
                                         "Course 7", "Course 8", "Course 9", "Course 10", "Roof"}));
        EXPECT_EQ(row, c.row);
        QStringList courses;
        for (int i = 0; i < combo("List_Course")->count(); ++i)
            courses << combo("List_Course")->itemText(i);
        EXPECT_EQ(courses, (QStringList{" ", "Floor", "Course 1", "Course 2", "Course 3",
                                        "Course 4", "Course 5", "Course 6", "Course 7", "Course 8",
                                        "Course 9", "Course 10", "Roof"}));
        window.reset();
    }
}

// White on red, as in Tank Information: a tank with an inspection due this calendar year or
// earlier, by years or by months; due next year, unscheduled, or scheduled without a last date,
// it is not marked.
TEST_F(InspectionWindowTest, TheTankListMarksTanksWithAnInspectionDue) {
    ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET ExternalFreq = 5, "
                                                "ExternalLast = '15/Jun/2019' WHERE TankID = ?"),
                                 {t101}));
    const qint32 portArthur = file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), t101,
                                         QStringLiteral("LocationID"))
                                  .toInt();
    file.add(QStringLiteral("Tank"), {{"LocationID", portArthur},
                                      {"Name", "T-200"},
                                      {"ExternalFreq", 5},
                                      {"ExternalLast", "01/Jan/2020"}});
    file.add(
        QStringLiteral("Tank"),
        {{"LocationID", portArthur}, {"Name", "T-300"}, {"UTFreq", -6}, {"UTLast", "31/Dec/2023"}});
    file.add(QStringLiteral("Tank"),
             {{"LocationID", portArthur}, {"Name", "T-400"}, {"InternalFreq", 1}});

    openWindow();
    chooseLocation(0, 0);
    const auto* list = find<QListWidget>("List_Tank");
    QStringList marks;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        const bool red = item->background().color() == QColor(255, 0, 0);
        const bool white = item->foreground().color() == QColor(Qt::white);
        EXPECT_EQ(red, white) << item->text().toStdString();
        EXPECT_EQ(red, !item->toolTip().isEmpty());
        marks << item->text() + (red ? QStringLiteral(": due") : QString());
    }
    EXPECT_EQ(marks, (QStringList{"T-101: due", "O'Brien #3", "T-200", "T-300: due", "T-400"}));
    // The marks go by the key behind each row; no row past either end has one.
    const auto* chain = window->findChild<SelectionChain*>();
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->tankKey(0), t101);
    EXPECT_EQ(chain->tankKey(-1), 0);
    EXPECT_EQ(chain->tankKey(list->count()), 0);
}

// A reading of the open inspection is deleted from either list after a question naming it in
// the window's units; another inspection's reading is refused. (A reading open elsewhere is
// claimed as an inspection is: see the next test.)
TEST_F(InspectionWindowTest, AReadingOfTheOpenInspectionIsDeletedAfterAQuestion) {
    file.add(QStringLiteral("Thickness"), {{"InspectionID", unnumbered}, {"PointID", "Z-9"}});
    openInspection(1);
    click("Cmd_AddThickness");
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("14/6/24"));
    enterReading(3, QStringLiteral("K-1"), QStringLiteral("0.310"), "Cmd_Done");
    EXPECT_FALSE(find<QWidget>("Cmd_DeleteReading")->isEnabled());
    const auto deleteChosen = [this](QAbstractItemView* grid, const char* point, Answer answer) {
        clickRow(grid, static_cast<int>(gridColumn(grid, 1).indexOf(QLatin1String(point))));
        t.prompts.answerMessage(answer);
        click("Cmd_DeleteReading");
        EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Delete Reading"));
        return t.prompts.messages().back().text;
    };
    EXPECT_TRUE(deleteChosen(tankReadings(), "Z-9", Answer::Ok).contains("another inspection"));
    EXPECT_EQ(deleteChosen(sessionGrid(), "K-1", Answer::Cancel),
              QStringLiteral("Delete the thickness reading of point K-1 (Course 2, 0.310 in., "
                             "taken 14/Jun/2024)?\n\n1 thickness reading will be deleted. The "
                             "history keeps a copy of every row deleted."));
    EXPECT_EQ(file.count(QStringLiteral("Thickness")), 3);
    deleteChosen(sessionGrid(), "K-1", Answer::Ok);
    EXPECT_EQ(sessionGrid()->rowCount(), 0);
    EXPECT_EQ(gridColumn(tankReadings(), 1), (QStringList{"A-1", "Z-9"}));

    // A reading of an earlier session, from the tank's list, in millimetres.
    click("Cmd_Cancel");
    session.UnitsUS = false;
    openInspection(1);
    EXPECT_TRUE(deleteChosen(tankReadings(), "A-1", Answer::Ok)
                    .startsWith("Delete the thickness reading of point A-1 (Course 1, 7.37 mm, "
                                "taken 01/Mar/2023)?"));
    EXPECT_EQ(gridColumn(tankReadings(), 1), QStringList{"Z-9"});
    EXPECT_EQ(deletedRows(i2023), (QStringList{"Thickness A-1", "Thickness K-1"}));
}

// Delete Inspection takes the chosen inspection with its readings, survey, areas and drawing
// pages in one transaction, after a question that counts them; one open in another program is
// refused, and the tank's other inspection stays.
TEST_F(InspectionWindowTest, AnInspectionIsDeletedWithEverythingRecordedWithIt) {
    const QStringList tables{"Thickness", "ShellSurvey", "EdgeSettle", "SCorrosion", "IGraphic"};
    const QStringList labels{"PointID", "InspectionNum", "AreaID", "AreaID", "GraphicLabel"};
    for (const auto& [table, label] :
         std::initializer_list<std::pair<int, const char*>>{{0, "B-2"},
                                                            {1, "SV-1"},
                                                            {2, "E-1"},
                                                            {2, "F-1"},
                                                            {3, "S-1"},
                                                            {4, "Shell"},
                                                            {4, "Floor"}})
        file.add(tables[table], {{"InspectionID", i2023}, {labels[table], label}});
    file.add(QStringLiteral("Thickness"), {{"InspectionID", unnumbered}, {"PointID", "Z-9"}});
    const auto counts = [&] {
        QList<qint64> n{file.count(QStringLiteral("Inspection"))};
        for (const QString& table : tables)
            n << file.count(table);
        return n;
    };
    const QList<qint64> before = counts();

    openWindow();
    chooseLocation(0, 0);
    doubleClickList("List_Tank", 0);
    EXPECT_FALSE(find<QWidget>("Cmd_DeleteInspection")->isEnabled()); // on "New Inspection"
    clickRow(inspectionGrid(), 1);
    const auto deleteChosen = [this](Answer answer) {
        t.prompts.answerMessage(answer);
        click("Cmd_DeleteInspection");
        EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Delete Inspection"));
        return t.prompts.messages().back().text;
    };
    {
        test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(),
                                       QStringLiteral("Inspection:%1").arg(i2023));
        ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
        EXPECT_TRUE(deleteChosen(Answer::Ok).contains("being edited"));
    }
    EXPECT_EQ(deleteChosen(Answer::Cancel),
              QStringLiteral("Delete inspection I-2023 of T-101, dated 01/Mar/2023, and "
                             "everything recorded with it?\n\nThese rows will be deleted:\n1 "
                             "inspection\n2 thickness readings\n1 shell settlement survey\n2 "
                             "edge and floor settlement areas\n1 shell corrosion area\n2 drawing "
                             "pages\n\nThe history keeps a copy of every row deleted."));
    EXPECT_EQ(counts(), before);
    deleteChosen(Answer::Ok);
    EXPECT_EQ(gridColumn(inspectionGrid(), 0), (QStringList{"New Inspection", "02/Apr/2023"}));
    EXPECT_EQ(counts(), (QList<qint64>{before[0] - 1, 1, 0, 0, 0, 0}));
    QStringList deleted = deletedRows(i2023);
    deleted.sort();
    EXPECT_EQ(deleted, (QStringList{"EdgeSettle E-1", "EdgeSettle F-1", "IGraphic Floor",
                                    "IGraphic Shell", "Inspection I-2023", "SCorrosion S-1",
                                    "ShellSurvey SV-1", "Thickness A-1", "Thickness B-2"}));
    // One without a number is named by its tank.
    clickRow(inspectionGrid(), 1);
    EXPECT_TRUE(deleteChosen(Answer::Ok)
                    .startsWith("Delete the inspection of T-101, dated "
                                "02/Apr/2023, and everything"));
    EXPECT_EQ(gridColumn(inspectionGrid(), 0), QStringList{"New Inspection"});
}

// OK on an inspection later than the last of its kind on T-101's schedule (UT every 5 years,
// last 01/Mar/2019, so due; Primary Seal yearly, never done) offers to make it the last; Yes
// writes the tank with the inspection, and the tank list's due mark follows.
TEST_F(InspectionWindowTest, OKOffersAnInspectionAsTheLastOfItsKindOnTheSchedule) {
    t.clock.setToday(QDate(2026, 9, 20));
    const struct {
        int row;  // of the inspection grid: 0 new, 1 I-2023 (Ultrasonic, 01/Mar/2023)
        int type; // list position of a new one's kind: 1 Annual, 3 Ultrasonic, 5 Primary Seal
        const char* date;
        const char* question; // empty: none is asked
        Answer answer;
        const char* field;
        const char* stored;
        bool due;
    } cases[] = {
        {0, 3, "14/9/26", "Make 14/Sep/2026 the last Ultrasonic inspection of T-101?", Answer::Yes,
         "UTLast", "14/Sep/2026", false},
        {0, 3, "14/9/26", "Make 14/Sep/2026 the last Ultrasonic inspection of T-101?", Answer::No,
         "UTLast", "01/Mar/2019", true},
        {0, 3, "1/1/19", "", Answer::No, "UTLast", "01/Mar/2019", true},  // earlier
        {0, 1, "14/9/26", "", Answer::No, "UTLast", "01/Mar/2019", true}, // not scheduled
        {0, 5, "14/9/26", "Make 14/Sep/2026 the last Primary Seal inspection of T-101?",
         Answer::Yes, "PriSealLast", "14/Sep/2026", true},
        {1, -1, "", "Make 01/Mar/2023 the last Ultrasonic inspection of T-101?", Answer::Yes,
         "UTLast", "01/Mar/2023", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE Tank SET UTFreq = 5, UTLast = "
                                                    "'2019-03-01', PriSealFreq = 1, PriSealLast "
                                                    "= NULL WHERE TankID = ?"),
                                     {t101}));
        openInspection(c.row);
        if (c.row == 0) {
            typeInto("Text_IDate", QString::fromLatin1(c.date));
            typeInto("Text_INum", QStringLiteral("I-26"));
            combo("List_InspType")->setCurrentIndex(c.type);
        }
        const std::size_t said = t.prompts.messages().size();
        if (*c.question)
            t.prompts.answerMessage(c.answer);
        click("Cmd_OK");
        EXPECT_FALSE(window->isVisible());
        ASSERT_EQ(t.prompts.messages().size(), said + (*c.question ? 1 : 0));
        if (*c.question) {
            EXPECT_EQ(t.prompts.messages().back().text, QLatin1String(c.question));
            EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Inspection Schedule"));
        }
        EXPECT_EQ(file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), t101,
                             QLatin1String(c.field)),
                  QLatin1String(c.stored));
        openWindow();
        chooseLocation(0, 0);
        EXPECT_EQ(find<QListWidget>("List_Tank")->item(0)->toolTip().isEmpty(), !c.due);
    }
}

// The tank is written with the inspection or not at all: while another program edits T-101,
// Yes leaves the window open with nothing stored, and OK asks again once the tank is free.
TEST_F(InspectionWindowTest, ATankBeingEditedElsewhereKeepsTheInspectionFromBeingStored) {
    openInspection(0);
    typeInto("Text_IDate", QStringLiteral("14/6/24"));
    typeInto("Text_INum", QStringLiteral("I-26"));
    combo("List_InspType")->setCurrentIndex(3);
    const qint64 inspections = file.count(QStringLiteral("Inspection"));
    {
        test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(), t101);
        ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
        t.prompts.answerMessage(Answer::Yes).answerMessage();
        click("Cmd_OK");
        EXPECT_TRUE(t.prompts.messages().back().text.contains(QStringLiteral("being edited")));
        EXPECT_EQ(file.count(QStringLiteral("Inspection")), inspections);
    }
    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("Inspection")), inspections + 1);
    EXPECT_EQ(file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), t101,
                         QStringLiteral("UTLast")),
              QStringLiteral("14/Jun/2024"));
}

// Tab runs through every tab of an open inspection in reading order, the thickness session's
// entry boxes included once a session is open.
TEST_F(InspectionWindowTest, TabFollowsTheLayoutOnEveryTab) {
    openInspection(1);
    test::expectTabOrderOnEveryTab(*window);
    click("Cmd_AddThickness");
    ASSERT_EQ(tabs()->currentIndex(), InspectionWindow::TabThickness);
    test::expectTabOrderOnEveryTab(*window);
}

} // namespace
} // namespace korvane
