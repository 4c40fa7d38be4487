#pragma once

#include "common/Result.h"
#include "reports/PartLayout.h"
#include "reports/ReportRenderer.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPdfWriter>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QTextDocument;

namespace korvane::reports {

class BlockLayouter;

// A filled report laid out on pages a part at a time, so that the first pages can be shown while
// the rest is still being laid out, and so that the work grows with the size of the report.
//
// The report is cut into parts at the places where a record begins: before every top-level
// heading (<h1>, <h2>), every page break, and wherever a part has grown long, never inside a
// table or another block. Each part is laid out on its own the width of the page: as blocks of
// paragraphs and tables (ReportBlocks, BlockLayout) where its HTML is what the stored reports are
// made of, else as a small text document; both give the same lines in the same places. The parts
// are placed one after another on the pages. A part taller than what
// is left of a page is cut between lines and table rows; a table that goes on to the next page
// repeats its header rows (<thead>) there, and a page that goes on with a record repeats the
// record's headings (the last <h1> and <h2> before it, "(continued)" added; an <h1> that only
// repeats the report's title is not repeated).
//
// The layout is made in the pixels of a page at `resolution` dots per inch; painting on another
// device scales it to the device's resolution.
class ReportPages {
public:
    // How the parts are laid out: as blocks where their HTML allows (a text document for the
    // rest), or all by text documents. The pages are the same; blocks are several times faster.
    enum class Road { Blocks, TextDocument };

    ReportPages(const QString& html, PageFrame frame, const QPageLayout& pageLayout,
                int resolution = 300, Road road = Road::Blocks);
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    // The same report laid out anew from its start on other paper, as chosen in a print dialog;
    // null when the paper is the same as these pages' (nothing to lay out again).
    std::unique_ptr<ReportPages> onPaper(const QPageLayout& pageLayout) const;

    // An error when the page is too small for any report; the pages are then empty.
    const Status& status() const { return status_; }

    // Lays out further parts for about `slice` of time (at least one part), placing them on pages.
    // Returns true when the whole report is laid out.
    bool layOutMore(std::chrono::milliseconds slice);
    // Lays out the rest, asking keepGoing between the parts. Returns the number of pages.
    Result<int> layOutAll(const KeepGoing& keepGoing = {});

    bool finished() const;
    // How far the layout has come, from 0 to 1, by the size of the text laid out.
    double progress() const;
    // Pages that will not change any more: all of them once finished, else all but the last.
    int pagesReady() const;
    // The pages so far; the number of pages of the report once finished.
    int pageCount() const;

    int resolution() const { return resolution_; }
    const QPageLayout& pageLayout() const { return pageLayout_; }
    // The printable area of a page, in the layout's pixels.
    QSizeF pageSize() const { return QSizeF(width_, height_); }
    const PageFrame& frame() const { return frame_; }

    // Paints a page (counted from 0) with its frame; the painter's origin is the top left of the
    // printable area, in the layout's pixels. "Page n of m" counts `ofPages`; with no count (0,
    // while the rest is laid out) the page says "Page n".
    void paintPage(QPainter& painter, int page, int ofPages) const;

    // The text of the report laid out so far, parts in order, without the repeated headings.
    QString plainText() const;
    // How many of the parts laid out so far were laid out as blocks.
    int blockParts() const { return blockParts_; }

private:
    struct Part;
    struct Slice;
    struct Page;
    struct Heading;

    void splitIntoParts(const QString& html);
    std::unique_ptr<QTextDocument> newDocument(const QString& html) const;
    // The part laid out as blocks where it can be (asBlocks then says so), else as a document.
    std::unique_ptr<PartLayout> layOut(const QString& html, bool* asBlocks = nullptr) const;
    void layOutPart(Part& part);
    void place(Part& part);
    void newPage();
    void startPage(const Part& part, qreal at);
    qreal repeat(const PartLayout& part, qreal from, qreal to);
    const PartLayout* headingLayout(int heading) const;

    PageFrame frame_;
    QPageLayout pageLayout_;
    int resolution_;
    QBuffer nowhere_;   // the metrics device writes nothing
    QPdfWriter device_; // its fonts' metrics are the layout's
    Status status_;
    QFont font_;
    qreal width_ = 0, height_ = 0, line_ = 0, header_ = 0, footer_ = 0, body_ = 0;

    Road road_;
    QString html_; // kept (shared, not copied) to lay the report out on other paper
    mutable std::unique_ptr<BlockLayouter> layouter_;
    int blockParts_ = 0;
    QString preamble_; // style sheets, given to every part
    std::vector<Part> parts_;
    std::vector<Heading> headings_;
    std::size_t next_ = 0; // the first part not laid out
    qsizetype textLaidOut_ = 0, textTotal_ = 0;
    std::vector<Page> pages_;
    qreal used_ = 0;          // of the last page's body
    bool hasContent_ = false; // the last page holds more than repeated lines
    bool continues_ = false;  // the last page was begun in the middle of the report
    bool breakPending_ = false;
};

// Paints pages of a report laid out in full on a device (a printer or a PDF writer), scaled
// from the layout's resolution to the device's, asking keepGoing before every page. Returns
// the number of pages of the report.
Result<int> paintPages(const ReportPages& pages, QPagedPaintDevice& device, PageRange range = {},
                       const KeepGoing& keepGoing = {});

} // namespace korvane::reports
