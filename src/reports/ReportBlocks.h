#pragma once

#include <QColor>
#include <QString>
#include <QStringView>
#include <QTextLength>

#include <optional>
#include <vector>

// The filled HTML of a report read into blocks: paragraphs and headings of styled text, and tables
// of such paragraphs. This is the HTML the stored reports are made of; the blocks are laid out on
// pages without a text document, which is several times faster for reports of thousands of pages.
// HTML beyond it (lists, images, nested tables, style sheets, attributes not listed here) is not
// read, and such a report is laid out by a text document as before.
//
// The blocks hold what a text document makes of the same HTML: the same text, with white space
// collapsed where it collapses there, the same styles, margins and table attributes.
namespace korvane::reports {

// How a run of text looks. Sizes are in points; 0 means the report's default size.
struct TextStyle {
    qreal pointSize = 0;
    int sizeStep = 0; // headings: 3 for <h1>, 2 for <h2>, 1 for <h3>
    bool bold = false;
    bool italic = false;
    QColor color; // invalid: the text colour of the page
    bool operator==(const TextStyle&) const = default;
};

struct TextRun {
    int start = 0;
    int length = 0;
    int style = 0; // index into ReportBlocks::styles
};

struct BlockParagraph {
    QString text; // no-break spaces are kept as U+00A0
    std::vector<TextRun> runs;
    Qt::Alignment alignment = Qt::AlignLeft;
    int topMargin = 0, bottomMargin = 0; // CSS pixels (1/96 inch)
    int heading = 0;                     // 1 to 3 for <h1> to <h3>
    bool keepWithNext = false;           // a heading, or styled "page-break-after: avoid"
    int style = 0; // of the paragraph itself: the height of its line when it is empty
};

struct BlockCell {
    int row = 0, column = 0, columnSpan = 1;
    BlockParagraph paragraph;
};

struct BlockTable {
    int rows = 0, columns = 0;
    int headerRows = 0; // rows of <thead>, repeated on the pages the table goes on to
    qreal border = 0, cellSpacing = 2, cellPadding = 0; // CSS pixels
    QTextLength width;
    std::vector<QTextLength> columnWidths; // from the cells' width attributes
    std::vector<BlockCell> cells;          // row by row
    // The last cell is empty. The paragraph after such a table then follows it without a margin
    // (a text document puts it in the line it keeps after a table).
    bool endsEmpty = false;
};

struct ReportBlocks {
    struct Block {
        bool table = false;
        int index = 0; // into paragraphs or tables
    };
    std::vector<Block> blocks;
    std::vector<BlockParagraph> paragraphs;
    std::vector<BlockTable> tables;
    std::vector<TextStyle> styles;
};

// Reads a part of a filled report; nothing when it holds HTML the blocks do not cover.
std::optional<ReportBlocks> readBlocks(QStringView html);

} // namespace korvane::reports
