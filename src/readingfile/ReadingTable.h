#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The table in a thickness gauge's export file, as texts: a CSV file (any of the usual
// delimiters, quoted fields, UTF-8, UTF-16 with its byte-order mark, or Latin-1) or the first
// sheet of an Excel workbook (.xlsx). Nothing is interpreted here but the file's own format:
// which column holds what is the mapping's business (ReadingMapping.h).
namespace korvane::readingfile {

// Files larger than this are refused rather than read into memory.
inline constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
inline constexpr int MaxRows = 200000;
// A sheet's cells stand at their column: one far to the right would make every row that wide.
inline constexpr int MaxColumns = 1000;

struct Table {
    // The rows that hold anything, each as many cells as it has (rows may differ).
    QList<QStringList> rows;
    // The line of the file (from 1) or the row of the sheet each row comes from, for messages.
    QList<int> lines;
    // ',', ';', '\t' or '|' for a CSV file; a null character for a workbook.
    QChar delimiter;
    // "UTF-8", "UTF-16" or "Latin-1" for a CSV file; "xlsx" for a workbook.
    QString format;

    int columnCount() const;
};

// Reads a CSV file's bytes. The delimiter is the one of ',', ';', tab and '|' that splits the
// first rows into the same number of cells most often.
Result<Table> readCsv(const QByteArray& bytes);

// Reads the first sheet of a workbook: shared and inline strings, numbers in their shortest
// form ("0.25"), and cells styled as dates as "yyyy-mm-dd".
Result<Table> readXlsx(const QString& path);

// Reads a file by what it holds: a workbook when it is a zip archive, CSV otherwise.
Result<Table> readTableFile(const QString& path);

} // namespace korvane::readingfile
