#pragma once

#include <QString>
#include <QStringList>

namespace korvane {

// One field of a CSV file (RFC 4180): quoted when it holds a comma, a quote or a line break, its
// quotes doubled. A text that begins with =, +, -, @, a tab or a carriage return is taken for a
// formula by spreadsheets, which would run it on opening the file: any text a user typed into a
// record can stand here, so such a field begins with an apostrophe, which the spreadsheet shows
// as text. A field that is a plain number ("-0.5") runs nothing and stays a number.
QString csvField(const QString& text);

// The fields joined by commas and ended by CR LF.
QString csvLine(const QStringList& fields);

} // namespace korvane
