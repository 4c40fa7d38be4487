#include "reports/ReportRenderer.h"

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

// The tree is handed to the engine a value at a time, as the template names it: a value stays
// itself while the section it opens is filled, the elements of a list inside a list find their
// own names, and a value is escaped and cut however it is reached.
TEST(ReportRenderer, EveryValueIsItselfHoweverItIsReached) {
    const QString e = QString::fromUtf8("\xC3\xA9");
    const QVariantList courses{QVariantMap{{"n", 1}}, QVariantMap{{"n", 2}}};
    const QVariantMap data{
        {"name", "<a>"},
        {"other", "b & " + e + "<"},
        {"matrix", QVariantList{QVariantList{1, "x<"}, QStringList{"y", "z"}, QVariantList{}}},
        {"nested", QVariantList{QVariantList{QVariantMap{{"id", "a"}}, QVariantHash{{"id", "h"}}}}},
        {"long", QVariantList{e.repeated(MaxValueLength + 1)}},
        {"tanks", QVariantList{QVariantMap{{"id", "T-1"}, {"courses", courses}},
                               QVariantMap{{"id", "T-2"}, {"courses", QVariantList{}}}}}};
    const struct {
        QString tmpl;
        QString filled;
    } cases[] = {
        {"{{#name}}[{{.}}|{{other}}|{{#other}}{{.}}{{/other}}|{{.}}]{{/name}}",
         "[&lt;a&gt;|b &amp; " + e + "&lt;|b &amp; " + e + "&lt;|&lt;a&gt;]"},
        {"{{#matrix}}({{#.}}{{.}},{{/.}}){{/matrix}}", "(1,x&lt;,)(y,z,)()"},
        {"{{#matrix}}{{#.}}{{name}}{{/.}}{{/matrix}}", QString("&lt;a&gt;").repeated(4)},
        {"{{#nested}}{{#.}}{{id}};{{/.}}{{/nested}}", "a;h;"},
        {"{{#tanks}}{{id}}:{{#courses}}{{id}}.{{n}}{{name}} {{/courses}}|{{/tanks}}",
         "T-1:T-1.1&lt;a&gt; T-1.2&lt;a&gt; |T-2:|"},
        {"{{#tanks}}{{#courses}}{{tanks.id}}{{courses}}{{n.x}}{{/courses}}{{/tanks}}", ""},
        {"{{#long}}{{.}}{{/long}}", e.repeated(MaxValueLength) + "..."},
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
        {a(150) + "<STRONG>" + a(100) + "</strong>",
         a(150) + "<STRONG>" + a(50) + z + a(50) + "</strong>"},
        {a(150) + "<strongest>" + a(100) + "<h1>" + a(150) + "</2b>" + a(100),
         a(150) + "<strongest>" + a(100) + "<h1>" + a(150) + "</2b>" + a(100)},
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

} // namespace
} // namespace korvane::reports
