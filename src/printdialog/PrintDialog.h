#pragma once

#include "platform/Services.h"
#include "platform/Session.h"
#include "reports/ReportEngine.h"

#include <QDialog>

#include <array>
#include <optional>

class QRadioButton;
class QPushButton;

namespace korvane {

// The "Print Dialog" (Form12): the four stored reports of the window that opened it, chosen
// by "Report Type" and run on the current tank or on all tanks of the current location. OK
// shows the chosen report in a preview, from which it is printed or saved as PDF, and leaves
// the dialog open for the next one; Cancel closes it.
//
// Session::HelpTopic tells the opener: 10 the Tank Information window, 20 the Inspection &
// Thickness window.
class PrintDialog : public QDialog {
    Q_OBJECT

public:
    PrintDialog(Session& session, Services& services, QWidget* parent = nullptr);

    // The report file and the plain text of the last report shown, for whoever drives the
    // dialog without a screen.
    QString lastReportFile() const { return lastReportFile_; }
    QString lastReportText() const;

private slots:
    void Option1_Click(int index);
    void Cmd_OK_Click();

private:
    void Form_Load();

    Session& session_;
    Services& services_;
    std::array<QRadioButton*, 4> Option1{};
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    int chosen_ = 0;
    QString lastReportFile_;
    QString lastReportHtml_;
};

// Runs a stored report on the session's database with the selection formula in
// Session::SQLString and shows it in the report preview over `over`. A report that cannot be
// built is shown as a message with the title. Returns the report filled, none after a failure.
std::optional<reports::BuiltReport> previewReport(QWidget& over, Session& session,
                                                  Services& services, const QString& reportFile,
                                                  const QString& title);

// Shows the Print Dialog, or one report, for the working windows.
class PrintDialogShower final : public ReportShower {
public:
    void showReports(QWidget& opener, Session& session, Services& services) override;
    void showReport(QWidget& opener, Session& session, Services& services,
                    const QString& reportFile) override;
};

} // namespace korvane
