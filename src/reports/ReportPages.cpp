#include "reports/ReportPages.h"

#include "reports/BlockLayout.h"
#include "reports/HtmlTags.h"
#include "reports/ReportBlocks.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <functional>
#include <limits>

namespace korvane::reports {

namespace {

// A part grows to about this many characters of HTML before the next block starts another.
constexpr qsizetype PartSize = 16 * 1024;
constexpr qreal Near = 0.01; // pixels: positions closer than this are the same

// Blocks a part may start with.
bool startsBlock(const QString& name) {
    static const QStringList names{
        QStringLiteral("p"),     QStringLiteral("h1"),    QStringLiteral("h2"),
        QStringLiteral("h3"),    QStringLiteral("h4"),    QStringLiteral("h5"),
        QStringLiteral("h6"),    QStringLiteral("table"), QStringLiteral("div"),
        QStringLiteral("ul"),    QStringLiteral("ol"),    QStringLiteral("dl"),
        QStringLiteral("pre"),   QStringLiteral("hr"),    QStringLiteral("blockquote"),
        QStringLiteral("center")};
    return names.contains(name);
}

// Blocks that hold others: nothing inside them starts a part.
bool holdsBlocks(const QString& name) {
    static const QStringList names{QStringLiteral("table"),      QStringLiteral("div"),
                                   QStringLiteral("ul"),         QStringLiteral("ol"),
                                   QStringLiteral("dl"),         QStringLiteral("pre"),
                                   QStringLiteral("blockquote"), QStringLiteral("center")};
    return names.contains(name);
}

// The text of a heading's HTML, without its tags.
QString headingText(const QString& html) {
    QString text;
    bool inTag = false;
    for (const QChar c : html) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    if (text.contains(u'&')) // entities: read as a document reads them
        return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
    return text.simplified();
}

// The painter's units are the layout's pixels at `resolution`, whatever its device's resolution.
void paintFrame(QPainter& painter, qreal width, qreal height, qreal line, QFont font,
                int resolution, const PageFrame& frame, int pageNumber, int pageCount) {
    painter.save();
    font.setPointSizeF(font.pointSizeF() * resolution / painter.device()->logicalDpiY());
    painter.setPen(QPen(Qt::black, line / 20));
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const qreal gap = metrics.horizontalAdvance(QStringLiteral("MM"));

    const QRectF top(0, 0, width, line);
    const QString title = boldMetrics.elidedText(frame.title, Qt::ElideRight, width * 0.6);
    painter.setFont(bold);
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(font);
    const qreal databaseWidth = width - boldMetrics.horizontalAdvance(title) - gap;
    if (databaseWidth > 0)
        painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(frame.databaseFile, Qt::ElideMiddle, databaseWidth));
    const qreal ruleY = line * 1.3;
    painter.drawLine(QPointF(0, ruleY), QPointF(width, ruleY));

    const QRectF foot(0, height - line, width, line);
    if (!frame.printedDate.isEmpty())
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Printed ") + frame.printedDate);
    painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                     pageCount > 0 ? QStringLiteral("Page %1 of %2").arg(pageNumber).arg(pageCount)
                                   : QStringLiteral("Page %1").arg(pageNumber));
    painter.restore();
}

} // namespace

struct ReportPages::Part {
    QString html;
    int heading = 0; // 1 or 2 when the part starts with an <h1> or <h2>
    bool breakBefore = false;
    bool breakAfter = false;
    int h1 = -1, h2 = -1; // the headings in force in the part (indexes of headings_)
    std::unique_ptr<PartLayout> layout;
};

struct ReportPages::Slice {
    const PartLayout* part;
    qreal from, to; // of the part
    qreal at;       // on the page's body
};

struct ReportPages::Page {
    std::vector<Slice> slices;
};

struct ReportPages::Heading {
    QString html;
    mutable std::unique_ptr<PartLayout> layout;
};

ReportPages::ReportPages(const QString& html, PageFrame frame, const QPageLayout& pageLayout,
                         int resolution, Road road)
    : frame_(std::move(frame)), pageLayout_(pageLayout), resolution_(resolution),
      device_(&nowhere_), road_(road), html_(html) {
    device_.setResolution(resolution);
    device_.setPageLayout(pageLayout);
    font_.setPointSizeF(10);
    const QRectF paintRect = pageLayout.paintRectPixels(resolution);
    width_ = paintRect.width();
    height_ = paintRect.height();
    line_ = QFontMetricsF(font_, &device_).lineSpacing();
    header_ = 2 * line_;
    footer_ = 1.5 * line_;
    body_ = height_ - header_ - footer_;
    if (width_ < 10 * line_ || body_ < 3 * line_) {
        status_ = Error{QStringLiteral("The page is too small for the report.")};
        return;
    }
    splitIntoParts(html);
    pages_.emplace_back();
}

ReportPages::~ReportPages() = default;

std::unique_ptr<ReportPages> ReportPages::onPaper(const QPageLayout& pageLayout) const {
    const QPageLayout& mine = pageLayout_;
    if (pageLayout.pageSize().isEquivalentTo(mine.pageSize()) &&
        pageLayout.orientation() == mine.orientation() &&
        pageLayout.paintRectPixels(resolution_) == mine.paintRectPixels(resolution_))
        return nullptr;
    return std::make_unique<ReportPages>(html_, frame_, pageLayout, resolution_, road_);
}

void ReportPages::splitIntoParts(const QString& html) {
    const QStringView text(html);
    struct Piece {
        qsizetype start = 0;
        int heading = 0;
        bool breakBefore = false;
        bool breakAfter = false;
    };
    std::vector<Piece> pieces{Piece{}};
    int depth = 0;
    qsizetype at = text.indexOf(u'<');
    while (at >= 0) {
        qsizetype next = at + 1;
        if (text.sliced(at).startsWith(QLatin1String("<!--"))) {
            const qsizetype close = text.indexOf(QLatin1String("-->"), at + 4);
            next = close < 0 ? text.size() : close + 3;
        } else if (const TagName tag = tagNameAt(text, at); !tag.name.isEmpty()) {
            next = tagEnd(text, at);
            if (tag.name == QLatin1String("style") && !tag.closing) {
                const qsizetype close =
                    text.indexOf(QLatin1String("</style"), next, Qt::CaseInsensitive);
                const qsizetype end = close < 0 ? text.size() : tagEnd(text, close);
                preamble_ += text.sliced(at, end - at);
                next = end;
            } else if (!tag.closing && depth == 0 && startsBlock(tag.name)) {
                const QString attributes =
                    text.sliced(at, next - at).toString().toLower().remove(u' ');
                // Nothing before this block since the last one, or only white space before the
                // first block (which would be an empty line at the top of the first page).
                if (pieces.back().start == at ||
                    (pieces.size() == 1 && text.first(at).trimmed().isEmpty()))
                    pieces.pop_back();
                Piece piece;
                piece.start = at;
                piece.heading = tag.name == QLatin1String("h1")   ? 1
                                : tag.name == QLatin1String("h2") ? 2
                                                                  : 0;
                piece.breakBefore = attributes.contains(QLatin1String("page-break-before:always"));
                piece.breakAfter = attributes.contains(QLatin1String("page-break-after:always"));
                pieces.push_back(piece);
            }
            if (holdsBlocks(tag.name))
                depth = tag.closing ? std::max(depth - 1, 0) : depth + 1;
        }
        at = next < text.size() ? text.indexOf(u'<', next) : -1;
    }

    static const QRegularExpression pageBreak(
        QStringLiteral("page-break-(before|after)\\s*:\\s*always"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression closingHeading(QStringLiteral("</h[12]\\s*>\\s*$"),
                                                   QRegularExpression::CaseInsensitiveOption);
    int h1 = -1, h2 = -1;
    bool breakAfter = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const qsizetype end = i + 1 < pieces.size() ? pieces[i + 1].start : text.size();
        const Piece& piece = pieces[i];
        const QString pieceHtml = text.sliced(piece.start, end - piece.start).toString();
        if (piece.heading) {
            // The heading again, for the pages its record goes on to.
            QString again = pieceHtml.trimmed();
            again.remove(pageBreak);
            const auto close = closingHeading.match(again);
            if (close.hasMatch())
                again.insert(close.capturedStart(), QStringLiteral(" (continued)"));
            const bool title =
                piece.heading == 1 && headingText(pieceHtml) == frame_.title.simplified();
            if (piece.heading == 1) {
                h1 = title ? -1 : static_cast<int>(headings_.size());
                h2 = -1;
            } else {
                h2 = static_cast<int>(headings_.size());
            }
            if (!title)
                headings_.push_back(Heading{again, nullptr});
        }
        const bool startsPart = parts_.empty() || piece.heading || piece.breakBefore ||
                                breakAfter || parts_.back().html.size() >= PartSize;
        if (startsPart) {
            Part part;
            part.heading = piece.heading;
            part.breakBefore = piece.breakBefore || breakAfter;
            part.h1 = h1;
            part.h2 = h2;
            parts_.push_back(std::move(part));
        }
        parts_.back().html += pieceHtml;
        parts_.back().breakAfter = piece.breakAfter;
        breakAfter = piece.breakAfter;
        textTotal_ += pieceHtml.size();
    }
}

namespace {

// A part laid out by a text document: HTML the blocks do not cover, as a user may write into the
// template of a report of their own.
class DocumentPart final : public PartLayout {
public:
    DocumentPart(std::unique_ptr<QTextDocument> document);
    void paint(QPainter& painter, const QRectF& clip) const override;
    QString plainText() const override { return document_->toPlainText(); }

private:
    std::unique_ptr<QTextDocument> document_;
};

DocumentPart::DocumentPart(std::unique_ptr<QTextDocument> document)
    : document_(std::move(document)) {
    QAbstractTextDocumentLayout* layout = document_->documentLayout();
    height_ = layout->documentSize().height();

    std::vector<std::pair<qreal, qreal>> spans; // lines
    std::vector<std::pair<qreal, qreal>> rows;  // table rows as a whole
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines)
            continue;
        const qreal top = layout->blockBoundingRect(block).top();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            spans.emplace_back(top + line.y(), top + line.y() + line.height());
        }
        if (block.blockFormat().headingLevel() > 0 && lines->lineCount() > 0) {
            const QTextLine last = lines->lineAt(lines->lineCount() - 1);
            kept_.emplace_back(top + lines->lineAt(0).y(), top + last.y() + last.height());
        }
    }
    const std::function<void(QTextFrame*)> tablesIn = [&](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                std::vector<std::pair<qreal, qreal>> tableRows(
                    static_cast<std::size_t>(table->rows()),
                    {std::numeric_limits<qreal>::max(), std::numeric_limits<qreal>::lowest()});
                for (int r = 0; r < table->rows(); ++r)
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        if (cell.row() != r || cell.column() != c)
                            continue;
                        const QTextBlock first = document_->findBlock(cell.firstPosition());
                        const QTextBlock last = document_->findBlock(cell.lastPosition());
                        auto& row = tableRows[static_cast<std::size_t>(r)];
                        row.first = std::min(row.first, layout->blockBoundingRect(first).top());
                        row.second = std::max(row.second, layout->blockBoundingRect(last).bottom());
                    }
                for (const auto& row : tableRows)
                    if (row.first <= row.second)
                        rows.push_back(row);
                const int header = table->format().headerRowCount();
                if (header > 0 && header < table->rows()) {
                    const QRectF box = layout->frameBoundingRect(table);
                    const auto& lastHeader = tableRows[static_cast<std::size_t>(header - 1)];
                    const auto& firstBody = tableRows[static_cast<std::size_t>(header)];
                    tables_.push_back(
                        {box.top(), (lastHeader.second + firstBody.first) / 2, box.bottom()});
                }
            }
            tablesIn(child);
        }
    };
    tablesIn(document_->rootFrame());
    setUnbroken(std::move(spans), rows);
}

void DocumentPart::paint(QPainter& painter, const QRectF& clip) const {
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black); // paper is white in any theme
    context.clip = clip;
    document_->documentLayout()->draw(&painter, context);
}

} // namespace

std::unique_ptr<QTextDocument> ReportPages::newDocument(const QString& html) const {
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font_);
    document->setDocumentMargin(0);
    // Words are kept whole, so that a narrow column wraps its heading at spaces; a part that is
    // then wider than the page is laid out again with words broken where they must be.
    QTextOption words = document->defaultTextOption();
    words.setWrapMode(QTextOption::WordWrap);
    document->setDefaultTextOption(words);
    document->documentLayout()->setPaintDevice(const_cast<QPdfWriter*>(&device_));
    document->setTextWidth(width_);
    document->setHtml(preamble_ + html);
    if (document->documentLayout()->documentSize().width() > width_ + Near) {
        words.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        document->setDefaultTextOption(words);
    }
    return document;
}

std::unique_ptr<PartLayout> ReportPages::layOut(const QString& html, bool* asBlocks) const {
    // The blocks first; what they do not cover goes to a text document.
    if (preamble_.isEmpty() && road_ == Road::Blocks)
        if (const auto blocks = readBlocks(html)) {
            if (!layouter_)
                layouter_ = std::make_unique<BlockLayouter>(
                    font_, const_cast<QPdfWriter*>(&device_), width_);
            if (auto part = layouter_->layOut(*blocks)) {
                if (asBlocks)
                    *asBlocks = true;
                return part;
            }
        }
    return std::make_unique<DocumentPart>(newDocument(html));
}

void ReportPages::layOutPart(Part& part) {
    bool asBlocks = false;
    part.layout = layOut(part.html, &asBlocks);
    blockParts_ += asBlocks ? 1 : 0;
    textLaidOut_ += part.html.size();
    part.html.clear();
}

void ReportPages::newPage() {
    pages_.emplace_back();
    used_ = 0;
    hasContent_ = false;
    continues_ = true;
}

qreal ReportPages::repeat(const PartLayout& part, qreal from, qreal to) {
    // Repeated lines take at most a third of the page, so the page still moves the report on.
    if (used_ + (to - from) > body_ / 3)
        return 0;
    pages_.back().slices.push_back({&part, from, to, used_});
    used_ += to - from;
    return to - from;
}

const PartLayout* ReportPages::headingLayout(int heading) const {
    const Heading& h = headings_[static_cast<std::size_t>(heading)];
    if (!h.layout)
        h.layout = layOut(h.html);
    return h.layout.get();
}

void ReportPages::startPage(const Part& part, qreal at) {
    if (!continues_)
        return;
    continues_ = false;
    const bool fromTop = at < Near;
    const int h1 = fromTop && part.heading == 1 ? -1 : part.h1;
    const int h2 = fromTop && part.heading ? -1 : part.h2;
    for (const int heading : {h1, h2})
        if (heading >= 0) {
            const PartLayout* layout = headingLayout(heading);
            repeat(*layout, 0, layout->height());
        }
    for (const TableHeader& table : part.layout->tables())
        if (at > table.headerBottom + Near && at < table.bottom - Near)
            repeat(*part.layout, table.top, table.headerBottom);
}

void ReportPages::place(Part& part) {
    if ((part.breakBefore || breakPending_) && hasContent_)
        newPage();
    breakPending_ = false;
    const qreal height = part.layout->height();
    qreal y = 0;
    while (height - y > Near) {
        startPage(part, y);
        const qreal limit = y + body_ - used_;
        if (height <= limit + Near) {
            pages_.back().slices.push_back({part.layout.get(), y, height, used_});
            used_ += height - y;
            hasContent_ = true;
            break;
        }
        // The page ends in the gap after the last line or row that fits whole.
        const auto& unbroken = part.layout->unbroken();
        auto after = std::upper_bound(
            unbroken.begin(), unbroken.end(), limit + Near,
            [](qreal value, const std::pair<qreal, qreal>& span) { return value < span.second; });
        const auto cutBefore = [&](auto next) {
            if (next == unbroken.begin() || std::prev(next)->second <= y + Near)
                return qreal(-1);
            return std::min(
                limit,
                (std::prev(next)->second + (next == unbroken.end() ? height : next->first)) / 2);
        };
        qreal cut = cutBefore(after);
        // Not just after a heading, a block kept with what follows it, or a table's header
        // rows: the page ends before them instead, when something of the part stands above them
        // on the page.
        std::vector<std::pair<qreal, qreal>> kept = part.layout->keptWithNext();
        for (const TableHeader& table : part.layout->tables())
            kept.emplace_back(table.top, table.headerBottom);
        for (auto end = after; end != unbroken.begin();) {
            const auto& last = *std::prev(end);
            const auto block = std::find_if(kept.begin(), kept.end(), [&](const auto& k) {
                return k.first <= last.first + Near && last.second <= k.second + Near;
            });
            if (block == kept.end())
                break;
            end = std::lower_bound(unbroken.begin(), end, block->first - Near,
                                   [](const std::pair<qreal, qreal>& span, qreal value) {
                                       return span.first < value;
                                   });
            const qreal earlier = cutBefore(end);
            if (earlier < 0) {
                if (hasContent_)
                    cut = -1; // the part goes on to the next page
                break;
            }
            cut = earlier;
        }
        if (cut < 0) {
            if (hasContent_) {
                newPage();
                continue;
            }
            // A row taller than a page is cut between the lines of its cells, a line taller than
            // a page where the page ends.
            cut = limit;
            const auto& lines = part.layout->lines();
            const auto line =
                std::upper_bound(lines.begin(), lines.end(), limit + Near,
                                 [](qreal value, const std::pair<qreal, qreal>& span) {
                                     return value < span.second;
                                 });
            if (line != lines.begin() && std::prev(line)->second > y + Near)
                cut = std::min(
                    limit,
                    (std::prev(line)->second + (line == lines.end() ? height : line->first)) / 2);
        }
        pages_.back().slices.push_back({part.layout.get(), y, cut, used_});
        hasContent_ = true;
        y = cut;
        newPage();
    }
    if (part.breakAfter)
        breakPending_ = true;
}

bool ReportPages::layOutMore(std::chrono::milliseconds slice) {
    if (finished())
        return true;
    QElapsedTimer timer;
    timer.start();
    do {
        Part& part = parts_[next_++];
        layOutPart(part);
        place(part);
    } while (next_ < parts_.size() && timer.elapsed() < slice.count());
    return finished();
}

Result<int> ReportPages::layOutAll(const KeepGoing& keepGoing) {
    if (!status_)
        return Error{status_.error()};
    while (!finished()) {
        if (keepGoing && !keepGoing())
            return Error{StoppedMessage};
        layOutMore(std::chrono::milliseconds(50));
    }
    return pageCount();
}

bool ReportPages::finished() const {
    return !status_ || next_ == parts_.size();
}

double ReportPages::progress() const {
    return textTotal_ > 0 ? double(textLaidOut_) / double(textTotal_) : 1.0;
}

int ReportPages::pageCount() const {
    return static_cast<int>(pages_.size());
}

int ReportPages::pagesReady() const {
    return finished() ? pageCount() : std::max(pageCount() - 1, 0);
}

void ReportPages::paintPage(QPainter& painter, int page, int ofPages) const {
    if (page < 0 || page >= pageCount())
        return;
    paintFrame(painter, width_, height_, line_, font_, resolution_, frame_, page + 1, ofPages);
    for (const Slice& slice : pages_[static_cast<std::size_t>(page)].slices) {
        painter.save();
        painter.translate(0, header_ + slice.at - slice.from);
        const QRectF shown(0, slice.from, width_, slice.to - slice.from);
        painter.setClipRect(shown, Qt::IntersectClip);
        painter.setPen(Qt::black); // paper is white in any theme
        // Lines are drawn when they reach into the clip; the lines just above and below the
        // slice only touch it, and are left to the pages they stand on.
        slice.part->paint(painter, shown.adjusted(0, Near * 50, 0, -Near * 50));
        painter.restore();
    }
}

QString ReportPages::plainText() const {
    QStringList texts;
    for (std::size_t i = 0; i < next_; ++i)
        texts << parts_[i].layout->plainText();
    return texts.join(u'\n');
}

Result<int> paintPages(const ReportPages& pages, QPagedPaintDevice& device, PageRange range,
                       const KeepGoing& keepGoing) {
    if (!pages.status())
        return Error{pages.status().error()};
    if (!pages.finished())
        return Error{QStringLiteral("The report is not laid out yet.")};
    const int pageCount = pages.pageCount();
    const int first = std::max(range.from, 1);
    const int last = range.to > 0 ? std::min(range.to, pageCount) : pageCount;
    if (first > last)
        return Error{QStringLiteral("The report has %1 pages; there is no page %2 to print.")
                         .arg(pageCount)
                         .arg(first)};
    QPainter painter;
    if (!painter.begin(&device))
        return Error{QStringLiteral("The printer could not be started.")};
    const qreal scaleX = device.logicalDpiX() / qreal(pages.resolution());
    const qreal scaleY = device.logicalDpiY() / qreal(pages.resolution());
    for (int page = first; page <= last; ++page) {
        if (keepGoing && !keepGoing()) {
            painter.end();
            return Error{StoppedMessage};
        }
        if (page > first && !device.newPage()) {
            painter.end();
            return Error{QStringLiteral("The printer could not start a new page.")};
        }
        painter.save();
        painter.scale(scaleX, scaleY);
        pages.paintPage(painter, page - 1, pageCount);
        painter.restore();
    }
    if (!painter.end())
        return Error{QStringLiteral("The printer could not finish the report.")};
    return pageCount;
}

} // namespace korvane::reports
