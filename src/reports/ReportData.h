#pragma once

#include "common/Result.h"
#include "reports/ReportDefinition.h"
#include "reports/SelectionFormula.h"

#include <QDate>
#include <QString>
#include <QVariantMap>

#include <functional>

// The data tree a report template is filled from, read from the database for the rows a
// selection chooses. Values come formatted as the program shows them, in the units asked for,
// each with its raw number beside it where a template may want it (see the tree's description
// in ReportData.cpp and the shipped report files in resources/reports).
namespace korvane::reports {

struct DataOptions {
    bool unitsUS = true;
    QDate today;
    // due: the days within which an inspection is due soon; only the tanks needing attention.
    int horizonDays = 90;
    bool attentionOnly = false;
    // Asked every thousand rows or so; false stops the reading with an error.
    std::function<bool()> keepGoing;
};

// tanks: companies > locations > tanks with their design data, courses, schedule, maximum fill
// and custom fields. inspections: the same tanks, each with its inspections, readings and
// shell survey. tmls: the tanks with their thickness measurement locations and latest readings.
// due: the "Due and at Risk" list of the tanks chosen, worst first (see DueList.h), beside the
// same tree. The selection names fields of the Tank table (tanks, inspections, assessment and
// due) or of the TML table (tmls); any other table is refused with a message.
Result<QVariantMap> buildReportData(const QString& databaseName, DataKind kind,
                                    const Selection& selection, const DataOptions& options);

} // namespace korvane::reports
