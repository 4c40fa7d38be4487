#include "platform/PagePrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace korvane {

namespace {

constexpr double TwipsPerInch = 1440.0;
constexpr double FooterPoints = 10.0;

struct Piece {
    double x = 0; // device pixels from the left edge of the printable area
    QString text;
};

struct Line {
    double y = 0; // device pixels from the top of the printable area: the top of the line
    QFont font;
    std::vector<Piece> pieces;
};

struct Page {
    std::vector<Line> lines;
};

} // namespace

struct PagePrinter::Impl {
    Impl(PagePrinter& o, QPrinter& p) : owner(o), printer(p) {}

    PagePrinter& owner; // handed to the continuation heading
    QPrinter& printer;
    QString family = QStringLiteral("Arial");
    double points = 10.0;
    std::vector<Page> pages;
    double y = 0;
    Heading heading;
    bool inHeading = false;

    double dpiX() const { return printer.logicalDpiX(); }
    double dpiY() const { return printer.logicalDpiY(); }
    double columnX(int column) const {
        return std::max(column, 0) * TwipsPerColumn * dpiX() / TwipsPerInch;
    }
    double zoneWidth() const { return columnX(ColumnsPerZone); }

    QFont font() const {
        QFont f(family);
        f.setPointSizeF(points);
        return f;
    }
    QFont footerFont() const {
        QFont f(family);
        f.setPointSizeF(FooterPoints);
        return f;
    }
    QFontMetricsF metrics(const QFont& f) const { return QFontMetricsF(f, &printer); }

    // The foot of every page keeps one empty line and the page number line clear of the body.
    double bodyBottom() const { return printer.height() - 2 * metrics(footerFont()).lineSpacing(); }

    // Where a text goes that wants to start at `wanted`: past the end of the piece before it,
    // and pulled left when it would run off the page, though never over that piece.
    double place(double wanted, double width, double previousEnd, double gap) const {
        const double earliest = previousEnd > 0 ? previousEnd + gap : 0;
        double x = std::max(wanted, earliest);
        if (x + width > printer.width())
            x = std::max(earliest, printer.width() - width);
        return x;
    }

    // A new line of the current font, on a new page when it does not fit above the foot.
    Line& newLine() {
        const QFont f = font();
        const double height = metrics(f).lineSpacing();
        if (pages.empty()) {
            pages.emplace_back();
            y = 0;
        } else if (!inHeading && !pages.back().lines.empty() && y + height > bodyBottom()) {
            pages.emplace_back();
            y = 0;
            printHeading();
        }
        Line& line = pages.back().lines.emplace_back();
        line.y = y;
        line.font = f;
        y += height;
        return line;
    }

    // The heading chooses its own fonts; the lines after it go on in the font they had.
    void printHeading() {
        if (!heading)
            return;
        const QString savedFamily = family;
        const double savedPoints = points;
        inHeading = true;
        heading(owner);
        inHeading = false;
        family = savedFamily;
        points = savedPoints;
    }
};

PagePrinter::PagePrinter(QPrinter& printer) : d(std::make_unique<Impl>(*this, printer)) {}

PagePrinter::~PagePrinter() = default;

void PagePrinter::setFontName(const QString& family) {
    d->family = family;
}

void PagePrinter::setFontSize(double points) {
    d->points = points;
}

int PagePrinter::pageWidthTwips() const {
    return qRound(d->printer.width() * TwipsPerInch / d->dpiX());
}

int PagePrinter::centredColumn(int characters) const {
    return std::max(0, pageWidthTwips() / 2 / TwipsPerColumn - characters / 2);
}

int PagePrinter::zonesPerLine(const QStringList& texts) const {
    const QFontMetricsF fm = d->metrics(d->font());
    double widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, fm.horizontalAdvance(text));
    const double room = d->printer.width() - widest;
    return std::max(1, static_cast<int>(room / d->zoneWidth()) + 1);
}

void PagePrinter::printLine(const std::vector<std::pair<int, QString>>& pieces) {
    Line& line = d->newLine();
    const QFontMetricsF fm = d->metrics(line.font);
    const double gap = fm.horizontalAdvance(u' ');
    double end = 0;
    for (const auto& [column, text] : pieces) {
        const double width = fm.horizontalAdvance(text);
        const double x = d->place(d->columnX(column), width, end, gap);
        line.pieces.push_back({x, text});
        end = x + width;
    }
}

void PagePrinter::printLine(const QString& text, int column) {
    printLine({{column, text}});
}

void PagePrinter::printZones(const QStringList& texts) {
    Line& line = d->newLine();
    const QFontMetricsF fm = d->metrics(line.font);
    const double gap = fm.horizontalAdvance(u' ');
    const double zone = d->zoneWidth();
    double end = 0;
    int next = 0; // zone index from 0
    for (const QString& text : texts) {
        // Each text takes the next zone, or the first one after the end of a text too wide
        // for its own.
        while (end > 0 && next * zone < end + gap)
            ++next;
        const double width = fm.horizontalAdvance(text);
        const double x = d->place(next * zone, width, end, gap);
        line.pieces.push_back({x, text});
        end = std::max(end, x + width);
        ++next;
    }
}

void PagePrinter::emptyLine() {
    d->newLine();
}

void PagePrinter::advance(int twips) {
    d->y += twips * d->dpiY() / TwipsPerInch;
}

void PagePrinter::setContinuationHeading(Heading heading) {
    d->heading = std::move(heading);
}

Status PagePrinter::endDocument() {
    if (d->pages.empty())
        return {};
    QPainter painter;
    if (!painter.begin(&d->printer))
        return Error{QStringLiteral("The printer could not be started.")};

    const int count = pageCount();
    // The pages the user asked for in the print dialog; every page unless a range was given.
    int first = 1;
    int last = count;
    if (d->printer.printRange() == QPrinter::PageRange && d->printer.fromPage() > 0) {
        first = std::min(d->printer.fromPage(), count);
        last = std::clamp(d->printer.toPage() > 0 ? d->printer.toPage() : count, first, count);
    }
    const QFont footer = d->footerFont();
    const QFontMetricsF footerMetrics = d->metrics(footer);
    for (int n = first; n <= last; ++n) {
        if (n > first && !d->printer.newPage()) {
            painter.end();
            return Error{QStringLiteral("The printer could not start a new page.")};
        }
        for (const Line& line : d->pages[static_cast<size_t>(n - 1)].lines) {
            painter.setFont(line.font);
            const double baseline = line.y + d->metrics(line.font).ascent();
            for (const Piece& piece : line.pieces)
                painter.drawText(QPointF(piece.x, baseline), piece.text);
        }
        const QString number = QStringLiteral("Page %1 of %2").arg(n).arg(count);
        painter.setFont(footer);
        painter.drawText(QPointF((d->printer.width() - footerMetrics.horizontalAdvance(number)) / 2,
                                 d->printer.height() - footerMetrics.descent()),
                         number);
    }
    if (!painter.end() || d->printer.printerState() == QPrinter::Error ||
        d->printer.printerState() == QPrinter::Aborted)
        return Error{QStringLiteral("The printer could not finish printing.")};
    return {};
}

int PagePrinter::pageCount() const {
    return static_cast<int>(d->pages.size());
}

} // namespace korvane
