#pragma once

#include "common/Result.h"

#include <QString>
#include <QVariantMap>

#include <functional>

// Fills report templates and lays the result out on pages.
namespace korvane::reports {

// What a report may make, so that no template and no data can keep the program busy without
// end. A section repeats for every row of its list, so sections inside sections multiply; a
// table inside a table doubles the work of laying out what it holds; a long text without a
// place to break a line takes time that grows with the square of its length.
inline constexpr int MaxSectionDepth = 8; // sections inside sections, the outermost counted
inline constexpr int MaxTableDepth = 3;   // tables inside tables, the outermost counted
inline constexpr qsizetype MaxFilledSize = 50 * 1000 * 1000; // bytes of filled text (UTF-8)
inline constexpr qint64 MaxFillSteps = 10 * 1000 * 1000;     // values and section rows filled
inline constexpr qsizetype MaxValueLength = 10000; // characters of one value that are printed
inline constexpr qsizetype MaxUnbrokenText = 200;  // characters between places to break a line

// Asked now and then during long work (a few thousand steps apart); answering false stops the
// work, which then fails with an error. Empty means the work is never stopped from outside.
using KeepGoing = std::function<bool()>;

// The error of work that KeepGoing stopped; whoever stopped it words the message.
inline const QString StoppedMessage = QStringLiteral("The work was stopped.");

// Checks that a template is well formed and uses only what reports may use: values
// ({{name}}), sections ({{#name}} ... {{/name}}), inverted sections ({{^name}}) and comments
// ({{! ...}}), sections nested at most MaxSectionDepth deep and HTML tables at most
// MaxTableDepth deep. Unescaped values ({{{name}}}, {{&name}}), partials ({{>name}}) and
// changed delimiters ({{=<% %>=}}) are refused. Errors name the line, counting the template's
// first line as firstLine.
Status checkTemplate(const QString& templateText, int firstLine = 1);

// Fills a Mustache template with a data tree of QVariantMap (objects), QVariantList (lists),
// bool and texts (numbers are shown as QVariant::toString gives them). Every value is
// HTML-escaped, so no stored text can add markup. A value longer than MaxValueLength
// characters is cut there and ends in "...". A template that is not well formed, or that
// checkTemplate refuses, gives an error naming the problem. An invalid QVariant is "no value": it
// shows nothing and counts as false in a section.
//
// Filling stops with an error as soon as the filled text would pass the size of its limits or
// the filling takes more than their steps, and when keepGoing says so.
struct FillLimits {
    qint64 steps = MaxFillSteps;
    qsizetype size = MaxFilledSize;
};
Result<QString> renderTemplate(const QString& templateText, const QVariantMap& data,
                               const KeepGoing& keepGoing = {}, FillLimits limits = {});

// Makes filled HTML safe to lay out: refuses tables nested more than MaxTableDepth deep (rows
// of a section can open tables that the template closes only once), and lets a line break in
// any run of more than MaxUnbrokenText characters without a space (a zero-width space after
// every MaxUnbrokenText of them), so that layout takes time in proportion to the text.
Result<QString> prepareForLayout(const QString& html);

// What every page carries besides the report: the report title and the database file at the
// top, the date printed, and "Page n of m" at the foot.
struct PageFrame {
    QString title;
    QString databaseFile;
    QString printedDate; // "dd/mmm/yyyy"
};

// The pages to paint, counted from 1 as a print dialog gives them; 0 means from the first or
// to the last page.
struct PageRange {
    int from = 0;
    int to = 0;
};

} // namespace korvane::reports
