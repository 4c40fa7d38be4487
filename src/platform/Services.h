#pragma once

#include "common/Clock.h"
#include "platform/Prompts.h"

#include <QPageLayout>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class QDialog;
class QPrinter;
class QWidget;

namespace korvane {

// Shows a child window modally; the call returns when the child has closed. Tests replace it
// to drive the child window instead of waiting for a user.
class WindowShower {
public:
    virtual ~WindowShower() = default;
    virtual int showModal(QDialog& window);
};

// The busy (hourglass) pointer over one window, and back to the default.
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(QWidget& window, bool busy);
};

// What is about to be printed: the title of the print or save dialog (and of the message that
// names a saved file), the name a PDF file is offered under, and whether the pages can be
// printed from one page to another.
struct PrintJob {
    PrintJob(QString title_, QString fileName_, bool pageRange_ = false)
        : title(std::move(title_)), fileName(std::move(fileName_)), pageRange(pageRange_) {}

    QString title;    // "Tank Thickness Readings"
    QString fileName; // "Tank Thickness Readings - Tank 101.pdf"; no folder
    bool pageRange = false;
    int pageCount = 0;                // the last page a range may name; 0 when not known
    std::optional<QPageLayout> paper; // the paper the pages were laid out for
};

// Where the pages of a job go, as the user chose: a printer, and the PDF file the pages are
// saved in when the user chose a file rather than a printer (empty for a printer).
struct PrintTarget {
    std::unique_ptr<QPrinter> printer;
    QString file;
};

// Asks the user where printed pages go: the system's print dialog (printer, copies, page range
// and "Print to File (PDF)"), or, with no printer installed, a save dialog for a PDF file that
// offers the job's file name and asks before writing over a file. Tests answer it from a script.
class PrinterProvider {
public:
    virtual ~PrinterProvider() = default;
    // An empty target (no printer) when the user cancelled.
    virtual PrintTarget choose(QWidget& parent, const PrintJob& job);
    // The save dialog alone, for a window that saves a PDF of its own: the chosen file, which the
    // user agreed to replace if it exists; empty when the user cancelled.
    virtual QString choosePdf(QWidget& parent, const PrintJob& job);

protected:
    // Whether the system knows a printer; without one, Print offers the save dialog alone.
    virtual bool printerInstalled() const;
};

// Opens the help viewer on a topic (0 about, 1 main window ... 6 preferences, 7 Due and at Risk),
// modally, with the
// busy pointer over the opener while it is up. The viewer itself lives with the main window.
class HelpShower {
public:
    virtual ~HelpShower() = default;
    virtual void showHelp(QWidget& opener, quint8 topic) = 0;
};

struct Services;
struct Session;

// Opens the Print Dialog of the stored reports over a window, modally; Session::HelpTopic tells
// the dialog which window asks. The dialog itself lives with the reports.
class ReportShower {
public:
    virtual ~ReportShower() = default;
    virtual void showReports(QWidget& opener, Session& session, Services& services) = 0;
    // Runs one stored report (a bare file name such as "tml_list.rpt") with the selection
    // formula in Session::SQLString and shows it in the print preview.
    virtual void showReport(QWidget& opener, Session& session, Services& services,
                            const QString& reportFile) = 0;
};

// What a history of changes is read for.
enum class HistoryOf { Tank, Inspection };

// Opens the History window of a tank or an inspection (its id, and its name or number for the
// title) over a window, modally. The window itself lives with the history.
class HistoryShower {
public:
    virtual ~HistoryShower() = default;
    virtual void showHistory(QWidget& opener, Session& session, Services& services, HistoryOf of,
                             qint32 id, const QString& name) = 0;
};

// Opens the Corrosion Assessment of the session's current tank over a window, modally. The
// window lives with the inspections; the tank window opens it through here.
class AssessmentShower {
public:
    virtual ~AssessmentShower() = default;
    virtual void showAssessment(QWidget& opener, Session& session, Services& services,
                                const QString& tankName) = 0;
};

// What a window needs from outside itself.
struct Services {
    Prompts& prompts;
    Clock& clock;
    PrinterProvider& printers;
    WindowShower& windows;
    BusyPointer& pointer;
    HelpShower& help;
    ReportShower& reports;
    HistoryShower& history;
    AssessmentShower& assessment;
};

// Help that is never shown, for programs without the help viewer (benchmarks, tools).
class NoHelp final : public HelpShower {
public:
    void showHelp(QWidget&, quint8) override {}
};

// Reports that are never shown, for programs without the Print Dialog (benchmarks, tools).
class NoReports final : public ReportShower {
public:
    void showReports(QWidget&, Session&, Services&) override {}
    void showReport(QWidget&, Session&, Services&, const QString&) override {}
};

// A history that is never shown, for programs without the History window (benchmarks, tools).
class NoHistory final : public HistoryShower {
public:
    void showHistory(QWidget&, Session&, Services&, HistoryOf, qint32, const QString&) override {}
};

// An assessment that is never shown, for programs without the Corrosion Assessment window.
class NoAssessment final : public AssessmentShower {
public:
    void showAssessment(QWidget&, Session&, Services&, const QString&) override {}
};

// The real services for a program that runs windows without the main window, its help viewer
// and the Print Dialog: the system clock, the print dialogs, modal windows and the busy
// pointer, with the prompts it is given.
struct StandaloneServices {
    explicit StandaloneServices(Prompts& prompts)
        : services{prompts, clock, printers, windows, pointer, help, reports, history, assessment} {
    }
    SystemClock clock;
    PrinterProvider printers;
    WindowShower windows;
    BusyPointer pointer;
    NoHelp help;
    NoReports reports;
    NoHistory history;
    NoAssessment assessment;
    Services services;
};

// Shows a child window modally with the busy pointer over its opener while it is up.
int showChildWindow(Services& services, QWidget& opener, QDialog& child);

} // namespace korvane
