#include "drawing/Drawing.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// The page the grid covers; elements outside it are filed in the border cells.
constexpr double PageSize = 1000.0;

int cellIndex(double v, int gridSize) {
    const double cell = std::floor(v / (PageSize / gridSize));
    if (!(cell >= 0)) // also catches NaN
        return 0;
    if (cell >= gridSize - 1)
        return gridSize - 1;
    return static_cast<int>(cell);
}

} // namespace

Drawing::Drawing() : cells_(static_cast<size_t>(GridSize * GridSize)) {}

const Element* Drawing::find(ElementId id) const {
    const auto it = position_.constFind(id);
    return it == position_.constEnd() ? nullptr : &elements_[static_cast<size_t>(*it)];
}

int Drawing::indexOf(ElementId id) const {
    return position_.value(id, -1);
}

Drawing::CellRange Drawing::cellsOf(const QRectF& r) const {
    return {cellIndex(r.left(), GridSize), cellIndex(r.top(), GridSize),
            cellIndex(r.right(), GridSize), cellIndex(r.bottom(), GridSize)};
}

void Drawing::indexElement(const Element& e) {
    const CellRange range = cellsOf(elementBounds(e));
    for (int y = range.y0; y <= range.y1; ++y)
        for (int x = range.x0; x <= range.x1; ++x)
            cells_[static_cast<size_t>(y * GridSize + x)].push_back(e.id);
    cellsOfElement_.insert(e.id, range);
}

void Drawing::unindexElement(ElementId id) {
    const auto it = cellsOfElement_.constFind(id);
    if (it == cellsOfElement_.constEnd())
        return;
    const CellRange range = *it;
    for (int y = range.y0; y <= range.y1; ++y) {
        for (int x = range.x0; x <= range.x1; ++x) {
            auto& cell = cells_[static_cast<size_t>(y * GridSize + x)];
            const auto found = std::find(cell.begin(), cell.end(), id);
            if (found != cell.end()) {
                *found = cell.back();
                cell.pop_back();
            }
        }
    }
    cellsOfElement_.erase(it);
}

void Drawing::reindexPositions(int from) {
    for (int i = from; i < size(); ++i)
        position_.insert(elements_[static_cast<size_t>(i)].id, i);
}

ElementId Drawing::add(Element e, int index) {
    if (e.id == NoElement || position_.contains(e.id))
        e.id = nextId_++;
    else
        nextId_ = std::max(nextId_, e.id + 1);
    if (index < 0 || index > size())
        index = size();
    elements_.insert(elements_.begin() + index, e);
    reindexPositions(index);
    indexElement(e);
    return e.id;
}

bool Drawing::replace(const Element& e) {
    const int i = indexOf(e.id);
    if (i < 0)
        return false;
    Element& current = elements_[static_cast<size_t>(i)];
    const bool moved = elementBounds(current) != elementBounds(e);
    if (moved)
        unindexElement(e.id);
    current = e;
    if (moved)
        indexElement(e);
    return true;
}

bool Drawing::remove(ElementId id, Element* removed) {
    const int i = indexOf(id);
    if (i < 0)
        return false;
    unindexElement(id);
    if (removed)
        *removed = elements_[static_cast<size_t>(i)];
    elements_.erase(elements_.begin() + i);
    position_.remove(id);
    reindexPositions(i);
    return true;
}

void Drawing::removeMany(const std::vector<ElementId>& ids) {
    int first = size();
    for (ElementId id : ids) {
        const int i = indexOf(id);
        if (i < 0)
            continue;
        first = std::min(first, i);
        unindexElement(id);
        position_.remove(id);
    }
    const auto gone = [this](const Element& e) {
        return !position_.contains(e.id);
    };
    elements_.erase(std::remove_if(elements_.begin() + first, elements_.end(), gone),
                    elements_.end());
    reindexPositions(first);
}

void Drawing::insertMany(const std::vector<std::pair<int, Element>>& placed) {
    if (placed.empty())
        return;
    std::vector<Element> merged;
    merged.reserve(elements_.size() + placed.size());
    size_t old = 0;
    size_t next = 0;
    while (old < elements_.size() || next < placed.size()) {
        const bool takeNew =
            next < placed.size() &&
            (placed[next].first <= static_cast<int>(merged.size()) || old == elements_.size());
        if (takeNew) {
            Element e = placed[next++].second;
            if (e.id == NoElement || position_.contains(e.id))
                e.id = nextId_++;
            nextId_ = std::max(nextId_, e.id + 1);
            position_.insert(e.id, -1);
            indexElement(e);
            merged.push_back(std::move(e));
        } else {
            merged.push_back(std::move(elements_[old++]));
        }
    }
    elements_ = std::move(merged);
    reindexPositions(std::max(0, std::min(placed.front().first, size())));
}

void Drawing::clear() {
    elements_.clear();
    position_.clear();
    cellsOfElement_.clear();
    for (auto& cell : cells_)
        cell.clear();
}

template <class F> void Drawing::forCandidates(const QRectF& r, F&& f) const {
    // Each element is visited once however many cells it covers: positions seen are stamped.
    if (seenMark_.size() < elements_.size())
        seenMark_.resize(elements_.size(), 0);
    if (++seenStamp_ == 0) {
        std::fill(seenMark_.begin(), seenMark_.end(), 0);
        seenStamp_ = 1;
    }
    const CellRange range = cellsOf(r);
    for (int y = range.y0; y <= range.y1; ++y) {
        for (int x = range.x0; x <= range.x1; ++x) {
            for (ElementId id : cells_[static_cast<size_t>(y * GridSize + x)]) {
                const int i = position_.value(id, -1);
                if (i < 0 || seenMark_[static_cast<size_t>(i)] == seenStamp_)
                    continue;
                seenMark_[static_cast<size_t>(i)] = seenStamp_;
                f(i);
            }
        }
    }
}

ElementId Drawing::topmostAt(const QPointF& p, const Query& query) const {
    const double t = query.tolerance;
    int best = -1;
    forCandidates(QRectF(p.x() - t, p.y() - t, 2 * t, 2 * t), [&](int i) {
        if (i <= best)
            return;
        const Element& e = elements_[static_cast<size_t>(i)];
        if (query.skipLocked && e.locked)
            return;
        if (query.onlyHotSpots && !e.hotSpot)
            return;
        if (query.onlyHit && !e.hit)
            return;
        if (elementContains(e, p, t, query.mode))
            best = i;
    });
    return best < 0 ? NoElement : elements_[static_cast<size_t>(best)].id;
}

std::vector<ElementId> Drawing::intersecting(const QRectF& r) const {
    std::vector<int> found;
    forCandidates(r, [&](int i) {
        if (elementBounds(elements_[static_cast<size_t>(i)]).intersects(r))
            found.push_back(i);
    });
    std::sort(found.begin(), found.end());
    std::vector<ElementId> ids;
    ids.reserve(found.size());
    for (int i : found)
        ids.push_back(elements_[static_cast<size_t>(i)].id);
    return ids;
}

std::vector<ElementId> Drawing::containedIn(const QRectF& r) const {
    std::vector<ElementId> ids;
    for (ElementId id : intersecting(r)) {
        if (r.contains(elementBounds(*find(id))))
            ids.push_back(id);
    }
    return ids;
}

} // namespace korvane
