#include "reports/ReportPages.h"

#include "reports/ReportEngine.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane::reports {
namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

const PageFrame Frame{"Tank Summary", "demo.mdb", "05/Mar/2024"};

QPageLayout a4() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

// Lays a report out in full and writes it to a PDF file; the text of each page.
QStringList pagesOf(const QString& html, const QString& pdf, const PageFrame& frame = Frame) {
    ReportPages pages(html, frame, a4());
    const auto laidOut = pages.layOutAll();
    EXPECT_TRUE(laidOut) << text(laidOut.error());
    const Status written = writePdf(pages, pdf);
    EXPECT_TRUE(written) << text(written.error());
    return test::pdfPages(pdf);
}

// A report long enough for several pages, each line numbered so that a line painted twice
// (on two pages) or lost at a page break shows.
QString longReport(int lines) {
    QString html;
    for (int i = 1; i <= lines; ++i)
        html += QStringLiteral("<p>Reading %1 of the shell</p>").arg(i, 4, 10, QChar(u'0'));
    return html;
}

// A tank name of a megabyte prints its first MaxValueLength characters and "...", with places
// to break its lines, so that it is laid out like any paragraph of that length.
TEST(ReportPages, AMegabyteValueIsCutAndLaidOut) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const struct {
        QString value;
        QString printed;
    } cases[] = {
        {QString("N").repeated(1000 * 1000), QString("N").repeated(MaxValueLength) + "..."},
        {QString("&").repeated(1000 * 1000), QString("&").repeated(MaxValueLength) + "..."},
        // Never cut inside a character.
        {QString("N").repeated(MaxValueLength - 1) + emoji.repeated(10),
         QString("N").repeated(MaxValueLength - 1) + "..."},
        {QString("N").repeated(MaxValueLength), QString("N").repeated(MaxValueLength)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.printed.right(8)));
        const auto filled = renderTemplate("<p>{{name}}</p>", {{"name", c.value}});
        ASSERT_TRUE(filled) << text(filled.error());
        const auto prepared = prepareForLayout(*filled);
        ASSERT_TRUE(prepared) << text(prepared.error());
        ReportPages pages(*prepared, Frame, a4());
        const auto laidOut = pages.layOutAll();
        ASSERT_TRUE(laidOut) << text(laidOut.error());
        EXPECT_EQ(pages.plainText().remove(QChar(0x200B)), c.printed);
    }
}

// On every page the report's lines stand between the heading and the page line, never over
// either, and a full page is used to within a line of its foot. Lines without margins step by
// one line, so the gaps are measured in lines.
TEST(ReportPages, TheBodyStaysBetweenTheHeadingAndThePageLine) {
    test::TempDir dir;
    const QString pdf = dir.filePath("report.pdf");
    pagesOf(
        longReport(150).replace(QStringLiteral("<p>"), QStringLiteral("<p style=\"margin: 0\">")),
        pdf);
    const std::vector<test::PdfPage> pages = test::pdfWordBoxes(pdf);
    ASSERT_GE(pages.size(), 3u);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        SCOPED_TRACE(n + 1);
        double headingBottom = 0, footTop = 0, firstTop = 1e9, lastBottom = 0, pitch = 0;
        double previousTop = -1;
        for (const test::PdfWord& w : pages[n].words) {
            if (w.text == QStringLiteral("Summary"))
                headingBottom = w.bottom;
            else if (w.text == QStringLiteral("Page"))
                footTop = w.top;
            else if (w.text == QStringLiteral("Reading")) {
                firstTop = std::min(firstTop, w.top);
                lastBottom = std::max(lastBottom, w.bottom);
                if (previousTop >= 0)
                    pitch = w.top - previousTop;
                previousTop = w.top;
            }
        }
        ASSERT_GT(headingBottom, 0);
        ASSERT_GT(footTop, 0);
        ASSERT_GT(pitch, 0);
        const double line = pitch;
        EXPECT_GT(firstTop - headingBottom, line / 2);
        EXPECT_LT(firstTop - headingBottom, 1.5 * line);
        EXPECT_GT(footTop - lastBottom, line / 4);
        if (n + 1 < pages.size()) {
            EXPECT_LT(footTop - lastBottom, 1.5 * line);
        }
    }
}

// Each case prints the same report; the frame must name the page among all of the report's,
// and every line must be on exactly one page (no line lost or repeated at a page break). The
// layout is made once; a device of another resolution gets the same pages, scaled.
TEST(ReportPages, PaintsPagesWithTheirFrame) {
    const int lines = 150;
    ReportPages laidOut(longReport(lines), Frame, a4());
    ASSERT_TRUE(laidOut.layOutAll());
    const int pages = laidOut.pageCount();
    EXPECT_GE(pages, 3);
    const struct {
        int resolution;
        PageRange range;
    } cases[] = {{300, {}}, {1200, {}}, {1200, {2, 3}}};
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.resolution << " dpi, from page " << c.range.from);
        const QString pdf = dir.filePath("report.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setResolution(c.resolution);
            writer.setPageLayout(a4());
            const auto painted = paintPages(laidOut, writer, c.range);
            ASSERT_TRUE(painted) << text(painted.error());
            EXPECT_EQ(*painted, pages);
        }
        const int first = c.range.from ? c.range.from : 1;
        const int last = c.range.to ? c.range.to : pages;
        const QStringList texts = test::pdfPages(pdf);
        ASSERT_EQ(texts.size(), last - first + 1) << text(texts.join("\n----\n"));
        QString body;
        for (int page = first; page <= last; ++page) {
            const QString& t = texts[page - first];
            EXPECT_TRUE(t.contains(QRegularExpression("Tank Summary +demo.mdb"))) << text(t);
            EXPECT_TRUE(t.contains(QRegularExpression(
                QStringLiteral("Printed 05/Mar/2024 +Page %1 of %2").arg(page).arg(pages))))
                << text(t);
            body += t;
        }
        for (int i = 1; i <= lines && first == 1 && last == pages; ++i)
            EXPECT_EQ(body.count(QStringLiteral("Reading %1 ").arg(i, 4, 10, QChar(u'0'))), 1) << i;
    }

    QPdfWriter nowhere(dir.filePath("no/such/folder/x.pdf"));
    const auto refused = paintPages(laidOut, nowhere);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "The printer could not be started.");
    const Status notWritten = writePdf(laidOut, dir.filePath("no/such/folder/x.pdf"));
    EXPECT_FALSE(notWritten);
}

// Layout and painting ask between their parts whether to go on, and stop when told; a PDF
// stopped part way is not written at all.
TEST(ReportPages, LayoutAndPaintingStopWhenTold) {
    test::TempDir dir;
    QString html;
    for (int tank = 1; tank <= 5; ++tank)
        html += QStringLiteral("<h1>Tank %1</h1>").arg(tank) + longReport(60);
    ReportPages pages(html, Frame, a4());
    const KeepGoing no = [] {
        return false;
    };
    const auto laidOut = pages.layOutAll(no);
    ASSERT_FALSE(laidOut);
    EXPECT_EQ(laidOut.error(), StoppedMessage);
    EXPECT_FALSE(pages.finished());
    ASSERT_TRUE(pages.layOutAll());

    int asked = 0;
    const Status stopped =
        writePdf(pages, dir.filePath("stopped.pdf"), {}, [&] { return ++asked < 3; });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error(), StoppedMessage);
    EXPECT_FALSE(QFile::exists(dir.filePath("stopped.pdf")));
    EXPECT_TRUE(writePdf(pages, dir.filePath("whole.pdf")));
    EXPECT_EQ(test::pdfPages(dir.filePath("whole.pdf")).size(), pages.pageCount());
}

// The first pages are ready while the rest is still to be laid out, and do not change when it
// is: a report laid out a part at a time has the same pages as one laid out at once.
TEST(ReportPages, TheFirstPageIsReadyBeforeTheLast) {
    QString html;
    for (int tank = 1; tank <= 20; ++tank)
        html += QStringLiteral("<h1 style=\"page-break-before: always\">Tank %1</h1>").arg(tank) +
                longReport(70);
    ReportPages stepwise(html, Frame, a4());
    int steps = 0;
    while (stepwise.pagesReady() < 1) {
        stepwise.layOutMore(std::chrono::milliseconds::zero());
        ++steps;
    }
    EXPECT_EQ(steps, 1); // a tank is one part, and it fills the first page
    EXPECT_FALSE(stepwise.finished());
    EXPECT_GT(stepwise.progress(), 0);
    EXPECT_LT(stepwise.progress(), 0.2);
    while (!stepwise.finished())
        stepwise.layOutMore(std::chrono::milliseconds::zero());
    EXPECT_EQ(stepwise.progress(), 1);

    ReportPages atOnce(html, Frame, a4());
    ASSERT_TRUE(atOnce.layOutAll());
    EXPECT_EQ(stepwise.pageCount(), atOnce.pageCount());
    EXPECT_EQ(stepwise.pagesReady(), stepwise.pageCount());
    EXPECT_EQ(stepwise.plainText(), atOnce.plainText());
}

// A tank's record that runs over several pages repeats the tank's and the inspection's headings
// at the top of each page it goes on to, and a table its header rows; a page break starts the
// next tank on a page of its own; no row is cut between two pages, and none is lost or printed
// twice. The report's title is not repeated: the page's frame already names it.
TEST(ReportPages, PagesGoingOnWithARecordRepeatItsHeadings) {
    QString html = QStringLiteral("<h1>Tank Summary</h1>");
    for (int tank = 1; tank <= 2; ++tank) {
        html += tank == 1 ? QStringLiteral("<h1>Tank T-1</h1>")
                          : QStringLiteral("<h1 style=\"page-break-before: always\">Tank T-2</h1>");
        html += QStringLiteral("<h2>Inspection %1</h2><table border=\"1\"><thead><tr><th>Point</th>"
                               "<th>Reading</th></tr></thead>")
                    .arg(tank);
        for (int row = 1; row <= 80; ++row)
            html += QStringLiteral("<tr><td>P%1-%2<br>upper</td><td>0.%3<br>lower</td></tr>")
                        .arg(tank)
                        .arg(row, 3, 10, QChar(u'0'))
                        .arg(row, 3, 10, QChar(u'0'));
        html += QStringLiteral("</table>");
    }
    test::TempDir dir;
    const QStringList pages = pagesOf(html, dir.filePath("tanks.pdf"));
    ASSERT_GE(pages.size(), 4);
    int tank2Starts = -1;
    QString all;
    for (int n = 0; n < pages.size(); ++n) {
        SCOPED_TRACE(n + 1);
        const QString& page = pages[n];
        all += page;
        // The frame's title, and on the first page the report's own.
        EXPECT_EQ(page.count(QStringLiteral("Tank Summary")), n == 0 ? 2 : 1) << text(page);
        EXPECT_TRUE(page.contains(QRegularExpression("Point +Reading"))) << text(page);
        const bool tank2 = page.contains(QStringLiteral("P2-"));
        EXPECT_NE(page.contains(QStringLiteral("P1-")), tank2) << text(page);
        const QString tank = tank2 ? QStringLiteral("T-2") : QStringLiteral("T-1");
        if (tank2 && tank2Starts < 0) {
            tank2Starts = n;
            EXPECT_TRUE(page.contains(QStringLiteral("Tank T-2\n"))) << text(page);
            EXPECT_FALSE(page.contains(QStringLiteral("(continued)"))) << text(page);
        } else if (n > 0) {
            EXPECT_TRUE(page.contains(QStringLiteral("Tank %1 (continued)").arg(tank)))
                << text(page);
            EXPECT_TRUE(
                page.contains(QStringLiteral("Inspection %1 (continued)").arg(tank2 ? 2 : 1)))
                << text(page);
        }
        // Each row's two lines stand on the same page.
        EXPECT_EQ(page.count(QStringLiteral("upper")), page.count(QStringLiteral("lower")))
            << text(page);
    }
    EXPECT_GT(tank2Starts, 1);
    for (int tank = 1; tank <= 2; ++tank)
        for (int row = 1; row <= 80; ++row)
            EXPECT_EQ(all.count(QStringLiteral("P%1-%2").arg(tank).arg(row, 3, 10, QChar(u'0'))), 1)
                << tank << " " << row;
}

// A heading, and a line styled to stay with what follows it, never stand alone at the foot of a
// page: wherever the text before them ends, they go on the page of the table's first row. The
// same holds for a report the blocks do not cover (a line break in it), laid out by a text
// document, for its headings.
TEST(ReportPages, AHeadingStaysWithWhatFollowsIt) {
    test::TempDir dir;
    for (const bool blocks : {true, false}) {
        for (int lines = 29; lines <= 36; ++lines) {
            SCOPED_TRACE(testing::Message() << (blocks ? "blocks " : "document ") << lines);
            QString html = longReport(lines);
            if (!blocks)
                html += QStringLiteral("<p>a line<br>broken</p>");
            html += QStringLiteral("<h3>Thickness Readings</h3>");
            if (blocks)
                html += QStringLiteral("<p style=\"page-break-after: avoid\">24 readings</p>");
            html += QStringLiteral("<table border=\"1\"><thead><tr><th>Point</th></tr></thead>");
            for (int row = 1; row <= 30; ++row)
                html += QStringLiteral("<tr><td>R%1</td></tr>").arg(row, 3, 10, QChar(u'0'));
            html += QStringLiteral("</table>");
            const QStringList pages = pagesOf(html, dir.filePath("kept.pdf"));
            const auto page = [&](const QString& what) {
                for (int n = 0; n < pages.size(); ++n)
                    if (pages[n].contains(what))
                        return n;
                return -1;
            };
            const int heading = page(QStringLiteral("Thickness Readings"));
            ASSERT_GE(heading, 0);
            EXPECT_EQ(page(QStringLiteral("R001")), heading);
            if (blocks) {
                EXPECT_EQ(page(QStringLiteral("24 readings")), heading);
            }
            EXPECT_EQ(pages.join(QString()).count(QStringLiteral("Reading 00")), lines);
            // Ordinary lines fill the first page; only the kept ones move on.
            EXPECT_GE(pages[0].count(QStringLiteral("Reading 00")), std::min(lines, 30));
        }
    }
    // A heading at the top of a page whose next row is taller than a page stays where it is,
    // and the row is cut between its lines where the pages end: each line on one page.
    QString tall = QStringLiteral("<h3>Tall Row</h3><table border=\"1\"><tr><td>");
    for (int line = 1; line <= 400; ++line)
        tall += QStringLiteral("line %1 of the cell ").arg(line, 3, 10, QChar(u'0'));
    tall += QStringLiteral("</td></tr></table>");
    for (int lines = 0; lines <= 36; lines += lines < 30 ? 30 : 1) {
        SCOPED_TRACE(lines);
        const QStringList pages = pagesOf(longReport(lines) + tall, dir.filePath("tall.pdf"));
        ASSERT_GE(pages.size(), 2);
        const QString all = pages.join(QString());
        EXPECT_EQ(all.count(QStringLiteral("Reading 00")), lines);
        EXPECT_EQ(all.count(QStringLiteral("Tall Row")), 1);
        // The text of the pages without their frames.
        QStringList body;
        for (const QString& line : all.split(u'\n'))
            if (!line.contains(QStringLiteral("Printed")) &&
                !line.contains(QStringLiteral("Tank Summary")))
                body << line;
        const QString words = body.join(u' ').simplified() + QLatin1Char(' ');
        for (int line = 1; line <= 400; ++line)
            ASSERT_EQ(words.count(QStringLiteral("line %1 ").arg(line, 3, 10, QChar(u'0'))), 1)
                << line;
    }
}

// A narrow column wraps its heading at the space, never inside a word; a word too long for any
// column is still broken rather than run off the page.
TEST(ReportPages, ColumnHeadingsWrapAtSpaces) {
    QString html = QStringLiteral("<table border=\"1\" cellpadding=\"2\" width=\"100%\" "
                                  "style=\"font-size:7pt\"><tr>");
    const QStringList headings{"Point",
                               "Course",
                               "First",
                               "Previous",
                               "Latest",
                               "Minimum",
                               "Long-Term Rate",
                               "Short-Term Rate",
                               "Rate",
                               "RCA",
                               "Remaining Life",
                               "UT Interval",
                               "External Interval",
                               "Status"};
    for (const QString& heading : headings)
        html += QStringLiteral("<th>%1</th>").arg(heading);
    html += QStringLiteral("</tr><tr>");
    for (int i = 0; i < headings.size(); ++i)
        html += QStringLiteral("<td>10/Oct/2018 0.%1</td>").arg(i);
    html += QStringLiteral("</tr></table>");
    test::TempDir dir;
    const QStringList pages = pagesOf(html, dir.filePath("narrow.pdf"));
    ASSERT_EQ(pages.size(), 1);
    const QStringList words = pages[0].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    for (const char* word : {"Remaining", "Life", "Previous", "Interval", "External"})
        EXPECT_TRUE(words.contains(QString::fromLatin1(word))) << word << text(pages[0]);

    // The long word is all there, broken into lines within the page.
    const QStringList broken =
        pagesOf(*prepareForLayout("<p>" + QString("W").repeated(MaxUnbrokenText) + "</p>"),
                dir.filePath("long.pdf"));
    ASSERT_EQ(broken.size(), 1);
    EXPECT_EQ(broken[0].count(u'W'), MaxUnbrokenText);
    EXPECT_FALSE(broken[0].contains(QString("W").repeated(MaxUnbrokenText)));
}

// A page too small for the frame and a line of report is refused, and the pages stay empty.
TEST(ReportPages, APageTooSmallIsRefused) {
    const QPageLayout tiny(QPageSize(QSizeF(30, 20), QPageSize::Millimeter), QPageLayout::Portrait,
                           QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    ReportPages pages(longReport(3), Frame, tiny);
    ASSERT_FALSE(pages.status());
    EXPECT_EQ(pages.status().error(), "The page is too small for the report.");
    EXPECT_TRUE(pages.finished());
    const auto laidOut = pages.layOutAll();
    ASSERT_FALSE(laidOut);
    EXPECT_EQ(laidOut.error(), "The page is too small for the report.");
}

} // namespace
} // namespace korvane::reports
