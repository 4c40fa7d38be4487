#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPrinter;

namespace korvane {

// Plain text pages laid out as a line printer lays them out: a font and size, text placed at
// tab columns of 120 twips (1/12 inch), print zones of 14 columns, one line after another.
// Lines are collected first and painted when the document ends, so that a list longer than a
// page continues on the next one with the page heading repeated, and every page carries
// "Page n of m" at its foot.
class PagePrinter {
public:
    static constexpr int TwipsPerColumn = 120;
    static constexpr int ColumnsPerZone = 14;

    explicit PagePrinter(QPrinter& printer);
    ~PagePrinter();
    PagePrinter(const PagePrinter&) = delete;
    PagePrinter& operator=(const PagePrinter&) = delete;

    void setFontName(const QString& family);
    void setFontSize(double points);
    // Usable width of the page, in twips.
    int pageWidthTwips() const;
    // The column at which a text of `characters` characters stands centred on the page.
    int centredColumn(int characters) const;
    // How many print zones a line of these texts can use at the current font: the zones from
    // zone 1 whose start leaves room for the widest of them before the right edge (at least 1).
    int zonesPerLine(const QStringList& texts) const;

    // One line of pieces, each at its tab column (column 0 is the left margin). A piece never
    // overlaps the one before it: it moves right past its end when the column is already
    // taken, and left from its column when it would run off the right edge of the page.
    void printLine(const std::vector<std::pair<int, QString>>& pieces);
    void printLine(const QString& text, int column = 0);
    // One line of texts in consecutive print zones, from zone 1; a text longer than its zone
    // pushes the ones after it on to the next free zone.
    void printZones(const QStringList& texts);
    void emptyLine();
    // Moves down by so many twips beyond the line itself.
    void advance(int twips);

    // Lines printed again at the top of every page after the first (a title, a column
    // header); set before the first line that may run over.
    using Heading = std::function<void(PagePrinter&)>;
    void setContinuationHeading(Heading heading);

    // Paints the collected pages on the printer, each with "Page n of m" centred at its foot.
    // Returns the printer's error, if any; a document without lines prints nothing.
    Status endDocument();
    // Pages laid out so far (all of them once the last line is printed).
    int pageCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace korvane
