#include "graphics/DrawingTab.h"

#include "drawing/DrawingSurface.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane {
namespace {

DrawingTab::Names shellNames() {
    DrawingTab::Names names;
    names.number = 2;
    names.tools = QStringLiteral("Opt_SDraw");
    names.pager = QStringLiteral("HScroll_S");
    names.counter = QStringLiteral("Graph_CountS");
    return names;
}

template <class T> T* child(const QWidget& tab, const QString& name) {
    T* w = tab.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

// The eight tools choose their drawing modes, zoom stops at its ends, and a changed drawing is
// known until it is marked as saved.
TEST(DrawingTab, ToolsZoomAndTheChangedMark) {
    DrawingTab tab(shellNames());
    QSignalSpy chosen(&tab, &DrawingTab::toolChosen);
    for (int i = 0; i < 8; ++i) {
        child<QAbstractButton>(tab, QStringLiteral("Opt_SDraw_%1").arg(i))->click();
        EXPECT_EQ(tab.surface().EditMode(), DrawingTab::ToolModes[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(chosen.count(), 8);
    EXPECT_EQ(child<QAbstractButton>(tab, QStringLiteral("Opt_SDraw_6"))->toolTip(),
              QStringLiteral("Chord Tool"));

    DrawingSurface& s = tab.surface();
    EXPECT_EQ(s.ViewScaleX(), 4900);
    auto* in = child<QPushButton>(tab, QStringLiteral("Cmd_ZoomIn2"));
    for (int i = 0; i < 10; ++i)
        in->click();
    const int widest = s.ViewScaleX();
    EXPECT_NEAR(widest, 9800, 1);
    in->click();
    EXPECT_EQ(s.ViewScaleX(), widest);
    for (int i = 0; i < 20; ++i)
        child<QPushButton>(tab, QStringLiteral("Cmd_ZoomOut2"))->click();
    EXPECT_NEAR(s.ViewScaleY(), 4410, 1);
    tab.resetZoom();
    EXPECT_EQ(s.ViewScaleX(), 4900);

    EXPECT_FALSE(tab.isChanged());
    ASSERT_TRUE(s.AddElement(2, 100, 100, 300, 200).ok());
    EXPECT_TRUE(tab.isChanged());
    tab.markUnchanged();
    EXPECT_FALSE(tab.isChanged());
}

// Reverting goes back to the drawing as saved. When a change made after undoing past the save
// dropped that state from the history, it takes back everything done since the lowest point the
// history reached below the save, so that nothing done since the save outlives the revert.
TEST(DrawingTab, RevertTakesBackWhatTheFileDoesNotHold) {
    DrawingTab tab(shellNames());
    DrawingSurface& s = tab.surface();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(s.AddElement(2, 100 * i, 100, 100 * i + 50, 200).ok());
    tab.markUnchanged();
    ASSERT_TRUE(s.AddElement(2, 500, 500, 600, 600).ok());
    tab.revertChanges();
    EXPECT_EQ(s.SelectedCount(5), 3);

    s.undoStack().undo();
    s.undoStack().undo();
    s.undoStack().redo();
    ASSERT_TRUE(s.AddElement(2, 500, 500, 600, 600).ok()); // the saved state is gone
    ASSERT_TRUE(s.AddElement(2, 700, 700, 800, 800).ok());
    ASSERT_EQ(s.undoStack().cleanIndex(), -1);
    tab.revertChanges();
    EXPECT_EQ(s.undoStack().index(), 1);
    EXPECT_EQ(s.SelectedCount(5), 1);
}

// The pager is a pair of buttons around its counter. A click, a key (Space, Enter) or a button
// held down asks for exactly one page; the page shown changes only when the window turns it.
// A growing pager always offers one empty page after the last one shown, up to its last page;
// the roof and floor pager keeps its two pages.
TEST(DrawingTab, PagersAskForOnePageAtATime) {
    DrawingTab::Names names = shellNames();
    names.lastPage = 49;
    DrawingTab shell(names);
    shell.show();
    auto* previous = child<QPushButton>(shell, QStringLiteral("HScroll_S_Previous"));
    auto* next = child<QPushButton>(shell, QStringLiteral("HScroll_S_Next"));
    auto* counter = child<QLabel>(shell, QStringLiteral("Graph_CountS"));
    ASSERT_TRUE(child<QWidget>(shell, QStringLiteral("HScroll_S"))->isAncestorOf(next));
    QSignalSpy asked(&shell, &DrawingTab::pageRequested);
    EXPECT_EQ(counter->text(), QStringLiteral("1 of 2"));
    EXPECT_FALSE(previous->isEnabled());

    QTest::mouseClick(next, Qt::LeftButton);
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space);
    QTest::keyClick(next, Qt::Key_Return);
    QTest::mousePress(next, Qt::LeftButton);
    QTest::qWait(next->autoRepeatDelay() + 4 * next->autoRepeatInterval());
    QTest::mouseRelease(next, Qt::LeftButton);
    ASSERT_EQ(asked.count(), 4);
    for (const auto& request : asked)
        EXPECT_EQ(request, QList<QVariant>{2});
    EXPECT_EQ(shell.currentPage(), 1);
    EXPECT_EQ(counter->text(), QStringLiteral("1 of 2"));

    QSignalSpy shown(&shell, &DrawingTab::pageShown);
    shell.showPage(2);
    EXPECT_EQ(counter->text(), QStringLiteral("2 of 3"));
    EXPECT_TRUE(previous->isEnabled());
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(asked.last(), QList<QVariant>{1});
    shell.showPage(1);
    shell.setPageCount(4);
    EXPECT_EQ(counter->text(), QStringLiteral("1 of 5"));
    shell.showPage(49);
    EXPECT_EQ(counter->text(), QStringLiteral("49 of 49"));
    EXPECT_FALSE(next->isEnabled());
    shell.showPage(60);
    EXPECT_EQ(shell.currentPage(), 49);
    EXPECT_EQ(shown.count(), 4);

    DrawingTab::Names roofFloor;
    roofFloor.tools = QStringLiteral("Opt_RFDraw");
    roofFloor.pager = QStringLiteral("HScroll_RF");
    roofFloor.counter = QStringLiteral("Label_RFPage");
    roofFloor.growingPager = false;
    roofFloor.pageTitles = {QStringLiteral("Roof"), QStringLiteral("Floor")};
    DrawingTab roof(roofFloor);
    roof.setPageCount(7);
    roof.showPage(3);
    EXPECT_EQ(roof.pageCount(), 2);
    EXPECT_EQ(roof.currentPage(), 2);
    EXPECT_EQ(child<QLabel>(roof, QStringLiteral("Label_RFPage"))->text(), QStringLiteral("Floor"));
    EXPECT_FALSE(child<QPushButton>(roof, QStringLiteral("HScroll_RF_Next"))->isEnabled());
}

TEST(DrawingTab, PrintsItsHeaderAndTheDrawingAsVectors) {
    test::TempDir dir;
    DrawingTab tab(shellNames());
    ASSERT_TRUE(tab.surface().AddElement(2, 100, 100, 600, 400).ok());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    ASSERT_TRUE(tab.printPage(printer, {QStringLiteral("Gulf Plains"), QStringLiteral("T-101")}));
    const QStringList pages = test::pdfPages(printer.outputFileName());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Gulf Plains")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("T-101")));
    EXPECT_EQ(test::runTool(QStringLiteral("pdfimages"),
                            {QStringLiteral("-list"), printer.outputFileName()})
                  .count(u'\n'),
              2);
    EXPECT_EQ(tab.surface().Pointer(), 0);

    // A header line wider than the page wraps onto the lines below it; a few rows of linked
    // elements stand below the drawing, and more than a third of a page of them go on the next.
    QStringList words;
    for (int i = 1; i <= 40; ++i)
        words << QStringLiteral("Word%1").arg(i);
    const auto print = [&](const QString& name, int rowCount) {
        QStringList rows;
        for (int i = 1; i <= rowCount; ++i)
            rows << QStringLiteral("Row%1 X 1 Y 2").arg(i);
        printer.setOutputFileName(dir.filePath(name));
        EXPECT_TRUE(tab.printPage(printer, {words.join(u' '), QStringLiteral("Roof")}, rows));
        return test::pdfWordBoxes(printer.outputFileName());
    };
    const auto top = [](const test::PdfPage& page, const QString& word) {
        for (const test::PdfWord& w : page.words)
            if (w.text == word)
                return w.top;
        return -1.0;
    };
    const std::vector<test::PdfPage> few = print(QStringLiteral("few.pdf"), 3);
    ASSERT_EQ(few.size(), 1u);
    EXPECT_GT(top(few[0], QStringLiteral("Word40")), top(few[0], QStringLiteral("Word1")));
    EXPECT_GT(top(few[0], QStringLiteral("Roof")), top(few[0], QStringLiteral("Word40")));
    EXPECT_GT(top(few[0], QStringLiteral("Row1")), few[0].height / 2);
    // The square drawing is as wide as the page: the rows follow its foot, not the page's.
    const double drawing = printer.pageLayout().paintRect(QPageLayout::Point).width();
    const double line = top(few[0], QStringLiteral("Row2")) - top(few[0], QStringLiteral("Row1"));
    EXPECT_LT(top(few[0], QStringLiteral("Row1")),
              top(few[0], QStringLiteral("Roof")) + drawing + 3 * line);
    EXPECT_GT(top(few[0], QStringLiteral("Row3")), top(few[0], QStringLiteral("Row1")));
    EXPECT_LT(top(few[0], QStringLiteral("Row3")), few[0].height);
    const std::vector<test::PdfPage> many = print(QStringLiteral("many.pdf"), 30);
    ASSERT_EQ(many.size(), 2u);
    EXPECT_LT(top(many[0], QStringLiteral("Row1")), 0);
    EXPECT_GE(top(many[1], QStringLiteral("Row1")), 0);
    EXPECT_GT(top(many[1], QStringLiteral("Row30")), top(many[1], QStringLiteral("Row1")));
}

} // namespace
} // namespace korvane
