#include "reports/BlockLayout.h"

#include <QGlyphRun>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace korvane::reports {

namespace {

// Spans sorted, those that overlap joined.
std::vector<std::pair<qreal, qreal>> joined(std::vector<std::pair<qreal, qreal>> spans) {
    constexpr qreal Near = 0.01;
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<qreal, qreal>> out;
    for (const auto& span : spans) {
        if (!out.empty() && span.first < out.back().second - Near)
            out.back().second = std::max(out.back().second, span.second);
        else
            out.push_back(span);
    }
    return out;
}

} // namespace

void PartLayout::setUnbroken(std::vector<std::pair<qreal, qreal>> lines,
                             const std::vector<std::pair<qreal, qreal>>& rows) {
    lines_ = joined(lines);
    lines.insert(lines.end(), rows.begin(), rows.end());
    unbroken_ = joined(std::move(lines));
}

namespace {

// A length in 1/64 of a pixel, added, multiplied, divided and rounded as the text layout does,
// so that columns and rows come out the same to the last 1/64 pixel.
class Fixed {
public:
    constexpr Fixed() = default;
    static constexpr Fixed raw(int v) {
        Fixed f;
        f.v_ = v;
        return f;
    }
    static constexpr Fixed whole(int i) { return raw(i * 64); }
    static Fixed fromReal(qreal r) { return raw(static_cast<int>(r * 64)); }

    constexpr int value() const { return v_; }
    constexpr qreal real() const { return v_ / 64.0; }
    constexpr Fixed round() const { return raw((v_ + 32) & -64); }
    constexpr Fixed ceil() const { return raw((v_ + 63) & -64); }

    constexpr Fixed operator+(Fixed o) const { return raw(v_ + o.v_); }
    constexpr Fixed operator-(Fixed o) const { return raw(v_ - o.v_); }
    Fixed& operator+=(Fixed o) {
        v_ += o.v_;
        return *this;
    }
    Fixed& operator-=(Fixed o) {
        v_ -= o.v_;
        return *this;
    }
    constexpr Fixed operator*(int i) const { return raw(v_ * i); }
    constexpr Fixed operator/(int d) const { return raw(v_ / d); }
    Fixed operator*(Fixed o) const {
        qint64 a = v_, b = o.v_;
        const bool negative = toMagnitudes(a, b);
        const int r = static_cast<int>((a * b + 0x20) >> 6);
        return raw(negative ? -r : r);
    }
    Fixed operator/(Fixed o) const {
        if (o.v_ == 0)
            return raw(0x7FFFFFFF);
        qint64 a = v_, b = o.v_;
        const bool negative = toMagnitudes(a, b);
        const int r = static_cast<int>(((a << 6) + (b >> 1)) / b);
        return raw(negative ? -r : r);
    }
    constexpr auto operator<=>(const Fixed&) const = default;

private:
    // Makes both numbers their magnitudes; true when the result of multiplying or dividing them
    // is negative.
    static bool toMagnitudes(qint64& a, qint64& b) {
        const bool negative = (a < 0) != (b < 0);
        a = a < 0 ? -a : a;
        b = b < 0 ? -b : b;
        return negative;
    }

    int v_ = 0;
};

// "No limit": the width a cell is laid out in to learn its widest word and its whole width.
constexpr Fixed Unlimited = Fixed::whole(INT_MAX / 256);

// A run of glyphs of one colour, placed in its paragraph.
struct Glyphs {
    QGlyphRun run;
    QColor color; // invalid: the text colour
};

struct Line {
    qreal top = 0, height = 0; // in the paragraph; height as the line reports it
    qreal reach = 0;           // how far down the line reaches into the clip test
    Fixed textWidth;
    qreal shift = 0; // across, for the alignment of a line laid out in another width
    int firstGlyphs = 0, glyphsCount = 0;
};

// A paragraph laid out in a width.
struct Paragraph {
    std::vector<Line> lines;
    std::vector<Glyphs> glyphs;
    Fixed height; // how far the paragraph moves down what follows it
    Fixed minimumWidth, maximumWidth;
    bool overflows = false;     // a word is wider than the width
    bool trailingSpace = false; // the text ends in white space
};

// What is painted, in the part's pixels, in order.
struct TextItem {
    QPointF origin;
    const Paragraph* paragraph;
    int line;
};
struct BoxItem {
    QRectF box;
    QColor color;
};

} // namespace

// What the parts of a report share: the fonts of the styles, and the paragraphs already measured.
struct BlockLayouter::Shared {
    QFont font;
    QPaintDevice* device;
    int dpi;
    Fixed width;
    qreal emptyLineHeight = 0;
    std::vector<TextStyle> styles;
    std::vector<QFont> fonts;
    std::vector<QTextCharFormat> formats;
    // Paragraphs laid out without a limit of width, by their text, styles and alignment. Labels,
    // headings and many values come back on every record; a paragraph that is one line there is
    // the same line in any width it fits.
    QHash<QString, std::shared_ptr<const Paragraph>> measured;

    int styleIndex(const TextStyle& style);
};

namespace {

class BlockPart final : public PartLayout {
public:
    BlockPart(const ReportBlocks& blocks, BlockLayouter::Shared& shared);
    bool layOut();

    void paint(QPainter& painter, const QRectF& clip) const override;
    QString plainText() const override { return texts_.join(u'\n').replace(QChar::Nbsp, u' '); }

private:
    struct TableGeometry {
        Fixed border, spacing, padding;
        Fixed width, height; // of the whole table
        std::vector<Fixed> columnPositions, widths, rowPositions, heights;
    };

    // The paragraph laid out in a width, from what was measured where it is the same.
    Paragraph layOutParagraph(const BlockParagraph& p, Fixed width);
    // The paragraph laid out without a limit of width: its narrowest and widest.
    std::shared_ptr<const Paragraph> measure(const BlockParagraph& p);
    Paragraph shape(const BlockParagraph& p, Fixed width, bool withGlyphs) const;
    QString keyOf(const BlockParagraph& p) const;
    // The table laid out with its top at y; its height, or nothing when it does not fit.
    std::optional<Fixed> layOutTable(const BlockTable& table, Fixed y);
    void addParagraph(Paragraph&& p, QPointF at);
    void addBorder(QRectF rect, qreal border, bool raised);
    void addEmptyLine(qreal top);
    qreal scaleToDevice(qreal pixels) const { return pixels * shared_.dpi / 96.0; }
    const TextStyle& styleOf(int partStyle) const {
        return shared_
            .styles[static_cast<std::size_t>(styles_[static_cast<std::size_t>(partStyle)])];
    }

    const ReportBlocks& blocks_;
    BlockLayouter::Shared& shared_;
    std::vector<int> styles_; // the shared index of each of the part's styles

    std::vector<std::unique_ptr<Paragraph>> paragraphs_;
    std::vector<std::pair<qreal, qreal>> spans_; // lines
    std::vector<std::pair<qreal, qreal>> rows_;  // table rows as a whole
    // Items in painting order, each with the band it stands in, for the clip test.
    struct Item {
        qreal top, bottom;
        bool text;
        int index;
    };
    std::vector<Item> items_;
    std::vector<TextItem> textItems_;
    std::vector<BoxItem> boxes_;
    QStringList texts_; // of the paragraphs and cells, and the empty lines around tables
};

BlockPart::BlockPart(const ReportBlocks& blocks, BlockLayouter::Shared& shared)
    : blocks_(blocks), shared_(shared) {
    for (const TextStyle& style : blocks.styles)
        styles_.push_back(shared.styleIndex(style));
}

QString BlockPart::keyOf(const BlockParagraph& p) const {
    QString key = p.text;
    key.reserve(p.text.size() + 4 + 3 * static_cast<qsizetype>(p.runs.size()));
    key += QChar(0xFFFF);
    key += QChar(static_cast<char16_t>(p.alignment.toInt()));
    key += QChar(static_cast<char16_t>(styles_[static_cast<std::size_t>(p.style)]));
    for (const TextRun& run : p.runs) {
        key += QChar(static_cast<char16_t>(run.length));
        key += QChar(static_cast<char16_t>(styles_[static_cast<std::size_t>(run.style)]));
    }
    return key;
}

std::shared_ptr<const Paragraph> BlockPart::measure(const BlockParagraph& p) {
    const QString key = keyOf(p);
    if (const auto found = shared_.measured.constFind(key); found != shared_.measured.cend())
        return *found;
    auto measured = std::make_shared<const Paragraph>(shape(p, Unlimited, true));
    if (shared_.measured.size() > 50000)
        shared_.measured.clear(); // a bound on memory for reports of very many values
    shared_.measured.insert(key, measured);
    return measured;
}

Paragraph BlockPart::layOutParagraph(const BlockParagraph& p, Fixed width) {
    const auto measured = measure(p);
    if (measured->lines.size() == 1 && measured->lines[0].textWidth <= width &&
        (p.alignment & Qt::AlignLeft || !measured->trailingSpace)) {
        // One line there is the same line here, placed across as the alignment says.
        Paragraph p1 = *measured;
        Line& line = p1.lines[0];
        if (p.alignment & Qt::AlignRight)
            line.shift = (width - line.textWidth).real();
        else if (p.alignment & Qt::AlignHCenter)
            line.shift = ((width - line.textWidth) / 2).real();
        return p1;
    }
    return shape(p, width, true);
}

Paragraph BlockPart::shape(const BlockParagraph& p, Fixed width, bool withGlyphs) const {
    Paragraph laidOut;
    laidOut.trailingSpace = !p.text.isEmpty() && p.text.back().isSpace();
    QTextLayout layout(
        p.text, shared_.fonts[static_cast<std::size_t>(styles_[static_cast<std::size_t>(p.style)])],
        shared_.device);
    QTextOption option(p.alignment);
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(static_cast<qsizetype>(p.runs.size()));
    for (const TextRun& run : p.runs)
        ranges.append(
            {run.start, run.length,
             shared_
                 .formats[static_cast<std::size_t>(styles_[static_cast<std::size_t>(run.style)])]});
    layout.setFormats(ranges);
    layout.setCacheEnabled(withGlyphs);

    layout.beginLayout();
    Fixed y, bottom;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width.real());
        if (Fixed::fromReal(line.naturalTextWidth()) > width)
            laidOut.overflows = true;
        const qreal rawHeight = std::ceil(line.ascent() + line.descent() + line.leading());
        line.setPosition(QPointF(0, y.real()));
        bottom = y + Fixed::fromReal(line.height());
        laidOut.lines.push_back({y.real(), line.height(),
                                 line.ascent() + line.descent() + line.leading(),
                                 Fixed::fromReal(line.naturalTextWidth()), 0, 0, 0});
        y += Fixed::fromReal(rawHeight);
    }
    layout.endLayout();
    laidOut.height = std::max(y, bottom);
    laidOut.minimumWidth = Fixed::fromReal(layout.minimumWidth());
    laidOut.maximumWidth = Fixed::fromReal(layout.maximumWidth());
    if (!withGlyphs || laidOut.overflows)
        return laidOut;

    // The glyphs of each line, run by run of the text, in the order they are read: a reader of
    // the PDF file takes the words in the order they are drawn.
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        Line& l = laidOut.lines[static_cast<std::size_t>(i)];
        l.firstGlyphs = static_cast<int>(laidOut.glyphs.size());
        const int start = line.textStart(), end = start + line.textLength();
        for (const TextRun& run : p.runs) {
            const int from = std::max(start, run.start);
            const int to = std::min(end, run.start + run.length);
            if (from >= to)
                continue;
            const QColor color = styleOf(run.style).color;
            QList<QGlyphRun> runs = layout.glyphRuns(from, to - from);
            if (runs.size() > 1) // a run in more than one font (a character another font has)
                std::sort(runs.begin(), runs.end(), [](const QGlyphRun& a, const QGlyphRun& b) {
                    const auto x = [](const QGlyphRun& r) {
                        return r.positions().isEmpty() ? 0.0 : r.positions().first().x();
                    };
                    return x(a) < x(b);
                });
            for (QGlyphRun& glyphs : runs)
                laidOut.glyphs.push_back({std::move(glyphs), color});
        }
        l.glyphsCount = static_cast<int>(laidOut.glyphs.size()) - l.firstGlyphs;
    }
    return laidOut;
}

void BlockPart::addParagraph(Paragraph&& p, QPointF at) {
    paragraphs_.push_back(std::make_unique<Paragraph>(std::move(p)));
    const Paragraph* laidOut = paragraphs_.back().get();
    for (std::size_t i = 0; i < laidOut->lines.size(); ++i) {
        const Line& line = laidOut->lines[i];
        const qreal top = at.y() + line.top;
        items_.push_back({top, top + line.reach, true, static_cast<int>(textItems_.size())});
        textItems_.push_back({at, laidOut, static_cast<int>(i)});
    }
}

// The four edges of a border as a text document draws them, the top and left edges light and the
// others dark on a raised border, the other way round on a sunken one.
void BlockPart::addBorder(QRectF rect, qreal border, bool raised) {
    const QRectF r = QRectF(rect.toRect());
    const qreal left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
    const QColor dark(Qt::darkGray);
    const QColor light = dark.lighter();
    const QColor topLeft = raised ? light : dark;
    const QColor bottomRight = raised ? dark : light;
    const QRectF edges[] = {
        QRectF(QPointF(left, top), QPointF(left + border, bottom + border)),
        QRectF(QPointF(left + border, top), QPointF(right + border, top + border)),
        QRectF(QPointF(right, top + border), QPointF(right + border, bottom)),
        QRectF(QPointF(left + border, bottom), QPointF(right + border, bottom + border))};
    for (int i = 0; i < 4; ++i) {
        items_.push_back(
            {edges[i].top(), edges[i].bottom(), false, static_cast<int>(boxes_.size())});
        boxes_.push_back({edges[i], i < 2 ? topLeft : bottomRight});
    }
}

void BlockPart::addEmptyLine(qreal top) {
    spans_.emplace_back(top, top + shared_.emptyLineHeight);
}

std::optional<Fixed> BlockPart::layOutTable(const BlockTable& table, Fixed y) {
    const int rows = table.rows, columns = table.columns;
    TableGeometry g;
    g.border = Fixed::fromReal(scaleToDevice(table.border)).round();
    g.spacing = Fixed::fromReal(scaleToDevice(table.cellSpacing)).round();
    g.padding = Fixed::fromReal(scaleToDevice(table.cellPadding));
    const Fixed border = g.border, spacing = g.spacing, padding = g.padding;

    Fixed tableWidth = Fixed::fromReal(table.width.value(shared_.width.real()));
    if (table.width.type() == QTextLength::FixedLength)
        tableWidth = tableWidth * shared_.dpi / 96;
    const Fixed available = tableWidth - border * 2;

    // The cell at each place of the grid.
    std::vector<int> grid(static_cast<std::size_t>(rows * columns), -1);
    for (std::size_t i = 0; i < table.cells.size(); ++i) {
        const BlockCell& cell = table.cells[i];
        for (int c = cell.column; c < cell.column + cell.columnSpan; ++c)
            grid[static_cast<std::size_t>(cell.row * columns + c)] = static_cast<int>(i);
    }
    const auto cellAt = [&](int r, int c) -> const BlockCell& {
        return table
            .cells[static_cast<std::size_t>(grid[static_cast<std::size_t>(r * columns + c)])];
    };

    Fixed remaining = available - border * (columns * 2) - spacing * (columns - 1) - spacing * 2;
    const Fixed initialTotal = remaining;
    std::vector<Fixed> widths(static_cast<std::size_t>(columns));
    std::vector<Fixed> minWidths(static_cast<std::size_t>(columns), Fixed::whole(1));
    std::vector<Fixed> maxWidths(static_cast<std::size_t>(columns), Unlimited);
    const Fixed widthPadding = padding * 2;

    // The narrowest and widest each column may be, from the words and the lines of its cells.
    for (int i = 0; i < columns; ++i)
        for (int r = 0; r < rows; ++r) {
            const BlockCell& cell = cellAt(r, i);
            if (cell.columnSpan > 1 && i != cell.column)
                continue;
            const int span = cell.columnSpan;
            const auto measured = measure(cell.paragraph);
            Fixed toDistribute = std::max(Fixed(), measured->minimumWidth) + widthPadding;
            for (int n = 0; n < span; ++n) {
                const auto col = static_cast<std::size_t>(i + n);
                const Fixed w = toDistribute / (span - n);
                minWidths[col] = std::max(minWidths[col], w).ceil();
                toDistribute -= minWidths[col];
                if (toDistribute <= Fixed())
                    break;
            }
            Fixed maxW = maxWidths[static_cast<std::size_t>(i)];
            const Fixed cellMax =
                measured->maximumWidth > Fixed() ? measured->maximumWidth : Unlimited;
            if (cellMax != Unlimited)
                maxW = maxW == Unlimited ? cellMax + widthPadding
                                         : std::max(maxW, cellMax + widthPadding);
            if (maxW == Unlimited)
                continue;
            maxW = maxW.ceil();
            toDistribute = maxW;
            for (int n = 0; n < span; ++n) {
                const auto col = static_cast<std::size_t>(i + n);
                const Fixed w = toDistribute / (span - n);
                maxWidths[col] = std::max(minWidths[col], w);
                toDistribute -= maxWidths[col];
                if (toDistribute <= Fixed())
                    break;
            }
        }

    // Fixed widths first, then percentages, then what is left shared among the other columns.
    Fixed totalPercentage;
    int variableColumns = 0;
    Fixed totalMinWidth;
    bool fixedBound = false;
    for (int i = 0; i < columns; ++i) {
        const auto col = static_cast<std::size_t>(i);
        const QTextLength& length = table.columnWidths[col];
        if (length.type() == QTextLength::FixedLength) {
            const Fixed w = Fixed::fromReal(length.rawValue()) * shared_.dpi / 96;
            fixedBound = fixedBound || minWidths[col] > w;
            minWidths[col] = widths[col] = std::max(w, minWidths[col]);
            remaining -= widths[col];
        } else if (length.type() == QTextLength::PercentageLength) {
            totalPercentage += Fixed::fromReal(length.rawValue());
        } else {
            ++variableColumns;
            widths[col] = minWidths[col];
            remaining -= minWidths[col];
        }
        totalMinWidth += minWidths[col];
    }
    bool percentBound = false;
    {
        const Fixed totalPercentaged = initialTotal * totalPercentage / 100;
        Fixed remainingMinWidths = totalMinWidth;
        for (int i = 0; i < columns; ++i) {
            const auto col = static_cast<std::size_t>(i);
            remainingMinWidths -= minWidths[col];
            const QTextLength& length = table.columnWidths[col];
            if (length.type() != QTextLength::PercentageLength)
                continue;
            const Fixed allotted = Fixed::fromReal(length.rawValue());
            const Fixed percentWidth = totalPercentaged * allotted / totalPercentage;
            if (percentWidth >= minWidths[col])
                widths[col] = std::max(minWidths[col],
                                       std::min(percentWidth, remaining - remainingMinWidths));
            else
                widths[col] = minWidths[col];
            percentBound = percentBound || widths[col] != percentWidth;
            remaining -= widths[col];
        }
    }
    bool variableShort = false;
    if (variableColumns > 0 && remaining > Fixed()) {
        std::vector<int> withMaximum;
        for (int i = 0; i < columns; ++i)
            if (table.columnWidths[static_cast<std::size_t>(i)].type() ==
                    QTextLength::VariableLength &&
                maxWidths[static_cast<std::size_t>(i)] != Unlimited)
                withMaximum.push_back(i);
        Fixed lastRemaining = remaining;
        while (remaining > Fixed()) {
            for (std::size_t k = 0; k < withMaximum.size(); ++k) {
                const auto col = static_cast<std::size_t>(withMaximum[k]);
                const int left = static_cast<int>(withMaximum.size() - k);
                const Fixed w = std::min(maxWidths[col] - widths[col], remaining / left);
                widths[col] += w;
                remaining -= w;
            }
            if (remaining == lastRemaining)
                break;
            lastRemaining = remaining;
        }
        if (remaining > Fixed() && table.width.type() != QTextLength::VariableLength) {
            const Fixed each = remaining / variableColumns;
            for (int i = 0; i < columns; ++i)
                if (table.columnWidths[static_cast<std::size_t>(i)].type() ==
                    QTextLength::VariableLength)
                    widths[static_cast<std::size_t>(i)] += each;
        }
    }
    for (int i = 0; i < columns; ++i) {
        const auto col = static_cast<std::size_t>(i);
        if (table.columnWidths[col].type() == QTextLength::VariableLength &&
            maxWidths[col] != Unlimited && widths[col] < maxWidths[col])
            variableShort = true; // a column narrower than its widest line
    }

    // Whole pixels, the error of each passed on to the next.
    Fixed error;
    for (Fixed& w : widths) {
        const Fixed original = w;
        w = (w - error).round();
        error = w - original;
    }
    g.widths = widths;
    g.columnPositions.resize(static_cast<std::size_t>(columns));
    g.columnPositions[0] = border + spacing + border;
    for (int i = 1; i < columns; ++i) {
        const auto col = static_cast<std::size_t>(i);
        g.columnPositions[col] =
            g.columnPositions[col - 1] + widths[col - 1] + border * 2 + spacing;
    }
    const Fixed contentsWidth =
        g.columnPositions.back() + widths.back() + border + spacing - border;
    // Rounding can make a table a pixel wider than its room. A text document then lays out
    // the part again, with the narrowest widths of the columns taken letter by letter; the
    // columns come out the same unless those widths decide them.
    if (contentsWidth > available &&
        (fixedBound || percentBound || (variableColumns > 0 && variableShort)))
        return std::nullopt;
    g.width = contentsWidth + border * 2;

    // The rows, each as tall as its tallest cell.
    g.heights.assign(static_cast<std::size_t>(rows), Fixed());
    g.rowPositions.assign(static_cast<std::size_t>(rows), Fixed());
    g.rowPositions[0] = border + spacing + border;
    std::vector<Paragraph> laidOut(table.cells.size());
    for (int r = 0; r < rows; ++r) {
        const auto row = static_cast<std::size_t>(r);
        if (r > 0)
            g.rowPositions[row] =
                g.rowPositions[row - 1] + g.heights[row - 1] + border + spacing + border;
        for (int c = 0; c < columns; ++c) {
            const int index = grid[static_cast<std::size_t>(r * columns + c)];
            const BlockCell& cell = table.cells[static_cast<std::size_t>(index)];
            if (cell.column != c)
                continue;
            const auto last = static_cast<std::size_t>(c + cell.columnSpan - 1);
            const Fixed cellWidth = g.columnPositions[last] + widths[last] -
                                    g.columnPositions[static_cast<std::size_t>(c)];
            Paragraph p = layOutParagraph(cell.paragraph, cellWidth - widthPadding);
            if (p.overflows)
                return std::nullopt;
            g.heights[row] = std::max(g.heights[row], (p.height + padding + padding).round());
            laidOut[static_cast<std::size_t>(index)] = std::move(p);
        }
    }
    g.height = g.rowPositions.back() + g.heights.back() + border + spacing + border;

    // Where a page may not end: each line of each cell, and each row as a whole.
    const qreal top = y.real();
    std::vector<std::pair<qreal, qreal>> rowSpans(
        static_cast<std::size_t>(rows),
        {std::numeric_limits<qreal>::max(), std::numeric_limits<qreal>::lowest()});
    for (std::size_t i = 0; i < table.cells.size(); ++i) {
        const BlockCell& cell = table.cells[i];
        const qreal cellTop =
            top + (g.rowPositions[static_cast<std::size_t>(cell.row)] + padding).real();
        const Paragraph& p = laidOut[i];
        for (const Line& line : p.lines)
            spans_.emplace_back(cellTop + line.top, cellTop + line.top + line.height);
        auto& span = rowSpans[static_cast<std::size_t>(cell.row)];
        span.first = std::min(span.first, cellTop);
        if (!p.lines.empty())
            span.second =
                std::max(span.second, cellTop + p.lines.back().top + p.lines.back().height);
    }
    for (const auto& span : rowSpans)
        if (span.first <= span.second)
            rows_.push_back(span);
    if (table.headerRows > 0) {
        // The table's box as the text document gives it: from its first cell's text down.
        const qreal boxTop = top + (g.rowPositions[0] + padding).real();
        const auto& lastHeader = rowSpans[static_cast<std::size_t>(table.headerRows - 1)];
        const auto& firstBody = rowSpans[static_cast<std::size_t>(table.headerRows)];
        tables_.push_back(
            {boxTop, (lastHeader.second + firstBody.first) / 2, boxTop + g.height.real()});
    }

    // Painted at whole pixels: the table's border, then each cell's border and text.
    const QPointF at(0, std::round(top));
    const qreal b = border.real();
    if (border > Fixed())
        addBorder(QRectF(at.x(), at.y(), (g.width - border).real(), (g.height - border).real()), b,
                  true);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int index = grid[static_cast<std::size_t>(r * columns + c)];
            const BlockCell& cell = table.cells[static_cast<std::size_t>(index)];
            if (cell.column != c)
                continue;
            const auto last = static_cast<std::size_t>(c + cell.columnSpan - 1);
            const QRectF cellRect(at.x() + g.columnPositions[static_cast<std::size_t>(c)].real(),
                                  at.y() + g.rowPositions[static_cast<std::size_t>(r)].real(),
                                  (g.columnPositions[last] + widths[last] -
                                   g.columnPositions[static_cast<std::size_t>(c)])
                                      .real(),
                                  g.heights[static_cast<std::size_t>(r)].real());
            if (border > Fixed())
                addBorder(QRectF(cellRect.left() - b, cellRect.top() - b, cellRect.width() + b,
                                 cellRect.height() + b),
                          b, false);
            addParagraph(std::move(laidOut[static_cast<std::size_t>(index)]),
                         cellRect.topLeft() + QPointF(padding.real(), padding.real()));
        }
    for (const BlockCell& cell : table.cells)
        texts_.append(cell.paragraph.text);
    return g.height;
}

bool BlockPart::layOut() {
    Fixed y;
    enum class Before { Nothing, Paragraph, Table, TableEndingEmpty } before = Before::Nothing;
    int bottomMargin = 0;
    for (std::size_t b = 0; b < blocks_.blocks.size(); ++b) {
        const ReportBlocks::Block& block = blocks_.blocks[b];
        if (block.table) {
            // A text document keeps an empty line before a table at the start and between two
            // tables, and one after every table; they stand hidden behind the table, but keep
            // a page from ending there.
            if (before == Before::Nothing) {
                addEmptyLine(y.real());
                texts_.append(QString());
            } else if (before != Before::Paragraph) {
                addEmptyLine(y.real());
            }
            const auto height =
                layOutTable(blocks_.tables[static_cast<std::size_t>(block.index)], y);
            if (!height)
                return false;
            y += *height;
            const bool tableFollows = b + 1 < blocks_.blocks.size() && blocks_.blocks[b + 1].table;
            const bool last = b + 1 == blocks_.blocks.size();
            const BlockTable& table = blocks_.tables[static_cast<std::size_t>(block.index)];
            if (table.endsEmpty && tableFollows)
                return false;
            before = Before::Table;
            if (table.endsEmpty && !last) {
                before = Before::TableEndingEmpty; // the paragraph takes the line after it
            } else {
                if (!tableFollows)
                    addEmptyLine(y.real() - shared_.emptyLineHeight);
                texts_.append(QString());
            }
            bottomMargin = 0;
            continue;
        }
        const BlockParagraph& p = blocks_.paragraphs[static_cast<std::size_t>(block.index)];
        if (before != Before::Nothing && before != Before::TableEndingEmpty) {
            qreal margin = std::max(p.topMargin, bottomMargin);
            if (margin > 0)
                margin = scaleToDevice(margin);
            y += Fixed::fromReal(margin);
        }
        Paragraph laidOut = layOutParagraph(p, shared_.width);
        if (laidOut.overflows)
            return false;
        for (const Line& line : laidOut.lines)
            spans_.emplace_back(y.real() + line.top, y.real() + line.top + line.height);
        if (p.keepWithNext && !laidOut.lines.empty())
            kept_.emplace_back(y.real() + laidOut.lines.front().top,
                               y.real() + laidOut.lines.back().top + laidOut.lines.back().height);
        const Fixed height = laidOut.height;
        addParagraph(std::move(laidOut), QPointF(0, y.real()));
        texts_.append(p.text);
        y += height;
        before = Before::Paragraph;
        bottomMargin = p.bottomMargin;
    }
    height_ = y.real();
    setUnbroken(std::move(spans_), rows_);
    return true;
}

void BlockPart::paint(QPainter& painter, const QRectF& clip) const {
    const qreal clipTop = clip.top(), clipBottom = clip.bottom();
    // Borders first, those of a colour together: no two edges overlap, nor an edge and a text.
    std::vector<QRectF> light, dark;
    const QColor darkColor(Qt::darkGray);
    for (const Item& item : items_)
        if (!item.text && item.top <= clipBottom && item.bottom >= clipTop) {
            const BoxItem& box = boxes_[static_cast<std::size_t>(item.index)];
            (box.color == darkColor ? dark : light).push_back(box.box);
        }
    // Each edge is filled on its own, as a text document fills them: a PDF viewer shows a thin
    // edge filled alone at least a pixel wide, where it would thin out a path of many edges.
    // The edges are placed on the device by hand, so that the file need not say the painter's
    // translation for every edge.
    painter.save();
    const QTransform transform = painter.transform();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const auto* boxes : {&light, &dark})
        if (!boxes->empty()) {
            painter.setBrush(boxes == &dark ? darkColor : darkColor.lighter());
            for (const QRectF& box : *boxes)
                painter.drawRect(transform.mapRect(box));
        }
    painter.restore();

    const QColor text = painter.pen().color();
    QColor pen = text;
    for (const Item& item : items_) {
        if (!item.text || item.top > clipBottom || item.bottom < clipTop)
            continue;
        const TextItem& t = textItems_[static_cast<std::size_t>(item.index)];
        const Line& line = t.paragraph->lines[static_cast<std::size_t>(t.line)];
        const QPointF origin = t.origin + QPointF(line.shift, 0);
        for (int g = line.firstGlyphs; g < line.firstGlyphs + line.glyphsCount; ++g) {
            const Glyphs& glyphs = t.paragraph->glyphs[static_cast<std::size_t>(g)];
            const QColor color = glyphs.color.isValid() ? glyphs.color : text;
            if (color != pen) {
                painter.setPen(color);
                pen = color;
            }
            painter.drawGlyphRun(origin, glyphs.run);
        }
    }
    if (pen != text)
        painter.setPen(text);
}

} // namespace

int BlockLayouter::Shared::styleIndex(const TextStyle& style) {
    const auto found = std::find(styles.begin(), styles.end(), style);
    if (found != styles.end())
        return static_cast<int>(found - styles.begin());
    static constexpr qreal steps[] = {1.0, 1.2, 1.5, 2.0};
    qreal size = font.pointSizeF();
    if (style.sizeStep > 0 && style.sizeStep <= 3)
        size *= steps[style.sizeStep];
    else if (style.pointSize > 0)
        size = style.pointSize;
    QTextCharFormat format;
    format.setFontPointSize(size);
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    if (style.italic)
        format.setFontItalic(true);
    if (style.color.isValid())
        format.setForeground(style.color);
    QFont f = font;
    f.setPointSizeF(size);
    f.setWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setItalic(style.italic);
    styles.push_back(style);
    fonts.push_back(QFont(f, device));
    formats.push_back(format);
    return static_cast<int>(styles.size() - 1);
}

BlockLayouter::BlockLayouter(const QFont& font, QPaintDevice* device, qreal width)
    : d_(std::make_unique<Shared>()) {
    d_->font = font;
    d_->device = device;
    d_->dpi = device->logicalDpiY();
    d_->width = Fixed::fromReal(width);
    QTextLayout empty(QString(), QFont(font, device), device);
    empty.beginLayout();
    QTextLine line = empty.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(width);
    d_->emptyLineHeight = line.height();
    empty.endLayout();
}

BlockLayouter::~BlockLayouter() = default;

std::unique_ptr<PartLayout> BlockLayouter::layOut(const ReportBlocks& blocks) {
    auto part = std::make_unique<BlockPart>(blocks, *d_);
    if (!part->layOut())
        return nullptr;
    return part;
}

} // namespace korvane::reports
