#pragma once

#include "reports/PartLayout.h"
#include "reports/ReportBlocks.h"

#include <QFont>

#include <memory>

class QPaintDevice;

namespace korvane::reports {

// Lays out blocks of a report as a text document lays out the same HTML, line for line and row
// for row: the same margins between paragraphs, the same widths of table columns, the same lines
// in the same places. Text is shaped a paragraph at a time and kept as glyph runs, which are
// painted as they are.
//
// Nothing is returned when a word does not fit its line or column: the text document breaks such
// words anywhere, and the part is left to it.
//
// The parts of one report are laid out by one layouter, in the report's default font, on its
// device, the width of its page.
class BlockLayouter {
public:
    BlockLayouter(const QFont& font, QPaintDevice* device, qreal width);
    ~BlockLayouter();
    BlockLayouter(const BlockLayouter&) = delete;
    BlockLayouter& operator=(const BlockLayouter&) = delete;

    std::unique_ptr<PartLayout> layOut(const ReportBlocks& blocks);

    struct Shared;

private:
    std::unique_ptr<Shared> d_;
};

} // namespace korvane::reports
