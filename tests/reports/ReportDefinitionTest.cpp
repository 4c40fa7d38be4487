#include "reports/ReportDefinition.h"

#include "reports/ReportEngine.h"
#include "reports/ReportRenderer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace korvane::reports {
namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << text(path);
    file.write(bytes);
}

// Makes a folder the current one for a test and goes back when it ends.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path) : previous_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

TEST(ReportDefinition, ReadsHeaderAndTemplate) {
    const QByteArray header = "Title: Full\nData: tanks\n\n";
    const qsizetype fullTemplate = MaxReportFileSize - header.size();
    const struct {
        QByteArray file;
        QString title;
        DataKind data;
        QString templateText;
        int templateLine;
    } cases[] = {
        {"Title: Tank Summary\nData: tanks\n\n<p>{{title}}</p>\n", "Tank Summary", DataKind::Tanks,
         "<p>{{title}}</p>\n", 4},
        {"\xEF\xBB\xBF# made by hand\r\ndata:  Inspections \r\nTITLE: Tank \xC3\x98 4\r\n  \r\n"
         "a\r\nb",
         "Tank \xC3\x98 4", DataKind::Inspections, "a\nb", 5},
        {"Title: T\nData: TMLS\n\n\n{{#tmls}}{{PointID}}{{/tmls}}", "T", DataKind::Tmls,
         "\n{{#tmls}}{{PointID}}{{/tmls}}", 4},
        {"Title: a: b\nData: tanks\n\n#x", "a: b", DataKind::Tanks, "#x", 4},
        {"Data: Assessment\nTitle: R\n\nx", "R", DataKind::Assessment, "x", 4},
        // A file of exactly the size a report file may have.
        {header + QByteArray(fullTemplate, 'x'), "Full", DataKind::Tanks,
         QString(fullTemplate, u'x'), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.left(80).toStdString());
        const auto definition = parseReportDefinition(c.file);
        ASSERT_TRUE(definition) << text(definition.error());
        EXPECT_EQ(definition->title, c.title);
        EXPECT_EQ(definition->data, c.data);
        EXPECT_EQ(definition->templateText, c.templateText);
        EXPECT_EQ(definition->templateLine, c.templateLine);
    }
}

TEST(ReportDefinition, NamesTheProblemAndItsLine) {
    const QByteArray big = "Title: T\nData: tanks\n\n" + QByteArray(MaxReportFileSize, 'x');
    const struct {
        QByteArray file;
        QString message;
    } cases[] = {
        {"Title: T\nData: tank\n\nx",
         "Line 2: unknown data \"tank\"; use tanks, inspections, tmls, assessment or due."},
        {"Title: T\nAuthor: me\n\nx", "Line 2: unknown header \"Author\""},
        {"Title: T\njust words\n\nx", "Line 2: \"just words\" is not a header line"},
        {": T\n\nx", "Line 1: \": T\" is not a header line"},
        {"Title:\nData: tanks\n\nx", "Line 1: the title is empty."},
        {"Title: A\nData: tanks\ntitle: B\n\nx", "Line 3: the report has a second Title line."},
        {"Data: tanks\nData: tmls\n\nx", "Line 2: the report has a second Data line."},
        {"Data: tanks\n\nx", "Line 2: the header ends without a Title line."},
        {"Title: T\n# Data: tanks\n\nx", "Line 3: the header ends without a Data line"},
        {"Title: T\nData: tanks", "Line 2: the header is not followed by an empty line"},
        {"Title: T\r\nData: tanks\r\n\r\n \r\n\t", "Line 4: the template after the header is "
                                                   "empty."},
        {"", "Line 1: the file is empty"},
        {"\xEF\xBB\xBF\n \n", "Line 1: the file is empty"},
        {"Title: T\nData: tanks\n\n<p>\xC3\x28</p>", "Line 4: the text is not valid UTF-8."},
        {"Title: T\xC0\xAF\n", "Line 1: the text is not valid UTF-8."}, // overlong '/'
        {"\nTitle: T\n<p>\xC3\x28</p>",
         "Line 3: the text is not valid UTF-8."}, // read past a first empty line
        {"Title: T\nData: \xED\xA0\x80", "Line 2: the text is not valid UTF-8."}, // surrogate
        {"Title: T\nData: tanks\n\nx\xE2\x82", "Line 4: the text is not valid UTF-8."},
        {QByteArray("Title: T\nData: tanks\n\nx\0y", 25), "Line 4: the file holds a NUL"},
        {big, "The report file is larger than 1 MiB"},
        // The template is checked with the file's line numbers, CRLF or not.
        {"Title: T\r\nData: tanks\r\n\r\n<p>\r\n{{{name}}}</p>",
         "Line 5: unescaped values ({{{...}}}) are not allowed in reports."},
        {"Title: T\nData: tanks\n\n{{#tanks}}\n{{TankID}}\n",
         "Line 4: the section \"tanks\" is not closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.left(80).toStdString());
        const auto definition = parseReportDefinition(c.file);
        ASSERT_FALSE(definition);
        EXPECT_TRUE(definition.error().startsWith(c.message)) << text(definition.error());
    }
}

TEST(ReportDefinition, LooksUpOnlyPlainReportNames) {
    test::TempDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("work/a"));
    const QString work = root.filePath("work");
    // Every refused name below names a file that exists.
    for (const QString& path : {root.filePath("x.rpt"), work + "/a/b.rpt", work + "/x.txt",
                                work + "/tab\t.rpt", work + "/del\x7f.rpt"})
        writeFile(path, "Title: T\nData: tanks\n\nx");
    writeFile(work + "/UPPER.RPT", "Title: Upper\nData: tmls\n\n<p>{{x}}</p>");
    writeFile(work + "/bad.rpt", "Title: Bad\nData: tank\n\nx");
    writeFile(work + "/big.rpt", QByteArray(3 * MaxReportFileSize, '#'));
    CurrentFolder current(work);
    const auto found = [](const QString& name) {
        return QDir::current().absoluteFilePath(name);
    };

    for (const QString& name :
         {QString("../x.rpt"), root.filePath("x.rpt"), QString("/etc/passwd"), QString("a/b.rpt"),
          QString("a\\b.rpt"), QString("x.txt"), QString(""), QString(".rpt"), QString("bad.rpt\n"),
          QString("tab\t.rpt"), QString("del\x7f.rpt")}) {
        SCOPED_TRACE(text(name));
        EXPECT_EQ(findReportFile(name), QString());
        const auto loaded = loadReportDefinition(name);
        ASSERT_FALSE(loaded);
        EXPECT_TRUE(loaded.error().contains("is not the name of a report file"));
    }
    EXPECT_EQ(findReportFile("UPPER.RPT"), found("UPPER.RPT"));
    const auto upper = loadReportDefinition("UPPER.RPT");
    ASSERT_TRUE(upper) << text(upper.error());
    EXPECT_EQ(upper->title, "Upper");

    const struct {
        QString name;
        QString message;
    } cases[] = {
        {"bad.rpt", found("bad.rpt") + ": Line 2: unknown data \"tank\""},
        {"big.rpt", found("big.rpt") + ": The report file is larger than 1 MiB"},
        {"none.rpt", "The report file \"none.rpt\" was not found in " +
                         QDir::toNativeSeparators(QDir::currentPath()) + ", "},
    };
    for (const auto& c : cases) {
        const auto loaded = loadReportDefinition(c.name);
        ASSERT_FALSE(loaded);
        EXPECT_TRUE(loaded.error().startsWith(c.message)) << text(loaded.error());
    }
}

TEST(ReportDefinition, ShippedReportsParse) {
    const QDir folder(QStringLiteral(KORVANE_REPORT_FILES));
    const QStringList names = folder.entryList({"*.rpt"}, QDir::Files, QDir::Name);
    EXPECT_EQ(names, QStringList({"due.rpt", "insp_det.rpt", "insp_sum.rpt", "tank_det.rpt",
                                  "tank_sum.rpt", "tml_list.rpt", "tml_rate.rpt"}));
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << text(name);
        const auto definition = parseReportDefinition(file.readAll());
        EXPECT_TRUE(definition) << text(name) << ": " << text(definition.error());
    }
}

// The fuzz target's starting inputs: good-* files are reports that must read and fill,
// bad-* files must be refused with a message, and nothing may crash.
TEST(ReportDefinition, CorpusReplays) {
    const QDir corpus(QStringLiteral(KORVANE_FUZZ_CORPUS "/rpt"));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 15) << "corpus missing at " << text(corpus.path());
    const QVariantMap data{{"title", "<b>T</b>"},
                           {"tanks", QVariantList{QVariantMap{{"TankID", "T-1"}}}}};
    for (const QString& name : names) {
        SCOPED_TRACE(text(name));
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto definition = parseReportDefinition(file.readAll());
        if (name.startsWith("good-")) {
            ASSERT_TRUE(definition) << text(definition.error());
            const auto filled = renderTemplate(definition->templateText, data);
            ASSERT_TRUE(filled) << text(filled.error());
            EXPECT_FALSE(filled->contains("<b>T"));
            // Made ready for layout, only places to break a line are added, or tables that the
            // filling nested too deep are refused.
            const auto prepared = prepareForLayout(*filled);
            if (prepared)
                EXPECT_EQ(QString(*prepared).remove(QChar(0x200B)), *filled);
            else
                EXPECT_TRUE(prepared.error().contains("nests tables more than 3 deep"));
            // And laid out: as blocks where they read, by a text document where not.
            if (prepared) {
                ReportPages pages(*prepared, PageFrame{"T", "plant.mdb", "01/Jan/2024"},
                                  pdfPageLayout());
                const auto laidOut = pages.layOutAll();
                ASSERT_TRUE(laidOut) << text(laidOut.error());
                EXPECT_GE(*laidOut, 1);
                if (name == "good-blocks.rpt") {
                    EXPECT_GT(pages.blockParts(), 0);
                }
            }
        } else if (name.startsWith("bad-")) {
            ASSERT_FALSE(definition);
            EXPECT_FALSE(definition.error().isEmpty());
        }
    }
}

} // namespace
} // namespace korvane::reports
