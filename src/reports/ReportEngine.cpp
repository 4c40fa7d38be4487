#include "reports/ReportEngine.h"

#include "common/DateText.h"
#include "data/ServerAddress.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/SelectionFormula.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace korvane::reports {

RunWatch::RunWatch(std::chrono::milliseconds timeLimit, std::function<bool()> cancelled)
    : timeLimit_(timeLimit), deadline_(timeLimit > std::chrono::milliseconds::zero()
                                           ? QDeadlineTimer(timeLimit)
                                           : QDeadlineTimer(QDeadlineTimer::Forever)),
      cancelled_(std::move(cancelled)) {}

bool RunWatch::keepGoing() {
    if (why_ == Stop::No && deadline_.hasExpired())
        why_ = Stop::TimeLimit;
    if (why_ == Stop::No && cancelled_ && cancelled_())
        why_ = Stop::Cancelled;
    return why_ == Stop::No;
}

QString RunWatch::stoppedMessage(const QString& reportFile) const {
    if (why_ == Stop::Cancelled)
        return QStringLiteral("The report \"%1\" was cancelled.").arg(reportFile);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeLimit_).count();
    return QStringLiteral("The report \"%1\" was stopped: it took longer than %2 seconds, the "
                          "longest a report may take.")
        .arg(reportFile)
        .arg(seconds);
}

Result<BuiltReport> buildReport(const ReportRequest& request) {
    RunWatch unwatched;
    return buildReport(request, unwatched);
}

Result<BuiltReport> buildReport(const ReportRequest& request, RunWatch& watch) {
    const auto fail = [&](const QString& problem) {
        if (watch.stopped())
            return Error{watch.stoppedMessage(request.reportFile)};
        return Error{QStringLiteral("The report \"%1\" could not be made.\n\n%2")
                         .arg(request.reportFile, problem)};
    };
    const KeepGoing keepGoing = watch.asKeepGoing();
    auto definition = request.reportIsPath ? readReportFile(request.reportFile)
                                           : loadReportDefinition(request.reportFile);
    if (!definition)
        return fail(definition.error());
    auto selection = parseSelection(request.formula);
    if (!selection)
        return fail(QStringLiteral("Its selection \"%1\" is not understood: %2")
                        .arg(request.formula, selection.error()));
    if (!keepGoing())
        return fail(StoppedMessage);
    DataOptions options;
    options.unitsUS = request.unitsUS;
    options.today = request.today;
    options.horizonDays = request.horizonDays;
    options.attentionOnly = request.attentionOnly;
    options.keepGoing = keepGoing;
    auto data = buildReportData(request.databaseName, definition->data, *selection, options);
    if (!data)
        return fail(data.error());
    data->insert(QStringLiteral("title"), definition->title);
    if (!keepGoing())
        return fail(StoppedMessage);
    auto html = renderTemplate(definition->templateText, *data, keepGoing);
    if (!html)
        return fail(html.error());
    data->clear(); // the tree may be large, and the text is yet to be read into a document
    auto prepared = prepareForLayout(*html);
    if (!prepared)
        return fail(prepared.error());
    if (!keepGoing())
        return fail(StoppedMessage);

    BuiltReport report;
    report.reportFile = request.reportFile;
    report.html = std::move(*prepared);
    report.frame.title = definition->title;
    report.frame.databaseFile = server::displayName(request.databaseName);
    report.frame.printedDate = formatDate(request.today);
    return report;
}

QPageLayout pdfPageLayout() {
    QBuffer nowhere;
    QPdfWriter writer(&nowhere);
    writer.setPageSize(QPageSize(QPageSize::A4));
    return writer.pageLayout();
}

std::unique_ptr<ReportPages> reportPages(const BuiltReport& report, const QPageLayout& pageLayout,
                                         int resolution) {
    return std::make_unique<ReportPages>(report.html, report.frame, pageLayout, resolution);
}

Status writePdf(const BuiltReport& report, const QString& path) {
    RunWatch unwatched;
    return writePdf(report, path, unwatched);
}

Status writePdf(const BuiltReport& report, const QString& path, RunWatch& watch) {
    if (!watch.keepGoing())
        return Error{watch.stoppedMessage(report.reportFile)};
    const auto pages = reportPages(report);
    if (auto laidOut = pages->layOutAll(watch.asKeepGoing()); !laidOut)
        return watch.stopped() ? Error{watch.stoppedMessage(report.reportFile)}
                               : laidOut.takeError();
    Status written = writePdf(*pages, path, PageRange{}, watch.asKeepGoing());
    if (!written && watch.stopped())
        return Error{watch.stoppedMessage(report.reportFile)};
    return written;
}

Status writePdf(const ReportPages& pages, const QString& path, PageRange range,
                const KeepGoing& keepGoing) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(pages.pageLayout());
        writer.setResolution(pages.resolution());
        writer.setTitle(pages.frame().title);
        if (auto painted = paintPages(pages, writer, range, keepGoing); !painted)
            return painted.takeError(); // the file is not committed: nothing is written
    }
    if (!file.commit())
        return Error{QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    return {};
}

} // namespace korvane::reports
