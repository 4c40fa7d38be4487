#pragma once

#include "common/Clock.h"
#include "platform/Services.h"
#include "support/ScriptedPrompts.h"

#include <QDate>

#include <functional>
#include <vector>

namespace korvane::test {

// Shows child windows by handing them to a test function instead of waiting for a user; a
// child window shown when none is expected fails the test.
class ScriptedWindows final : public WindowShower {
public:
    using Driver = std::function<int(QDialog&)>;
    ~ScriptedWindows() override;
    void expect(Driver driver) { drivers_.push_back(std::move(driver)); }
    int showModal(QDialog& window) override;
    int shown() const { return shown_; }

private:
    std::vector<Driver> drivers_;
    int shown_ = 0;
};

// Records every change of the busy pointer.
class RecordingPointer final : public BusyPointer {
public:
    void setBusy(QWidget& window, bool busy) override;
    std::vector<bool> changes;
};

// Records the help topics asked for instead of opening the viewer.
class RecordingHelp final : public HelpShower {
public:
    void showHelp(QWidget& opener, quint8 topic) override;
    std::vector<int> topics;
};

// Records the topics (Session::HelpTopic) the Print Dialog was asked for with.
class RecordingReports final : public ReportShower {
public:
    void showReports(QWidget& opener, Session& session, Services& services) override;
    void showReport(QWidget& opener, Session& session, Services& services,
                    const QString& reportFile) override;
    std::vector<int> topics;
    // Each report run on its own: the file and the selection formula.
    std::vector<std::pair<QString, QString>> runs;
};

// Records the histories asked for; with `shower` set, opens them through it too (the real
// History window, in the tests of that window).
class RecordingHistory final : public HistoryShower {
public:
    void showHistory(QWidget& opener, Session& session, Services& services, HistoryOf of, qint32 id,
                     const QString& name) override;
    std::vector<std::pair<HistoryOf, qint32>> shown;
    HistoryShower* shower = nullptr;
};

// Records the tanks whose assessment was asked for; with `shower` set, opens it through it too
// (the real window, in the tests of that window).
class RecordingAssessment final : public AssessmentShower {
public:
    void showAssessment(QWidget& opener, Session& session, Services& services,
                        const QString& tankName) override {
        shown.push_back(tankName);
        if (shower)
            shower->showAssessment(opener, session, services, tankName);
    }
    std::vector<QString> shown;
    AssessmentShower* shower = nullptr;
};

// Answers the print and save dialogs from a script, and records every job they were asked
// for. Each print takes the next answer; with none left it goes to the printer of
// setFallbackPdf (a printer whose pages land in that PDF for the test to read, named to nobody),
// and with no fallback either the print fails the test and is cancelled.
class ScriptedPrinters final : public PrinterProvider {
public:
    // A printer chosen in the print dialog; its pages land in `pdf`.
    void answerPrinter(const QString& pdf) { answers_.push_back({Answer::Printer, pdf, 0, 0, {}}); }
    // A PDF file named in the print or save dialog; with `from`, the pages from..to only (not for
    // the save dialog alone).
    void answerFile(const QString& pdf, int from = 0, int to = 0) {
        answers_.push_back({Answer::File, pdf, from, to, {}});
    }
    // A PDF file named in the print dialog with other paper chosen there.
    void answerFileOnPaper(const QString& pdf, const QPageLayout& paper) {
        answers_.push_back({Answer::File, pdf, 0, 0, paper});
    }
    void answerCancel() { answers_.push_back({Answer::Cancel, {}, 0, 0, {}}); }
    void setFallbackPdf(const QString& pdf) { fallback_ = pdf; }
    const std::vector<PrintJob>& jobs() const { return jobs_; }

    PrintTarget choose(QWidget& parent, const PrintJob& job) override;
    // The save dialog alone takes the next answer too: a file, or cancelled.
    QString choosePdf(QWidget& parent, const PrintJob& job) override;

private:
    enum class Answer { Printer, File, Cancel };
    struct Reply {
        Answer answer;
        QString pdf;
        int from = 0;
        int to = 0;
        std::optional<QPageLayout> paper;
    };
    std::vector<Reply> answers_;
    std::vector<PrintJob> jobs_;
    QString fallback_;
};

// Every service a window needs, scripted for tests; today is fixed at 15/Jun/2024 unless set.
struct TestServices {
    ScriptedPrompts prompts;
    FixedClock clock{QDate(2024, 6, 15)};
    ScriptedPrinters printers;
    ScriptedWindows windows;
    RecordingPointer pointer;
    RecordingHelp help;
    RecordingReports reports;
    RecordingHistory history;
    RecordingAssessment assessment;
    Services services{prompts, clock,   printers, windows,   pointer,
                      help,    reports, history,  assessment};
};

} // namespace korvane::test
