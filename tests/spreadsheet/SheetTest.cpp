#include "spreadsheet/Sheet.h"

#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/XlsxCells.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using sheet::Cell;

sheet::Sheet sample() {
    sheet::Sheet s;
    s.name = QStringLiteral("Readings: A/B");
    s.header = {QStringLiteral("Point"), QStringLiteral("Reading"), QStringLiteral("Taken"),
                QStringLiteral("Note")};
    s.rows.push_back({Cell::ofText(QStringLiteral("=SUM(A1:A9)")),
                      Cell::ofNumber(0.2496, QStringLiteral("0.000")),
                      Cell::ofDate(QDate(2024, 3, 5)),
                      Cell::ofText(QStringLiteral("says \"thin\", here")).marked(0xF4C7C3)});
    s.rows.push_back({Cell::ofText(QStringLiteral("-0.5")), Cell::ofNumber(1.0 / 3.0),
                      Cell::ofDate(QDate()), Cell::empty().marked(0xFCE8B2)});
    return s;
}

TEST(Sheet, CsvShowsNumbersByTheirPatternsDatesAsIsoAndGuardsFormulas) {
    EXPECT_EQ(sheet::csv(sample()),
              QStringLiteral("Point,Reading,Taken,Note\r\n"
                             "'=SUM(A1:A9),0.250,2024-03-05,\"says \"\"thin\"\", here\"\r\n"
                             "-0.5,0.3333333333333333,,\r\n"));
}

// The workbook read back as a spreadsheet reads it: one sheet, a frozen header, a formula-like
// text kept as text, numbers and dates as numbers in their formats, the colours as fills.
TEST(Sheet, XlsxKeepsTypesFormatsAndColoursAndReadsBack) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(sheet::writeXlsx(sample(), path));
    const test::XlsxContents x = test::readXlsx(path);
    EXPECT_EQ(x.sheets, QStringList{QStringLiteral("Readings- A-B")});
    EXPECT_EQ(x.frozenRows, 1);

    const auto a1 = x.cell(QStringLiteral("A1"));
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->value, QStringLiteral("Point"));
    const auto formula = x.cell(QStringLiteral("A2"));
    ASSERT_TRUE(formula);
    EXPECT_FALSE(formula->formula);
    EXPECT_EQ(formula->type, QStringLiteral("s"));
    EXPECT_EQ(formula->value, QStringLiteral("=SUM(A1:A9)"));

    const auto reading = x.cell(QStringLiteral("B2"));
    ASSERT_TRUE(reading);
    EXPECT_NE(reading->type, QStringLiteral("s"));
    EXPECT_EQ(reading->value.toDouble(), 0.2496);
    EXPECT_EQ(reading->numFmt, QStringLiteral("0.000"));

    const auto taken = x.cell(QStringLiteral("C2"));
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->value, test::serialDate(2024, 3, 5));
    EXPECT_EQ(taken->numFmt, QStringLiteral("dd/mmm/yyyy"));

    const auto note = x.cell(QStringLiteral("D2"));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->value, QStringLiteral("says \"thin\", here"));
    EXPECT_EQ(note->fill, QStringLiteral("FFF4C7C3"));
    // A marked empty cell keeps its colour; an empty one without is not written.
    const auto blank = x.cell(QStringLiteral("D3"));
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->fill, QStringLiteral("FFFCE8B2"));
    EXPECT_FALSE(x.cell(QStringLiteral("C3")));
    const auto third = x.cell(QStringLiteral("B3"));
    ASSERT_TRUE(third);
    EXPECT_EQ(third->value.toDouble(), 1.0 / 3.0);
}

TEST(Sheet, AWorkbookThatCannotBeWrittenLeavesWhatStoodThere) {
    test::TempDir dir;
    const QString existing = dir.filePath(QStringLiteral("kept.xlsx"));
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("before");
    }
    // A folder as the target, and a folder that is not there.
    EXPECT_FALSE(sheet::writeXlsx(sample(), dir.path()));
    EXPECT_FALSE(sheet::writeXlsx(sample(), dir.filePath(QStringLiteral("none/out.xlsx"))));
    EXPECT_EQ(test::fileBytes(existing), QByteArray("before"));
    // Written whole, it replaces the file, and nothing else is left in the folder.
    ASSERT_TRUE(sheet::writeXlsx(sample(), existing));
    EXPECT_EQ(test::readXlsx(existing).sheets.size(), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("kept.xlsx")});
}

} // namespace
} // namespace korvane
