#include "records/AddressRecordWindow.h"
#include "support/LockHolderProcess.h"
#include "tank/TankWindowFixture.h"

#include <QBrush>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>

namespace korvane {
namespace {

using test::TankWindowTest;
using Icon = Prompts::Icon;

// Two companies; Gulf Plains has two locations, Prairie none. Port Arthur has three tanks,
// Beaumont none.
class TankSelectTest : public TankWindowTest {
protected:
    TankSelectTest() {
        gulf = file.addCompany(QStringLiteral("Gulf Plains"));
        prairie = file.addCompany(QStringLiteral("Prairie"));
        portArthur = file.addLocation(gulf, QStringLiteral("Port Arthur"));
        beaumont = file.addLocation(gulf, QStringLiteral("Beaumont"));
        t101 = addTank(portArthur, QStringLiteral("T-101"),
                       {{QStringLiteral("PhysLoc"), QStringLiteral("Dike 1")},
                        {QStringLiteral("SerialNum"), QStringLiteral("LST-2187")}});
        t102 = addTank(portArthur, QStringLiteral("T-102"));
        t103 = addTank(portArthur, QStringLiteral("O'Brien #3"),
                       {{QStringLiteral("SerialNum"), QStringLiteral("S-3")}});
    }
    QStringList listTexts(const char* name) const {
        QStringList texts;
        auto* list = find<QListWidget>(name);
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    qint32 gulf = 0, prairie = 0, portArthur = 0, beaumont = 0;
    qint32 t101 = 0, t102 = 0, t103 = 0;
};

TEST_F(TankSelectTest, WindowAtLoad) {
    session.RecordMode = true;
    openWindow();
    EXPECT_EQ(window->objectName(), QStringLiteral("Form3"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tank Information"));
    const QStringList captions{"Tank Select", "General Info", "Design Info", "Custom Info",
                               "Max. Fill"};
    ASSERT_EQ(tabs()->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(tabs()->tabText(i), captions[i]);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{false, false, false, false}));
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(listTexts("List_Company"), (QStringList{"Gulf Plains", "Prairie"}));

    const struct {
        const char* name;
        bool enabled;
        const char* caption;
        const char* toolTip;
    } controls[] = {
        {"List_Company", true, nullptr, "List Existing Companies"},
        {"List_Location", false, nullptr, "List Existing Locations"},
        {"Grid_Tanks", false, nullptr, "Tank Selection Grid"},
        {"Cmd_AddCompany", true, "Add Company", "Add Another Company"},
        {"Cmd_EditCompany", true, "Edit", "Edit Existing Company"},
        {"Cmd_AddLocation", false, "Add Location", "Add Another Location"},
        {"Cmd_EditLocation", false, "Edit", "Edit Existing Location"},
        {"Cmd_Print", false, "Print", ""},
        {"Cmd_Help", true, "Help", ""},
        {"Cmd_Cancel", true, "Cancel", ""},
        {"Cmd_OK", true, "OK", ""},
    };
    for (const auto& c : controls) {
        QWidget* w = find(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->isEnabled(), c.enabled) << c.name;
        EXPECT_EQ(w->toolTip().toStdString(), c.toolTip) << c.name;
        if (c.caption) {
            EXPECT_EQ(find<QPushButton>(c.name)->text().toStdString(), c.caption);
        }
    }
    EXPECT_EQ(grid()->model()->headerData(0, Qt::Horizontal), QVariant("Tank ID"));
    EXPECT_EQ(grid()->model()->headerData(1, Qt::Horizontal), QVariant("Location"));
    EXPECT_EQ(grid()->model()->headerData(2, Qt::Horizontal), QVariant("Serial No."));
    EXPECT_EQ(grid()->model()->rowCount(), 0);
}

// The commands of Tank Select stand below what they act on, and the hint names the new tank row.
TEST_F(TankSelectTest, CommandsStandBelowWhatTheyActOn) {
    openWindow();
    const struct {
        const char* group;
        std::vector<const char*> controls; // the list or grid first
    } groups[] = {
        {"Companies", {"List_Company", "Cmd_AddCompany", "Cmd_EditCompany", "Cmd_DeleteCompany"}},
        {"Locations",
         {"List_Location", "Cmd_AddLocation", "Cmd_EditLocation", "Cmd_DeleteLocation"}},
        {"Tanks at this Location", {"Grid_Tanks", "Cmd_DeleteTank"}},
    };
    for (const auto& g : groups) {
        const QWidget* content = find(g.controls[0]);
        auto* box = qobject_cast<const QGroupBox*>(content->parentWidget());
        ASSERT_NE(box, nullptr) << g.group;
        EXPECT_EQ(box->title(), QLatin1String(g.group));
        int left = -1;
        for (std::size_t i = 1; i < g.controls.size(); ++i) {
            const QWidget* button = find(g.controls[i]);
            EXPECT_EQ(button->parentWidget(), box) << g.controls[i];
            EXPECT_GT(button->y(), content->geometry().bottom()) << g.controls[i];
            EXPECT_GT(button->x(), left) << g.controls[i];
            left = button->x();
        }
    }
    EXPECT_EQ(find<QLabel>("LabelSelectHint")->text(),
              QStringLiteral("Double-click a company, then one of its locations, then a tank or "
                             "\"New Tank for this Location\"."));
}

TEST_F(TankSelectTest, EmptyDatabaseOffersOnlyAddCompany) {
    test::TestDatabase empty;
    session.DatabaseName = empty.path();
    openWindow();
    EXPECT_TRUE(listTexts("List_Company").isEmpty());
    EXPECT_FALSE(find("Cmd_EditCompany")->isEnabled());
    EXPECT_TRUE(find("Cmd_AddCompany")->isEnabled());
}

TEST_F(TankSelectTest, CompanyThenLocationFillTheGrid) {
    openWindow();
    t.pointer.changes.clear();
    doubleClickList("List_Company", 0);
    EXPECT_EQ(session.CurCompanyID, gulf);
    EXPECT_EQ(session.SQLString,
              QStringLiteral("SELECT * FROM Location WHERE CompanyID = %1").arg(gulf));
    EXPECT_EQ(listTexts("List_Location"), (QStringList{"Port Arthur", "Beaumont"}));
    EXPECT_TRUE(find("List_Location")->isEnabled());
    EXPECT_TRUE(find("Cmd_AddLocation")->isEnabled());
    EXPECT_TRUE(find("Cmd_EditLocation")->isEnabled());
    EXPECT_TRUE(find("List_Location")->hasFocus());
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false}));

    doubleClickList("List_Location", 0);
    EXPECT_EQ(session.CurLocationID, portArthur);
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_TRUE(grid()->hasFocus());
    EXPECT_EQ(gridColumn(0),
              (QStringList{"New Tank for this Location", "T-101", "T-102", "O'Brien #3"}));
    EXPECT_EQ(gridColumn(1), (QStringList{"", "Dike 1", "", ""}));
    EXPECT_EQ(gridColumn(2), (QStringList{"", "LST-2187", "", "S-3"}));
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{false, false, false, false}));
    EXPECT_FALSE(find("Cmd_Print")->isEnabled());

    // A location without tanks: only the "New Tank" row.
    doubleClickList("List_Location", 1);
    EXPECT_EQ(session.CurLocationID, beaumont);
    EXPECT_EQ(gridColumn(0), (QStringList{"New Tank for this Location"}));

    // A company without locations leaves the locations and the grid empty and disabled.
    doubleClickList("List_Company", 1);
    EXPECT_EQ(session.CurCompanyID, prairie);
    EXPECT_TRUE(listTexts("List_Location").isEmpty());
    EXPECT_FALSE(find("List_Location")->isEnabled());
    EXPECT_FALSE(find("Cmd_EditLocation")->isEnabled());
    EXPECT_TRUE(find("Cmd_AddLocation")->isEnabled());
    EXPECT_FALSE(grid()->isEnabled());
    EXPECT_EQ(grid()->model()->rowCount(), 0);
}

TEST_F(TankSelectTest, EnterChoosesAsADoubleClickDoes) {
    openWindow();
    auto* companies = find<QListWidget>("List_Company");
    companies->setFocus();
    companies->setCurrentRow(0);
    QTest::keyClick(companies, Qt::Key_Return);
    auto* locations = find<QListWidget>("List_Location");
    locations->setCurrentRow(0);
    QTest::keyClick(locations, Qt::Key_Return);
    EXPECT_EQ(grid()->model()->rowCount(), 4);
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_TRUE(session.RecordMode);
    EXPECT_EQ(session.CurTankID, t101);
    EXPECT_EQ(box("Text_TankID")->text(), QStringLiteral("T-101"));
}

TEST_F(TankSelectTest, SingleClicksChooseTheTankToPrint) {
    openWindow();
    chooseLocation(0, 0);
    clickGridRow(2);
    EXPECT_EQ(session.CurTankID, t102);
    EXPECT_EQ(session.CurLocationID, portArthur);
    EXPECT_TRUE(find("Cmd_Print")->isEnabled());
    clickGridRow(0); // "New Tank for this Location"
    EXPECT_FALSE(find("Cmd_Print")->isEnabled());
    clickGridRow(3);
    EXPECT_EQ(session.CurTankID, t103);
    EXPECT_TRUE(find("Cmd_Print")->isEnabled());
    click("Cmd_Print"); // the Print Dialog, told it is the tank window asking
    EXPECT_EQ(t.reports.topics, std::vector<int>{10});
    // Choosing the location again clears the choice.
    doubleClickList("List_Location", 0);
    EXPECT_FALSE(find("Cmd_Print")->isEnabled());
}

TEST_F(TankSelectTest, TanksWithAnInspectionDueAreMarkedRed) {
    const qint32 yard = file.addLocation(prairie, QStringLiteral("Yard"));
    const auto tank = [&](const char* name, const char* freqField, double freq,
                          const char* lastField, const char* last) {
        QVariantMap v{{QString::fromLatin1(freqField), freq}};
        if (*last)
            v.insert(QString::fromLatin1(lastField), QString::fromLatin1(last));
        addTank(yard, QString::fromLatin1(name), v);
    };
    tank("5 years from 2019", "ExternalFreq", 5, "ExternalLast", "20/Nov/2019");
    tank("6 months from last March", "UTFreq", -6, "UTLast", "10/Mar/2023");
    tank("internal due next year", "InternalFreq", 10, "InternalLast", "01/Jan/2015");
    tank("no frequency", "PriSealFreq", 0, "PriSealLast", "01/Jan/1990");
    tank("no last date", "SecSealFreq", 1, "SecSealLast", "");
    tank("due end of this year", "SecSealFreq", -12, "SecSealLast", "31/Dec/2023");
    const std::vector<bool> marked{true, true, false, false, false, true};

    openWindow();
    chooseLocation(1, 0);
    ASSERT_EQ(grid()->model()->rowCount(), 7);
    for (int r = 1; r <= 6; ++r) {
        const QVariant background = grid()->model()->index(r, 0).data(Qt::BackgroundRole);
        EXPECT_EQ(background.isValid(), marked[static_cast<std::size_t>(r - 1)])
            << gridColumn(0)[r].toStdString();
        if (background.isValid()) {
            EXPECT_EQ(background.value<QBrush>().color(), QColor(255, 0, 0));
        }
        EXPECT_FALSE(grid()->model()->index(r, 1).data(Qt::BackgroundRole).isValid());
    }
    EXPECT_FALSE(grid()->model()->index(0, 0).data(Qt::BackgroundRole).isValid());

    // On 1 January the whole calendar year counts.
    t.clock.setToday(QDate(2024, 1, 1));
    doubleClickList("List_Location", 0);
    EXPECT_TRUE(grid()->model()->index(6, 0).data(Qt::BackgroundRole).isValid());
    t.clock.setToday(QDate(2023, 12, 31));
    doubleClickList("List_Location", 0);
    EXPECT_FALSE(grid()->model()->index(6, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(grid()->model()->index(1, 0).data(Qt::BackgroundRole).isValid());
}

TEST_F(TankSelectTest, ManyTanksAreAllListed) {
    const qint32 farm = file.addLocation(prairie, QStringLiteral("Farm"));
    Database db = file.open();
    ASSERT_TRUE(db.transaction([&]() -> Status {
                      for (int i = 0; i < 150; ++i)
                          if (auto q = db.exec(QStringLiteral("INSERT INTO Tank (LocationID, "
                                                              "Name) VALUES (?, ?)"),
                                               {farm, QStringLiteral("F-%1").arg(i)});
                              !q)
                              return q.takeError();
                      return {};
                  }).ok());
    openWindow();
    chooseLocation(1, 0);
    ASSERT_EQ(grid()->model()->rowCount(), 151);
    EXPECT_EQ(gridColumn(0).last(), QStringLiteral("F-149"));
    doubleClickGridRow(150);
    EXPECT_EQ(box("Text_TankID")->text(), QStringLiteral("F-149"));
}

TEST_F(TankSelectTest, TankHeldByAnotherProgramIsNotOpened) {
    test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(), t102);
    ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
    openWindow();
    chooseLocation(0, 0);
    const QStringList before = gridColumn(0);
    t.prompts.answerMessage();
    doubleClickGridRow(2);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    const auto& m = t.prompts.messages()[0];
    EXPECT_EQ(m.title, QStringLiteral("Error Accessing Record"));
    EXPECT_TRUE(m.text.contains(QStringLiteral("Tank \"T-102\"")) &&
                m.text.contains(QStringLiteral("being edited")))
        << m.text.toStdString();
    EXPECT_EQ(m.icon, Icon::Exclamation);
    EXPECT_FALSE(session.RecordMode);
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_EQ(gridColumn(0), before);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(box("Text_TankID")->text().isEmpty());

    // Once the other program is done, the tank opens.
    holder.finishEdit();
    doubleClickGridRow(2);
    EXPECT_TRUE(session.RecordMode);
    EXPECT_EQ(box("Text_TankID")->text(), QStringLiteral("T-102"));
}

TEST_F(TankSelectTest, TankDeletedMeanwhileIsNotOpened) {
    openWindow();
    chooseLocation(0, 0);
    ASSERT_TRUE(file.open().exec(QStringLiteral("DELETE FROM Tank WHERE TankID = ?"), {t103}).ok());
    t.prompts.answerMessage();
    doubleClickGridRow(3);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Error Accessing Record"));
    EXPECT_FALSE(session.RecordMode);
    EXPECT_TRUE(grid()->isEnabled());
}

// Drives a company or location dialog: types into its boxes and presses a button.
test::ScriptedWindows::Driver fill(const char* expectedForm,
                                   std::vector<std::pair<const char*, QString>> boxes,
                                   const char* button) {
    return [=](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName().toStdString(), expectedForm);
        for (const auto& [name, text] : boxes) {
            auto* b = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
            if (!b) {
                ADD_FAILURE() << name;
                continue;
            }
            b->selectAll();
            QTest::keyClicks(b, text);
        }
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
        return dialog.result();
    };
}

TEST_F(TankSelectTest, AddCompanyReloadsTheList) {
    openWindow();
    doubleClickList("List_Company", 1);
    t.windows.expect(fill("Form9", {{"Text_Company", QStringLiteral("Blue Heron")}}, "Cmd_OK"));
    t.pointer.changes.clear();
    click("Cmd_AddCompany");
    EXPECT_EQ(t.windows.shown(), 1);
    EXPECT_EQ(listTexts("List_Company"), (QStringList{"Gulf Plains", "Prairie", "Blue Heron"}));
    EXPECT_EQ(find<QListWidget>("List_Company")->currentRow(), 1); // still highlighted
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false, true, false}));

    // Cancelled: no row, the same list.
    t.windows.expect(fill("Form9", {{"Text_Company", QStringLiteral("Never")}}, "Cmd_Cancel"));
    click("Cmd_AddCompany");
    EXPECT_EQ(listTexts("List_Company"), (QStringList{"Gulf Plains", "Prairie", "Blue Heron"}));
    EXPECT_EQ(file.count(QStringLiteral("Company")), 3);
    EXPECT_FALSE(session.RecordMode);
}

TEST_F(TankSelectTest, EditCompanyChangesTheRowButNotTheListUntilReloaded) {
    openWindow();
    // Nothing highlighted: no dialog (an unexpected one would fail the test).
    click("Cmd_EditCompany");
    doubleClickList("List_Company", 0);
    find<QListWidget>("List_Company")->setCurrentRow(-1);
    find<QListWidget>("List_Location")->setCurrentRow(-1);
    ASSERT_TRUE(find("Cmd_AddLocation")->isEnabled());
    click("Cmd_AddLocation");
    click("Cmd_EditLocation");
    click("Cmd_EditCompany");
    EXPECT_EQ(t.windows.shown(), 0);

    doubleClickList("List_Company", 0);
    t.windows.expect(
        fill("Form9", {{"Text_Company", QStringLiteral("Gulf Plains Refining")}}, "Cmd_OK"));
    click("Cmd_EditCompany");
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), gulf,
                         QStringLiteral("Company")),
              QVariant(QStringLiteral("Gulf Plains Refining")));
    EXPECT_EQ(listTexts("List_Company").first(), QStringLiteral("Gulf Plains"));
    EXPECT_FALSE(session.RecordMode);

    // The next add reloads the list, with the new name.
    t.windows.expect(fill("Form9", {}, "Cmd_Cancel"));
    click("Cmd_AddCompany");
    EXPECT_EQ(listTexts("List_Company").first(), QStringLiteral("Gulf Plains Refining"));
}

TEST_F(TankSelectTest, AddAndEditLocationOfTheHighlightedCompany) {
    openWindow();
    doubleClickList("List_Company", 0);
    doubleClickList("List_Location", 0);
    t.windows.expect(fill("Form10", {{"Text_Location", QStringLiteral("Nederland")}}, "Cmd_OK"));
    click("Cmd_AddLocation");
    EXPECT_EQ(listTexts("List_Location"), (QStringList{"Port Arthur", "Beaumont", "Nederland"}));
    EXPECT_EQ(file.value(QStringLiteral("Location"), QStringLiteral("Location"),
                         QStringLiteral("Nederland"), QStringLiteral("CompanyID")),
              QVariant(gulf));
    // The chosen location and its tanks stay as they were.
    EXPECT_EQ(find<QListWidget>("List_Location")->currentRow(), 0);
    EXPECT_EQ(grid()->model()->rowCount(), 4);

    find<QListWidget>("List_Location")->setCurrentRow(1);
    t.windows.expect(
        fill("Form10", {{"Text_Location", QStringLiteral("Beaumont Terminal")}}, "Cmd_OK"));
    click("Cmd_EditLocation");
    EXPECT_EQ(session.CurLocationID, beaumont);
    EXPECT_EQ(file.value(QStringLiteral("Location"), QStringLiteral("LocationID"), beaumont,
                         QStringLiteral("Location")),
              QVariant(QStringLiteral("Beaumont Terminal")));
    EXPECT_EQ(listTexts("List_Location")[1], QStringLiteral("Beaumont"));

    // The first location of a company without any: the list comes alive.
    doubleClickList("List_Company", 1);
    t.windows.expect(fill("Form10", {{"Text_Location", QStringLiteral("Cushing")}}, "Cmd_OK"));
    click("Cmd_AddLocation");
    EXPECT_EQ(listTexts("List_Location"), (QStringList{"Cushing"}));
    EXPECT_TRUE(find("List_Location")->isEnabled());
    EXPECT_TRUE(find("Cmd_EditLocation")->isEnabled());
}

TEST_F(TankSelectTest, AddLocationForAnotherHighlightedCompanyListsThatCompany) {
    openWindow();
    doubleClickList("List_Company", 0);
    doubleClickList("List_Location", 0);
    find<QListWidget>("List_Company")->setCurrentRow(1); // highlighted, not chosen
    t.windows.expect(fill("Form10", {{"Text_Location", QStringLiteral("Cushing")}}, "Cmd_OK"));
    click("Cmd_AddLocation");
    EXPECT_EQ(file.value(QStringLiteral("Location"), QStringLiteral("Location"),
                         QStringLiteral("Cushing"), QStringLiteral("CompanyID")),
              QVariant(prairie));
    EXPECT_EQ(listTexts("List_Location"), (QStringList{"Cushing"}));
    EXPECT_EQ(session.CurCompanyID, prairie);
    EXPECT_EQ(grid()->model()->rowCount(), 0);
}

TEST_F(TankSelectTest, HelpShowsTopicTwo) {
    openWindow();
    click("Cmd_Help");
    EXPECT_EQ(t.help.topics, (std::vector<int>{2}));
    EXPECT_EQ(session.HelpTopic, 2);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TankSelectTest, UnreadableDatabaseIsReportedAndTheWindowStaysUsable) {
    session.DatabaseName = file.folder() + QStringLiteral("/gone.mdb");
    t.prompts.answerMessage();
    openWindow();
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Tank Information"));
    EXPECT_TRUE(listTexts("List_Company").isEmpty());
    click("Cmd_Cancel");
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

using test::TankWindowTest;

// Gulf Plains holds Port Arthur, with T-101 (an inspection with a reading), T-102 (a TML point)
// and T-103 (a drawing), and Beaumont with nothing; Prairie holds nothing.
class DeleteTest : public TankWindowTest {
protected:
    DeleteTest() {
        const qint32 gulf = file.addCompany(QStringLiteral("Gulf Plains"));
        file.addCompany(QStringLiteral("Prairie"));
        const qint32 portArthur = file.addLocation(gulf, QStringLiteral("Port Arthur"));
        file.addLocation(gulf, QStringLiteral("Beaumont"));
        t101 = addTank(portArthur, QStringLiteral("T-101"));
        t102 = addTank(portArthur, QStringLiteral("T-102"));
        t103 = addTank(portArthur, QStringLiteral("T-103"));
        const qint32 inspection = file.add(QStringLiteral("Inspection"), {{"TankID", t101}});
        file.add(QStringLiteral("Thickness"), {{"InspectionID", inspection}, {"Reading", 0.3}});
        file.add(QStringLiteral("TML"), {{"TankID", t102}, {"PointID", "A1"}});
        file.add(QStringLiteral("TGraphic"), {{"TankID", t103}, {"GraphicLabel", "T103.svg"}});
    }
    void highlight(const char* list, int row) { find<QListWidget>(list)->setCurrentRow(row); }
    // Presses a Delete button; the answers and the messages expected are scripted first.
    std::string pressDelete(const char* button) {
        click(button);
        EXPECT_TRUE(t.prompts.allAnswered());
        return t.prompts.messages().back().text.toStdString();
    }
    qint64 historyOf(const char* table, const char* action) const {
        return file.open()
            .firstValue(QStringLiteral("SELECT count(*) FROM History WHERE TableName = ? AND "
                                       "Action = ?"),
                        {QString::fromLatin1(table), QString::fromLatin1(action)})
            ->toLongLong();
    }

    qint32 t101 = 0, t102 = 0, t103 = 0;
};

TEST_F(DeleteTest, WhatHoldsRowsIsRefusedNamingThemAndWhatHoldsNoneIsDeletedAfterAsking) {
    openWindow();
    highlight("List_Company", 0);
    t.prompts.answerMessage();
    EXPECT_EQ(pressDelete("Cmd_DeleteCompany"),
              "The company \"Gulf Plains\" cannot be deleted: it holds 2 locations, 3 tanks, 1 "
              "inspection, 1 reading, 1 drawing and 1 TML point.");
    EXPECT_EQ(t.prompts.messages().back().title, QStringLiteral("Delete Company"));

    // Prairie: No keeps it, Yes deletes it with its history.
    highlight("List_Company", 1);
    t.prompts.answerMessage(Prompts::Answer::No);
    EXPECT_EQ(pressDelete("Cmd_DeleteCompany"),
              "Delete the company \"Prairie\"? This cannot be undone.");
    EXPECT_EQ(t.prompts.messages().back().icon, Prompts::Icon::Question);
    EXPECT_EQ(file.count(QStringLiteral("Company")), 2);
    t.prompts.answerMessage(Prompts::Answer::Yes);
    pressDelete("Cmd_DeleteCompany");
    EXPECT_EQ(file.count(QStringLiteral("Company")), 1);
    EXPECT_EQ(find<QListWidget>("List_Company")->count(), 1);
    EXPECT_EQ(historyOf("Company", "deleted"), 1);

    // Locations: Port Arthur holds the tanks, Beaumont nothing.
    chooseLocation(0, 0);
    highlight("List_Location", 0);
    t.prompts.answerMessage();
    EXPECT_EQ(pressDelete("Cmd_DeleteLocation"),
              "The location \"Port Arthur\" cannot be deleted: it holds 3 tanks, 1 inspection, 1 "
              "reading, 1 drawing and 1 TML point.");
    highlight("List_Location", 1);
    t.prompts.answerMessage(Prompts::Answer::Yes);
    pressDelete("Cmd_DeleteLocation");
    EXPECT_EQ(find<QListWidget>("List_Location")->count(), 1);
    EXPECT_EQ(historyOf("Location", "deleted"), 1);

    // Tanks: each holds one kind of row; once its drawing is gone T-103 holds nothing.
    const std::pair<int, const char*> refused[] = {
        {1, "The tank \"T-101\" cannot be deleted: it holds 1 inspection and 1 reading."},
        {2, "The tank \"T-102\" cannot be deleted: it holds 1 TML point."},
        {3, "The tank \"T-103\" cannot be deleted: it holds 1 drawing."},
    };
    for (const auto& [row, message] : refused) {
        clickGridRow(row);
        t.prompts.answerMessage();
        EXPECT_EQ(pressDelete("Cmd_DeleteTank"), message);
    }
    ASSERT_TRUE(file.open().exec(QStringLiteral("DELETE FROM TGraphic")).ok());
    t.prompts.answerMessage(Prompts::Answer::Yes);
    EXPECT_EQ(pressDelete("Cmd_DeleteTank"), "Delete the tank \"T-103\"? This cannot be undone.");
    EXPECT_EQ(gridColumn(0).mid(1), (QStringList{"T-101", "T-102"}));
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 2);
    EXPECT_FALSE(find("Cmd_DeleteTank")->isEnabled());
}

// A new tank typed into the empty location is given up, after asking, before the location goes.
TEST_F(DeleteTest, DeletingTheLocationOfANewTankGivesTheTankUpFirst) {
    openWindow();
    chooseLocation(0, 1);
    doubleClickGridRow(0);
    typeInto("Text_TankID", QStringLiteral("T-900"));
    bringToFront(find("List_Location"));
    highlight("List_Location", 1);
    t.prompts.answerMessage(Prompts::Answer::Yes).answerMessage(Prompts::Answer::Ok);
    pressDelete("Cmd_DeleteLocation");
    EXPECT_EQ(t.prompts.messages().back().text,
              QStringLiteral("This will cause all changes to be ignored!"));
    EXPECT_FALSE(session.RecordMode);
    EXPECT_FALSE(grid()->isEnabled());
    EXPECT_EQ(tankTabsEnabled(), (std::vector<bool>{false, false, false, false}));
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("Location")), 1);
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 3);
}

TEST_F(DeleteTest, ATankOpenElsewhereIsNotDeleted) {
    ASSERT_TRUE(file.open().exec(QStringLiteral("DELETE FROM TGraphic")).ok());
    test::LockHolderProcess holder(QStringLiteral(LOCK_HOLDER_PATH), file.path(), t103);
    ASSERT_EQ(holder.waitForLine(), QStringLiteral("locked"));
    openWindow();
    chooseLocation(0, 0);
    clickGridRow(3);
    t.prompts.answerMessage();
    EXPECT_NE(pressDelete("Cmd_DeleteTank").find("being edited"), std::string::npos);
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 3);

    holder.finishEdit();
    t.prompts.answerMessage(Prompts::Answer::Yes);
    pressDelete("Cmd_DeleteTank");
    EXPECT_EQ(file.count(QStringLiteral("Tank")), 2);
}

} // namespace
} // namespace korvane
