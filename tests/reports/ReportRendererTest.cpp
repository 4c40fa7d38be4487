#include "reports/ReportRenderer.h"

#include "support/PdfText.h"
#include "support/TempDir.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

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
    const QString deep = QString("{{#a}}").repeated(33) + QString("{{/a}}").repeated(33);
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
        {deep, "Line 1: sections are nested more than 32 deep."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text(c.tmpl.left(60)));
        const auto filled = renderTemplate(c.tmpl, {{"name", "<b>"}});
        ASSERT_FALSE(filled) << text(*filled);
        EXPECT_TRUE(filled.error().startsWith(c.message)) << text(filled.error());
        EXPECT_EQ(checkTemplate(c.tmpl).error(), filled.error());
    }
    EXPECT_TRUE(checkTemplate(QString("{{#a}}").repeated(32) + QString("{{/a}}").repeated(32)));
    EXPECT_TRUE(checkTemplate("a\n{{{x}}}", 10).error().startsWith("Line 11: "));
}

// A report long enough for several pages, each line numbered so that a line painted twice
// (on two pages) or lost at a page break shows.
QString longReport(int lines) {
    QString html;
    for (int i = 1; i <= lines; ++i)
        html += QStringLiteral("<p>Reading %1 of the shell</p>").arg(i, 4, 10, QChar(u'0'));
    return html;
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

} // namespace
} // namespace korvane::reports
