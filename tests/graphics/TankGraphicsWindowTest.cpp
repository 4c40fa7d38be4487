#include "graphics/TankGraphicsWindow.h"

#include "assessment/AssessmentStatus.h"
#include "drawing/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "graphics/DrawingTabDriver.h"
#include "support/ActiveWindow.h"
#include "support/FocusChain.h"
#include "support/PdfText.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"
#include "support/WindowDriver.h"

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QSqlQuery>
#include <QTableView>

#include <memory>

namespace korvane::test {
namespace {

using Answer = Prompts::Answer;

// Gulf Plains has Port Arthur with T-101, whose point "O'Neil-1" was read in three
// inspections (the latest 0.25 in), and T-202. The windows' page folders are made in a folder
// of the test, so that the test can see every file they write.
class TankGraphicsWindowTest : public testing::Test, public WindowDriver {
protected:
    TankGraphicsWindowTest() {
        session.DatabaseName = file.path();
        gulf = file.addCompany(QStringLiteral("Gulf Plains"));
        portArthur = file.addLocation(gulf, QStringLiteral("Port Arthur"));
        t101 = file.addTank(portArthur, QStringLiteral("T-101"));
        t202 = file.addTank(portArthur, QStringLiteral("T-202"));
        for (const auto& [date, reading, number] : {std::tuple{"01/Mar/2021", 0.31, "2021-01"},
                                                    std::tuple{"02/Apr/2024", 0.25, "2024-02"},
                                                    std::tuple{"03/May/2022", 0.28, "2022-01"}}) {
            const qint32 inspection =
                file.add(QStringLiteral("Inspection"),
                         {{"TankID", t101}, {"InspectionNum", number}, {"InspectionDate", date}});
            file.add(QStringLiteral("Thickness"), {{"InspectionID", inspection},
                                                   {"PointID", "O'Neil-1"},
                                                   {"DateTaken", date},
                                                   {"Reading", reading}});
        }
        temp = file.folder() + QStringLiteral("/tmp");
        QDir().mkpath(temp);
        oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.toLocal8Bit());
    }
    ~TankGraphicsWindowTest() override { qputenv("TMPDIR", oldTemp); }

    std::unique_ptr<TankGraphicsWindow> openWindow(int tankRow = 0) {
        auto window = std::make_unique<TankGraphicsWindow>(session, t.services);
        driven = window.get();
        showActive(*window);
        chooseLocation(0, 0);
        doubleClickRow(find<QTableView>("Grid_Tanks"), tankRow);
        return window;
    }
    DrawingSurface& surface(int n) const {
        return *find<DrawingSurface>(QStringLiteral("Surface%1").arg(n).toLatin1().constData());
    }
    void tool(const char* tools, int index) {
        find<QAbstractButton>(
            QStringLiteral("%1_%2").arg(QLatin1String(tools)).arg(index).toLatin1().constData())
            ->click();
    }
    // Draws a box with the mouse and leaves it selected (an empty box is picked by its edge).
    void drawBox(int n, const char* tools, QPointF from, QPointF to) {
        SurfaceDriver mouse(surface(n));
        tool(tools, 2);
        mouse.drag(from, to);
        tool(tools, 0);
        mouse.click({from.x(), (from.y() + to.y()) / 2});
    }
    QPushButton* pagerButton(const char* pager, const char* which) const {
        return find<QPushButton>(
            (QLatin1String(pager) + QLatin1Char('_') + QLatin1String(which)).toLatin1());
    }
    // One click on the pager's next (or previous) button.
    void nextPage(const char* pager, const char* which = "Next") {
        QTest::mouseClick(pagerButton(pager, which), Qt::LeftButton);
        QApplication::processEvents();
    }
    void previousPage(const char* pager) { nextPage(pager, "Previous"); }
    // Add, the three boxes typed in order, and Accept, for the selected element of the roof
    // and floor page.
    void addPoint(const QString& pointId, const QString& x = QStringLiteral("1"),
                  const QString& y = QStringLiteral("2")) {
        click("Cmd_RFAdd");
        typeKeys("Text_RFPointID", pointId);
        typeKeys("Text_RFX", x);
        typeKeys("Text_RFY", y);
        click("Cmd_RFAccept");
    }
    // The point ID and coordinates the boxes show while the pointer is over a point.
    QStringList shownPoint(DrawingSurface& s, QPointF at, const char* letters = "RF") {
        SurfaceDriver mouse(s);
        mouse.hover({990, 990});
        mouse.hover(at);
        QStringList shown;
        for (const char* field : {"PointID", "X", "Y"})
            shown << text(QStringLiteral("Text_%1%2")
                              .arg(QLatin1String(letters), QLatin1String(field))
                              .toLatin1()
                              .constData());
        mouse.hover({990, 990});
        return shown;
    }
    QStringList pointIds() const {
        QStringList ids;
        const Database db = file.open();
        auto rows = db.exec(QStringLiteral("SELECT PointID FROM TML ORDER BY 1"));
        while (rows && rows->next())
            ids << rows->value(0).toString();
        return ids;
    }
    QStringList storedLabels(qint32 tank) const {
        QStringList labels;
        const Database db = file.open();
        auto rows = db.exec(QStringLiteral("SELECT GraphicLabel, GraphicType FROM "
                                           "TGraphic WHERE TankID = ? ORDER BY 1"),
                            {tank});
        while (rows && rows->next())
            labels << rows->value(0).toString() + QLatin1Char('/') + rows->value(1).toString();
        return labels;
    }
    // Every file under the folder the windows make their page folders in.
    QStringList tempFiles() const {
        QStringList files;
        QDirIterator it(temp, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(temp).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& m : t.prompts.messages())
            texts << m.title + QStringLiteral(": ") + m.text;
        return texts;
    }
    QString prefix(qint32 tank) const {
        return QStringLiteral("C%1_L%2_T%3").arg(gulf).arg(portArthur).arg(tank);
    }

    TestDatabase file;
    TestServices t;
    Session session;
    qint32 gulf = 0, portArthur = 0, t101 = 0, t202 = 0;
    QString temp;
    QByteArray oldTemp;
};

TEST_F(TankGraphicsWindowTest, APointIsMarkedShownMeasuredAndDeleted) {
    auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tank Graphics - T-101"));
    EXPECT_EQ(tabs()->currentIndex(), TankGraphicsWindow::TabRoofFloor);
    DrawingSurface& s = surface(1);
    SurfaceDriver mouse(s);

    // Add needs exactly one selected element.
    tool("Opt_RFDraw", 0);
    t.prompts.answerMessage();
    click("Cmd_RFAdd");
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_RFAdd");
    EXPECT_TRUE(box("Text_RFPointID")->isEnabled());
    EXPECT_FALSE(box("Text_RFX")->isEnabled());
    typeKeys("Text_RFPointID", QStringLiteral("O'Neil-1"));
    EXPECT_FALSE(find<QPushButton>("Cmd_RFAdd")->isEnabled());
    typeKeys("Text_RFX", QStringLiteral("12 ft"));
    EXPECT_FALSE(find<QPushButton>("Cmd_RFAccept")->isEnabled());
    typeKeys("Text_RFY", QStringLiteral("4.5"));
    t.prompts.answerMessage().answerMessage();
    mouse.click({700, 700});
    click("Cmd_RFAccept"); // nothing selected
    mouse.click({100, 150});
    click("Cmd_RFAccept"); // X is not a number
    EXPECT_EQ(file.count(QStringLiteral("TML")), 0);
    box("Text_RFX")->setText(QStringLiteral("12"));
    click("Cmd_RFAccept");
    EXPECT_EQ(file.count(QStringLiteral("TML")), 0); // held by the window until OK
    EXPECT_EQ(s.ElementText(), QStringLiteral("O'Neil-1"));
    EXPECT_TRUE(s.ElementHotSpot());
    EXPECT_FALSE(box("Text_RFPointID")->isEnabled());

    // Passing over the point shows its row, read-only; leaving it clears the boxes.
    mouse.hover({700, 700});
    mouse.hover({100, 150});
    EXPECT_EQ(QStringList({text("Text_RFPointID"), text("Text_RFX"), text("Text_RFY")}),
              QStringList({"O'Neil-1", "12", "4.5"}));
    EXPECT_TRUE(box("Text_RFX")->isReadOnly());
    mouse.hover({700, 700});
    EXPECT_EQ(text("Text_RFPointID"), QString());

    // A click shows the latest of the three readings in the panel, in inches or millimetres,
    // with its date and inspection; it stays there when the pointer moves on.
    auto* thickness = find<QLabel>("Label_RFThickness");
    EXPECT_EQ(thickness->text(), QString());
    mouse.click({100, 150});
    mouse.hover({700, 700});
    EXPECT_EQ(thickness->text(), QStringLiteral("O'Neil-1: 0.250 in. on 02/Apr/2024, "
                                                "inspection 2024-02"));
    session.UnitsUS = false;
    mouse.click({100, 150});
    EXPECT_EQ(thickness->text(),
              QStringLiteral("O'Neil-1: 6.35 mm on 02/Apr/2024, inspection 2024-02"));
    // Trend charts the readings of the point clicked last.
    t.windows.expect([](QDialog& trend) {
        EXPECT_EQ(trend.windowTitle(), QStringLiteral("Trend - T-101 - O'Neil-1"));
        const QString summary =
            trend.findChild<QLabel*>(QStringLiteral("Label_Summary"))->text().section(u'\n', 0, 0);
        EXPECT_TRUE(summary.startsWith(QStringLiteral("Point O'Neil-1")));
        EXPECT_TRUE(summary.endsWith(QStringLiteral("3 readings, the latest 6.35 mm on "
                                                    "02/Apr/2024")))
            << summary.toStdString();
        return 0;
    });
    click("Cmd_RFTrend");
    EXPECT_EQ(t.windows.shown(), 1);
    session.UnitsUS = true;

    // The same point accepted on the floor page moves the one row there.
    t.prompts.answerMessage(Answer::Yes); // save the roof page before turning it
    EXPECT_EQ(find<QLabel>("Label_RFPage")->text(), QStringLiteral("Roof"));
    nextPage("HScroll_RF");
    EXPECT_EQ(find<QLabel>("Label_RFPage")->text(), QStringLiteral("Floor"));
    drawBox(1, "Opt_RFDraw", {500, 500}, {600, 600});
    click("Cmd_RFAdd");
    typeKeys("Text_RFPointID", QStringLiteral("O'Neil-1"));
    typeKeys("Text_RFX", QStringLiteral("30"));
    typeKeys("Text_RFY", QStringLiteral("40"));
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_RFAccept");
    EXPECT_EQ(shownPoint(s, {500, 550}), QStringList({"O'Neil-1", "30", "40"}));

    // Delete asks, then removes the row and the element; Cancel keeps both.
    const int elements = s.SelectedCount(5);
    t.prompts.answerMessage(Answer::Cancel).answerMessage(Answer::Ok);
    mouse.key(Qt::Key_Delete);
    EXPECT_EQ(s.SelectedCount(5), elements);
    mouse.key(Qt::Key_Delete);
    EXPECT_EQ(s.SelectedCount(5), elements - 1);

    // Back on the roof (the floor saved without its point), the point's element is still there
    // but its row is gone: it stays.
    t.prompts.answerMessage(Answer::Yes).answerMessage(Answer::Ok);
    previousPage("HScroll_RF");
    EXPECT_EQ(thickness->text(), QString()); // a new page: no point clicked on it yet
    tool("Opt_RFDraw", 0);
    mouse.click({100, 150});
    const int roofElements = s.SelectedCount(5);
    mouse.key(Qt::Key_Delete);
    EXPECT_EQ(s.SelectedCount(5), roofElements);
    EXPECT_EQ(s.ElementText(), QStringLiteral("O'Neil-1"));
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("TML")), 0);
    EXPECT_EQ(storedLabels(t101),
              QStringList({prefix(t101) + "_Floor.tmp/1", prefix(t101) + "_Roof.tmp/1"}));

    EXPECT_EQ(messages(),
              QStringList({"Selection Error: No object is selected!",
                           "Selection Error: No object is selected!",
                           "Tank Graphics - T-101: The X Coordinate must be a number.",
                           "Save Graphic: You are changing graphic displays.\nDo you wish to save "
                           "this graphic?",
                           "Duplication Warning: PointID - O'Neil-1 already exists.",
                           "Graphic Element Deletion: The selected element has data associated "
                           "with it that will be deleted!",
                           "Graphic Element Deletion: The selected element has data associated "
                           "with it that will be deleted!",
                           "Save Graphic: You are changing graphic displays.\nDo you wish to save "
                           "this graphic?",
                           "Graphic Element Deletion: The selected element has data associated "
                           "with it that will be deleted!"}));
}

// From the keyboard: Escape in an entry box abandons the entry and leaves the window open;
// Return accepts it once every box is filled, and does nothing before.
TEST_F(TankGraphicsWindowTest, ReturnAcceptsAndEscapeAbandonsAnEntry) {
    auto window = openWindow();
    DrawingSurface& s = surface(1);
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_RFAdd");
    typeKeys("Text_RFPointID", QStringLiteral("R-1"));
    QTest::keyClick(box("Text_RFPointID"), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(box("Text_RFPointID")->isEnabled());
    EXPECT_EQ(text("Text_RFPointID"), QString());
    EXPECT_TRUE(find<QPushButton>("Cmd_RFAdd")->isEnabled());
    EXPECT_FALSE(s.ElementHotSpot());

    click("Cmd_RFAdd");
    typeKeys("Text_RFPointID", QStringLiteral("R-1"));
    typeKeys("Text_RFX", QStringLiteral("3"));
    QTest::keyClick(box("Text_RFX"), Qt::Key_Return); // Y still empty
    EXPECT_TRUE(box("Text_RFX")->isEnabled());
    EXPECT_FALSE(s.ElementHotSpot());
    typeKeys("Text_RFY", QStringLiteral("4"));
    QTest::keyClick(box("Text_RFY"), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(box("Text_RFPointID")->isEnabled());
    EXPECT_EQ(s.ElementText(), QStringLiteral("R-1"));
    EXPECT_TRUE(s.ElementHotSpot());
}

TEST_F(TankGraphicsWindowTest, ShellPagesAreStoredByOkAndComeBackByteForByte) {
    auto window = openWindow();
    t.prompts.answerMessage(Answer::Yes); // page 1: a rollout
    tabs()->setCurrentIndex(TankGraphicsWindow::TabShell);
    EXPECT_EQ(find<QLabel>("Graph_CountS")->text(), QStringLiteral("1 of 2"));
    drawBox(2, "Opt_SDraw", {100, 100}, {300, 200});
    t.prompts.answerMessage(Answer::Yes).answerMessage(Answer::No); // save; page 2: a plate
    nextPage("HScroll_S");
    EXPECT_EQ(find<QLabel>("Graph_CountS")->text(), QStringLiteral("2 of 3"));
    EXPECT_TRUE(find<QAbstractButton>("Opt_SType_1")->isChecked());
    EXPECT_EQ(surface(2).SelectedCount(5), 1); // the background alone
    t.prompts.answerMessage(Answer::No);       // page 3: a plate, saved by its button
    nextPage("HScroll_S");
    drawBox(2, "Opt_SDraw", {400, 400}, {500, 450});
    click("Cmd_Save2");
    EXPECT_EQ(surface(2).EditMode(), 0);
    click("Cmd_OK");
    EXPECT_EQ(storedLabels(t101),
              QStringList({prefix(t101) + "_S01.tmp/1", prefix(t101) + "_S53.tmp/2"}));
    const QString stored =
        file.value("TGraphic", "GraphicLabel", prefix(t101) + "_S01.tmp", "Graphic").toString();
    window.reset();
    EXPECT_EQ(tempFiles(), QStringList()); // the page folder went with the window

    window = openWindow();
    tabs()->setCurrentIndex(TankGraphicsWindow::TabShell); // page 1 is stored: no question
    EXPECT_EQ(find<QLabel>("Graph_CountS")->text(), QStringLiteral("1 of 4"));
    const QStringList files = tempFiles(); // only the page shown is written out
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(fileBytes(QDir(temp).filePath(files[0])), stored.toUtf8());
    EXPECT_EQ(surface(2).SelectedCount(5), 2);
    const QString again = QDir(temp).filePath(QStringLiteral("again.svg"));
    ASSERT_TRUE(surface(2).SaveDrawing(again));
    EXPECT_EQ(fileBytes(again), stored.toUtf8());
    click("Cmd_Cancel"); // nothing changed: no question
    EXPECT_EQ(messages().size(), 4);
}

TEST_F(TankGraphicsWindowTest, AChangedPageIsNeverDroppedWithoutAsking) {
    auto window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    // Declined when leaving the tab: the page is as its file (none) again, so OK stores nothing.
    t.prompts.answerMessage(Answer::No);
    tabs()->setCurrentIndex(TankGraphicsWindow::TabOther);
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 0);

    window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    t.prompts.answerMessage(Answer::Cancel);
    click("Cmd_Cancel");
    EXPECT_TRUE(window->isVisible());
    // OK saves the changed page before storing it.
    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedLabels(t101), QStringList({prefix(t101) + "_Roof.tmp/1"}));

    // Choosing a tool, turning pages and coming back change nothing: Cancel closes at once.
    window = openWindow();
    tool("Opt_RFDraw", 1);
    nextPage("HScroll_RF");
    previousPage("HScroll_RF");
    click("Cmd_Cancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages(), QStringList({"Save Graphic: You are changing graphic displays.\nDo you "
                                       "wish to save this graphic?",
                                       "Cancel Update: This will cause all changes to be "
                                       "ignored!"}));

    // A page saved is a change, even with nothing drawn since.
    window = openWindow();
    click("Cmd_Save1");
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages().size(), 3);
    EXPECT_EQ(messages()[2], QStringLiteral("Cancel Update: This will cause all changes to be "
                                            "ignored!"));
}

TEST_F(TankGraphicsWindowTest, WindowsKeepToTheirOwnFilesAndLabelsAreNeverPaths) {
    for (const char* label : {"../escape.tmp", "C1_L1_T1_Roof.tmp"})
        file.add(
            QStringLiteral("TGraphic"),
            {{"TankID", t202}, {"GraphicLabel", label}, {"GraphicType", 1}, {"Graphic", "<svg/>"}});
    auto first = openWindow(0);
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_Save1");
    t.prompts.answerMessage().answerMessage();
    auto second = openWindow(1);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[0].contains(QStringLiteral("\"../escape.tmp\"")));
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_Save1");
    const QStringList both = tempFiles();
    ASSERT_EQ(both.size(), 2);
    EXPECT_NE(QFileInfo(both[0]).path(), QFileInfo(both[1]).path());
    EXPECT_FALSE(QFile::exists(QDir(temp).filePath(QStringLiteral("escape.tmp"))));

    t.prompts.answerMessage(Answer::Ok);
    driven = second.get();
    click("Cmd_Cancel");
    second.reset();
    EXPECT_EQ(tempFiles(), QStringList({both.filter(prefix(t101)).value(0)}));
    driven = first.get();
    click("Cmd_OK");
    EXPECT_EQ(storedLabels(t101), QStringList({prefix(t101) + "_Roof.tmp/1"}));
    EXPECT_EQ(storedLabels(t202), QStringList({"../escape.tmp/1", "C1_L1_T1_Roof.tmp/1"}));
}

TEST_F(TankGraphicsWindowTest, PagesSavedForOneTankSurviveWorkOnAnother) {
    auto window = openWindow(0);
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_Save1");
    tabs()->setCurrentIndex(TankGraphicsWindow::TabSelect);
    doubleClickRow(find<QTableView>("Grid_Tanks"), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tank Graphics - T-202"));
    EXPECT_EQ(surface(1).SelectedCount(5), 1);
    drawBox(1, "Opt_RFDraw", {300, 300}, {400, 400});
    t.prompts.answerMessage(Answer::Yes); // T-202's page, left changed
    tabs()->setCurrentIndex(TankGraphicsWindow::TabSelect);
    doubleClickRow(find<QTableView>("Grid_Tanks"), 0);
    EXPECT_EQ(surface(1).SelectedCount(5), 2); // T-101's saved box is back
    click("Cmd_OK");
    EXPECT_EQ(storedLabels(t101), QStringList({prefix(t101) + "_Roof.tmp/1"}));
    EXPECT_EQ(storedLabels(t202), QStringList({prefix(t202) + "_Roof.tmp/1"}));
}

// A floor point read at 0.05 in lies below the floor's 0.10 in; a point never read is grey. The
// markers are the view's: the page saved with them is the page saved without.
TEST_F(TankGraphicsWindowTest, PointsShowTheStatusOfTheirReadingsBesideThem) {
    const qint32 inspection = file.add(QStringLiteral("Inspection"), {{"TankID", t101}});
    file.add(QStringLiteral("Thickness"), {{"InspectionID", inspection},
                                           {"PointID", "F-9"},
                                           {"DateTaken", "01/Jun/2024"},
                                           {"Reading", 0.05},
                                           {"Course", 1}});
    auto window = openWindow();
    for (const auto& [point, at] : {std::pair{"f-9", 100.0}, std::pair{"Z-1", 400.0}}) {
        drawBox(1, "Opt_RFDraw", {at, at}, {at + 100, at + 100});
        click("Cmd_RFAdd");
        typeKeys("Text_RFPointID", QString::fromLatin1(point));
        typeKeys("Text_RFX", QStringLiteral("1"));
        typeKeys("Text_RFY", QStringLiteral("2"));
        click("Cmd_RFAccept");
    }
    DrawingSurface& s = surface(1);
    EXPECT_EQ(s.markerFor(QStringLiteral("f-9")),
              statusColor(assessment::PointStatus::BelowMinimum));
    EXPECT_EQ(s.markerFor(QStringLiteral("Z-1")), statusColor(assessment::PointStatus::NoReading));

    click("Cmd_Save1");
    const QString saved = QDir(temp).filePath(tempFiles().value(0));
    s.setMarkers({});
    const QString bare = QDir(temp).filePath(QStringLiteral("bare.svg"));
    ASSERT_TRUE(s.SaveDrawing(bare));
    EXPECT_EQ(fileBytes(saved), fileBytes(bare));
}

TEST_F(TankGraphicsWindowTest, AFailedStoreWritesNothingAndKeepsTheWindowOpen) {
    ASSERT_TRUE(
        file.open().exec(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON TGraphic WHEN "
                                        "NEW.GraphicLabel LIKE '%Floor.tmp' BEGIN "
                                        "SELECT RAISE(ABORT, 'disk full'); END")));
    auto window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    click("Cmd_Save1");
    nextPage("HScroll_RF");
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages().value(0).contains(QStringLiteral("disk full")));
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 0);

    ASSERT_TRUE(file.open().exec(QStringLiteral("DROP TRIGGER full")));
    click("Cmd_OK");
    EXPECT_EQ(storedLabels(t101),
              QStringList({prefix(t101) + "_Floor.tmp/1", prefix(t101) + "_Roof.tmp/1"}));
}

// A point accepted is the window's until OK: Cancel leaves no row behind. Undo and redo of a
// link or a deletion take the point's row back and forth with its element, and OK stores what
// the page shows.
TEST_F(TankGraphicsWindowTest, PointsGoWithTheirElementsUntilOkStoresThem) {
    auto window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    addPoint(QStringLiteral("P-1"), QStringLiteral("5"), QStringLiteral("6"));
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(file.count(QStringLiteral("TML")), 0);

    window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    addPoint(QStringLiteral("P-1"), QStringLiteral("5"), QStringLiteral("6"));
    drawBox(1, "Opt_RFDraw", {400, 100}, {500, 200});
    addPoint(QStringLiteral("P-2"), QStringLiteral("7"), QStringLiteral("8"));
    click("Cmd_OK");
    EXPECT_EQ(pointIds(), QStringList({"P-1", "P-2"}));

    window = openWindow();
    DrawingSurface& s = surface(1);
    SurfaceDriver mouse(s);
    const int elements = s.SelectedCount(5);
    const auto undo = [&] {
        mouse.key(Qt::Key_Z, Qt::ControlModifier);
    };
    const auto redo = [&] {
        mouse.key(Qt::Key_Y, Qt::ControlModifier);
    };
    tool("Opt_RFDraw", 0);
    mouse.click({100, 150});
    t.prompts.answerMessage(Answer::Ok);
    mouse.key(Qt::Key_Delete);
    EXPECT_EQ(s.SelectedCount(5), elements - 1);
    EXPECT_EQ(shownPoint(s, {100, 150}), QStringList({"", "", ""}));
    undo();
    EXPECT_EQ(s.SelectedCount(5), elements);
    EXPECT_EQ(shownPoint(s, {100, 150}), QStringList({"P-1", "5", "6"}));
    mouse.hover({100, 150});
    redo(); // under the pointer: the point shown goes with it
    EXPECT_EQ(s.SelectedCount(5), elements - 1);
    EXPECT_EQ(text("Text_RFPointID"), QString());

    // A link undone leaves the element plain and its point unheld; redone, both are back.
    drawBox(1, "Opt_RFDraw", {700, 100}, {800, 200});
    addPoint(QStringLiteral("P-3"), QStringLiteral("9"), QStringLiteral("10"));
    undo();
    EXPECT_EQ(s.ElementText(), QString());
    EXPECT_EQ(shownPoint(s, {700, 150}), QStringList({"", "", ""}));
    redo();
    EXPECT_EQ(shownPoint(s, {700, 150}), QStringList({"P-3", "9", "10"}));
    // And P-2, deleted and taken back, is no change to store.
    mouse.click({400, 150});
    t.prompts.answerMessage(Answer::Ok);
    mouse.key(Qt::Key_Delete);
    undo();
    EXPECT_EQ(file.count(QStringLiteral("TML")), 2);
    // The listing is made from what is stored, which the user is told.
    t.prompts.answerMessage();
    click("Cmd_PrintTML");
    EXPECT_EQ(messages().constLast(),
              QStringLiteral("Print TML Listing: The listing shows the points as they are "
                             "stored. The points accepted or deleted in this window are stored "
                             "by OK."));
    click("Cmd_OK");
    EXPECT_EQ(pointIds(), QStringList({"P-2", "P-3"}));
    EXPECT_EQ(file.value("TML", "PointID", "P-3", "XCoordinate").toDouble(), 9);
    EXPECT_EQ(messages().size(), 4);
}

// OK writes the pages and the points in one transaction: a point row that cannot be written, or
// a point another program stored for the tank meanwhile, leaves nothing written and the window
// open with the message; a second OK after the refusal stores the window's point over theirs.
TEST_F(TankGraphicsWindowTest, OkStoresPagesAndPointsTogetherOrNothing) {
    ASSERT_TRUE(file.open().exec(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON TML BEGIN "
                                                "SELECT RAISE(ABORT, 'disk full'); END")));
    // The rows of the History written for a table.
    const auto history = [&](const char* table) {
        return file.open()
            .firstValue(QStringLiteral("SELECT COUNT(*) FROM History WHERE TableName = ?"),
                        {QString::fromLatin1(table)})
            .value()
            .toInt();
    };
    auto window = openWindow();
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    addPoint(QStringLiteral("P-1"), QStringLiteral("5"), QStringLiteral("6"));
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages().value(0).contains(QStringLiteral("disk full")));
    EXPECT_EQ(history("TGraphic") + history("TML"), 0);
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 0);
    EXPECT_EQ(file.count(QStringLiteral("TML")), 0);

    ASSERT_TRUE(file.open().exec(QStringLiteral("DROP TRIGGER full")));
    file.add(QStringLiteral("TML"), {{"TankID", t101},
                                     {"PointID", "p-1"},
                                     {"GraphicType", 2},
                                     {"XCoordinate", 50},
                                     {"YCoordinate", 60}});
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages().value(1),
              QStringLiteral("Error Accessing Record: Nothing was stored. While this window was "
                             "open, another program changed what this window changes:\n\n"
                             "Point \"P-1\" was added.\n\nPress OK again to store this "
                             "window's changes over theirs, or Cancel to leave everything as it "
                             "is stored."));
    EXPECT_EQ(file.count(QStringLiteral("TGraphic")), 0);
    EXPECT_EQ(file.value("TML", "TankID", t101, "XCoordinate").toDouble(), 50);
    EXPECT_EQ(history("TGraphic"), 0);
    EXPECT_EQ(history("TML"), 1); // the other program's

    click("Cmd_OK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedLabels(t101), QStringList({prefix(t101) + "_Roof.tmp/1"}));
    EXPECT_EQ(pointIds(), QStringList({"p-1"}));
    EXPECT_EQ(file.value("TML", "TankID", t101, "GraphicType").toInt(), 1);
    EXPECT_EQ(file.value("TML", "TankID", t101, "XCoordinate").toDouble(), 5);
    // With the history of the page added and of the point's page and coordinates changed.
    EXPECT_EQ(history("TGraphic"), 1);
    EXPECT_EQ(history("TML"), 4);
}

// While a question of a page change is open the user holds the next button down long enough
// for it to repeat, lets go and clicks it once more: one page is turned, each question asked
// once, and the page left is saved under its own name and kind.
TEST_F(TankGraphicsWindowTest, OneClickTurnsOnePageWhileItsQuestionsAreOpen) {
    auto window = openWindow();
    t.prompts.answerMessage(Answer::Yes); // page 1: a rollout
    tabs()->setCurrentIndex(TankGraphicsWindow::TabShell);
    drawBox(2, "Opt_SDraw", {100, 100}, {300, 200});
    QPushButton* next = pagerButton("HScroll_S", "Next");
    const auto meanwhile = [&] {
        QTest::mousePress(next, Qt::LeftButton);
        QTest::qWait(next->autoRepeatDelay() + 4 * next->autoRepeatInterval());
        QTest::mouseRelease(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
    };
    // Save page 1; page 2 is a plate.
    t.prompts.answerMessage(Answer::Yes, meanwhile).answerMessage(Answer::No, meanwhile);
    nextPage("HScroll_S");
    EXPECT_EQ(find<QLabel>("Graph_CountS")->text(), QStringLiteral("2 of 3"));
    EXPECT_TRUE(find<QAbstractButton>("Opt_SType_1")->isChecked());
    const QString rollout = QStringLiteral(
        "Graphic Type: Is this a Rollout type graphic?\nNo indicates a Plate graphic");
    EXPECT_EQ(messages(), QStringList({rollout,
                                       "Save Graphic: You are changing graphic displays.\nDo you "
                                       "wish to save this graphic?",
                                       rollout}));
    EXPECT_EQ(surface(2).SelectedCount(5), 1); // page 2 is new
    QStringList names;
    for (const QString& f : tempFiles())
        names << QFileInfo(f).fileName();
    EXPECT_EQ(names, QStringList({prefix(t101) + "_S01.tmp"}));

    // Back on page 1, its box is there.
    previousPage("HScroll_S");
    EXPECT_EQ(find<QLabel>("Graph_CountS")->text(), QStringLiteral("1 of 3"));
    EXPECT_FALSE(find<QAbstractButton>("Opt_SType_1")->isChecked());
    EXPECT_EQ(surface(2).SelectedCount(5), 2);
    click("Cmd_OK");
    EXPECT_EQ(storedLabels(t101), QStringList({prefix(t101) + "_S01.tmp/1"}));
}

// Add on an element that is already a point asks first, naming the point; Yes, the answer that
// comes first, keeps the element and its row as they were. An element linked elsewhere and
// selected only after Add is asked about at Accept.
TEST_F(TankGraphicsWindowTest, APointIsTiedToAnotherOnlyWhenTheUserSaysSo) {
    auto window = openWindow();
    DrawingSurface& s = surface(1);
    SurfaceDriver mouse(s);
    drawBox(1, "Opt_RFDraw", {100, 100}, {200, 200});
    addPoint(QStringLiteral("F-C"));
    mouse.click({100, 150});
    const QString question =
        QStringLiteral("Linked Element: This element is already point %1.\nDo you wish to keep "
                       "it as point %1?\nNo lets you tie it to another point.");

    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_RFAdd");
    EXPECT_FALSE(box("Text_RFPointID")->isEnabled());
    EXPECT_EQ(s.ElementText(), QStringLiteral("F-C"));

    t.prompts.answerMessage(Answer::No);
    addPoint(QStringLiteral("F-E"));
    EXPECT_EQ(s.ElementText(), QStringLiteral("F-E"));

    drawBox(1, "Opt_RFDraw", {500, 500}, {600, 600});
    click("Cmd_RFAdd");
    typeKeys("Text_RFPointID", QStringLiteral("F-X"));
    typeKeys("Text_RFX", QStringLiteral("1"));
    typeKeys("Text_RFY", QStringLiteral("2"));
    mouse.click({100, 150}); // the F-E element
    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_RFAccept");
    EXPECT_EQ(s.ElementText(), QStringLiteral("F-E"));
    EXPECT_TRUE(find<QPushButton>("Cmd_RFCancel")->isEnabled()); // the entry goes on
    mouse.click({500, 550});
    click("Cmd_RFAccept");

    // A text element is no point: Delete removes it at once.
    tool("Opt_RFDraw", 7);
    mouse.click({300, 700});
    mouse.type(QStringLiteral("North"));
    tool("Opt_RFDraw", 0);
    mouse.click({305, 705});
    ASSERT_EQ(s.ElementText(), QStringLiteral("North"));
    const int elements = s.SelectedCount(5);
    mouse.key(Qt::Key_Delete);
    EXPECT_EQ(s.SelectedCount(5), elements - 1);

    // F-C's row stays: another element of that name may still show it.
    click("Cmd_OK");
    EXPECT_EQ(pointIds(), QStringList({"F-C", "F-E", "F-X"}));
    EXPECT_EQ(messages(),
              QStringList({question.arg("F-C"), question.arg("F-C"), question.arg("F-E")}));
}

// The point IDs are written beside their elements on the screen and on the printed page, but
// the page's file holds the elements alone.
TEST_F(TankGraphicsWindowTest, PointIdsAreLabelledOnScreenAndInPrintButNotInTheFile) {
    auto window = openWindow();
    DrawingSurface& s = surface(1);
    drawBox(1, "Opt_RFDraw", {400, 400}, {500, 500});
    addPoint(QStringLiteral("O'Neil-1"));
    SurfaceDriver(s).click({800, 800});

    const QImage labelled = s.viewport()->grab().toImage();
    s.setLinkLabels(false);
    const QImage bare = s.viewport()->grab().toImage();
    s.setLinkLabels(true);
    ASSERT_EQ(labelled.size(), bare.size());
    QRect changed;
    for (int y = 0; y < bare.height(); ++y)
        for (int x = 0; x < bare.width(); ++x)
            if (labelled.pixel(x, y) != bare.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    // Beside the top right corner of the box, and nowhere else.
    const QPointF corner = s.toViewport({500, 400}) * labelled.devicePixelRatio();
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_GT(changed.left(), corner.x());
    EXPECT_LE(changed.bottom(), corner.y() + 1);
    EXPECT_GT(changed.top(), corner.y() - 40);
    EXPECT_LT(changed.right(), corner.x() + 200);

    const QString pdf = file.folder() + QStringLiteral("/labelled.pdf");
    t.printers.setFallbackPdf(pdf);
    click("Cmd_Print1");
    // The page is named under the header, and the point listed below the drawing.
    const QString printed = pdfPages(pdf).value(0).simplified();
    EXPECT_TRUE(printed.contains(QStringLiteral("T-101 Roof"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(
        QStringLiteral("O'Neil-1 X 1 Y 2 0.250 in. on 02/Apr/2024, inspection 2024-02")))
        << printed.toStdString();
    ASSERT_FALSE(t.printers.jobs().empty());
    EXPECT_EQ(t.printers.jobs().back().fileName, QStringLiteral("Tank Graphics - T-101 Roof.pdf"));

    click("Cmd_Save1");
    const QString saved = QDir(temp).filePath(tempFiles().value(0));
    DrawingSurface reader;
    ASSERT_TRUE(reader.LoadDrawing(saved));
    EXPECT_EQ(reader.SelectedCount(5), 2); // the background and the box
    s.setLinkLabels(false);
    const QString bareFile = QDir(temp).filePath(QStringLiteral("bare.svg"));
    ASSERT_TRUE(s.SaveDrawing(bareFile));
    EXPECT_EQ(fileBytes(saved), fileBytes(bareFile));
    s.setLinkLabels(true);

    // A page that names the point itself, in a text beside it, gets no second name over its
    // own; the same words far away name nothing.
    const auto labelShown = [&] {
        SurfaceDriver(s).click({800, 800});
        const QImage now = s.viewport()->grab().toImage();
        s.setLinkLabels(false);
        const QImage without = s.viewport()->grab().toImage();
        s.setLinkLabels(true);
        return now.copy(changed) != without.copy(changed);
    };
    SurfaceDriver writer(s);
    tool("Opt_RFDraw", 7);
    writer.click({150, 900});
    writer.type(QStringLiteral("o'neil-1"));
    tool("Opt_RFDraw", 0);
    EXPECT_TRUE(labelShown());
    tool("Opt_RFDraw", 7);
    writer.click({520, 470});
    writer.type(QStringLiteral("O'Neil-1"));
    tool("Opt_RFDraw", 0);
    EXPECT_FALSE(labelShown());
}

// The tanks of Tank Select carry the due marks of Tank Information: the Tank ID of a tank with
// an inspection due in white on red, nothing on the other cells or tanks.
TEST_F(TankGraphicsWindowTest, TheTankListMarksTanksWithAnInspectionDue) {
    ASSERT_TRUE(file.open().exec(
        QStringLiteral("UPDATE Tank SET UTFreq = -6, UTLast = '2023-03-10' WHERE TankID = ?"),
        {t202}));
    auto window = std::make_unique<TankGraphicsWindow>(session, t.services);
    driven = window.get();
    showActive(*window);
    chooseLocation(0, 0);
    const QAbstractItemModel& grid = *find<QTableView>("Grid_Tanks")->model();
    ASSERT_EQ(gridColumn(find<QTableView>("Grid_Tanks"), 0), QStringList({"T-101", "T-202"}));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            const bool due = row == 1 && column == 0;
            const QModelIndex cell = grid.index(row, column);
            EXPECT_EQ(cell.data(Qt::BackgroundRole).isValid(), due) << row << column;
            EXPECT_EQ(cell.data(Qt::ForegroundRole).isValid(), due) << row << column;
        }
    EXPECT_EQ(grid.index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_EQ(grid.index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::white));
}

// Paging on goes no further than the last page each tab may hold: Floor of the roof and floor,
// shell page 49 (plates are numbered 50 higher), page 99 of the others.
TEST_F(TankGraphicsWindowTest, EachTabPagesOnToItsLastPageAndNoFurther) {
    auto window = openWindow();
    EXPECT_EQ(window->findChildren<DrawingTab*>().size(), 3);
    EXPECT_EQ(countersPagedToTheEnd(*window), QStringList({"Floor", "49 of 49", "99 of 99"}));
}

TEST_F(TankGraphicsWindowTest, PrintsThePageTheListingAndHelp) {
    auto window = openWindow();
    const QString pdf = file.folder() + QStringLiteral("/page.pdf");
    t.printers.setFallbackPdf(pdf);
    click("Cmd_Print1");
    const QString page = pdfPages(pdf).value(0);
    for (const char* line : {"Gulf Plains", "Port Arthur", "T-101"})
        EXPECT_TRUE(page.contains(QLatin1String(line))) << line;
    click("Cmd_PrintTML");
    ASSERT_EQ(t.reports.runs.size(), 1u);
    EXPECT_EQ(t.reports.runs[0].first, QStringLiteral("tml_list.rpt"));
    EXPECT_EQ(t.reports.runs[0].second, QStringLiteral("{TML.TankID} = %1").arg(t101));
    click("Cmd_Help");
    EXPECT_EQ(t.help.topics, std::vector<int>({5}));
}

// On every tab Tab runs through the controls in reading order: tools, zoom, save and print,
// the surface, the point panel, the pager, and the buttons below.
TEST_F(TankGraphicsWindowTest, TabFollowsTheLayoutOnEveryTab) {
    auto window = openWindow();
    t.prompts.answerMessage(Answer::Yes); // the shell tab's new page is a rollout
    expectTabOrderOnEveryTab(*window);
}

// Return in the tank list picks the tank it stands on, as a double-click does, and does no
// more: the window stays open and nothing is asked.
TEST_F(TankGraphicsWindowTest, ReturnInTheTankListPicksTheTankAndDoesNoMore) {
    auto window = std::make_unique<TankGraphicsWindow>(session, t.services);
    driven = window.get();
    showActive(*window);
    chooseLocation(0, 0);
    auto* grid = find<QTableView>("Grid_Tanks");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTest::keyClick(grid, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tank Graphics - T-202"));
    EXPECT_EQ(session.CurTankID, t202);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

// Tank Select here only picks a tank: none of Tank Information's commands, no "New Tank" row,
// the hint of this window, and a single click on a tank picks nothing.
TEST_F(TankGraphicsWindowTest, TankSelectOnlyPicksATank) {
    auto window = std::make_unique<TankGraphicsWindow>(session, t.services);
    driven = window.get();
    showActive(*window);
    const QWidget* page = tabs()->widget(TankGraphicsWindow::TabSelect);
    EXPECT_TRUE(page->findChildren<QPushButton*>().isEmpty());
    EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("LabelSelectHint"))->text(),
              QStringLiteral("Double-click a company, then one of its locations, then the tank "
                             "whose drawings you want."));
    chooseLocation(0, 0);
    auto* grid = find<QTableView>("Grid_Tanks");
    EXPECT_EQ(gridColumn(grid, 0), QStringList({"T-101", "T-202"}));
    const qint32 before = session.CurTankID;
    const QModelIndex tank = grid->model()->index(1, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(tank).center());
    EXPECT_EQ(session.CurTankID, before);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tank Graphics"));
    EXPECT_FALSE(tabs()->isTabEnabled(TankGraphicsWindow::TabRoofFloor));
}

} // namespace
} // namespace korvane::test
