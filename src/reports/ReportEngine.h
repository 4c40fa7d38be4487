#pragma once

#include "common/Result.h"
#include "reports/ReportPages.h"
#include "reports/ReportRenderer.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QPageLayout>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace korvane::reports {

// One run of a report: the definition file (a bare name such as "tank_sum.rpt", looked up as
// report files are, or with reportIsPath the path of a file the user chose), the selection formula
// ("{Tank.TankID} = 12"), the database, and how values are to be shown.
struct ReportRequest {
    QString databaseName;
    QString reportFile;
    bool reportIsPath = false;
    QString formula;
    bool unitsUS = true;
    QDate today;
    // The "due" reports: the days within which an inspection is due soon, and whether only the
    // tanks that need attention are printed.
    int horizonDays = 90;
    bool attentionOnly = false;
};

// A report filled and ready to be laid out on pages.
struct BuiltReport {
    QString reportFile;
    QString html;
    PageFrame frame;
};

// The longest a report made from the command line may take.
inline constexpr std::chrono::seconds CommandLineTimeLimit{300};

// Watches a run of a report from its start, and stops it when its time limit has passed or
// when `cancelled` says so (the Cancel button of a window). Asked between the steps of the
// work: rows read, sections filled, blocks laid out, pages painted. A step that cannot be
// divided (the filled text read into a document, one table laid out) is bounded by the limits
// of the renderer instead, so a run stops at most that long after it is told to.
class RunWatch {
public:
    explicit RunWatch(std::chrono::milliseconds timeLimit = std::chrono::milliseconds::zero(),
                      std::function<bool()> cancelled = {});

    // True while the run may go on; false from the time it is to stop.
    bool keepGoing();
    KeepGoing asKeepGoing() {
        return [this] {
            return keepGoing();
        };
    }

    bool stopped() const { return why_ != Stop::No; }
    bool cancelled() const { return why_ == Stop::Cancelled; }
    // What a stopped run of the report file tells the user.
    QString stoppedMessage(const QString& reportFile) const;

private:
    enum class Stop { No, TimeLimit, Cancelled };
    std::chrono::milliseconds timeLimit_;
    QDeadlineTimer deadline_;
    std::function<bool()> cancelled_;
    Stop why_ = Stop::No;
};

// Reads the definition, parses the formula, reads the data and fills the template. Every
// failure names the report file and the problem; a run the watch stopped fails with the
// watch's message.
Result<BuiltReport> buildReport(const ReportRequest& request);
Result<BuiltReport> buildReport(const ReportRequest& request, RunWatch& watch);

// The page of the PDF files the reports are written to: A4 at PdfResolution dots per inch.
inline constexpr int PdfResolution = 300;
QPageLayout pdfPageLayout();

// The filled report, to be laid out on pages of `pageLayout`.
std::unique_ptr<ReportPages> reportPages(const BuiltReport& report,
                                         const QPageLayout& pageLayout = pdfPageLayout(),
                                         int resolution = PdfResolution);

// Lays the report out on PDF pages in a file. The pages are written to a temporary file beside
// it that replaces the file only when complete, so a failure leaves no half-written PDF.
Status writePdf(const BuiltReport& report, const QString& path);
Status writePdf(const BuiltReport& report, const QString& path, RunWatch& watch);

// Writes pages laid out already (in full), or those of the range, to a PDF file the same way;
// keepGoing is asked before every page, and a file stopped part way is not written.
Status writePdf(const ReportPages& pages, const QString& path, PageRange range = {},
                const KeepGoing& keepGoing = {});

} // namespace korvane::reports
