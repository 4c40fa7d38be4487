#include "reports/ReportEngine.h"

#include "common/DateText.h"
#include "data/ServerAddress.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/SelectionFormula.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace korvane::reports {

Result<BuiltReport> buildReport(const ReportRequest& request) {
    const auto fail = [&request](const QString& problem) {
        return Error{QStringLiteral("The report \"%1\" could not be made.\n\n%2")
                         .arg(request.reportFile, problem)};
    };
    auto definition = loadReportDefinition(request.reportFile);
    if (!definition)
        return fail(definition.error());
    auto selection = parseSelection(request.formula);
    if (!selection)
        return fail(QStringLiteral("Its selection \"%1\" is not understood: %2")
                        .arg(request.formula, selection.error()));
    DataOptions options;
    options.unitsUS = request.unitsUS;
    options.today = request.today;
    auto data = buildReportData(request.databaseName, definition->data, *selection, options);
    if (!data)
        return fail(data.error());
    data->insert(QStringLiteral("title"), definition->title);
    auto html = renderTemplate(definition->templateText, *data);
    if (!html)
        return fail(html.error());

    BuiltReport report;
    report.html = std::move(*html);
    report.frame.title = definition->title;
    report.frame.databaseFile = server::displayName(request.databaseName);
    report.frame.printedDate = formatDate(request.today);
    return report;
}

std::unique_ptr<QTextDocument> reportDocument(const BuiltReport& report) {
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(report.html);
    return document;
}

Status writePdf(const BuiltReport& report, const QString& path) {
    const auto document = reportDocument(report);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(report.frame.title);
        if (auto painted = paintDocument(*document, writer, report.frame); !painted)
            return painted.takeError();
    }
    if (!file.commit())
        return Error{QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    return {};
}

} // namespace korvane::reports
