#pragma once

#include <QRectF>
#include <QString>

#include <utility>
#include <vector>

class QPainter;

namespace korvane::reports {

// A table of a laid-out part with header rows: where it begins (its first cell's text), where
// its header rows end, and where it ends.
struct TableHeader {
    qreal top = 0;
    qreal headerBottom = 0;
    qreal bottom = 0;
};

// One part of a report laid out the width of the page, in the pixels of the page's resolution:
// how tall it is, where a page may not end, and how it is painted.
class PartLayout {
public:
    virtual ~PartLayout() = default;

    qreal height() const { return height_; }
    // Where a page may not end: lines and table rows, in order, none overlapping.
    const std::vector<std::pair<qreal, qreal>>& unbroken() const { return unbroken_; }
    const std::vector<TableHeader>& tables() const { return tables_; }
    // Blocks a page does not end just after, since they go with what follows them: headings,
    // and paragraphs styled "page-break-after: avoid". From their first line's top to their last
    // line's bottom, in order.
    const std::vector<std::pair<qreal, qreal>>& keptWithNext() const { return kept_; }

    // Paints what stands in `clip` (a band of the part, in the part's pixels); the painter's
    // origin is the part's top left. A line is painted when it reaches into the band.
    virtual void paint(QPainter& painter, const QRectF& clip) const = 0;
    // The part's text, a line for each paragraph and each table cell.
    virtual QString plainText() const = 0;

    // Where a page may end inside a row taller than a page: between the lines of its cells, as
    // `unbroken` without the rows.
    const std::vector<std::pair<qreal, qreal>>& lines() const { return lines_; }

protected:
    // Keeps the spans where a page may not end (lines, and table rows as a whole), sorted and
    // those that overlap joined.
    void setUnbroken(std::vector<std::pair<qreal, qreal>> lines,
                     const std::vector<std::pair<qreal, qreal>>& rows);

    qreal height_ = 0;
    std::vector<std::pair<qreal, qreal>> unbroken_;
    std::vector<std::pair<qreal, qreal>> lines_;
    std::vector<TableHeader> tables_;
    std::vector<std::pair<qreal, qreal>> kept_;
};

} // namespace korvane::reports
