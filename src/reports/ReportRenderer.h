#pragma once

#include "common/Result.h"

#include <QString>
#include <QVariantMap>

class QPagedPaintDevice;
class QPrinter;
class QTextDocument;

// Fills report templates and lays the result out on pages.
namespace korvane::reports {

// Checks that a template is well formed and uses only what reports may use: values
// ({{name}}), sections ({{#name}} ... {{/name}}), inverted sections ({{^name}}) and comments
// ({{! ...}}). Unescaped values ({{{name}}}, {{&name}}), partials ({{>name}}) and changed
// delimiters ({{=<% %>=}}) are refused. Errors name the line, counting the template's first
// line as firstLine.
Status checkTemplate(const QString& templateText, int firstLine = 1);

// Fills a Mustache template with a data tree of QVariantMap (objects), QVariantList (lists),
// bool and texts (numbers are shown as QVariant::toString gives them). Every value is
// HTML-escaped, so no stored text can add markup. A template that is not well formed gives
// an error naming the problem. An invalid QVariant is "no value": it shows nothing and counts
// as false in a section.
Result<QString> renderTemplate(const QString& templateText, const QVariantMap& data);

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

// Lays a document out on the device's pages and paints it, with the frame on every page.
// Returns the number of pages, or the device's error. The document keeps the layout made for
// the device.
Result<int> paintDocument(QTextDocument& document, QPagedPaintDevice& device,
                          const PageFrame& frame);

// The same, painting only the pages of the range (a printer's "pages from ... to"); "Page n
// of m" still counts every page of the report. Returns the number of pages of the report.
Result<int> paintDocument(QTextDocument& document, QPagedPaintDevice& device,
                          const PageFrame& frame, PageRange range);

} // namespace korvane::reports
