#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvane::test {

// A cell of a workbook's first sheet as the file stores it.
struct XlsxCell {
    QString type;  // the cell's t attribute: "s" shared string, "n" or "" a number, ...
    QString value; // the text (a shared string resolved) or the number as written
    bool formula = false;
    QString numFmt; // the display pattern of its style ("" when General)
    QString fill;   // its fill's colour as written ("FFF4C7C3"), "" when none
};

// The contents of an .xlsx file, read with unzip and an XML reader: the sheet names, the frozen
// rows of the first sheet, and its cells by reference ("A1"). Empty names when the file cannot be
// read as a workbook.
struct XlsxContents {
    QStringList sheets;
    int frozenRows = 0;
    QMap<QString, XlsxCell> cells;
    std::optional<XlsxCell> cell(const QString& ref) const;
};
XlsxContents readXlsx(const QString& path);

// The reference of a cell, row and column counted from 0: (0, 0) is "A1".
QString cellRef(int row, int column);
// A date as a spreadsheet stores it: days since 30 Dec 1899.
QString serialDate(int year, int month, int day);

} // namespace korvane::test
