#include "reports/ReportRenderer.h"

#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane::reports {
namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

TEST(ReportRenderer, EscapesEveryValue) {
    const struct {
        QVariant value;
        QString shown;
    } cases[] = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"Tom & Jerry's \"tank\"", "Tom &amp; Jerry&apos;s &quot;tank&quot;"},
        {"{{secret}}", "{{secret}}"}, // a stored value is never read as a template
        {"\xC3\x98 12\xC2\xBD", "\xC3\x98 12\xC2\xBD"},
        {12.5, "12.5"},
        {qint64(-7), "-7"},
        {QVariant(), ""},
        {true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.value.toString()));
        const QVariantMap data{{"v", c.value}, {"list", QVariantList{c.value}}, {"secret", "x"}};
        for (const char* tmpl : {"{{v}}", "{{#list}}{{v}}{{/list}}", "{{#list}}{{.}}{{/list}}"}) {
            const auto filled = renderTemplate(tmpl, data);
            ASSERT_TRUE(filled) << tmpl << ": " << text(filled.error());
            EXPECT_EQ(*filled, c.shown) << tmpl;
        }
        // Every entity used is one the page layout reads back to the stored text.
        if (c.value.typeId() == QMetaType::QString) {
            QTextDocument document;
            document.setHtml(*renderTemplate("<p>{{v}}</p>", {{"v", c.value}}));
            EXPECT_EQ(document.toPlainText(), c.value.toString());
        }
    }
}

TEST(ReportRenderer, FillsSectionsAndInvertedSections) {
    const QVariantList tanks{QVariantMap{{"id", "T-1"}, {"due", true}},
                             QVariantMap{{"id", "T-2"}, {"due", false}},
                             QVariantMap{{"id", "T-3"}}};
    const QVariantMap data{{"company", QVariantMap{{"name", "Acme"}}},
                           {"tanks", tanks},
                           {"none", QVariantList{}},
                           {"products", QStringList{"Diesel", "Jet A"}},
                           {"hash", QVariantHash{{"k", "v"}}},
                           {"missing", QVariant()},
                           {"yes", true},
                           {"no", false}};
    const struct {
        QString tmpl;
        QString filled;
    } cases[] = {
        {"{{#tanks}}[{{id}}]{{/tanks}}", "[T-1][T-2][T-3]"},
        {"{{#tanks}}{{id}}{{#due}}*{{/due}}{{^due}}-{{/due}} {{/tanks}}", "T-1* T-2- T-3- "},
        {"{{#tanks}}{{company.name}}/{{id}} {{/tanks}}", "Acme/T-1 Acme/T-2 Acme/T-3 "},
        {"{{#company}}{{name}}{{/company}}", "Acme"},
        {"{{#none}}x{{/none}}{{^none}}no tanks{{/none}}", "no tanks"},
        {"{{^tanks}}no tanks{{/tanks}}", ""},
        {"{{^missing}}none{{/missing}}{{#missing}}x{{/missing}}{{^nothing}}!{{/nothing}}", "none!"},
        {"{{#yes}}Y{{/yes}}{{#no}}N{{/no}}{{^no}}n{{/no}}", "Yn"},
        {"{{#products}}<li>{{.}}</li>{{/products}}", "<li>Diesel</li><li>Jet A</li>"},
        {"{{hash.k}}{{! a comment }}{{unknown}}", "v"},
        {"<table>\n{{#tanks}}\n<tr>{{id}}</tr>\n{{/tanks}}\n</table>",
         "<table>\n<tr>T-1</tr>\n<tr>T-2</tr>\n<tr>T-3</tr>\n</table>"},
    };
    for (const auto& c : cases) {
        const auto filled = renderTemplate(c.tmpl, data);
        ASSERT_TRUE(filled) << text(c.tmpl) << ": " << text(filled.error());
        EXPECT_EQ(*filled, c.filled) << text(c.tmpl);
    }
}

TEST(ReportRenderer, RefusesWhatReportsMayNotUse) {
    const QString deep = QString("{{#a}}").repeated(9) + QString("{{/a}}").repeated(9);
    const struct {
        QString tmpl;
        QString message;
    } cases[] = {
        {"<p>{{{name}}}</p>", "Line 1: unescaped values ({{{...}}}) are not allowed in reports."},
        {"a\n\n{{& name}}", "Line 3: unescaped values ({{&...}}) are not allowed in reports."},
        {"{{\t&name}}", "Line 1: unescaped values ({{&...}})"},
        {"x\n{{> footer}}", "Line 2: partials ({{>...}}) are not supported in reports."},
        {"{{=<% %>=}}<%&name%>", "Line 1: changing the tag delimiters ({{=...=}})"},
        {"{{#a}}\n{{/b}}", "Line 2: {{/b}} does not close the section \"a\" opened on line 1."},
        {"{{#a}}\n{{#b}}{{/b}}\nx", "Line 1: the section \"a\" is not closed; end it with {{/a}}."},
        {"{{! a\n comment }}\n{{/a}}", "Line 3: {{/a}} closes a section that is not open."},
        {"{{x}}\n{{name", "Line 2: a tag opened with {{ is not closed with }}."},
        {"{{", "Line 1: a tag opened with {{ is not closed with }}."},
        {deep, "Line 1: sections are nested more than 8 deep (the most a report may nest them)."},
        {"{{^a}}\n" + deep.mid(6) + "\n{{/a}}", "Line 2: sections are nested more than 8 deep"},
        {"<table><tr><td>\n<TABLE><tr><td><table>\n</table><table>\n<table "
         "class=\"a>\">",
         "Line 4: tables are nested more than 3 deep (the most a report may nest them)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.tmpl.left(60)));
        const auto filled = renderTemplate(c.tmpl, {{"name", "<b>"}});
        ASSERT_FALSE(filled) << text(*filled);
        EXPECT_TRUE(filled.error().startsWith(c.message)) << text(filled.error());
        EXPECT_EQ(checkTemplate(c.tmpl).error(), filled.error());
    }
    EXPECT_TRUE(checkTemplate(QString("{{#a}}").repeated(8) + QString("{{/a}}").repeated(8)));
    EXPECT_TRUE(checkTemplate(QString("<table><tr><td>").repeated(3) + "</table>" +
                              QString("<table></table>").repeated(9) + "</table></table>"));
    EXPECT_TRUE(checkTemplate("a\n{{{x}}}", 10).error().startsWith("Line 11: "));
}

// Sections repeated inside sections multiply: filling stops at the most a report may take,
// by steps or by size, with a message that says which, and when it is told to stop.
TEST(ReportRenderer, FillingStopsAtItsLimits) {
    QVariantList hundred;
    for (int i = 0; i < 100; ++i)
        hundred << QVariantMap{{"n", i}};
    const QVariantMap data{{"rows", hundred}, {"big", QString("x").repeated(6000)}};
    // Each row on a line of its own, so that the text held at once stays small.
    const QString deep =
        QString("{{#rows}}").repeated(8) + "{{n}}\n" + QString("{{/rows}}").repeated(8);
    const FillLimits small{100 * 1000, 1000 * 1000};
    const struct {
        QString tmpl;
        FillLimits limits;
        QString message;
    } cases[] = {
        {deep, small,
         "more than 100,000 steps, the most a report may take; a section may be "
         "repeated inside itself."},
        // 100 x 100 x 6000 bytes: 60 MB, handed over a line at a time or held as one line.
        {"{{#rows}}{{#rows}}{{big}}\n{{/rows}}{{/rows}}",
         {},
         "the filled report would be larger than 50 MB, the most a report may hold; print it "
         "for fewer tanks."},
        {"{{#rows}}{{#rows}}{{big}}{{/rows}}{{/rows}}", small, "larger than 1 MB"},
        {"{{#rows}}{{#rows}}" + QString("z").repeated(100) + "\n{{/rows}}{{/rows}}", small,
         "larger than 1 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.tmpl.left(60)));
        const auto filled = renderTemplate(c.tmpl, data, {}, c.limits);
        ASSERT_FALSE(filled);
        EXPECT_TRUE(filled.error().startsWith("The report could not be filled: "));
        EXPECT_TRUE(filled.error().contains(c.message)) << text(filled.error());
    }

    // Just under the limits fills in full: they are not reckoned too soon.
    const QString line = QString("y").repeated(98);
    const auto nearly = renderTemplate("{{#rows}}{{#rows}}{{line}}\n{{/rows}}{{/rows}}",
                                       {{"rows", hundred}, {"line", line}}, {}, small);
    ASSERT_TRUE(nearly) << text(nearly.error());
    EXPECT_EQ(nearly->size(), 100 * 100 * (line.size() + 1));

    // Told to stop, it stops the next time it asks.
    int asked = 0;
    const auto stopped = renderTemplate(deep, data, [&asked] { return ++asked < 3; });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error(), StoppedMessage);
    EXPECT_EQ(asked, 3);
}

// A section can open a table for each row that the template closes once: the filled text is
// refused before it is laid out.
TEST(ReportRenderer, TablesTheRowsNestTooDeepAreRefusedBeforeLayout) {
    const QString tmpl = "{{#rows}}<table><tr><td>{{.}}{{/rows}}</td></tr></table>";
    for (const int rows : {3, 4}) {
        const auto filled = renderTemplate(tmpl, {{"rows", QStringList(rows, "r")}});
        ASSERT_TRUE(filled) << text(filled.error());
        const auto prepared = prepareForLayout(*filled);
        EXPECT_EQ(prepared.ok(), rows <= MaxTableDepth) << rows;
        if (!prepared) {
            EXPECT_EQ(prepared.error(), "The filled report nests tables more than 3 deep (the "
                                        "most a report may nest them): a section of the "
                                        "template opens a table that it closes only once.");
        }
    }
}

// Layout takes time with the square of a run of text without a place to break a line: such a
// run is given one every MaxUnbrokenText characters, and nothing else is changed.
TEST(ReportRenderer, LongRunsOfTextGetPlacesToBreak) {
    const QString z(QChar(0x200B));
    const auto a = [](int n) {
        return QString("a").repeated(n);
    };
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const struct {
        QString html;
        QString prepared;
    } cases[] = {
        {a(200), a(200)},
        {a(401), a(200) + z + a(200) + z + "a"},
        {a(150) + " " + a(150), a(150) + " " + a(150)},
        {"<p>" + a(150) + "</p><td>" + a(150) + "</td>",
         "<p>" + a(150) + "</p><td>" + a(150) + "</td>"},
        // Words run on across inline tags, which are never broken themselves.
        {a(150) + "<b class=\"" + a(300) + "\">" + a(100) + "</b>",
         a(150) + "<b class=\"" + a(300) + "\">" + a(50) + z + a(50) + "</b>"},
        // An entity or a character outside the BMP is one character and is not split.
        {a(199) + "&amp;&#8203x" + emoji, a(199) + "&amp;" + z + "&#8203x" + emoji},
        {a(199) + emoji + "b", a(199) + emoji + z + "b"},
        // A lone '&' at the very end of the text, as a template's "R&D" leaves it.
        {a(199) + "&amp", a(199) + "&" + z + "amp"},
        {a(10) + "&", a(10) + "&"},
        {a(10) + "<b", a(10) + "<b"}, // a tag cut off at the very end
        {"<style>" + a(500) + "</style>", "<style>" + a(500) + "</style>"},
        {"<!-- " + a(500) + " -->" + a(10), "<!-- " + a(500) + " -->" + a(10)},
        {a(100) + z + a(150), a(100) + z + a(150)},
        {"x < " + a(300), "x < " + a(200) + z + a(100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.html.left(80)));
        const auto prepared = prepareForLayout(c.html);
        ASSERT_TRUE(prepared) << text(prepared.error());
        EXPECT_EQ(*prepared, c.prepared);
    }
}

// A tank name of a megabyte prints its first MaxValueLength characters and "...", with places
// to break its lines, so that it is laid out like any paragraph of that length.
TEST(ReportRenderer, AMegabyteValueIsCutAndLaidOut) {
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
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.printed.right(8)));
        const auto filled = renderTemplate("<p>{{name}}</p>", {{"name", c.value}});
        ASSERT_TRUE(filled) << text(filled.error());
        const auto prepared = prepareForLayout(*filled);
        ASSERT_TRUE(prepared) << text(prepared.error());
        QTextDocument document;
        document.setHtml(*prepared);
        QPdfWriter writer(dir.filePath("long.pdf"));
        writer.setResolution(300);
        const auto pages = layOutDocument(document, writer);
        ASSERT_TRUE(pages) << text(pages.error());
        EXPECT_EQ(document.toPlainText().remove(QChar(0x200B)), c.printed);
    }
}

// A report long enough for several pages, each line numbered so that a line painted twice
// (on two pages) or lost at a page break shows.
QString longReport(int lines) {
    QString html;
    for (int i = 1; i <= lines; ++i)
        html += QStringLiteral("<p>Reading %1 of the shell</p>").arg(i, 4, 10, QChar(u'0'));
    return html;
}

// On every page the report's lines stand between the heading and the page line, never over
// either, and a full page is used to within a line of its foot. Lines without margins step by
// one line, so the gaps are measured in lines.
TEST(ReportRenderer, TheBodyStaysBetweenTheHeadingAndThePageLine) {
    test::TempDir dir;
    const QString pdf = dir.filePath("report.pdf");
    QTextDocument document;
    document.setHtml(
        longReport(150).replace(QStringLiteral("<p>"), QStringLiteral("<p style=\"margin: 0\">")));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        ASSERT_TRUE(paintDocument(document, writer, {"Tank Summary", "demo.mdb", "05/Mar/2024"}));
    }
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
        // Clear of the heading's rule and of the page line by part of a line, and no further
        // from either than a line and a half.
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
// and every line must be on exactly one page (no line lost or repeated at a page break).
TEST(ReportRenderer, PaintsPagesWithTheirFrame) {
    const PageFrame frame{"Tank Summary", "demo.mdb", "05/Mar/2024"};
    const int lines = 150;
    const struct {
        int resolution;
        PageRange range;
    } cases[] = {{300, {}}, {1200, {}}, {1200, {2, 3}}};
    int allPages = 0;
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.resolution << " dpi, from page " << c.range.from);
        const QString pdf = dir.filePath("report.pdf");
        QTextDocument document;
        document.setHtml(longReport(lines));
        int pages = 0;
        {
            QPdfWriter writer(pdf);
            writer.setResolution(c.resolution);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                             QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
            const auto painted = paintDocument(document, writer, frame, c.range);
            ASSERT_TRUE(painted) << text(painted.error());
            pages = *painted;
        }
        // Laid out in the device's pixels, the report takes the same pages at any resolution.
        EXPECT_GE(pages, 3);
        EXPECT_NEAR(pages, allPages ? allPages : pages, 1);
        allPages = pages;

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

    QTextDocument empty;
    QPdfWriter nowhere(dir.filePath("no/such/folder/x.pdf"));
    const auto refused = paintDocument(empty, nowhere, frame);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "The printer could not be started.");
}

// Layout and painting ask between their parts whether to go on, and stop when told.
TEST(ReportRenderer, LayoutAndPaintingStopWhenTold) {
    test::TempDir dir;
    QPdfWriter writer(dir.filePath("stopped.pdf"));
    QTextDocument document;
    document.setHtml(longReport(300));
    const KeepGoing no = [] {
        return false;
    };
    const auto laidOut = layOutDocument(document, writer, no);
    ASSERT_FALSE(laidOut);
    EXPECT_EQ(laidOut.error(), StoppedMessage);
    const auto painted = paintDocument(document, writer, PageFrame{}, PageRange{}, no);
    ASSERT_FALSE(painted);
    EXPECT_EQ(painted.error(), StoppedMessage);
    // Laid out once, the same device paints without laying it out again.
    ASSERT_TRUE(layOutDocument(document, writer));
    const auto again = paintDocument(document, writer, PageFrame{}, PageRange{});
    ASSERT_TRUE(again) << text(again.error());
    EXPECT_GE(*again, 3);
}

} // namespace
} // namespace korvane::reports
