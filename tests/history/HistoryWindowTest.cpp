#include "history/HistoryWindow.h"

#include "inspection/InspectionWindowFixture.h"
#include "storage/HistoryView.h"
#include "support/DamagedFile.h"
#include "support/FocusChain.h"
#include "support/TestServices.h"
#include "tank/TankWindowFixture.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QTableView>

namespace korvane {
namespace {

using test::InspectionWindowTest;

// The rows of the History window's grid from the Table column on, joined by '|'.
QStringList shownRows(QDialog& window) {
    const auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid_History"));
    QStringList rows;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = history::column::Table; c < history::column::Count; ++c)
            cells << grid->model()->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void press(QDialog& window, const char* button) {
    QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    QApplication::processEvents();
}

class TankHistoryTest : public test::TankWindowTest {
protected:
    TankHistoryTest() {
        t.history.shower = &shower;
        const qint32 company = file.addCompany(QStringLiteral("Gulf Plains"));
        const qint32 location = file.addLocation(company, QStringLiteral("Port Arthur"));
        tank = addTank(location, QStringLiteral("T-101"),
                       {{QStringLiteral("Product"), QStringLiteral("Crude Oil")},
                        {QStringLiteral("Diameter"), 1446},
                        {QStringLiteral("Height"), 480},
                        {QStringLiteral("Yield"), 30000},
                        {QStringLiteral("Capacity"), -500}});
        // No design level nor tensile strength was ever given: an OK that leaves their boxes
        // empty changes neither.
        // The rows written to set the test up are not changes of the user's.
        EXPECT_TRUE(file.open().exec(QStringLiteral("DELETE FROM History")));
    }
    qint32 tank = 0;
    HistoryWindowShower shower;
};

// A tank without changes, then two changes saved by OK: the History window shows them in the
// window's units, narrows them to one field, and exports what it shows to a new file only.
TEST_F(TankHistoryTest, ChangesSavedToATankAreShownFilteredAndExported) {
    openWindow();
    // It stands in the row of the window's commands, after Help.
    const auto* historyButton = find<QPushButton>("Cmd_History");
    const auto* help = find<QPushButton>("Cmd_Help");
    EXPECT_EQ(historyButton->text(), QStringLiteral("&History"));
    EXPECT_EQ(historyButton->y(), help->y());
    EXPECT_GT(historyButton->x(), help->x());
    EXPECT_FALSE(historyButton->isEnabled());
    chooseLocation(0, 0);
    doubleClickGridRow(1);
    ASSERT_TRUE(find<QPushButton>("Cmd_History")->isEnabled());
    t.windows.expect([](QDialog& shown) {
        EXPECT_EQ(shown.objectName(), QStringLiteral("FormHistory"));
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("History - Tank T-101"));
        EXPECT_TRUE(shownRows(shown).isEmpty());
        const auto* none = shown.findChild<QLabel*>(QStringLiteral("Label_Empty"));
        EXPECT_FALSE(none->isHidden());
        EXPECT_EQ(none->text(), QStringLiteral("No changes are recorded for this tank."));
        EXPECT_FALSE(shown.findChild<QPushButton*>(QStringLiteral("Cmd_Export"))->isEnabled());
        press(shown, "Cmd_Close");
        return shown.result();
    });
    click("Cmd_History");

    typeInto("Text_Product", QStringLiteral("Diesel"));
    t.prompts.answerInput(QStringLiteral("121")).answerInput(QStringLiteral("0"));
    typeKeys("Text_Diameter", QStringLiteral("121F"));
    click("Cmd_OK");
    ASSERT_FALSE(window->isVisible());

    openTank();
    const QString exported = file.folder() + QStringLiteral("/t101.csv");
    t.windows.expect([&](QDialog& shown) {
        test::showActive(shown);
        test::expectTabOrderFollowsLayout(shown);
        QStringList rows = shownRows(shown);
        rows.sort();
        EXPECT_EQ(rows, QStringList({"Tank|T-101|changed|Diameter|120.50 ft.|121.00 ft.",
                                     "Tank|T-101|changed|Product|Crude Oil|Diesel"}));
        EXPECT_TRUE(shown.findChild<QLabel*>(QStringLiteral("Label_Empty"))->isHidden());
        auto* fields = shown.findChild<QComboBox*>(QStringLiteral("List_Field"));
        auto* people = shown.findChild<QComboBox*>(QStringLiteral("List_Person"));
        EXPECT_EQ(fields->itemText(0), QStringLiteral("(All fields)"));
        EXPECT_EQ(fields->count(), 3);
        EXPECT_EQ(people->itemText(0), QStringLiteral("(Everyone)"));
        EXPECT_EQ(people->count(), 2);
        fields->setCurrentIndex(fields->findText(QStringLiteral("Diameter")));
        EXPECT_EQ(shownRows(shown),
                  QStringList({"Tank|T-101|changed|Diameter|120.50 ft.|121.00 ft."}));
        people->setCurrentIndex(1);
        EXPECT_EQ(shownRows(shown).size(), 1);

        // A file that cannot be made, an existing file (refused), then a new one.
        t.prompts.answerSaveFile(file.folder() + QStringLiteral("/no such folder/x.csv"))
            .answerMessage();
        press(shown, "Cmd_Export");
        t.prompts.answerSaveFile(exported);
        press(shown, "Cmd_Export");
        t.prompts.answerSaveFile(exported).answerMessage();
        press(shown, "Cmd_Export");
        press(shown, "Cmd_Close");
        return shown.result();
    });
    click("Cmd_History");

    ASSERT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Export History"));
    EXPECT_TRUE(t.prompts.messages()[0].text.contains(QStringLiteral("could not be written")))
        << t.prompts.messages()[0].text.toStdString();
    EXPECT_EQ(t.prompts.messages()[1].text,
              QStringLiteral("\"t101.csv\" already exists. An export never replaces a file: "
                             "choose another name."));
    EXPECT_EQ(t.prompts.saveDialogs().size(), 3u);

    QFile csv(exported);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString(); // the last one is empty
    EXPECT_EQ(lines[0], QStringLiteral(
                            "When,When (UTC),Who,Computer,Table,Record,Action,Field,Before,After"));
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral(",Tank,T-101,changed,Diameter,120.50 ft.,121.00 ft.")))
        << lines[1].toStdString();
    const QDateTime when = QDateTime::fromString(lines[1].section(',', 1, 1), Qt::ISODateWithMs);
    EXPECT_TRUE(when.isValid() && when.timeSpec() == Qt::UTC) << lines[1].toStdString();
    EXPECT_LT(qAbs(when.secsTo(QDateTime::currentDateTimeUtc())), 3600);
    EXPECT_EQ(lines[2], QString());
}

// A new inspection has no history until its first reading stores it; the reading's row then
// shows, in the window's metric units.
TEST_F(InspectionWindowTest, AReadingAddedShowsInTheInspectionsHistory) {
    HistoryWindowShower shower;
    t.history.shower = &shower;
    session.UnitsUS = false;
    openInspection(0);
    EXPECT_FALSE(find<QPushButton>("Cmd_History")->isEnabled());
    typeKeys("Text_INum", QStringLiteral("I-8"));
    click("Cmd_AddThickness");
    EXPECT_TRUE(find<QPushButton>("Cmd_History")->isEnabled());
    typeInto("Text_TTakenBy", QStringLiteral("A. Smith"));
    typeInto("Text_TDateTaken", QStringLiteral("13/3/24"));
    enterReading(1, QStringLiteral("F-1"), QStringLiteral("6.35"), "Cmd_Done");

    QStringList rows;
    t.windows.expect([&](QDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("History - Inspection I-8"));
        rows = shownRows(shown);
        return 0;
    });
    click("Cmd_History");
    EXPECT_EQ(rows, QStringList({"Reading for Thickness|F-1|added|||Point ID: F-1; Course: Floor; "
                                 "Thickness: 6.35 mm; Date Taken: 13/Mar/2024; Taken By: A. Smith",
                                 "Inspection|I-8|added|||Inspection No.: I-8; Inspection Type: "
                                 "Monthly"}));
}

// A history whose rows cannot all be read (its pages damaged part way through) is not shown as
// the rows read before the damage: no window opens, and the message gives the engine's words.
TEST(HistoryWindow, AHistoryThatCannotBeReadToItsEndIsAnErrorNotAShorterList) {
    test::TestDatabase file;
    const qint32 tank = test::addTankWithLongHistory(file);
    auto readBefore = test::damageMiddleOfTable(file.path(), QStringLiteral("History"));
    ASSERT_TRUE(readBefore.ok() && *readBefore > 0);
    test::TestServices t;
    Session session;
    session.DatabaseName = file.path();
    QWidget opener;
    t.prompts.answerMessage();
    showHistory(opener, session, t.services, HistoryOf::Tank, tank, QStringLiteral("T-1"));
    EXPECT_EQ(t.windows.shown(), 0);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].title, QStringLiteral("Error Accessing Record"));
    EXPECT_TRUE(t.prompts.messages()[0].text.contains(
        QStringLiteral("The database engine reported: database disk image is malformed")))
        << t.prompts.messages()[0].text.toStdString();
}

// Every cell of every row as the grid shows it, with its tool tip: a value with line breaks
// shows on one line, and a value longer than forty characters shows whole in its tool tip.
TEST(HistoryWindow, EveryCellShowsOnOneLineAndALongValueWholeInItsToolTip) {
    test::TestServices t;
    Session session;
    HistoryWindow window(session, t.services, QStringLiteral("Tank T-1"), QStringLiteral("None."));
    const QString forty(40, QLatin1Char('x'));
    const QString fortyOne = forty + QLatin1Char('y');
    const auto changed = [](QDateTime when, const char* user, const char* databaseUser,
                            const char* field, const QString& before, const QString& after) {
        history::Entry e;
        e.when = when;
        e.userName = QString::fromLatin1(user);
        e.databaseUser = QString::fromLatin1(databaseUser);
        e.computer = QStringLiteral("plant-pc");
        e.table = QStringLiteral("Tank");
        e.rowLabel = QStringLiteral("T-1");
        e.field = QString::fromLatin1(field);
        e.before = before;
        e.after = after;
        return e;
    };
    std::vector<history::Entry> entries{
        changed(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59), Qt::UTC), "anna", "inspections",
                "Product", QStringLiteral("Crude Oil\r\n  light"), QStringLiteral("Diesel")),
        changed(QDateTime(QDate(2024, 6, 15), QTime(0, 0, 0), Qt::UTC), "jsmith", "", "Custom1",
                forty, fortyOne),
        changed(QDateTime(QDate(2024, 6, 15), QTime(0, 0, 0), Qt::UTC), "jsmith", "jsmith",
                "Diameter", QStringLiteral("1446"), QString())};
    history::DisplayContext context;
    context.unitsUS = false;
    context.zone = QTimeZone(3600);
    window.setEntries(entries, context);

    const auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid_History"));
    QStringList shown, tips;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QModelIndex cell = grid->model()->index(r, c);
            cells << cell.data().toString();
            if (const QString tip = cell.data(Qt::ToolTipRole).toString(); !tip.isEmpty())
                tips << QStringLiteral("%1,%2: %3").arg(r).arg(c).arg(tip);
        }
        shown << cells.join(QLatin1Char('|'));
    }
    EXPECT_EQ(shown, QStringList({"01/Jan/2025 00:59:59|anna (inspections)|plant-pc|Tank|T-1|"
                                  "changed|Product|Crude Oil light|Diesel",
                                  "15/Jun/2024 01:00:00|jsmith|plant-pc|Tank|T-1|changed|"
                                  "Custom Field 1|" +
                                      forty + "|" + fortyOne,
                                  "15/Jun/2024 01:00:00|jsmith|plant-pc|Tank|T-1|changed|"
                                  "Diameter|36.73 meters|"}));
    EXPECT_EQ(tips, QStringList({"0,7: Crude Oil\r\n  light", "1,8: " + fortyOne}));
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"When", "Who", "Computer", "Table", "Record", "Action", "Field",
                                   "Before", "After"}));
}

} // namespace
} // namespace korvane
