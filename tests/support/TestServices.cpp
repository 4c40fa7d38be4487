#include "support/TestServices.h"

#include "platform/Session.h"

#include <QDialog>
#include <QPrinter>

#include <gtest/gtest.h>

namespace korvane::test {

PrintTarget ScriptedPrinters::choose(QWidget&, const PrintJob& job) {
    jobs_.push_back(job);
    Reply reply{Answer::Printer, fallback_, 0, 0, {}};
    if (!answers_.empty()) {
        reply = answers_.front();
        answers_.erase(answers_.begin());
    } else if (fallback_.isEmpty()) {
        ADD_FAILURE() << "Unexpected print: " << job.title.toStdString();
        reply.answer = Answer::Cancel;
    }
    PrintTarget target;
    if (reply.answer == Answer::Cancel)
        return target;
    target.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    target.printer->setDocName(job.title);
    if (job.paper)
        target.printer->setPageLayout(*job.paper);
    if (reply.paper)
        target.printer->setPageLayout(*reply.paper);
    target.printer->setOutputFormat(QPrinter::PdfFormat);
    target.printer->setOutputFileName(reply.pdf);
    if (reply.from > 0) {
        target.printer->setPrintRange(QPrinter::PageRange);
        target.printer->setFromTo(reply.from, reply.to);
    }
    if (reply.answer == Answer::File)
        target.file = reply.pdf;
    return target;
}

QString ScriptedPrinters::choosePdf(QWidget&, const PrintJob& job) {
    jobs_.push_back(job);
    if (answers_.empty()) {
        ADD_FAILURE() << "Unexpected save: " << job.title.toStdString();
        return {};
    }
    const Reply reply = answers_.front();
    answers_.erase(answers_.begin());
    EXPECT_NE(reply.answer, Answer::Printer) << "The save dialog offers no printer";
    EXPECT_EQ(reply.from, 0) << "The save dialog offers no page range";
    EXPECT_FALSE(reply.paper.has_value()) << "The save dialog offers no paper";
    return reply.answer == Answer::File ? reply.pdf : QString();
}

ScriptedWindows::~ScriptedWindows() {
    EXPECT_TRUE(drivers_.empty()) << drivers_.size() << " expected window(s) were never shown";
}

int ScriptedWindows::showModal(QDialog& window) {
    ++shown_;
    if (drivers_.empty()) {
        ADD_FAILURE() << "Unexpected window shown: " << window.objectName().toStdString();
        return QDialog::Rejected;
    }
    Driver driver = std::move(drivers_.front());
    drivers_.erase(drivers_.begin());
    return driver(window);
}

void RecordingPointer::setBusy(QWidget& window, bool busy) {
    changes.push_back(busy);
    BusyPointer::setBusy(window, busy);
}

void RecordingHelp::showHelp(QWidget&, quint8 topic) {
    topics.push_back(topic);
}

void RecordingReports::showReports(QWidget&, Session& session, Services&) {
    topics.push_back(session.HelpTopic);
}

void RecordingReports::showReport(QWidget&, Session& session, Services&,
                                  const QString& reportFile) {
    runs.emplace_back(reportFile, session.SQLString);
}

void RecordingHistory::showHistory(QWidget& opener, Session& session, Services& services,
                                   HistoryOf of, qint32 id, const QString& name) {
    shown.emplace_back(of, id);
    if (shower)
        shower->showHistory(opener, session, services, of, id, name);
}

} // namespace korvane::test
