#include "graphics/InspectionGraphicsWindow.h"

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
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include <memory>

namespace korvane::test {
namespace {

using Answer = Prompts::Answer;

// Gulf Plains, Port Arthur, T-101 with the inspection of 01/Mar/2023.
class InspectionGraphicsWindowTest : public testing::Test, public WindowDriver {
protected:
    InspectionGraphicsWindowTest() {
        session.DatabaseName = file.path();
        const qint32 location = file.addLocation(file.addCompany(QStringLiteral("Gulf Plains")),
                                                 QStringLiteral("Port Arthur"));
        const qint32 tank = file.addTank(location, QStringLiteral("T-101"));
        inspection = file.add(
            QStringLiteral("Inspection"),
            {{"TankID", tank}, {"InspectionDate", "01/Mar/2023"}, {"InspectionReason", "Routine"}});
    }

    std::unique_ptr<InspectionGraphicsWindow> openWindow() {
        auto window = std::make_unique<InspectionGraphicsWindow>(session, t.services);
        driven = window.get();
        showActive(*window);
        chooseLocation(0, 0);
        doubleClickList("List_Tank", 0);
        // Choosing a drawing's inspection, the reason stands beside the number and type.
        const QAbstractItemModel& grid = *find<QTableView>("Grid_Inspection")->model();
        QStringList row;
        for (int column = 0; column < grid.columnCount(); ++column)
            row << grid.index(0, column).data().toString();
        EXPECT_EQ(row, QStringList({"01/Mar/2023", "Needs Entry", "None Specified", "Routine"}));
        doubleClickRow(find<QTableView>("Grid_Inspection"), 0);
        return window;
    }
    DrawingSurface& surface(int n) const {
        return *find<DrawingSurface>(QStringLiteral("Surface%1").arg(n).toLatin1().constData());
    }
    // Draws a box with the Box tool and selects it by its edge.
    void drawBox(int n, const char* tools, double x) {
        SurfaceDriver mouse(surface(n));
        find<QAbstractButton>(QStringLiteral("%1_2").arg(QLatin1String(tools)).toLatin1())->click();
        mouse.drag({x, 100}, {x + 100, 200});
        find<QAbstractButton>(QStringLiteral("%1_0").arg(QLatin1String(tools)).toLatin1())->click();
        mouse.click({x, 150});
    }
    // Add, then the boxes of the entry in order, each as a user types it.
    void enterArea(const char* letters, const QStringList& texts) {
        click(QStringLiteral("Cmd_%1Add").arg(QLatin1String(letters)).toLatin1().constData());
        const char* fields[] = {"TakenBy", "DateTaken", "AreaID", nullptr, nullptr, nullptr};
        const bool edge = QLatin1String(letters) == QLatin1String("E");
        const char* measures[] = {edge ? "Radius" : "Width", "Length", edge ? "Actual" : "Reading"};
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const char* field = i < 3 ? fields[i] : measures[i - 3];
            typeKeys(QStringLiteral("Text_%1%2")
                         .arg(QLatin1String(letters), QLatin1String(field))
                         .toLatin1()
                         .constData(),
                     texts[i]);
        }
    }
    // On the roof page: a box drawn and accepted as corroded area C-1, held by the window.
    void acceptRoofArea() {
        tabs()->setCurrentIndex(InspectionGraphicsWindow::TabRoofFloor);
        drawBox(2, "Opt_RFDraw", 100);
        t.prompts.answerMessage(Answer::Yes);
        enterArea("RF", {"R. Diaz", "1/3/23", "C-1", "2", "3", "0.125"});
        click("Cmd_RFAccept");
    }
    QVariant area(const char* table, const char* field) const {
        return file.value(QString::fromLatin1(table), QStringLiteral("InspectionID"), inspection,
                          QString::fromLatin1(field));
    }
    QStringList boxes(const char* letters, std::initializer_list<const char*> fields) const {
        QStringList texts;
        for (const char* field : fields)
            texts << text(QStringLiteral("Text_%1%2")
                              .arg(QLatin1String(letters), QLatin1String(field))
                              .toLatin1()
                              .constData());
        return texts;
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& m : t.prompts.messages())
            texts << m.title + QStringLiteral(": ") + m.text;
        return texts;
    }

    TestDatabase file;
    TestServices t;
    Session session;
    qint32 inspection = 0;
};

TEST_F(InspectionGraphicsWindowTest, AnEdgeAreaInMetricIsStoredInInchesAndShownAgain) {
    session.UnitsUS = false;
    auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Inspection Graphics - 01/Mar/2023"));
    EXPECT_EQ(tabs()->currentIndex(), InspectionGraphicsWindow::TabEdge);
    EXPECT_EQ(find<QLabel>("Label_ERadius")->text(), QStringLiteral("Radius - mm"));
    EXPECT_FALSE(box("Text_EAllowable")->isEnabled());
    EXPECT_TRUE(find<QCheckBox>("Chk_Stress")->isEnabled());

    drawBox(1, "Opt_EDraw", 100);
    t.prompts.answerMessage(Answer::Yes).answerMessage();
    enterArea("E", {"R. Diaz", "1/3/23", "E-1", "25.4", "50.8", "2.5 mm"});
    find<QCheckBox>("Chk_Stress")->click();
    click("Cmd_EAccept"); // the depth is not a number
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 0);
    box("Text_EActual")->setText(QStringLiteral("2.54"));
    click("Cmd_EAccept");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 0); // held by the window until OK
    EXPECT_EQ(surface(1).ElementText(), QStringLiteral("E-1"));
    EXPECT_FALSE(find<QCheckBox>("Chk_Stress")->isChecked());
    click("Cmd_OK");
    EXPECT_NEAR(area("EdgeSettle", "Radius").toDouble(), 25.4 / 25.399986, 1e-12);
    EXPECT_NEAR(area("EdgeSettle", "Radius").toDouble(), 1.00000055, 1e-8);
    EXPECT_EQ(area("EdgeSettle", "ReadingType").toBool(), true);
    EXPECT_EQ(area("EdgeSettle", "StressAnalysis").toBool(), true);
    EXPECT_EQ(area("EdgeSettle", "DateTaken").toString(), QStringLiteral("01/Mar/2023"));

    // The pointer on the area shows it again, read-only, in millimetres.
    window = openWindow();
    SurfaceDriver mouse(surface(1));
    mouse.hover({700, 700});
    mouse.hover({100, 150});
    EXPECT_EQ(boxes("E", {"TakenBy", "DateTaken", "AreaID", "Radius", "Length", "Actual"}),
              QStringList({"R. Diaz", "01/Mar/2023", "E-1", "25.4", "50.8", "2.54"}));
    EXPECT_TRUE(box("Text_ERadius")->isReadOnly());
    EXPECT_TRUE(find<QCheckBox>("Chk_Stress")->isChecked());
    mouse.hover({700, 700});

    // Accepted again under the same ID (any letter case): new measurements, same row.
    drawBox(1, "Opt_EDraw", 400);
    t.prompts.answerMessage(Answer::No).answerMessage(Answer::Ok);
    enterArea("E", {"M. Okafor", "2/3/23", "e-1", "12.7", "1", "1"});
    click("Cmd_EAccept");
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 1);
    EXPECT_EQ(area("EdgeSettle", "AreaID"), QVariant("E-1"));
    EXPECT_EQ(area("EdgeSettle", "ReadingType").toBool(), false);
    EXPECT_NEAR(area("EdgeSettle", "Radius").toDouble(), 0.5, 1e-6);
    EXPECT_EQ(area("EdgeSettle", "StressAnalysis").toBool(), false);

    // The row goes with the first of the two elements deleted; the other, its row gone, stays.
    window = openWindow();
    SurfaceDriver edge(surface(1));
    find<QAbstractButton>("Opt_EDraw_0")->click();
    const int elements = surface(1).SelectedCount(5);
    t.prompts.answerMessage(Answer::Ok).answerMessage(Answer::Ok);
    edge.click({400, 150});
    edge.key(Qt::Key_Delete);
    EXPECT_EQ(surface(1).SelectedCount(5), elements - 1);
    edge.click({100, 150});
    edge.key(Qt::Key_Delete);
    EXPECT_EQ(surface(1).SelectedCount(5), elements - 1);
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 0);

    EXPECT_EQ(messages(),
              QStringList({"Reading Type: Is this an Edge type reading?\nNo indicates a Floor "
                           "reading",
                           "Inspection Graphics - 01/Mar/2023: The Actual 'B' must be a number.",
                           "Reading Type: Is this an Edge type reading?\nNo indicates a Floor "
                           "reading",
                           "Duplication Warning: AreaID - e-1 already exists.",
                           "Graphic Element Deletion: The selected element has data associated "
                           "with it that will be deleted!",
                           "Graphic Element Deletion: The selected element has data associated "
                           "with it that will be deleted!"}));
}

TEST_F(InspectionGraphicsWindowTest, RoofFloorAndShellAreas) {
    auto window = openWindow();
    acceptRoofArea();

    // The floor page: the roof's area ID is taken; a pitting area reads back as pitting.
    t.prompts.answerMessage(Answer::Yes); // save the roof page
    click("HScroll_RF_Next");
    drawBox(2, "Opt_RFDraw", 100);
    t.prompts.answerMessage(Answer::No).answerMessage(Answer::Cancel);
    enterArea("RF", {"R. Diaz", "1/3/23", "C-1", "1", "1", "0.05"});
    click("Cmd_RFAccept");
    t.prompts.answerMessage(Answer::No);
    enterArea("RF", {"R. Diaz", "1/3/23", "P-1", "1", "1", "0.05"});
    click("Cmd_RFAccept");
    SurfaceDriver floor(surface(2));
    floor.hover({700, 700});
    floor.hover({100, 150});
    EXPECT_TRUE(find<QAbstractButton>("Opt_RFType_1")->isChecked());
    EXPECT_EQ(text("Text_RFReading"), QStringLiteral("0.050"));
    floor.hover({700, 700});

    // A shell area accepted again from page 2 moves there.
    t.prompts.answerMessage(Answer::Yes).answerMessage(Answer::Yes); // save the floor; rollout
    tabs()->setCurrentIndex(InspectionGraphicsWindow::TabShell);
    drawBox(3, "Opt_SDraw", 100);
    enterArea("S", {"R. Diaz", "1/3/23", "S'1", "4", "5", "0.2"});
    click("Cmd_SAccept");
    t.prompts.answerMessage(Answer::Yes).answerMessage(Answer::Yes); // save page 1; rollout
    click("HScroll_S_Next");
    drawBox(3, "Opt_SDraw", 100);
    t.prompts.answerMessage(Answer::Ok);
    enterArea("S", {"R. Diaz", "1/3/23", "S'1", "4", "5", "0.3"});
    click("Cmd_SAccept");

    click("Cmd_Help");
    EXPECT_EQ(t.help.topics, std::vector<int>({4}));
    click("Cmd_OK");
    EXPECT_EQ(messages().size(), 10);
    EXPECT_EQ(file.count(QStringLiteral("RFCorrosion")), 2);
    EXPECT_EQ(file.value(QStringLiteral("RFCorrosion"), QStringLiteral("AreaID"),
                         QStringLiteral("C-1"), QStringLiteral("Reading"))
                  .toDouble(),
              0.125);
    EXPECT_EQ(file.count(QStringLiteral("SCorrosion")), 1);
    EXPECT_EQ(area("SCorrosion", "GraphicType").toInt(), 2);
    EXPECT_EQ(area("SCorrosion", "AreaID"), QVariant("S'1"));
    EXPECT_EQ(area("SCorrosion", "DataTaken").toString(), QStringLiteral("01/Mar/2023"));
}

// Add Area on an area asks first, naming it; Yes keeps the element and its row. No lets the
// element become another area, which is then labelled with its new ID on the printed page.
TEST_F(InspectionGraphicsWindowTest, AnAreaIsTiedToAnotherOnlyWhenTheUserSaysSo) {
    auto window = openWindow();
    DrawingSurface& s = surface(1);
    drawBox(1, "Opt_EDraw", 100);
    t.prompts.answerMessage(Answer::Yes);
    enterArea("E", {"R. Diaz", "1/3/23", "E-1", "1", "2", "0.5"});
    click("Cmd_EAccept");
    SurfaceDriver(s).click({100, 150});

    t.prompts.answerMessage(Answer::Yes);
    click("Cmd_EAdd");
    EXPECT_FALSE(box("Text_ETakenBy")->isEnabled());
    EXPECT_EQ(s.ElementText(), QStringLiteral("E-1"));

    t.prompts.answerMessage(Answer::No).answerMessage(Answer::No);
    enterArea("E", {"R. Diaz", "1/3/23", "E-2", "3", "4", "0.25"});
    click("Cmd_EAccept");
    EXPECT_EQ(s.ElementText(), QStringLiteral("E-2"));

    const QString pdf = file.folder() + QStringLiteral("/edge.pdf");
    t.printers.setFallbackPdf(pdf);
    click("Cmd_Print1");
    EXPECT_EQ(t.printers.jobs().back().fileName,
              QStringLiteral("Inspection Graphics - T-101 01_Mar_2023 Edge.pdf"));
    const QString page = pdfPages(pdf).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("E-2")));
    EXPECT_FALSE(page.contains(QStringLiteral("E-1")));

    const QString question =
        QStringLiteral("Linked Element: This element is already area E-1.\nDo you wish to keep it "
                       "as area E-1?\nNo lets you tie it to another area.");
    const QString edge =
        QStringLiteral("Reading Type: Is this an Edge type reading?\nNo indicates a Floor reading");
    EXPECT_EQ(messages(), QStringList({edge, question, question, edge}));
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 2);
}

// Areas are the window's until OK: a page left unsaved takes its area back with it, Cancel leaves
// no row, and undo and redo of a deletion take the row with the element. An area another
// program changed since the window read it is refused at OK, with nothing stored.
TEST_F(InspectionGraphicsWindowTest, AreasGoWithTheirElementsUntilOkStoresThem) {
    auto window = openWindow();
    acceptRoofArea();
    t.prompts.answerMessage(Answer::No); // the roof page, and C-1 with it, is not saved
    click("HScroll_RF_Next");
    tabs()->setCurrentIndex(InspectionGraphicsWindow::TabEdge);
    drawBox(1, "Opt_EDraw", 100);
    t.prompts.answerMessage(Answer::Yes);
    enterArea("E", {"R. Diaz", "1/3/23", "E-1", "1", "2", "0.5"});
    click("Cmd_EAccept");
    t.prompts.answerMessage(Answer::Ok);
    click("Cmd_Cancel");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 0);

    window = openWindow();
    drawBox(1, "Opt_EDraw", 100);
    t.prompts.answerMessage(Answer::Yes);
    enterArea("E", {"R. Diaz", "1/3/23", "E-1", "1", "2", "0.5"});
    click("Cmd_EAccept");
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("RFCorrosion")), 0);
    EXPECT_EQ(area("EdgeSettle", "AreaID"), QVariant("E-1"));
    const QVariant page = file.value(QStringLiteral("IGraphic"), QStringLiteral("InspectionID"),
                                     inspection, QStringLiteral("Graphic"));

    window = openWindow();
    DrawingSurface& s = surface(1);
    SurfaceDriver mouse(s);
    find<QAbstractButton>("Opt_EDraw_0")->click();
    mouse.click({100, 150});
    const int elements = s.SelectedCount(5);
    t.prompts.answerMessage(Answer::Ok);
    mouse.key(Qt::Key_Delete);
    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.SelectedCount(5), elements);
    mouse.hover({700, 700});
    mouse.hover({100, 150});
    EXPECT_EQ(boxes("E", {"AreaID", "Actual"}), QStringList({"E-1", "0.500"}));
    mouse.hover({700, 700});
    mouse.key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.SelectedCount(5), elements - 1);

    ASSERT_TRUE(file.open().exec(QStringLiteral("UPDATE EdgeSettle SET TakenBy = 'M. Okafor'")));
    t.prompts.answerMessage();
    click("Cmd_OK");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages().constLast().endsWith(
        QStringLiteral("changes:\n\nArea \"E-1\" was changed.\n\nPress OK again to store "
                       "this window's changes over theirs, or Cancel to leave everything as it "
                       "is stored.")));
    EXPECT_EQ(area("EdgeSettle", "TakenBy"), QVariant("M. Okafor"));
    EXPECT_EQ(file.value(QStringLiteral("IGraphic"), QStringLiteral("InspectionID"), inspection,
                         QStringLiteral("Graphic")),
              page);
    click("Cmd_OK");
    EXPECT_EQ(file.count(QStringLiteral("EdgeSettle")), 0);
    EXPECT_NE(file.value(QStringLiteral("IGraphic"), QStringLiteral("InspectionID"), inspection,
                         QStringLiteral("Graphic")),
              page);
}

// The boxes of an entry under way keep what was typed while the pointer passes over another
// element's row; once the entry is done, passing over shows that row again.
TEST_F(InspectionGraphicsWindowTest, PassingOverALinkedElementLeavesAnEntryAsTyped) {
    auto window = openWindow();
    drawBox(1, "Opt_EDraw", 100);
    t.prompts.answerMessage(Answer::Yes);
    enterArea("E", {"R. Diaz", "1/3/23", "E-1", "1", "2", "0.5"});
    click("Cmd_EAccept");

    drawBox(1, "Opt_EDraw", 300);
    t.prompts.answerMessage(Answer::Yes);
    enterArea("E", {"K. Obi", "2/3/23", "E-2", "3"});
    const std::initializer_list<const char*> fields{"TakenBy", "DateTaken", "AreaID",
                                                    "Radius",  "Length",    "Actual"};
    const QStringList typed = boxes("E", fields);
    EXPECT_EQ(typed.mid(2), QStringList({"E-2", "3", "", ""}));
    SurfaceDriver mouse(surface(1));
    mouse.hover({100, 150});
    mouse.hover({700, 700});
    EXPECT_EQ(boxes("E", fields), typed);
    EXPECT_TRUE(find<QWidget>("Text_ELength")->isEnabled());
    EXPECT_FALSE(find<QLineEdit>("Text_ELength")->isReadOnly());

    click("Cmd_ECancel");
    mouse.hover({100, 150});
    EXPECT_EQ(boxes("E", {"AreaID", "Actual"}), QStringList({"E-1", "0.500"}));
}

TEST_F(InspectionGraphicsWindowTest, TabFollowsTheLayoutOnEveryTab) {
    auto window = openWindow();
    t.prompts.answerMessage(Answer::Yes); // the shell tab's new page is a rollout
    expectTabOrderOnEveryTab(*window);
}

// Paging on goes no further than the last page each tab may hold: Floor of the roof and floor,
// shell page 49 (plates are numbered 50 higher), page 99 of the others.
TEST_F(InspectionGraphicsWindowTest, EachTabPagesOnToItsLastPageAndNoFurther) {
    auto window = openWindow();
    EXPECT_EQ(window->findChildren<DrawingTab*>().size(), 4);
    EXPECT_EQ(countersPagedToTheEnd(*window), QStringList({"Floor", "49 of 49", "99 of 99"}));
}

} // namespace
} // namespace korvane::test
