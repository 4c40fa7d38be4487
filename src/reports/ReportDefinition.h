#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

// A report definition file ("tank_sum.rpt"): plain UTF-8 text a user can open and adjust. It
// begins with header lines "Name: value" and, after the first empty line, holds the report's
// HTML template in Mustache syntax:
//
//   Title: Tank Summary
//   Data: tanks
//
//   <h1>{{title}}</h1>
//   {{#companies}} ... {{/companies}}
//
// "Title" is required; "Data" names the data the template is filled from: "tanks",
// "inspections", "tmls", "assessment" or "due". Lines starting with '#' in the header are comments.
namespace korvane::reports {

enum class DataKind { Tanks, Inspections, Tmls, Assessment, Due };

struct ReportDefinition {
    QString title;
    DataKind data = DataKind::Tanks;
    QString templateText;
    int templateLine = 0; // the file's line on which the template begins
};

// The largest report file read; anything longer is not a report a user wrote.
inline constexpr qsizetype MaxReportFileSize = 1024 * 1024;

// Reads a definition; a file that is not one gives an error naming the problem and its line.
// The template is checked as well (see checkTemplate), with the file's line numbers.
Result<ReportDefinition> parseReportDefinition(const QByteArray& bytes);

// The full path of a report file, looked up in the current folder, the program's folder and
// the installed report folder, in that order; empty when it is in none of them. Only a plain
// file name ending in ".rpt" is looked up.
QString findReportFile(const QString& name);

// Finds, reads and parses a report file; errors name the file.
Result<ReportDefinition> loadReportDefinition(const QString& name);

// Reads and parses the report file at a path, in any folder (one the user named); errors name
// the file.
Result<ReportDefinition> readReportFile(const QString& path);

} // namespace korvane::reports
