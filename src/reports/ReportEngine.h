#pragma once

#include "common/Result.h"
#include "reports/ReportRenderer.h"

#include <QDate>
#include <QString>
#include <QTextDocument>

#include <memory>

namespace korvane::reports {

// One run of a report: the definition file (a bare name such as "tank_sum.rpt", looked up as
// report files are), the selection formula ("{Tank.TankID} = 12"), the database, and how
// values are to be shown.
struct ReportRequest {
    QString databaseName;
    QString reportFile;
    QString formula;
    bool unitsUS = true;
    QDate today;
};

// A report filled and ready to be laid out on pages.
struct BuiltReport {
    QString html;
    PageFrame frame;
};

// Reads the definition, parses the formula, reads the data and fills the template. Every
// failure names the report file and the problem.
Result<BuiltReport> buildReport(const ReportRequest& request);

// The filled report as a document to lay out on pages.
std::unique_ptr<QTextDocument> reportDocument(const BuiltReport& report);

// Lays the report out on PDF pages in a file. The pages are written to a temporary file beside
// it that replaces the file only when complete, so a failure leaves no half-written PDF.
Status writePdf(const BuiltReport& report, const QString& path);

} // namespace korvane::reports
