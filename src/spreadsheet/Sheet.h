#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A table as a window shows it, for a spreadsheet: a line of column titles and rows of cells, each
// a text, a number with the pattern it is shown in, or a date, and the colour it is marked with.
// Written as an Excel workbook (.xlsx) of one sheet or as CSV text.
namespace korvane::sheet {

struct Cell {
    enum class Kind { Empty, Text, Number, Date };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    QDate date;
    QString pattern;             // a number's display pattern ("0.000"); empty: as it is
    std::optional<quint32> fill; // background colour, 0xRRGGBB

    static Cell empty() { return {}; }
    static Cell ofText(const QString& text);
    // A missing value (NaN, infinite) gives an empty cell.
    static Cell ofNumber(double value, const QString& pattern = {});
    // An invalid date gives an empty cell.
    static Cell ofDate(const QDate& date);
    Cell& marked(std::optional<quint32> colour) {
        fill = colour;
        return *this;
    }
};

struct Sheet {
    QString name; // the sheet's tab; shortened to 31 characters, []:*?/\ replaced
    QStringList header;
    std::vector<std::vector<Cell>> rows;
};

// The sheet as CSV (RFC 4180, lines ended by CR LF): the titles, then a line per row; a number
// as its pattern shows it (full precision without one), a date as yyyy-mm-dd, a text as it
// stands (see csvField). Colours are not kept.
QString csv(const Sheet& sheet);

// Writes the sheet to an Excel workbook at path: one worksheet, the titles in bold on a frozen
// first line with a filter, numbers as numbers shown in their patterns, dates as dates shown
// "dd/mmm/yyyy", texts always as texts (a text that looks like a formula stays a text), colours as
// the cells' fills. The file is written under another name beside it and renamed when whole, so a
// failure leaves no half-written workbook and whatever stood at path before stays.
Status writeXlsx(const Sheet& sheet, const QString& path);

} // namespace korvane::sheet
