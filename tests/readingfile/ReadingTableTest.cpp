#include "readingfile/ReadingTable.h"

#include "readingfile/ReadingMapping.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <zip.h>

namespace korvane {
namespace {

using namespace readingfile;

QString shown(const Table& table) {
    QStringList rows;
    for (const QStringList& row : table.rows)
        rows << row.join(QLatin1Char('|'));
    return rows.join(QLatin1Char('/'));
}

// CSV files as gauges' software and spreadsheets write them: every row shown with its cells
// parted by '|' and rows by '/'.
TEST(ReadingTable, CsvFilesOfEveryUsualShape) {
    const struct {
        const char* name;
        QByteArray bytes;
        char delimiter;
        const char* format;
        const char* rows;
    } cases[] = {
        {"commas with titles", "Point,Reading\nC1-N1,0.250\nC1-N2,0.248\n", ',', "UTF-8",
         "Point|Reading/C1-N1|0.250/C1-N2|0.248"},
        {"semicolons, decimal commas, CRLF", "C1-N1;0,250;mm\r\nC1-N2;6,35;mm\r\n", ';', "UTF-8",
         "C1-N1|0,250|mm/C1-N2|6,35|mm"},
        {"tabs", "C1-N1\t0.25\tin\nC1-N2\t0.24\tin\n", '\t', "UTF-8",
         "C1-N1|0.25|in/C1-N2|0.24|in"},
        {"pipes", "C1-N1|0.25\nC1-N2|0.24\n", '|', "UTF-8", "C1-N1|0.25/C1-N2|0.24"},
        // Quotes keep delimiters, line breaks, doubled quotes and their own blanks.
        {"quoted fields",
         "\"C1, N1\",\"0.25\",\"said \"\"recheck\"\"\"\n\"C1\nN2\", 0.24 ,\" x \"\n", ',', "UTF-8",
         "C1, N1|0.25|said \"recheck\"/C1\nN2|0.24| x "},
        {"blank lines and a missing last line break", "\n\nA,1\n , \nB,2", ',', "UTF-8", "A|1/B|2"},
        {"Latin-1", "Punkt;St\xE4rke\nN\xF6rd-1;6,35\n", ';', "Latin-1",
         "Punkt|St\u00e4rke/N\u00f6rd-1|6,35"},
        {"UTF-8 with its mark", "\xEF\xBB\xBFPoint,Reading\nN\xC3\xB6rd,0.25\n", ',', "UTF-8",
         "Point|Reading/N\u00f6rd|0.25"},
        {"UTF-16 as Excel saves Unicode text",
         QByteArray("\xFF\xFEP\0t\0\t\0m\0m\0\n\0A\0\t\0"
                    "6\0\n\0",
                    20),
         '\t', "UTF-16", "Pt|mm/A|6"},
        // A comma inside the one-column rows does not win over the semicolons of every row.
        {"semicolons beat a stray comma", "A;0,25;x\nB;0.24;y\nC;0.23;z\n", ';', "UTF-8",
         "A|0,25|x/B|0.24|y/C|0.23|z"},
    };
    for (const auto& c : cases) {
        auto table = readCsv(c.bytes);
        ASSERT_TRUE(table.ok()) << c.name;
        EXPECT_EQ(table->delimiter, QLatin1Char(c.delimiter)) << c.name;
        EXPECT_EQ(table->format, QString::fromLatin1(c.format)) << c.name;
        EXPECT_EQ(shown(*table), QString::fromUtf8(c.rows)) << c.name;
    }
    // Each row knows its line, past blank lines and a quoted line break.
    auto table = readCsv("A,1\n\n\"B\nb\",2\nC,3\n");
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table->lines, (QList<int>{1, 3, 5}));
}

void writeZip(const QString& path, const std::map<QString, QByteArray>& parts) {
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, bytes] : parts) {
        zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr,
                                        0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())),
                  ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

const QByteArray workbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><workbookPr/><sheets><sheet name="Readings" sheetId="2" r:id="rId7"/><sheet name="Other" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const QByteArray rels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId7" Type="worksheet" Target="worksheets/sheet2.xml"/></Relationships>)";
const QByteArray shared =
    R"(<sst><si><t>Point</t></si><si><t>Date</t></si><si><r><t>C1-</t></r><r><rPr><b/></rPr><t>N1</t></r><rPh><t>x</t></rPh></si><si><t xml:space="preserve"> mm </t></si></sst>)";
// Style 0 general, 1 the built-in d-mmm-yy, 2 a format of our own with days, 3 a time of day
// ("h:mm"), which is no date.
const QByteArray styles =
    R"(<styleSheet><numFmts count="2"><numFmt numFmtId="164" formatCode="dd/mm/yyyy;@"/><numFmt numFmtId="165" formatCode="[h]:mm"/></numFmts><cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="15"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";

// The first sheet of the workbook is the one its list of sheets names first, wherever its part
// is; shared strings (rich runs joined, reading aids left out), inline strings, numbers in their
// shortest form, dates of built-in and own formats, gaps between cells, and columns past Z.
TEST(ReadingTable, TheFirstSheetOfAWorkbook) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("gauge.xlsx"));
    const QByteArray sheet =
        R"(<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><t>Thickness</t></is></c><c r="C1" t="s"><v>1</v></c></row><row r="3"><c r="A3" t="s"><v>2</v></c><c r="B3"><v>0.25000000000000001</v></c><c r="C3" s="1"><v>45352</v></c><c r="E3" t="s"><v>3</v></c></row><row r="4"><c r="A4" t="str"><v>C1-N2</v></c><c r="B4" s="3"><v>0.5</v></c><c r="C4" s="2"><v>45353.75</v></c></row><row r="5"><c r="A5" t="s"><v>99</v></c></row><row r="6"><c r="AB6" t="inlineStr"><is><t>far</t></is></c></row></sheetData></worksheet>)";
    writeZip(path, {{QStringLiteral("xl/workbook.xml"), workbook},
                    {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                    {QStringLiteral("xl/sharedStrings.xml"), shared},
                    {QStringLiteral("xl/styles.xml"), styles},
                    {QStringLiteral("xl/worksheets/sheet1.xml"), "<worksheet/>"},
                    {QStringLiteral("xl/worksheets/sheet2.xml"), sheet}});
    auto table = readTableFile(path);
    ASSERT_TRUE(table.ok()) << table.error().toStdString();
    EXPECT_EQ(table->format, QStringLiteral("xlsx"));
    EXPECT_TRUE(table->delimiter.isNull());
    // Column AB is the 28th.
    EXPECT_EQ(shown(*table), QStringLiteral("Point|Thickness|Date/C1-N1|0.25|2024-03-01||mm/"
                                            "C1-N2|0.5|2024-03-02/") +
                                 QString(27, u'|') + QStringLiteral("far"));
    // Row 5 holds only a string that is not there.
    EXPECT_EQ(table->lines, (QList<int>{1, 3, 4, 6}));
}

TEST(ReadingTable, WorkbookDatesCountFrom1904WhenItSaysSo) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("mac.xlsx"));
    QByteArray book = workbook;
    book.replace("<workbookPr/>", R"(<workbookPr date1904="1"/>)");
    writeZip(
        path,
        {{QStringLiteral("xl/workbook.xml"), book},
         {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
         {QStringLiteral("xl/styles.xml"), styles},
         {QStringLiteral("xl/worksheets/sheet2.xml"),
          R"(<worksheet><sheetData><row><c s="1"><v>43890</v></c></row></sheetData></worksheet>)"}});
    auto table = readXlsx(path);
    ASSERT_TRUE(table.ok()) << table.error().toStdString();
    EXPECT_EQ(shown(*table), QStringLiteral("2024-03-01"));
}

// A damaged or foreign file is told apart from a workbook and never read half.
TEST(ReadingTable, FilesThatAreNoTableSayWhy) {
    test::TempDir dir;
    const QString noSheet = dir.filePath(QStringLiteral("nosheet.xlsx"));
    writeZip(noSheet, {{QStringLiteral("xl/workbook.xml"), "<workbook><sheets/></workbook>"}});
    const QString broken = dir.filePath(QStringLiteral("broken.xlsx"));
    writeZip(broken, {{QStringLiteral("xl/workbook.xml"), workbook},
                      {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                      {QStringLiteral("xl/worksheets/sheet2.xml"),
                       "<worksheet><sheetData><row><c><v>1</v></row></sheetData>"}});
    const QString notZip = dir.filePath(QStringLiteral("fake.xlsx"));
    {
        QFile f(notZip);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PK\x03\x04 not really");
    }
    const struct {
        QString path;
        const char* message;
    } cases[] = {
        {noSheet, "The workbook has no sheet."},
        {broken, "The part \"xl/worksheets/sheet2.xml\" of the workbook is damaged: "},
        {notZip, "\"fake.xlsx\" is not a workbook that can be read."},
        {dir.filePath(QStringLiteral("missing.csv")), "\"missing.csv\" cannot be read: "},
    };
    for (const auto& c : cases) {
        auto table = readTableFile(c.path);
        ASSERT_FALSE(table.ok()) << c.message;
        EXPECT_TRUE(table.error().startsWith(QString::fromLatin1(c.message)))
            << table.error().toStdString();
    }
}

// The hostile files of the fuzz corpus: each is read, or refused with a reason, and a row read
// is a reading or says why not; nothing crashes or runs away.
TEST(ReadingTable, HostileFilesAreReadOrRefused) {
    const QDir corpus(QStringLiteral(KORVANE_GAUGE_CORPUS_DIR));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 10) << corpus.path().toStdString();
    QStringList refused;
    for (const QString& name : names) {
        auto table = readTableFile(corpus.filePath(name));
        if (!table) {
            EXPECT_FALSE(table.error().isEmpty()) << name.toStdString();
            refused << name;
            continue;
        }
        EXPECT_EQ(table->rows.size(), table->lines.size()) << name.toStdString();
        for (const auto& row :
             mapRows(*table, guessMapping(*table),
                     {QDate(2024, 3, 5), QStringLiteral("A"), 4, QDate(2024, 6, 15)}))
            EXPECT_TRUE(!row.error.isEmpty() || (row.inches && *row.inches > 0))
                << name.toStdString() << " line " << row.line;
    }
    // The workbooks that are no workbook, or point outside themselves, or reach too far right.
    EXPECT_EQ(refused, (QStringList{"bad-shared-index.xlsx", "entity.xlsx", "sheet-outside.xlsx",
                                    "truncated.xlsx"}));
}

} // namespace
} // namespace korvane
