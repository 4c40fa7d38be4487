#include "printdialog/PrintDialog.h"

#include "data/Database.h"
#include "platform/BusyScope.h"
#include "platform/Keyboard.h"
#include "platform/WindowControls.h"
#include "printdialog/ReportPreview.h"
#include "reports/ReportEngine.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr quint8 FromTankWindow = 10;
constexpr quint8 FromInspectionWindow = 20;

struct ReportChoice {
    const char* tankCaption;
    const char* inspectionCaption;
    bool wholeLocation; // all tanks of the location, rather than the current tank
    const char* tankFile;
    const char* inspectionFile;
};

constexpr std::array<ReportChoice, 4> Choices{{
    {"Highlighted Tank - Summary", "Highlighted Inspection - Summary", false, "tank_sum.rpt",
     "insp_sum.rpt"},
    {"Highlighted Tank - Detail", "Highlighted Inspection - Detail", false, "tank_det.rpt",
     "insp_det.rpt"},
    {"All Tanks - Summary", "All Inspections - Summary", true, "tank_sum.rpt", "insp_sum.rpt"},
    {"All Tanks - Detail", "All Inspections - Detail", true, "tank_det.rpt", "insp_det.rpt"},
}};

} // namespace

PrintDialog::PrintDialog(Session& session, Services& services, QWidget* parent)
    : QDialog(parent), session_(session), services_(services) {
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Print Dialog"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("Report Type"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* options = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(Option1.size()); ++i) {
        auto* option = new QRadioButton(frame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        group->addButton(option, i);
        options->addWidget(option);
        Option1[static_cast<std::size_t>(i)] = option;
    }
    connect(group, &QButtonGroup::idClicked, this, &PrintDialog::Option1_Click);

    Cmd_OK = commandButton(this, "Cmd_OK", QStringLiteral("OK"),
                           QStringLiteral("Show the chosen report"));
    Cmd_Cancel = commandButton(this, "Cmd_Cancel", QStringLiteral("Cancel"),
                               QStringLiteral("Close this window"));
    Cmd_OK->setDefault(true);
    connect(Cmd_OK, &QPushButton::clicked, this, &PrintDialog::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Cancel);
    buttons->addWidget(Cmd_OK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    orderFocusByLayout(*this);
    Form_Load();
}

void PrintDialog::Form_Load() {
    const bool fromInspections = session_.HelpTopic == FromInspectionWindow;
    for (std::size_t i = 0; i < Choices.size(); ++i)
        Option1[i]->setText(QString::fromLatin1(fromInspections ? Choices[i].inspectionCaption
                                                                : Choices[i].tankCaption));
    Option1[0]->setChecked(true);
    chosen_ = 0;
}

void PrintDialog::Option1_Click(int index) {
    chosen_ = index;
}

void PrintDialog::Cmd_OK_Click() {
    const bool fromInspections = session_.HelpTopic == FromInspectionWindow;
    if (!fromInspections && session_.HelpTopic != FromTankWindow)
        return; // only the two Print buttons open this dialog
    const ReportChoice& choice = Choices[static_cast<std::size_t>(chosen_)];
    session_.SQLString = choice.wholeLocation
                             ? QStringLiteral("{Tank.LocationID} = %1").arg(session_.CurLocationID)
                             : QStringLiteral("{Tank.TankID} = %1").arg(session_.CurTankID);
    const QString file =
        QString::fromLatin1(fromInspections ? choice.inspectionFile : choice.tankFile);
    if (auto report = previewReport(*this, session_, services_, file, windowTitle())) {
        lastReportFile_ = file;
        lastReportHtml_ = report->html;
    }
    // The dialog stays open after a failure too: another report, or the same one later, may
    // still run.
}

namespace {

// "Making the report" with its Cancel button over a window while a report is made and laid
// out. It shows itself only when the work takes more than a moment. Asked between the steps
// of the work, it lets the window repaint and the Cancel button be pressed; until it shows,
// no click or key reaches the window beneath, so a run cannot start inside another.
class RunProgress {
public:
    RunProgress(QWidget& over, const QString& reportFile)
        : progress_(QStringLiteral("Making the report %1...").arg(reportFile),
                    QStringLiteral("Cancel"), 0, 0, &over) {
        progress_.setObjectName(QStringLiteral("ReportProgress"));
        progress_.setWindowTitle(over.windowTitle());
        progress_.setWindowModality(Qt::WindowModal);
        progress_.setMinimumDuration(500);
        progress_.setAutoReset(false);
        progress_.setAutoClose(false);
    }

    // True when Cancel has been pressed.
    bool cancelled() {
        constexpr qint64 EventsEvery = 50; // milliseconds
        if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= EventsEvery) {
            QCoreApplication::processEvents(
                progress_.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
            sinceEvents_.start();
        }
        return progress_.wasCanceled();
    }

private:
    QProgressDialog progress_;
    QElapsedTimer sinceEvents_;
};

} // namespace

namespace {

// What the report is of, for the name of its PDF file: the current tank, or the location when the
// selection is the whole location's. Empty when it cannot be read.
QString reportSubject(const Session& session) {
    const bool location = session.SQLString.startsWith(QLatin1String("{Tank.LocationID}"));
    auto db = Database::open(session.DatabaseName);
    if (!db)
        return {};
    auto name = location ? db->firstValue(QStringLiteral("SELECT \"Location\" FROM \"Location\" "
                                                         "WHERE \"LocationID\" = ?"),
                                          {session.CurLocationID})
                         : db->firstValue(QStringLiteral("SELECT \"Name\" FROM \"Tank\" WHERE "
                                                         "\"TankID\" = ?"),
                                          {session.CurTankID});
    return name ? name->toString().trimmed() : QString();
}

// "Tank Detail - T-101.pdf", without the characters a file name may not hold.
QString suggestedPdfName(const QString& title, const QString& subject) {
    QString name = subject.isEmpty() ? title : title + QStringLiteral(" - ") + subject;
    static const QRegularExpression notInNames(QStringLiteral("[/\\\\:*?\"<>|]"));
    name.replace(notInNames, QStringLiteral("-"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(QDir(folder).exists() ? folder : QDir::homePath())
        .filePath(name + QStringLiteral(".pdf"));
}

} // namespace

std::optional<reports::BuiltReport> previewReport(QWidget& over, Session& session,
                                                  Services& services, const QString& reportFile,
                                                  const QString& title) {
    reports::ReportRequest request;
    request.databaseName = session.DatabaseName;
    request.reportFile = reportFile;
    request.formula = session.SQLString;
    request.unitsUS = session.UnitsUS;
    request.today = services.clock.today();
    request.horizonDays = session.DueHorizonDays;
    request.attentionOnly = session.DueAttentionOnly;

    // The report is filled before the preview opens, where the work can be cancelled; the
    // preview lays it out on pages, showing each page as it is ready.
    bool cancelled = false;
    auto report = [&]() -> Result<reports::BuiltReport> {
        BusyScope busy(services.pointer, over);
        RunProgress progress(over, reportFile);
        reports::RunWatch watch(std::chrono::milliseconds::zero(),
                                [&progress] { return progress.cancelled(); });
        auto built = reports::buildReport(request, watch);
        cancelled = watch.cancelled();
        return built;
    }();
    if (!report) {
        // A run the user cancelled needs no message; any other failure names the report.
        if (!cancelled)
            services.prompts.message(report.error(), title, Prompts::Icon::Exclamation);
        return std::nullopt;
    }

    const QPrinter printer(QPrinter::HighResolution);
    ReportPreview preview(reports::reportPages(*report, printer.pageLayout()), services,
                          suggestedPdfName(report->frame.title, reportSubject(session)), &over);
    showChildWindow(services, over, preview);
    return std::move(*report);
}

QString PrintDialog::lastReportText() const {
    return QTextDocumentFragment::fromHtml(lastReportHtml_).toPlainText();
}

void PrintDialogShower::showReports(QWidget& opener, Session& session, Services& services) {
    PrintDialog form12(session, services, &opener);
    showChildWindow(services, opener, form12);
}

void PrintDialogShower::showReport(QWidget& opener, Session& session, Services& services,
                                   const QString& reportFile) {
    previewReport(opener, session, services, reportFile, opener.windowTitle());
}

} // namespace korvane
