#include "reports/ReportBlocks.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"
#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

// Reports laid out as blocks against the same reports laid out by text documents: the pages must
// be the same, word for word and point for point.
namespace korvane::reports {
namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

const PageFrame Frame{"Tank Detail", "plant.mdb", "05/Mar/2024"};

struct Printed {
    std::vector<test::PdfPage> pages;
    QString plainText;
    int blockParts = 0;
    std::vector<QImage> images;
};

Printed print(const QString& html, ReportPages::Road road, const QString& pdf) {
    ReportPages pages(html, Frame, pdfPageLayout(), PdfResolution, road);
    Printed printed;
    const auto laidOut = pages.layOutAll();
    EXPECT_TRUE(laidOut) << text(laidOut.error());
    const Status written = writePdf(pages, pdf);
    EXPECT_TRUE(written) << text(written.error());
    printed.pages = test::pdfWordBoxes(pdf);
    printed.plainText = pages.plainText();
    printed.blockParts = pages.blockParts();
    // Every page as the preview shows it, to compare borders, colours and weights.
    for (int page = 0; page < pages.pageCount(); ++page) {
        QImage image(420, 594, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const qreal scale = image.width() / pages.pageSize().width();
        painter.scale(scale, scale);
        pages.paintPage(painter, page, pages.pageCount());
        painter.end();
        printed.images.push_back(image);
    }
    return printed;
}

// Prints the HTML both ways and compares every word of every page, the text, and the pages as
// painted. `blocks` says whether the blocks are to lay out the report (all of it or in part).
void expectSamePages(const QString& html, bool blocks = true) {
    test::TempDir dir;
    const Printed document =
        print(html, ReportPages::Road::TextDocument, dir.filePath("document.pdf"));
    const Printed fast = print(html, ReportPages::Road::Blocks, dir.filePath("blocks.pdf"));
    EXPECT_EQ(document.blockParts, 0);
    if (blocks)
        EXPECT_GT(fast.blockParts, 0);
    else
        EXPECT_EQ(fast.blockParts, 0);
    EXPECT_EQ(fast.plainText, document.plainText);
    ASSERT_EQ(fast.pages.size(), document.pages.size());
    ASSERT_FALSE(fast.pages.empty());
    for (std::size_t page = 0; page < fast.pages.size(); ++page) {
        SCOPED_TRACE(testing::Message() << "page " << page + 1);
        const auto& a = document.pages[page].words;
        const auto& b = fast.pages[page].words;
        ASSERT_EQ(b.size(), a.size());
        for (std::size_t w = 0; w < a.size(); ++w) {
            ASSERT_EQ(text(b[w].text), text(a[w].text)) << "word " << w;
            EXPECT_NEAR(b[w].top, a[w].top, 0.02) << text(a[w].text);
            EXPECT_NEAR(b[w].bottom, a[w].bottom, 0.02) << text(a[w].text);
            EXPECT_NEAR(b[w].left, a[w].left, 0.02) << text(a[w].text);
            EXPECT_NEAR(b[w].right, a[w].right, 0.02) << text(a[w].text);
        }
        // Borders, colours and bold text: the same pixels, but for the edges of letters, which
        // may fall a 64th of a pixel apart.
        const QImage& x = document.images[page];
        const QImage& y = fast.images[page];
        int differ = 0;
        for (int row = 0; row < x.height(); ++row)
            for (int col = 0; col < x.width(); ++col) {
                const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
                if (std::abs(qRed(p) - qRed(q)) > 48 || std::abs(qGreen(p) - qGreen(q)) > 48 ||
                    std::abs(qBlue(p) - qBlue(q)) > 48)
                    ++differ;
            }
        EXPECT_LT(differ, 20);
    }
}

QString filled(const char* reportFile, const QVariantMap& data) {
    const auto definition =
        readReportFile(QStringLiteral(KORVANE_REPORT_FILES "/") + QLatin1String(reportFile));
    EXPECT_TRUE(definition) << text(definition.error());
    const auto html = renderTemplate(definition->templateText, data);
    EXPECT_TRUE(html) << text(html.error());
    const auto prepared = prepareForLayout(*html);
    EXPECT_TRUE(prepared) << text(prepared.error());
    return *prepared;
}

QVariantMap units() {
    return {{"length", "ft"}, {"strength", "psi"}, {"courseHeight", "in."}, {"thickness", "in."}};
}

// Tanks as the detail report lists them: the values vary in length, so that some wrap in their
// cells and some do not; some tanks have no courses, custom fields or maximum fill record.
QVariantMap tankDetailData(int tanks) {
    QVariantList list;
    for (int t = 0; t < tanks; ++t) {
        const QString n = QString::number(t + 1);
        QVariantList courses, schedule, custom;
        for (int c = 1; c <= (t % 3 == 2 ? 0 : 4 + t % 5); ++c)
            courses << QVariantMap{
                {"number", c}, {"height", "96.00"}, {"minimum", QString("0.%1").arg(700 - 60 * c)}};
        const char* kinds[] = {"External", "Internal", "Ultrasonic Thickness"};
        for (int k = 0; k < 3; ++k)
            schedule << QVariantMap{{"kind", kinds[k]},
                                    {"frequency", QString::number(5 * (k + 1))},
                                    {"last", "10/Oct/2018"},
                                    {"due", (t + k) % 2 == 0},
                                    {"next", QString("10/Oct/20%1").arg(23 + k)}};
        for (int f = 0; f < t % 4; ++f)
            custom << QVariantMap{{"label", QString("Field %1").arg(f)},
                                  {"value", f == 2 ? QString("A long value, ").repeated(9)
                                                   : QString("value &amp; %1").arg(f)}};
        QVariantMap tank{
            {"first", t == 0},
            {"name", "T-" + n},
            {"company", "Gulf Plains Refining Company"},
            {"location", "Port Arthur Refinery"},
            {"serial", "LST-74-" + n},
            {"place", t % 2 ? QString("North tank field, dike ") + n
                            : QString("Between the loading rack and the fire water pond, east of "
                                      "the old boiler house, dike ") +
                                  n},
            {"stateNumber", "TX-2041" + n},
            {"product", "Crude Oil"},
            {"code", "API 650"},
            {"manufacturer", "Lone Star Tank & Steel"},
            {"tested", "05/Mar/1974"},
            {"year", 1974 + t},
            {"strapped", ""},
            {"diameter", "150.00"},
            {"shellConstruction", "Weld Butt"},
            {"height", "48.00"},
            {"bottomType", "Double"},
            {"designLevel", "45.00"},
            {"roofType", "Ext. Pontoon"},
            {"capacity", "151080 bbls."},
            {"jointEfficiency", "0.85"},
            {"yield", "30000"},
            {"specificGravity", "0.87"},
            {"tensile", "55000"},
            {"cpsInstalled", t % 2 ? "Yes" : ""},
            {"vdeInstalled", ""},
            {"cpsManufacturer", ""},
            {"vdeManufacturer", ""},
            {"cpsType", ""},
            {"hasCourses", !courses.isEmpty()},
            {"courses", courses},
            {"schedule", schedule},
            {"hasCustom", !custom.isEmpty()},
            {"custom", custom},
            {"comments",
             t % 2 ? QString("Double bottom with leak detection added 1996. ").repeated(t % 7)
                   : QString()}};
        if (t % 3 != 1)
            tank["maxFill"] =
                QVariantMap{{"product", "Crude Oil"},        {"course", 1},
                            {"specificGravity", "0.87"},     {"criticalReading", "0.761"},
                            {"corrosionAllowance", "0.125"}, {"designLevel", "44.10"},
                            {"date", "10/Oct/2018"}};
        list << tank;
    }
    return {{"units", units()},
            {"companies",
             QVariantList{QVariantMap{{"locations", QVariantList{QVariantMap{{"tanks", list}}}}}}}};
}

// Inspections with many readings, so that their tables run over pages and repeat their headers.
QVariantMap inspectionDetailData(int tanks) {
    QVariantList list;
    for (int t = 0; t < tanks; ++t) {
        QVariantList inspections;
        for (int i = 0; i < 2; ++i) {
            QVariantList readings;
            const int count = t == 1 ? 0 : 20 + 45 * i + 7 * t;
            for (int r = 0; r < count; ++r)
                readings << QVariantMap{
                    {"below", r % 11 == 3},
                    {"point", QString("S%1-%2").arg(r / 4 + 1).arg("ENSW"[r % 4])},
                    {"course", QString("Course %1").arg(r / 16 + 1)},
                    {"date", "10/Feb/2021"},
                    {"takenBy", r % 5 ? "Sharon Pike, API 653 No. 28815" : "R. Diaz"},
                    {"reading", QString("0.%1").arg(900 - r)},
                    {"minimum", r % 3 ? "0.761" : ""}};
            inspections << QVariantMap{
                {"number", QString("2018-00%1").arg(i + 1)},
                {"date", "10/Oct/2018"},
                {"type", i ? "Internal" : "External"},
                {"inspectedBy", "Sharon Pike"},
                {"reason", "Scheduled"},
                {"results",
                 i ? QString("Pitting on the floor plates near the sump, repaired. ").repeated(3)
                   : QString("No findings.")},
                {"hasReadings", count > 0},
                {"readingCount", count},
                {"anyBelow", count > 3},
                {"belowCount", count / 11},
                {"readings", readings}};
        }
        list << QVariantMap{{"first", t == 0},
                            {"hasInspections", t != 2},
                            {"name", QString("T-%1").arg(t + 1)},
                            {"company", "Gulf Plains Refining Company"},
                            {"location", "Port Arthur Refinery"},
                            {"place", "North tank field"},
                            {"product", "Crude Oil"},
                            {"inspections", t == 2 ? QVariantList{} : inspections}};
    }
    return {{"units", units()},
            {"companies",
             QVariantList{QVariantMap{{"locations", QVariantList{QVariantMap{{"tanks", list}}}}}}}};
}

// The stored detail reports: tanks of a page or two, wrapped values, tables of readings over
// several pages with their headers repeated, records starting pages of their own.
TEST(BlockLayout, StoredReportsPrintAsATextDocumentPrintsThem) {
    {
        SCOPED_TRACE("tank detail");
        expectSamePages(filled("tank_det.rpt", tankDetailData(7)));
    }
    {
        SCOPED_TRACE("inspection detail");
        expectSamePages(filled("insp_det.rpt", inspectionDetailData(4)));
    }
}

// HTML a user may write into a report of their own, beyond what the stored reports use.
TEST(BlockLayout, WrittenHtmlPrintsAsATextDocumentPrintsIt) {
    const QString rows = [] {
        QString html;
        for (int r = 0; r < 60; ++r)
            html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2 ft</td></tr>")
                        .arg(r)
                        .arg(r * 1.5);
        return html;
    }();
    const char* cases[] = {
        // A table first in a part, two tables one after the other, default cell spacing.
        "<table border=\"1\"><tr><td>a</td><td>b b b</td></tr></table>"
        "<table border=\"2\" cellpadding=\"4\"><tr><th>x</th><th align=\"right\">y</th></tr>"
        "<tr><td colspan=\"2\">spanning both columns</td></tr></table><p>after</p>",
        // Fixed and percentage widths, a table of a fixed width, columns a pixel too wide.
        "<h2>Widths</h2><table border=\"1\" width=\"600\" cellspacing=\"0\"><tr>"
        "<td width=\"100\">narrow</td><td>the rest of the table's width</td></tr></table>"
        "<table border=\"1\" width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><tr>"
        "<td width=\"18%\">a</td><td width=\"32%\">b</td><td width=\"18%\">c</td>"
        "<td width=\"32%\">d</td></tr></table>",
        // Styles: colours, sizes, italics, fonts, entities, alignment of paragraphs.
        "<h1>Title &amp; more</h1><p align=\"center\">centred <i>text</i> &nbsp; "
        "<font color=\"#0000ff\">blue</font></p><p style=\"font-size:7pt; color:#c00\">small "
        "<b>red</b> &#8211; &mdash; &deg;</p>\n\n<h3>Three <em>em</em></h3><p align=\"right\">"
        "right</p> \n",
        // A paragraph wrapped over many lines, and one of a smaller size than the space after it.
        "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
        "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
        "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. Duis aute irure "
        "dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla pariatur."
        "</p><p style=\"font-size:8pt\">small</p>\n",
        // Lines wrapped in centred and right-aligned paragraphs and cells.
        "<p align=\"center\">Centred text long enough to be wrapped over two lines or more, "
        "so that each line is centred on its own across the whole width of the page.</p>"
        "<table border=\"1\" width=\"40%\"><tr><th>A heading of several words</th>"
        "<td align=\"right\">a value of several words, right</td></tr></table>",
    };
    for (const char* html : cases) {
        SCOPED_TRACE(html);
        expectSamePages(QString::fromUtf8(html));
    }
    // A long table with header rows over pages, after a table that ends with an empty cell.
    SCOPED_TRACE("long table");
    expectSamePages("<table border=\"1\" cellspacing=\"0\"><tr><td>x</td><td></td></tr></table>"
                    "\n\n<h3>Readings</h3><table border=\"1\" cellspacing=\"0\" width=\"100%\">"
                    "<thead><tr><th>Point</th><th>Reading</th></tr></thead>" +
                    rows + "</table>");
}

// HTML the blocks do not cover is read by a text document: nothing is lost, and the pages are
// those a text document makes.
TEST(BlockLayout, WhatTheBlocksDoNotCoverGoesToATextDocument) {
    const char* notCovered[] = {
        "<p>one<br>two</p>",
        "<ul><li>item</li></ul>",
        "<p><img src=\"x.png\"></p>",
        "<table><tr><td><table><tr><td>nested</td></tr></table></td></tr></table>",
        "<table><tr><td>a</td></tr><tr><td>b</td><td>c</td></tr></table>", // rows of two widths
        "<table><tr><td valign=\"top\">a</td></tr></table>",
        "<table><tr><td rowspan=\"2\">a</td></tr></table>",
        "<p style=\"margin-left: 20px\">indented</p>",
        "<p style=\"font-size: 12px\">pixels</p>",
        "<p>unknown &frac12; entity</p>",
        "<p>a &#150; Windows dash</p>",
        "<p></p><p>after an empty paragraph</p>",
        "<p>open paragraph",
        "<p><b>crossed</p></b>",
        "<div>a division</div>",
        "text outside a paragraph",
        "<p><a href=\"x\">link</a></p>",
        "<td>a cell without a table</td>",
        "<table><tr><td width=\"10%\">a</td></tr><tr><td width=\"20%\">b</td></tr></table>",
        "<p><span style=\"white-space:nowrap\">no wrap</span></p>",
    };
    for (const char* html : notCovered) {
        SCOPED_TRACE(html);
        EXPECT_FALSE(readBlocks(QString::fromUtf8(html)));
    }
    for (const char* html : {"<p>one<br>two</p><ul><li>item one</li><li>item two</li></ul>",
                             "<p>a <u>word</u> underlined</p>"}) {
        SCOPED_TRACE(html);
        expectSamePages(QString::fromUtf8(html), false);
    }
    // A word wider than the page is broken by the text document, as before; one that is only
    // wider than its column's share widens the column, as there.
    expectSamePages("<table border=\"1\"><tr><td width=\"5%\">" + QString("W").repeated(100) +
                        "</td><td>b</td></tr></table>",
                    false);
    expectSamePages("<table border=\"1\"><tr><td width=\"5%\">" + QString("W").repeated(40) +
                    "</td><td>b</td></tr></table>");
}

// What the text reads from the HTML: white space collapsed, entities, runs of each style.
TEST(BlockLayout, ReadsTheTextAndStylesATextDocumentReads) {
    const auto blocks = readBlocks(
        u"\n<h1 style=\"page-break-before: always\">Tank  T-1</h1>\n<p><b>Gulf</b> &mdash; "
        u"Port\n</p>\n\n<table border=\"1\" cellpadding=\"3\" style=\"font-size:9pt\">\n<thead>"
        u"<tr><th>A</th><th align=\"left\">B</th></tr></thead>\n<tr><td> x <span "
        u"style=\"color:#c00\">y</span> </td><td></td></tr>\n</table>\n");
    ASSERT_TRUE(blocks);
    ASSERT_EQ(blocks->blocks.size(), 3u);
    const BlockParagraph& h1 = blocks->paragraphs[0];
    EXPECT_EQ(h1.text, "Tank T-1");
    EXPECT_EQ(h1.heading, 1);
    EXPECT_EQ(h1.topMargin, 18);
    const BlockParagraph& p = blocks->paragraphs[1];
    EXPECT_EQ(p.text, QString::fromUtf8("Gulf \u2014 Port ")); // the blank lines after it too
    ASSERT_EQ(p.runs.size(), 2u);
    EXPECT_TRUE(blocks->styles[static_cast<std::size_t>(p.runs[0].style)].bold);
    EXPECT_FALSE(blocks->styles[static_cast<std::size_t>(p.runs[1].style)].bold);
    const BlockTable& table = blocks->tables[0];
    EXPECT_EQ(table.rows, 2);
    EXPECT_EQ(table.columns, 2);
    EXPECT_EQ(table.headerRows, 1);
    EXPECT_EQ(table.cellPadding, 3);
    EXPECT_TRUE(table.endsEmpty);
    EXPECT_EQ(table.cells[0].paragraph.alignment, Qt::AlignHCenter);
    EXPECT_EQ(table.cells[1].paragraph.alignment, Qt::AlignLeft);
    const BlockParagraph& cell = table.cells[2].paragraph;
    EXPECT_EQ(cell.text, "x y ");
    const TextStyle& red = blocks->styles[static_cast<std::size_t>(cell.runs[1].style)];
    EXPECT_EQ(red.color, QColor(0xcc, 0, 0));
    EXPECT_EQ(red.pointSize, 9);
}

} // namespace
} // namespace korvane::reports
