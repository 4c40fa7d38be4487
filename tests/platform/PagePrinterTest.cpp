#include "platform/PagePrinter.h"

#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane {
namespace {

class PagePrinterTest : public testing::Test {
protected:
    PagePrinterTest() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("pages.pdf")));
    }

    // The printed pages as pdftotext lays them out, one text per page.
    QStringList printedPages() { return test::pdfPages(printer.outputFileName()); }

    // The printed line holding `text`, or an empty text.
    static QString lineWith(const QString& page, const QString& text) {
        for (const QString& line : page.split(u'\n')) {
            if (line.contains(text))
                return line;
        }
        return {};
    }

    test::TempDir dir;
    QPrinter printer{QPrinter::HighResolution};
};

// A list of 200 entries under an opening title, each page after the first headed again.
void printLongList(PagePrinter& pages) {
    pages.setFontName(QStringLiteral("Arial"));
    pages.setFontSize(16);
    pages.printLine(QStringLiteral("Opening Title"), pages.centredColumn(13));
    pages.setFontSize(10);
    pages.printLine({{0, QStringLiteral("Item")}, {30, QStringLiteral("Value")}});
    pages.setContinuationHeading([](PagePrinter& p) {
        p.setFontSize(14);
        p.printLine(QStringLiteral("Continued Title"));
        p.setFontSize(10);
        p.printLine({{0, QStringLiteral("Item")}, {30, QStringLiteral("Value")}});
    });
    for (int i = 1; i <= 200; ++i)
        pages.printLine({{0, QStringLiteral("Entry %1").arg(i, 3, 10, QChar(u'0'))},
                         {30, QStringLiteral("v")}});
}

TEST_F(PagePrinterTest, LongListRunsOnWithHeadingAndPageNumbers) {
    PagePrinter pages(printer);
    printLongList(pages);
    ASSERT_TRUE(pages.endDocument().ok());

    const QStringList text = printedPages();
    const int count = pages.pageCount();
    ASSERT_GE(count, 3);
    ASSERT_EQ(text.size(), count);
    int next = 1; // every entry once, in order, across the pages
    for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(n);
        const QString& page = text[n - 1];
        EXPECT_EQ(page.count(QStringLiteral("Page %1 of %2").arg(n).arg(count)), 1);
        EXPECT_EQ(page.count(QStringLiteral("Continued Title")), n == 1 ? 0 : 1);
        EXPECT_EQ(page.count(QStringLiteral("Opening Title")), n == 1 ? 1 : 0);
        EXPECT_EQ(page.count(QStringLiteral("Item")), 1);
        // The heading comes before the page's first entry, in the size it chose.
        EXPECT_LT(page.indexOf(QStringLiteral("Item")), page.indexOf(QStringLiteral("Entry")));
        static const QRegularExpression entry(QStringLiteral("^\\s*Entry (\\d{3})\\s+v\\s*$"));
        for (const QString& line : page.split(u'\n')) {
            if (const auto match = entry.match(line); match.hasMatch()) {
                EXPECT_EQ(match.captured(1).toInt(), next++) << line.toStdString();
            }
        }
    }
    EXPECT_EQ(next, 201);

    // The opening title stands centred on the page, as the page number below it does.
    const auto middle = [](const QString& page, const QString& words) {
        const QString line = lineWith(page, words);
        return line.indexOf(words) + words.size() / 2.0;
    };
    EXPECT_NEAR(middle(text[0], QStringLiteral("Opening Title")),
                middle(text[0], QStringLiteral("Page 1 of %1").arg(count)), 4);

    // Pages 2 to the last chosen in the print dialog: those alone, numbered as in the whole.
    QPrinter some(QPrinter::HighResolution);
    some.setOutputFormat(QPrinter::PdfFormat);
    some.setOutputFileName(dir.filePath(QStringLiteral("some.pdf")));
    some.setPrintRange(QPrinter::PageRange);
    some.setFromTo(2, count);
    PagePrinter part(some);
    printLongList(part);
    ASSERT_TRUE(part.endDocument().ok());
    const QStringList partText = test::pdfPages(some.outputFileName());
    ASSERT_EQ(partText.size(), count - 1);
    EXPECT_EQ(partText.front(), text[1]);
    EXPECT_EQ(partText.back(), text.back());
}

// On every page the body stops an empty line above the page number, and a full page is used to
// within a line of that.
TEST_F(PagePrinterTest, TheBodyStopsAnEmptyLineAboveThePageNumber) {
    PagePrinter pages(printer);
    pages.setFontSize(10);
    for (int i = 1; i <= 150; ++i)
        pages.printLine(QStringLiteral("Entry %1").arg(i));
    ASSERT_TRUE(pages.endDocument().ok());

    const std::vector<test::PdfPage> boxes = test::pdfWordBoxes(printer.outputFileName());
    ASSERT_EQ(static_cast<int>(boxes.size()), pages.pageCount());
    ASSERT_GE(boxes.size(), 3u);
    for (std::size_t n = 0; n < boxes.size(); ++n) {
        SCOPED_TRACE(n + 1);
        const auto& words = boxes[n].words;
        const auto footer = std::find_if(words.begin(), words.end(), [](const auto& w) {
            return w.text == QStringLiteral("Page");
        });
        ASSERT_NE(footer, words.end());
        const double footerHeight = footer->bottom - footer->top;
        double lastBottom = 0, pitch = 0, previousTop = -1;
        for (const test::PdfWord& w : words) {
            if (w.text != QStringLiteral("Entry"))
                continue;
            if (previousTop >= 0)
                pitch = w.top - previousTop;
            previousTop = w.top;
            lastBottom = std::max(lastBottom, w.bottom);
        }
        ASSERT_GT(pitch, 0);
        const double gap = footer->top - lastBottom;
        EXPECT_GE(gap, footerHeight);
        if (n + 1 < boxes.size()) {
            EXPECT_LT(gap, footerHeight + pitch);
        }
    }
}

// Widths are twips at the printer's resolution; line heights follow the font of each line, and
// advance() adds its space below the line.
TEST_F(PagePrinterTest, MeasuresInTwipsAndByTheFontOfEachLine) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
    EXPECT_NEAR(PagePrinter(printer).pageWidthTwips(), (8.27 - 1) * 1440, 10);
    EXPECT_EQ(PagePrinter(printer).centredColumn(1000), 0);

    const auto pagesFor = [&](double points, int twips) {
        PagePrinter pages(printer);
        pages.setFontSize(points);
        for (int i = 0; i < 120; ++i) {
            pages.printLine(QStringLiteral("Line"));
            pages.advance(twips);
        }
        return pages.pageCount();
    };
    const int small = pagesFor(10, 0);
    const int large = pagesFor(20, 0);
    EXPECT_GE(small, 2);
    EXPECT_GE(large, small * 3 / 2);
    EXPECT_LE(large, small * 5 / 2);
    // An inch below every line: an A4 page holds no more than 11 of them.
    EXPECT_GE(pagesFor(10, 1440), 120 / 11);
}

TEST_F(PagePrinterTest, PiecesStandAtTheirColumnsInTheOrderGiven) {
    PagePrinter pages(printer);
    pages.setFontName(QStringLiteral("Arial"));
    pages.setFontSize(10);
    pages.printLine({{0, QStringLiteral("left")}, {40, QStringLiteral("right")}});
    // A column already taken moves the piece past the one before it.
    pages.printLine({{10, QStringLiteral("alpha")},
                     {10, QStringLiteral("beta")},
                     {0, QStringLiteral("gamma")}});
    // Zones: the table's captions stand over their values; an empty zone keeps its place and
    // a long text pushes the next one to the zone after.
    pages.printZones({QString(), QStringLiteral("Floor"), QStringLiteral("Course 1")});
    pages.printZones(
        {QStringLiteral("Min. Wall"), QStringLiteral("0.250"), QStringLiteral("0.300")});
    pages.printZones(
        {QStringLiteral("A caption far wider than one zone"), QStringLiteral("after")});
    // A column beyond the right edge still prints its text whole on the page.
    pages.printLine({{0, QStringLiteral("start")}, {300, QStringLiteral("edge text")}});
    ASSERT_TRUE(pages.endDocument().ok());

    const QStringList text = printedPages();
    ASSERT_EQ(text.size(), 1);
    const QString& page = text[0];

    const QString first = lineWith(page, QStringLiteral("left"));
    EXPECT_GT(first.indexOf(QStringLiteral("right")) - first.indexOf(QStringLiteral("left")), 20)
        << first.toStdString();
    EXPECT_TRUE(lineWith(page, QStringLiteral("alpha"))
                    .contains(QRegularExpression(QStringLiteral("alpha\\s+beta\\s+gamma"))));

    const QString captions = lineWith(page, QStringLiteral("Floor"));
    const QString values = lineWith(page, QStringLiteral("Min. Wall"));
    EXPECT_EQ(captions.indexOf(QStringLiteral("Floor")), values.indexOf(QStringLiteral("0.250")));
    EXPECT_EQ(captions.indexOf(QStringLiteral("Course 1")),
              values.indexOf(QStringLiteral("0.300")));
    EXPECT_GT(captions.indexOf(QStringLiteral("Floor")), 5);

    const QString wide = lineWith(page, QStringLiteral("A caption"));
    EXPECT_GT(wide.indexOf(QStringLiteral("after")), wide.indexOf(QStringLiteral("zone")));
    EXPECT_GT(wide.indexOf(QStringLiteral("after")), values.indexOf(QStringLiteral("0.300")) - 2);

    EXPECT_TRUE(lineWith(page, QStringLiteral("start")).contains(QStringLiteral("edge text")));
    EXPECT_TRUE(page.contains(QStringLiteral("Page 1 of 1")));
}

TEST_F(PagePrinterTest, PrinterThatCannotStartGivesAnError) {
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/pages.pdf")));
    PagePrinter pages(printer);
    pages.printLine(QStringLiteral("Nothing reaches the page"));
    const Status printed = pages.endDocument();
    ASSERT_FALSE(printed.ok());
    EXPECT_EQ(printed.error(), QStringLiteral("The printer could not be started."));
}

} // namespace
} // namespace korvane
