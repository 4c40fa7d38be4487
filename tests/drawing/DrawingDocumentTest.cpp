#include "drawing/DrawingDocument.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace korvane {
namespace {

Element box(double x) {
    Element e;
    e.kind = ElementKind::Box;
    e.p1 = QPointF(x, x);
    e.p2 = QPointF(x + 10, x + 10);
    return e;
}

// Every step undone brings back exactly the drawing before it, and redone the drawing after it,
// whatever mix of additions, changes and removals the steps were.
TEST(DrawingDocument, UndoAndRedoRestoreEveryStateExactly) {
    QRandomGenerator random(3);
    DrawingDocument doc;
    std::vector<Element> start;
    for (int i = 0; i < 30; ++i)
        start.push_back(box(i * 20));
    doc.reset(start);
    EXPECT_EQ(doc.undoStack().count(), 0);

    std::vector<std::vector<Element>> states{doc.drawing().elements()};
    for (int step = 0; step < 120; ++step) {
        const auto& all = doc.drawing().elements();
        const auto pick = [&] {
            return all[static_cast<size_t>(random.bounded(doc.drawing().size()))];
        };
        switch (random.bounded(4)) {
        case 0:
            doc.add(QStringLiteral("add"), box(random.bounded(900.0)));
            break;
        case 1: {
            Element e = pick();
            e.text = QString::number(step);
            e.hotSpot = !e.hotSpot;
            doc.change(QStringLiteral("change"), {e});
            break;
        }
        case 2: {
            std::vector<ElementId> ids;
            for (int k = 0; k < 3 && doc.drawing().size() > 5; ++k)
                ids.push_back(pick().id);
            doc.remove(QStringLiteral("remove"), ids);
            break;
        }
        case 3: {
            // A drag: changed in place, recorded afterwards.
            const Element before = pick();
            Element moved = before;
            moved.p1 += QPointF(5, 7);
            moved.p2 += QPointF(5, 7);
            doc.changeLive(moved);
            moved.p2 += QPointF(1, 1);
            doc.changeLive(moved);
            doc.changedLive(QStringLiteral("move"), {before});
            break;
        }
        }
        if (doc.drawing().elements() != states.back())
            states.push_back(doc.drawing().elements());
        ASSERT_EQ(doc.undoStack().index() + 1, static_cast<int>(states.size()));
    }
    for (int i = static_cast<int>(states.size()) - 2; i >= 0; --i) {
        doc.undoStack().undo();
        ASSERT_EQ(doc.drawing().elements(), states[static_cast<size_t>(i)]) << "undo to " << i;
    }
    for (size_t i = 1; i < states.size(); ++i) {
        doc.undoStack().redo();
        ASSERT_EQ(doc.drawing().elements(), states[i]) << "redo to " << i;
    }
}

TEST(DrawingDocument, StepsThatBelongTogetherAreOneStep) {
    DrawingDocument doc;
    // Property settings right after an addition are part of it.
    const ElementId id = doc.add(QStringLiteral("add"), box(0));
    Element e = *doc.drawing().find(id);
    e.color = ButtonFaceColor;
    doc.change(QStringLiteral("colour"), {e}, DrawingDocument::AddKey);
    e.text = QStringLiteral("Background");
    doc.change(QStringLiteral("text"), {e}, DrawingDocument::AddKey);
    EXPECT_EQ(doc.undoStack().count(), 1);

    // Nudges of the same elements merge; a nudge of others does not.
    const ElementId other = doc.add(QStringLiteral("add"), box(50));
    for (int i = 0; i < 5; ++i) {
        e.p1 += QPointF(1, 0);
        e.p2 += QPointF(1, 0);
        doc.change(QStringLiteral("nudge"), {e}, DrawingDocument::NudgeKey);
    }
    Element o = *doc.drawing().find(other);
    o.p1 += QPointF(0, 1);
    doc.change(QStringLiteral("nudge"), {o}, DrawingDocument::NudgeKey);
    EXPECT_EQ(doc.undoStack().count(), 4);

    doc.undoStack().undo();
    doc.undoStack().undo();
    EXPECT_EQ(doc.drawing().find(id)->p1, QPointF(0, 0));
    EXPECT_EQ(doc.drawing().find(id)->text, QStringLiteral("Background"));

    // A change that changes nothing is no step.
    doc.change(QStringLiteral("same"), {*doc.drawing().find(id)});
    EXPECT_EQ(doc.undoStack().index(), 2);
}

TEST(DrawingDocument, RemovedElementsComeBackInTheirPlaces) {
    DrawingDocument doc;
    std::vector<Element> start;
    for (int i = 0; i < 8; ++i)
        start.push_back(box(i));
    doc.reset(start);
    const auto original = doc.drawing().elements();
    doc.remove(QStringLiteral("remove"), {original[6].id, original[0].id, original[3].id});
    EXPECT_EQ(doc.drawing().size(), 5);
    doc.undoStack().undo();
    EXPECT_EQ(doc.drawing().elements(), original);
}

} // namespace
} // namespace korvane
