#pragma once

#include "drawing/Drawing.h"

#include <QObject>
#include <QUndoStack>

#include <optional>
#include <vector>

namespace korvane {

// A drawing together with its undo history. Every change made by the mouse, the keyboard or the
// program goes through here as one undoable step; loading and clearing start a new history.
class DrawingDocument : public QObject {
    Q_OBJECT
public:
    explicit DrawingDocument(QObject* parent = nullptr);

    const Drawing& drawing() const { return drawing_; }
    QUndoStack& undoStack() { return undoStack_; }

    // One element before and after a step: no `before` means the step adds it, no `after` that
    // it removes it. index is its place from the bottom (where it was, or where it goes).
    struct Change {
        std::optional<Element> before;
        std::optional<Element> after;
        int index = -1;
    };

    // Replaces everything with elements (ids given anew) and forgets the history.
    void reset(const std::vector<Element>& elements);

    // Adds e on top as one step and returns its id.
    ElementId add(const QString& what, Element e);
    // Replaces elements (matched by id) by the given ones as one step. Elements equal to what
    // they replace are left out; nothing left means no step.
    void change(const QString& what, const std::vector<Element>& after, int mergeKey = -1);
    // Removes the elements as one step.
    void remove(const QString& what, const std::vector<ElementId>& ids);
    // Records elements the caller has already changed in place (a drag shown live) as one step:
    // before holds them as they were when the drag began.
    void changedLive(const QString& what, const std::vector<Element>& before);
    // Changes elements in place without a step, for the live part of a drag.
    void changeLive(const Element& e);

    // Steps with the same merge key that follow one another and touch the same elements become
    // one step (typing into one text, nudging one selection).
    // AddKey: property settings of an element just added become part of the step that added it.
    enum MergeKey { TypingKey = 1, NudgeKey = 2, AddKey = 3 };

signals:
    // Something in the drawing changed (a step done, undone or redone, or a live change).
    void changed();

private:
    friend class DrawingStep;
    void apply(const std::vector<Change>& changes, bool forward);

    Drawing drawing_;
    QUndoStack undoStack_;
};

} // namespace korvane
