#pragma once

#include "drawing/DrawingElement.h"
#include "drawing/DrawingGeometry.h"

#include <QHash>
#include <QRectF>

#include <vector>

namespace korvane {

// The elements of one drawing, bottom first, with a grid index over the page so that finding the
// element under the pointer looks at the few elements near it rather than at all of them.
class Drawing {
public:
    Drawing();

    const std::vector<Element>& elements() const { return elements_; }
    int size() const { return static_cast<int>(elements_.size()); }
    bool isEmpty() const { return elements_.empty(); }

    // The element with this id, or nullptr.
    const Element* find(ElementId id) const;
    // Position from the bottom (0 is painted first), or -1.
    int indexOf(ElementId id) const;

    // An id no element has had yet in this drawing.
    ElementId newId() { return nextId_++; }
    // Adds e on top, or at index when one is given, under a new id unless e carries an id not in
    // use (undo puts elements back that way). Returns the id.
    ElementId add(Element e, int index = -1);
    // Replaces the element with e.id by e, keeping its place. False when there is none.
    bool replace(const Element& e);
    // Removes and returns the element (nothing when the id is unknown).
    bool remove(ElementId id, Element* removed = nullptr);
    void clear();

    // The same for many elements at once, in one pass over the drawing. insertMany takes
    // (place, element) pairs, each element landing at its place in the drawing that results;
    // the pairs must be ordered by place and the ids free.
    void removeMany(const std::vector<ElementId>& ids);
    void insertMany(const std::vector<std::pair<int, Element>>& placed);

    // The topmost element at p that passes the test, or NoElement. Locked elements are skipped
    // when skipLocked is set; onlyHotSpots keeps elements with their hot-spot or hit flag.
    struct Query {
        double tolerance = 0;
        HitMode mode = HitMode::Painted;
        bool skipLocked = true;
        bool onlyHotSpots = false;
        bool onlyHit = false;
    };
    ElementId topmostAt(const QPointF& p, const Query& query) const;

    // Ids of the elements whose bounds intersect r, bottom first.
    std::vector<ElementId> intersecting(const QRectF& r) const;
    // Ids of the elements whose bounds lie inside r, bottom first.
    std::vector<ElementId> containedIn(const QRectF& r) const;

    bool operator==(const Drawing& other) const { return elements_ == other.elements_; }

private:
    static constexpr int GridSize = 32; // cells per axis over the page
    struct CellRange {
        int x0, y0, x1, y1;
    };
    CellRange cellsOf(const QRectF& r) const;
    void indexElement(const Element& e);
    void unindexElement(ElementId id);
    void reindexPositions(int from);
    template <class F> void forCandidates(const QRectF& r, F&& f) const;

    std::vector<Element> elements_;
    QHash<ElementId, int> position_;
    QHash<ElementId, CellRange> cellsOfElement_;
    std::vector<std::vector<ElementId>> cells_;
    mutable std::vector<std::uint32_t> seenMark_;
    mutable std::uint32_t seenStamp_ = 0;
    ElementId nextId_ = 1;
};

} // namespace korvane
