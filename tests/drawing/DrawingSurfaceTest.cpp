#include "drawing/DrawingSurface.h"

#include "SurfaceDriver.h"
#include "drawing/ZoomSteps.h"
#include "support/TempDir.h"

#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// One pixel of the 640-pixel surface is about 1.6 logical units.
constexpr double Near = 2.5;

void expectNear(QPointF actual, QPointF expected, const char* what) {
    EXPECT_NEAR(actual.x(), expected.x(), Near) << what;
    EXPECT_NEAR(actual.y(), expected.y(), Near) << what;
}

class Surface : public ::testing::Test {
protected:
    // A new page as the graphics windows start one.
    void newPage() {
        s.ClearDrawing();
        ASSERT_TRUE(s.AddElement(4, 0, 0, 1000, 1000).ok());
        s.setElementColor(0x8000000F);
        s.setElementColor2(0);
        s.setElementLocked(true);
        s.setElementText(QStringLiteral("Background"));
    }
    // A white box with a text, added as the program would.
    ElementId addBox(QRectF r, const QString& text, bool linked = false) {
        EXPECT_TRUE(s.AddElement(2, r.left(), r.top(), r.right(), r.bottom()).ok());
        s.setElementColor(0x00FFFFFF);
        s.setElementText(text);
        s.setElementHotSpot(linked);
        s.setElementHit(linked);
        return s.drawing().elements().back().id;
    }
    const Element& element(ElementId id) { return *s.drawing().find(id); }
    const Element& last() { return s.drawing().elements().back(); }

    test::ShownSurface shown;
    DrawingSurface& s = shown.surface;
    test::SurfaceDriver& mouse = shown.mouse;
};

TEST_F(Surface, EachToolDrawsItsElement) {
    struct Tool {
        int mode;
        ElementKind kind;
    };
    const Tool tools[] = {{1, ElementKind::Line},       {2, ElementKind::Box},
                          {3, ElementKind::RoundedBox}, {4, ElementKind::Oval},
                          {5, ElementKind::Arc},        {7, ElementKind::Chord}};
    newPage();
    for (const Tool& t : tools) {
        SCOPED_TRACE(t.mode);
        ASSERT_TRUE(s.setEditMode(t.mode));
        const int before = s.drawing().size();
        mouse.drag({200, 300}, {500, 450});
        ASSERT_EQ(s.drawing().size(), before + 1);
        EXPECT_EQ(last().kind, t.kind);
        expectNear(last().p1, {200, 300}, "start");
        expectNear(last().p2, {500, 450}, "end");
        EXPECT_EQ(s.SelectedCount(2), 1);
        // A click that does not drag draws nothing.
        mouse.click({600, 600});
        EXPECT_EQ(s.drawing().size(), before + 1);
    }

    ASSERT_TRUE(s.setEditMode(10));
    mouse.click({100, 120});
    mouse.type(QStringLiteral("Shell 1"));
    mouse.key(Qt::Key_Return);
    mouse.type(QStringLiteral("A&B"));
    mouse.key(Qt::Key_Backspace);
    mouse.key(Qt::Key_Escape);
    EXPECT_EQ(last().kind, ElementKind::Text);
    EXPECT_EQ(last().text, QStringLiteral("Shell 1\nA&"));
    expectNear(last().p1, {100, 120}, "text");
    EXPECT_GT(last().box().height(), 2 * last().fontSize * 0.9); // two lines

    // Clicking into a text with the text tool types into it.
    mouse.click(last().box().center());
    mouse.type(QStringLiteral("!"));
    ASSERT_TRUE(s.setEditMode(11)); // leaving the tool ends the typing
    EXPECT_EQ(last().text, QStringLiteral("Shell 1\nA&!"));

    EXPECT_FALSE(s.setEditMode(6));
    EXPECT_EQ(s.EditMode(), 11);
}

TEST_F(Surface, ClickShiftClickAndRubberBandSelect) {
    newPage();
    const ElementId a = addBox({100, 100, 100, 100}, QStringLiteral("A"));
    const ElementId b = addBox({300, 100, 100, 100}, QStringLiteral("B"));
    const ElementId c = addBox({500, 100, 100, 100}, QStringLiteral("C"));
    s.setTargetScope(2);
    s.setEditMode(11);

    mouse.click({150, 150});
    EXPECT_EQ(s.SelectedCount(2), 1);
    EXPECT_EQ(s.ElementText(), QStringLiteral("A"));
    mouse.click({350, 150}, Qt::ShiftModifier);
    EXPECT_EQ(s.editor().selection(), (std::vector<ElementId>{a, b}));
    mouse.click({150, 150}, Qt::ShiftModifier);
    EXPECT_EQ(s.editor().selection(), (std::vector<ElementId>{b}));
    EXPECT_EQ(s.ElementText(), QStringLiteral("B"));

    // The background is locked: a click on it clears the selection, it is never selected.
    mouse.click({800, 800});
    EXPECT_EQ(s.SelectedCount(2), 0);
    EXPECT_EQ(s.ElementText(), QString());

    // The band takes the elements wholly inside it.
    mouse.drag({50, 50}, {450, 250});
    EXPECT_EQ(s.editor().selection(), (std::vector<ElementId>{a, b}));
    mouse.drag({520, 50}, {800, 300}, Qt::ShiftModifier); // c only partly inside
    EXPECT_EQ(s.SelectedCount(2), 2);
    mouse.drag({480, 50}, {800, 300}, Qt::ShiftModifier);
    EXPECT_EQ(s.editor().selection(), (std::vector<ElementId>{a, b, c}));
    EXPECT_EQ(s.SelectedCount(5), 4);

    // A plain click on one of several selected keeps that one.
    mouse.click({350, 150});
    EXPECT_EQ(s.editor().selection(), (std::vector<ElementId>{b}));
}

TEST_F(Surface, DraggingMovesAndHandlesResizeEachAsOneStep) {
    newPage();
    const ElementId a = addBox({100, 100, 100, 100}, QStringLiteral("A"));
    const ElementId b = addBox({300, 100, 100, 100}, QStringLiteral("B"));
    s.setEditMode(11);
    mouse.click({150, 150});
    mouse.click({350, 150}, Qt::ShiftModifier);
    const auto before = s.drawing().elements();
    const int steps = s.undoStack().index();

    mouse.drag({150, 150}, {250, 200});
    expectNear(element(a).p1, {200, 150}, "a moved");
    expectNear(element(b).p1, {400, 150}, "b moved");
    EXPECT_EQ(element(a).box().size(), QSizeF(100, 100));
    EXPECT_EQ(s.undoStack().index(), steps + 1);
    const auto moved = s.drawing().elements();

    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.drawing().elements(), before);
    mouse.key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(s.drawing().elements(), moved);

    // The bottom right handle of a single selection.
    mouse.click(element(a).box().center());
    const QRectF was = element(a).box();
    mouse.drag(was.bottomRight(), was.bottomRight() + QPointF(60, 90));
    EXPECT_NEAR(element(a).box().width(), 160, Near);
    EXPECT_NEAR(element(a).box().height(), 190, Near);
    EXPECT_EQ(element(a).box().topLeft(), was.topLeft());
    EXPECT_EQ(s.undoStack().index(), steps + 2);

    // Undo in the middle of a drag waits for the drag to end, which is a step of its own.
    const auto beforeDrag = s.drawing().elements();
    const QPointF middle = element(b).box().center();
    mouse.press(middle);
    mouse.send(QEvent::MouseMove, middle + QPointF(40, 0), Qt::NoButton, Qt::LeftButton);
    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    mouse.release(middle + QPointF(40, 0));
    EXPECT_NEAR(element(b).p1.x(), beforeDrag.back().p1.x() + 40, Near);
    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.drawing().elements(), beforeDrag);

    // An arc's start angle is moved by its round handle.
    s.setEditMode(5);
    mouse.drag({500, 500}, {900, 900});
    const ElementId arc = last().id;
    s.setEditMode(11);
    EXPECT_EQ(element(arc).startAngle, 0);
    mouse.drag({870, 700}, {700, 500}); // from three o'clock to twelve
    EXPECT_NEAR(element(arc).startAngle, 90, 1);
    EXPECT_EQ(element(arc).endAngle, 180);
}

TEST_F(Surface, KeysNudgeAndDeleteIsLeftToTheWindow) {
    newPage();
    const ElementId a = addBox({100, 100, 100, 100}, QStringLiteral("A"));
    s.setEditMode(11);
    mouse.click({150, 150});
    QSignalSpy keys(&s, &DrawingSurface::KeyDown);

    mouse.key(Qt::Key_Right);
    mouse.key(Qt::Key_Right);
    mouse.key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(element(a).p1, QPointF(102, 110));

    mouse.key(Qt::Key_Delete);
    mouse.key(Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    // The Shift and Ctrl keys raise KeyDown of their own (16, 17); the others are these.
    QList<QList<QVariant>> pressed;
    for (const auto& k : keys)
        if (k[0].toInt() != 16 && k[0].toInt() != 17)
            pressed << k;
    EXPECT_EQ(pressed, (QList<QList<QVariant>>{{39, 0}, {39, 0}, {40, 1}, {46, 0}, {46, 3}}));
    EXPECT_NE(s.drawing().find(a), nullptr);

    // The three nudges of one selection are one step.
    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(element(a).p1, QPointF(100, 100));
}

TEST_F(Surface, ElementOperationsActOnTheElementsInScope) {
    newPage();
    EXPECT_EQ(s.TargetScope(), 1);
    EXPECT_EQ(s.ElementText(), QStringLiteral("Background"));
    EXPECT_EQ(s.ElementColor(), 0x8000000Fu);
    EXPECT_TRUE(s.ElementLocked());
    const ElementId a = addBox({100, 100, 100, 100}, QString());
    const ElementId b = addBox({300, 100, 100, 100}, QString());
    s.setEditMode(11);
    mouse.click({350, 150});

    // Linking a data row, as the windows do.
    s.setTargetScope(2);
    s.setElementText(QStringLiteral("AREA-'7'"));
    s.setElementHotSpot(true);
    s.setElementHit(true);
    EXPECT_EQ(element(b).text, QStringLiteral("AREA-'7'"));
    EXPECT_TRUE(element(b).hotSpot && element(b).hit);
    EXPECT_TRUE(element(a).text.isEmpty());
    EXPECT_FALSE(element(a).hotSpot || element(a).hit);
    EXPECT_EQ(s.ElementText(), QStringLiteral("AREA-'7'"));

    // Nothing selected: nothing read, nothing changed, no step.
    mouse.click({800, 800});
    const int steps = s.undoStack().index();
    EXPECT_EQ(s.ElementText(), QString());
    s.setElementText(QStringLiteral("lost"));
    EXPECT_EQ(s.undoStack().index(), steps);

    // The whole drawing.
    s.setTargetScope(5);
    s.setElementColor2(0x000000FF);
    for (const Element& e : s.drawing().elements())
        EXPECT_EQ(e.color2, 0x000000FFu);
    s.setTargetScope(3);
    EXPECT_EQ(s.TargetScope(), 5);
}

TEST_F(Surface, HotSpotsAreEnteredAndLeft) {
    newPage();
    addBox({100, 100, 100, 100}, QStringLiteral("A"), true);
    addBox({200, 100, 100, 100}, QStringLiteral("B"), true);
    addBox({300, 100, 100, 100}, QStringLiteral("C"), false);
    s.setTargetScope(2);
    QStringList events;
    QObject::connect(&s, &DrawingSurface::OnHotSpot, [&](double, double, int action) {
        events << QStringLiteral("%1 %2").arg(action).arg(s.ElementText());
    });

    for (int mode : {0, 11, 2}) {
        SCOPED_TRACE(mode);
        s.setEditMode(mode);
        events.clear();
        mouse.hover({50, 50});
        mouse.hover({150, 150}); // into A
        mouse.hover({160, 160}); // still in A
        mouse.hover({250, 150}); // straight into B
        mouse.hover({350, 150}); // onto C, which is no hot spot
        mouse.hover({150, 150});
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(s.viewport(), &leave);
        EXPECT_EQ(events, (QStringList{"2 A", "1 A", "2 B", "1 B", "2 A", "1 A"}));
    }
    // Outside the events ElementText follows the scope again.
    EXPECT_EQ(s.ElementText(), QString());
}

TEST_F(Surface, AClickOnALinkedElementRaisesHitObject) {
    newPage();
    addBox({100, 100, 100, 100}, QStringLiteral("TML-1"), true);
    addBox({300, 100, 100, 100}, QStringLiteral("plain"), false);
    s.setTargetScope(2);
    QStringList hits;
    QObject::connect(&s, &DrawingSurface::HitObject,
                     [&](double, double) { hits << s.ElementText(); });

    s.setEditMode(0);
    mouse.click({150, 150});
    mouse.click({350, 150});
    EXPECT_EQ(hits, QStringList{"TML-1"});
    EXPECT_EQ(s.SelectedCount(2), 0); // no tool: nothing is selected

    s.setEditMode(11);
    mouse.click({150, 150});
    EXPECT_EQ(hits, (QStringList{"TML-1", "TML-1"}));
    EXPECT_EQ(s.SelectedCount(2), 1);
    mouse.drag({150, 150}, {180, 180}); // a drag is no click
    EXPECT_EQ(hits.size(), 2);
}

TEST_F(Surface, DeleteSelectedRemovesOnlyTheSelection) {
    newPage();
    const ElementId a = addBox({100, 100, 100, 100}, QStringLiteral("A"));
    const ElementId b = addBox({300, 100, 100, 100}, QStringLiteral("B"));
    const ElementId c = addBox({500, 100, 100, 100}, QStringLiteral("C"));
    s.setEditMode(11);
    mouse.click({150, 150});
    mouse.click({550, 150}, Qt::ShiftModifier);
    const auto before = s.drawing().elements();

    s.DeleteSelected(2);
    EXPECT_EQ(s.drawing().size(), 2);
    EXPECT_EQ(s.drawing().find(a), nullptr);
    EXPECT_EQ(s.drawing().find(c), nullptr);
    EXPECT_NE(s.drawing().find(b), nullptr);
    EXPECT_EQ(s.SelectedCount(2), 0);

    mouse.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.drawing().elements(), before);
    s.DeleteSelected(5);
    EXPECT_TRUE(s.drawing().isEmpty());
}

TEST_F(Surface, UndoAndRedoWalkBackAndForthThroughMouseEdits) {
    newPage();
    std::vector<std::vector<Element>> states{s.drawing().elements()};
    const auto record = [&] {
        states.push_back(s.drawing().elements());
    };
    s.setEditMode(2);
    mouse.drag({100, 100}, {300, 250});
    record();
    s.setEditMode(4);
    mouse.drag({400, 400}, {700, 600});
    record();
    s.setEditMode(11);
    mouse.drag({250, 100}, {250, 50}); // the box by its top edge
    record();
    s.setTargetScope(2);
    s.setElementText(QStringLiteral("A-1"));
    record();
    s.setEditMode(10);
    mouse.click({500, 800});
    mouse.type(QStringLiteral("note"));
    s.setEditMode(11);
    record();
    for (size_t i = 1; i < states.size(); ++i)
        ASSERT_NE(states[i], states[i - 1]) << i;

    for (size_t i = states.size() - 1; i > 0; --i) {
        mouse.key(Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(s.drawing().elements(), states[i - 1]) << "undo to " << i - 1;
    }
    for (size_t i = 1; i < states.size(); ++i) {
        mouse.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_EQ(s.drawing().elements(), states[i]) << "redo to " << i;
    }
}

TEST_F(Surface, ZoomStepsAndViewScales) {
    newPage();
    ZoomSteps zoom;
    EXPECT_EQ(zoom.viewScale(), 4900);
    const auto span = [&] {
        return s.toViewport({100, 100}) - s.toViewport({0, 0});
    };
    const QPointF start = span();

    for (int i = 0; i < 10; ++i)
        zoom.zoomIn();
    zoom.zoomIn(); // no further than level 11
    EXPECT_EQ(zoom.level(), 11);
    s.setViewScaleX(zoom.viewScale());
    s.setViewScaleY(zoom.viewScale());
    EXPECT_EQ(s.ViewScaleX(), 2 * 4900);
    EXPECT_EQ(s.ViewScaleY(), 2 * 4900);
    EXPECT_NEAR(span().x(), 2 * start.x(), 1e-9);
    EXPECT_NEAR(span().y(), 2 * start.y(), 1e-9);
    EXPECT_GT(s.horizontalScrollBar()->maximum(), 0);

    // Drawing at any zoom gives the same logical coordinates.
    s.setEditMode(2);
    mouse.drag({400, 400}, {500, 450});
    expectNear(last().p1, {400, 400}, "zoomed start");
    expectNear(last().p2, {500, 450}, "zoomed end");

    for (int i = 0; i < 12; ++i)
        zoom.zoomOut();
    EXPECT_EQ(zoom.level(), 0);
    EXPECT_EQ(zoom.viewScale(), 4410);

    // And at any size of the window.
    s.setViewScaleX(4900);
    s.setViewScaleY(4900);
    s.resize(300, 500);
    QApplication::processEvents();
    mouse.drag({600, 100}, {900, 300});
    expectNear(last().p1, {600, 100}, "small window start");
    EXPECT_NEAR(last().p2.x(), 900, 4);
    EXPECT_NEAR(last().p2.y(), 300, 4);
}

TEST_F(Surface, NewPageSavesAndLoadsAsItWas) {
    newPage();
    const Element& page = s.drawing().elements().front();
    EXPECT_EQ(page.kind, ElementKind::Background);
    EXPECT_EQ(page.box(), QRectF(0, 0, 1000, 1000));
    EXPECT_EQ(page.color, ButtonFaceColor);
    EXPECT_EQ(page.color2, BlackColor);
    EXPECT_EQ(page.text, QStringLiteral("Background"));
    EXPECT_EQ(s.undoStack().count(), 1); // the page and its settings are one step

    addBox({10, 10, 50, 50}, QStringLiteral("Point \"1\" <&>"), true);
    s.setEditMode(7);
    mouse.drag({300, 300}, {600, 500});
    test::TempDir dir;
    const QString file = dir.filePath(QStringLiteral("C1_L2_T3_S01.tmp"));
    ASSERT_TRUE(s.SaveDrawing(file, 0).ok());
    const auto saved = s.drawing().elements();

    DrawingSurface other;
    ASSERT_TRUE(other.LoadDrawing(file, 0).ok());
    EXPECT_EQ(other.drawing().elements(), saved); // ids too: given in file order from 1
    EXPECT_EQ(other.undoStack().count(), 0);

    // A damaged file leaves the surface as it was.
    QFile damaged(dir.filePath(QStringLiteral("bad.tmp")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    QFile good(file);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    damaged.write(good.readAll().left(300));
    damaged.close();
    const Status load = other.LoadDrawing(damaged.fileName(), 0);
    ASSERT_FALSE(load.ok());
    EXPECT_TRUE(load.error().contains(QLatin1String("damaged")));
    EXPECT_EQ(other.drawing().elements(), saved);

    other.ClearDrawing();
    EXPECT_TRUE(other.drawing().isEmpty());
    EXPECT_EQ(other.undoStack().count(), 0);
    EXPECT_FALSE(s.AddElement(9, 0, 0, 1, 1).ok());
}

TEST_F(Surface, BusyPointer) {
    s.setEditMode(2);
    s.setPointer(11);
    EXPECT_EQ(s.viewport()->cursor().shape(), Qt::WaitCursor);
    s.setPointer(0);
    EXPECT_EQ(s.Pointer(), 0);
    EXPECT_NE(s.viewport()->cursor().shape(), Qt::WaitCursor);
}

// Each linked element shows its marker as a disc just above its top right corner, in the colour
// given for its text (in any case) or else in the colour of the others; an element that is not
// linked shows none, and without markers no disc is painted.
TEST_F(Surface, MarkersAreDiscsAboveTheTopRightCornerOfLinkedElements) {
    newPage();
    addBox({100, 200, 100, 100}, QStringLiteral("F-9"), true);
    addBox({400, 200, 100, 100}, QStringLiteral("Z-1"), true);
    addBox({700, 200, 100, 100}, QStringLiteral("F-9"), false);
    // The colour at the middle of where each box's disc goes, in pixels of the viewport.
    const auto discs = [&] {
        const QImage image = s.viewport()->grab().toImage();
        QList<QColor> colors;
        for (double right : {200.0, 500.0, 800.0})
            colors << image.pixelColor((s.toViewport({right, 200}) + QPointF(4, -6)).toPoint());
        return colors;
    };
    const QList<QColor> bare = discs();
    ASSERT_EQ(bare[0], bare[2]);
    ASSERT_NE(bare[0], QColor(Qt::red));
    ASSERT_NE(bare[0], QColor(Qt::green));

    s.setMarkers({{QStringLiteral("f-9"), QColor(Qt::red)}}, QColor(Qt::green));
    EXPECT_EQ(discs(), QList<QColor>({QColor(Qt::red), QColor(Qt::green), bare[2]}));
    s.setMarkers({{QStringLiteral("f-9"), QColor(Qt::red)}});
    EXPECT_EQ(discs(), QList<QColor>({QColor(Qt::red), bare[1], bare[2]}));
    s.setMarkers({});
    EXPECT_EQ(discs(), bare);
}

} // namespace
} // namespace korvane
