#include "printdialog/PrintDialog.h"

#include "printdialog/ReportPreview.h"
#include "support/ActiveWindow.h"
#include "support/FocusChain.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// Two tanks at Port Arthur and one at Beaumont; the shipped report files in the current folder.
class PrintDialogTest : public testing::Test {
protected:
    PrintDialogTest() {
        QDir::setCurrent(QStringLiteral(KORVANE_REPORT_FILES));
        session.DatabaseName = file.path();
        const qint32 gulf = file.addCompany(QStringLiteral("Gulf Plains"));
        portArthur = file.addLocation(gulf, QStringLiteral("Port Arthur"));
        t101 = file.addTank(portArthur, QStringLiteral("T-101"));
        file.addTank(portArthur, QStringLiteral("O'Brien #3"));
        file.addTank(file.addLocation(gulf, QStringLiteral("Beaumont")), QStringLiteral("B-7"));
        session.CurTankID = t101;
        session.CurLocationID = portArthur;
    }
    ~PrintDialogTest() override { QDir::setCurrent(startFolder); }

    PrintDialog& open(quint8 caller) {
        session.HelpTopic = caller;
        dialog = std::make_unique<PrintDialog>(session, t.services);
        test::showActive(*dialog);
        return *dialog;
    }
    QRadioButton* option(int i) const {
        return dialog->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(i));
    }
    // Presses OK; the preview the report would be shown in is closed at once.
    void runReport() {
        t.windows.expect([](QDialog& preview) {
            EXPECT_NE(qobject_cast<ReportPreview*>(&preview), nullptr);
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_OK")),
                          Qt::LeftButton);
    }

    QString startFolder = QDir::currentPath();
    test::TestDatabase file;
    Session session;
    test::TestServices t;
    std::unique_ptr<PrintDialog> dialog;
    qint32 portArthur = 0, t101 = 0;
};

TEST_F(PrintDialogTest, FromTankInformationTheHighlightedTankSummaryRunsFirst) {
    open(10);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("Form12"));
    EXPECT_EQ(option(0)->text(), QStringLiteral("Highlighted Tank - Summary"));
    EXPECT_EQ(option(3)->text(), QStringLiteral("All Tanks - Detail"));
    EXPECT_TRUE(option(0)->isChecked());
    runReport();
    EXPECT_EQ(dialog->lastReportFile(), QStringLiteral("tank_sum.rpt"));
    EXPECT_EQ(session.SQLString, QStringLiteral("{Tank.TankID} = %1").arg(t101));
    EXPECT_TRUE(dialog->lastReportText().contains(QStringLiteral("T-101")));
    EXPECT_FALSE(dialog->lastReportText().contains(QStringLiteral("O'Brien")));
    EXPECT_TRUE(dialog->isVisible()); // open for the next report

    QTest::mouseClick(option(2), Qt::LeftButton);
    runReport();
    EXPECT_EQ(session.SQLString, QStringLiteral("{Tank.LocationID} = %1").arg(portArthur));
    EXPECT_TRUE(dialog->lastReportText().contains(QStringLiteral("O'Brien #3")));
    EXPECT_FALSE(dialog->lastReportText().contains(QStringLiteral("B-7")));
    EXPECT_EQ(t.windows.shown(), 2);
    EXPECT_TRUE(t.prompts.messages().empty());
}

TEST_F(PrintDialogTest, FromInspectionsEachOkRunsTheOptionChosenThen) {
    open(20);
    EXPECT_EQ(option(1)->text(), QStringLiteral("Highlighted Inspection - Detail"));
    QTest::mouseClick(option(3), Qt::LeftButton);
    runReport();
    EXPECT_EQ(dialog->lastReportFile(), QStringLiteral("insp_det.rpt"));
    EXPECT_EQ(session.SQLString, QStringLiteral("{Tank.LocationID} = %1").arg(portArthur));
    QTest::mouseClick(option(0), Qt::LeftButton);
    runReport();
    EXPECT_EQ(dialog->lastReportFile(), QStringLiteral("insp_sum.rpt"));
    EXPECT_EQ(session.SQLString, QStringLiteral("{Tank.TankID} = %1").arg(t101));
    EXPECT_TRUE(t.prompts.messages().empty());
}

// Every option of both windows, as captioned, runs its own report for the highlighted tank or
// for all of the tanks at its location.
TEST_F(PrintDialogTest, EveryOptionRunsItsReportForTheTankOrTheLocation) {
    const QString tank = QStringLiteral("{Tank.TankID} = %1").arg(t101);
    const QString location = QStringLiteral("{Tank.LocationID} = %1").arg(portArthur);
    const struct {
        quint8 caller;
        QStringList runs; // caption, report file, selection, by option
    } cases[] = {
        {10,
         {"Highlighted Tank - Summary | tank_sum.rpt | " + tank,
          "Highlighted Tank - Detail | tank_det.rpt | " + tank,
          "All Tanks - Summary | tank_sum.rpt | " + location,
          "All Tanks - Detail | tank_det.rpt | " + location}},
        {20,
         {"Highlighted Inspection - Summary | insp_sum.rpt | " + tank,
          "Highlighted Inspection - Detail | insp_det.rpt | " + tank,
          "All Inspections - Summary | insp_sum.rpt | " + location,
          "All Inspections - Detail | insp_det.rpt | " + location}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.caller));
        open(c.caller);
        QStringList runs;
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(option(i), Qt::LeftButton);
            runReport();
            runs << QStringLiteral("%1 | %2 | %3")
                        .arg(option(i)->text(), dialog->lastReportFile(), session.SQLString);
        }
        EXPECT_EQ(runs, c.runs);
    }
    EXPECT_TRUE(t.prompts.messages().empty());
}

// A report file that cannot be found says which and where it was looked for; the dialog stays
// open and Cancel closes it.
TEST_F(PrintDialogTest, AMissingReportFileIsNamedAndTheDialogStaysOpen) {
    test::TempDir empty;
    QDir::setCurrent(empty.path());
    open(10);
    t.prompts.answerMessage();
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_OK")), Qt::LeftButton);
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_TRUE(t.prompts.messages()[0].text.contains(QStringLiteral("tank_sum.rpt")));
    EXPECT_EQ(t.windows.shown(), 0);
    EXPECT_TRUE(dialog->isVisible());
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Cancel")),
                      Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

// A report is made under a progress window over the dialog; its Cancel stops the run before
// the preview opens, with no message, the busy pointer back and the dialog open for another.
TEST_F(PrintDialogTest, CancelStopsTheRunAndTheDialogStaysOpen) {
    open(10);
    QTest::mouseClick(option(3), Qt::LeftButton);
    bool pressed = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        auto* progress = dialog->findChild<QProgressDialog*>(QStringLiteral("ReportProgress"));
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->labelText(), QStringLiteral("Making the report tank_det.rpt..."));
        auto* cancel = progress->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        cancel->click();
        pressed = true;
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_OK")), Qt::LeftButton);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(t.windows.shown(), 0);
    EXPECT_TRUE(t.prompts.messages().empty());
    EXPECT_EQ(t.pointer.changes, (std::vector<bool>{true, false}));
    EXPECT_TRUE(dialog->lastReportFile().isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<QProgressDialog*>(), nullptr);

    runReport(); // the next run is not cancelled
    EXPECT_EQ(dialog->lastReportFile(), QStringLiteral("tank_det.rpt"));
    EXPECT_TRUE(dialog->lastReportText().contains(QStringLiteral("O'Brien #3")));
}

// A report file whose template could make without end is refused when it is read, with a
// message that names the file and the limit; the dialog stays open.
TEST_F(PrintDialogTest, AReportPastTheLimitsIsNamedAndTheDialogStaysOpen) {
    test::TempDir folder;
    QDir::setCurrent(folder.path());
    const struct {
        QString tmpl;
        QString limit;
    } cases[] = {
        {QString("{{#tanks}}").repeated(16) + "{{name}}" + QString("{{/tanks}}").repeated(16),
         "Line 4: sections are nested more than 8 deep (the most a report may nest them)."},
        {QString("<table><tr><td>").repeated(4) + "{{name}}",
         "Line 4: tables are nested more than 3 deep (the most a report may nest them)."},
    };
    open(10);
    for (const auto& c : cases) {
        QFile rpt(folder.filePath(QStringLiteral("tank_sum.rpt")));
        ASSERT_TRUE(rpt.open(QIODevice::WriteOnly));
        rpt.write("Title: Tanks\nData: tanks\n\n" + c.tmpl.toUtf8());
        rpt.close();
        t.prompts.answerMessage();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_OK")),
                          Qt::LeftButton);
        ASSERT_FALSE(t.prompts.messages().empty());
        const QString shown = t.prompts.messages().back().text;
        EXPECT_TRUE(
            shown.startsWith(QStringLiteral("The report \"tank_sum.rpt\" could not be made.")))
            << shown.toStdString();
        EXPECT_TRUE(shown.contains(c.limit)) << shown.toStdString();
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_EQ(t.windows.shown(), 0);
}

// The keyboard alone runs a report: the arrow keys choose the option, Enter presses OK, and
// Tab runs from the chosen option to Cancel and OK; Escape closes the dialog.
TEST_F(PrintDialogTest, TheKeyboardChoosesAndRunsAReport) {
    open(10);
    option(0)->setFocus();
    EXPECT_EQ(test::tabChain(*dialog),
              (QStringList{QStringLiteral("Option1_0"), QStringLiteral("Cmd_Cancel"),
                           QStringLiteral("Cmd_OK")}));
    option(0)->setFocus();
    QTest::keyClick(option(0), Qt::Key_Down);
    QTest::keyClick(option(1), Qt::Key_Down);
    EXPECT_TRUE(option(2)->isChecked());
    t.windows.expect([](QDialog&) { return int(QDialog::Rejected); });
    QTest::keyClick(option(2), Qt::Key_Return);
    EXPECT_EQ(dialog->lastReportFile(), QStringLiteral("tank_sum.rpt"));
    EXPECT_EQ(session.SQLString, QStringLiteral("{Tank.LocationID} = %1").arg(portArthur));
    QTest::keyClick(option(2), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
} // namespace korvane
