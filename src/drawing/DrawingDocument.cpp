#include "drawing/DrawingDocument.h"

#include <QSet>
#include <QUndoCommand>

#include <algorithm>

namespace korvane {

// One undoable step: a list of element changes applied forwards by redo and backwards by undo.
class DrawingStep : public QUndoCommand {
public:
    DrawingStep(DrawingDocument& document, const QString& what,
                std::vector<DrawingDocument::Change> changes, int mergeKey, bool applied)
        : QUndoCommand(what), document_(document), changes_(std::move(changes)),
          mergeKey_(mergeKey), skipFirstRedo_(applied) {}

    void redo() override {
        if (skipFirstRedo_) {
            skipFirstRedo_ = false;
            return;
        }
        document_.apply(changes_, true);
    }
    void undo() override { document_.apply(changes_, false); }
    int id() const override { return mergeKey_; }

    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const DrawingStep*>(other);
        if (next->changes_.size() != changes_.size())
            return false;
        for (size_t i = 0; i < changes_.size(); ++i) {
            const auto& mine = changes_[i];
            const auto& theirs = next->changes_[i];
            if (!mine.after || !theirs.before || !theirs.after ||
                mine.after->id != theirs.before->id)
                return false;
        }
        for (size_t i = 0; i < changes_.size(); ++i)
            changes_[i].after = next->changes_[i].after;
        return true;
    }

private:
    DrawingDocument& document_;
    std::vector<DrawingDocument::Change> changes_;
    int mergeKey_;
    bool skipFirstRedo_;
};

DrawingDocument::DrawingDocument(QObject* parent) : QObject(parent) {}

void DrawingDocument::apply(const std::vector<Change>& changes, bool forward) {
    // Removals go first, then replacements, then additions lowest place first, so that every
    // element lands at the place it was recorded at.
    std::vector<ElementId> removed;
    std::vector<std::pair<int, Element>> added;
    for (const Change& c : changes) {
        const auto& from = forward ? c.before : c.after;
        const auto& to = forward ? c.after : c.before;
        if (from && !to)
            removed.push_back(from->id);
        else if (from && to)
            drawing_.replace(*to);
        else if (to)
            added.emplace_back(c.index, *to);
    }
    drawing_.removeMany(removed);
    std::stable_sort(added.begin(), added.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    drawing_.insertMany(added);
    emit changed();
}

void DrawingDocument::reset(const std::vector<Element>& elements) {
    undoStack_.clear();
    drawing_.clear();
    for (Element e : elements) {
        e.id = NoElement;
        drawing_.add(e);
    }
    emit changed();
}

ElementId DrawingDocument::add(const QString& what, Element e) {
    e.id = drawing_.newId();
    Change c{std::nullopt, e, drawing_.size()};
    undoStack_.push(new DrawingStep(*this, what, {c}, AddKey, false));
    return e.id;
}

void DrawingDocument::change(const QString& what, const std::vector<Element>& after, int mergeKey) {
    std::vector<Change> changes;
    for (const Element& e : after) {
        const Element* current = drawing_.find(e.id);
        if (current && !(*current == e))
            changes.push_back({*current, e, drawing_.indexOf(e.id)});
    }
    if (!changes.empty())
        undoStack_.push(new DrawingStep(*this, what, std::move(changes), mergeKey, false));
}

void DrawingDocument::remove(const QString& what, const std::vector<ElementId>& ids) {
    std::vector<Change> changes;
    QSet<ElementId> seen;
    for (ElementId id : ids) {
        const Element* current = drawing_.find(id);
        if (current && !seen.contains(id)) {
            seen.insert(id);
            changes.push_back({*current, std::nullopt, drawing_.indexOf(id)});
        }
    }
    if (!changes.empty())
        undoStack_.push(new DrawingStep(*this, what, std::move(changes), -1, false));
}

void DrawingDocument::changedLive(const QString& what, const std::vector<Element>& before) {
    std::vector<Change> changes;
    for (const Element& old : before) {
        const Element* current = drawing_.find(old.id);
        if (current && !(*current == old))
            changes.push_back({old, *current, drawing_.indexOf(old.id)});
    }
    if (!changes.empty())
        undoStack_.push(new DrawingStep(*this, what, std::move(changes), -1, true));
}

void DrawingDocument::changeLive(const Element& e) {
    if (drawing_.replace(e))
        emit changed();
}

} // namespace korvane
