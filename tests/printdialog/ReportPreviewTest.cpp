#include "printdialog/ReportPreview.h"

#include "printdialog/PrintDialog.h"
#include "support/PdfText.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/TestServices.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// "All Tanks - Detail" of a location of 40 tanks, a page or more each, shown in the preview the
// Print Dialog opens; each test drives the preview while it is open.
class ReportPreviewTest : public testing::Test {
protected:
    ReportPreviewTest() {
        QDir::setCurrent(QStringLiteral(KORVANE_REPORT_FILES));
        QSettings().remove(QStringLiteral("ReportPreview"));
        session.DatabaseName = file.path();
        const qint32 location = file.addLocation(file.addCompany(QStringLiteral("Gulf Plains")),
                                                 QStringLiteral("Port Arthur"));
        for (int i = 1; i <= Tanks; ++i)
            session.CurTankID =
                file.addTank(location, QStringLiteral("T-%1").arg(i, 3, 10, QChar(u'0')));
        session.CurLocationID = location;
        session.SQLString = QStringLiteral("{Tank.LocationID} = %1").arg(location);
    }
    ~ReportPreviewTest() override { QDir::setCurrent(startFolder); }

    // Runs the report and hands its preview to `drive`.
    void preview(const std::function<void(ReportPreview&)>& drive) {
        t.windows.expect([&](QDialog& window) {
            auto* shown = qobject_cast<ReportPreview*>(&window);
            EXPECT_NE(shown, nullptr);
            if (shown)
                drive(*shown);
            return int(QDialog::Rejected);
        });
        QWidget opener;
        ASSERT_TRUE(previewReport(opener, session, t.services, QStringLiteral("tank_det.rpt"),
                                  QStringLiteral("Print Dialog")));
    }
    static void untilFirstPage(ReportPreview& shown) {
        while (shown.pages().pagesReady() < 1)
            QCoreApplication::processEvents();
    }
    static void untilLaidOut(ReportPreview& shown) {
        while (!shown.pages().finished())
            QCoreApplication::processEvents();
    }
    template <class T> static T* part(ReportPreview& shown, const char* name) {
        auto* found = shown.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static constexpr int Tanks = 40;
    QString startFolder = QDir::currentPath();
    test::TestDatabase file;
    Session session;
    test::TestServices t;
    test::TempDir folder;
};

// Page 1 is on the screen while the rest is laid out, with the progress bar and Stop; the rest
// comes without anyone asking, and the bar and Stop go when it is done.
TEST_F(ReportPreviewTest, PageOneIsShownBeforeTheLastIsLaidOut) {
    preview([&](ReportPreview& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Tank Detail"));
        untilFirstPage(shown);
        EXPECT_FALSE(shown.pages().finished());
        EXPECT_LT(shown.pages().pagesReady(), Tanks);
        EXPECT_FALSE(part<QProgressBar>(shown, "LayoutProgress")->isHidden());
        EXPECT_FALSE(part<QPushButton>(shown, "Cmd_Stop")->isHidden());
        auto* pages = part<QWidget>(shown, "PreviewPages");
        const int firstHeight = pages->height();
        const int firstReady = shown.pages().pagesReady();
        EXPECT_GT(firstHeight, 0);

        untilLaidOut(shown);
        EXPECT_GE(shown.pages().pageCount(), Tanks);
        EXPECT_TRUE(part<QProgressBar>(shown, "LayoutProgress")->isHidden());
        EXPECT_TRUE(part<QPushButton>(shown, "Cmd_Stop")->isHidden());
        EXPECT_EQ(part<QLabel>(shown, "PageStatus")->text(),
                  QStringLiteral("%1 pages").arg(shown.pages().pageCount()));
        // Every page has its place, one below the other, each as tall as the first.
        const int gap = 12;
        EXPECT_EQ((pages->height() - gap) / shown.pages().pageCount(),
                  (firstHeight - gap) / firstReady);
    });
}

// Stop leaves the pages laid out so far; saving after it lays out the rest first, and the
// PDF holds every page, with "Page n of m" counting all of them; the file is named afterwards.
TEST_F(ReportPreviewTest, StopThenSaveWritesTheWholeReport) {
    const QString pdf = folder.filePath("tanks.pdf");
    int pages = 0;
    preview([&](ReportPreview& shown) {
        EXPECT_TRUE(shown.suggestedName().endsWith(QStringLiteral("Tank Detail - Port Arthur.pdf")))
            << shown.suggestedName().toStdString();
        untilFirstPage(shown);
        part<QPushButton>(shown, "Cmd_Stop")->click();
        const int ready = shown.pages().pagesReady();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(shown.pages().pagesReady(), ready);
        EXPECT_FALSE(shown.pages().finished());
        EXPECT_EQ(part<QLabel>(shown, "PageStatus")->text(),
                  QStringLiteral("Stopped after %1 pages").arg(ready));

        t.printers.answerFile(pdf); // the file named where the pages go
        t.prompts.answerMessage();
        part<QPushButton>(shown, "Cmd_Print")->click();
        EXPECT_TRUE(shown.pages().finished());
        pages = shown.pages().pageCount();
    });
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in %1").arg(QDir::toNativeSeparators(pdf)));
    const QStringList texts = test::pdfPages(pdf);
    ASSERT_EQ(texts.size(), pages);
    EXPECT_TRUE(texts.last().contains(QStringLiteral("Page %1 of %1").arg(pages)));
    EXPECT_TRUE(texts.last().contains(QStringLiteral("Tank T-%1").arg(Tanks, 3, 10, QChar(u'0'))));
}

// Cancel on the progress window of a save, while the rest of the report is laid out or while
// the pages are written, leaves no file and no message; the preview goes on as before.
TEST_F(ReportPreviewTest, ASaveCancelledLeavesNoFile) {
    const QString pdf = folder.filePath("cancelled.pdf");
    for (const bool laidOut : {false, true}) {
        SCOPED_TRACE(laidOut ? "while writing" : "while laying out");
        preview([&](ReportPreview& shown) {
            untilFirstPage(shown);
            if (laidOut)
                untilLaidOut(shown);
            else
                part<QPushButton>(shown, "Cmd_Stop")->click();
            bool pressed = false;
            QTimer::singleShot(0, &shown, [&] {
                auto* progress =
                    shown.findChild<QProgressDialog*>(QStringLiteral("PreviewProgress"));
                ASSERT_NE(progress, nullptr);
                EXPECT_TRUE(progress->labelText().startsWith(laidOut ? "Writing" : "Laying out"))
                    << progress->labelText().toStdString();
                progress->cancel();
                pressed = true;
            });
            t.printers.answerFile(pdf);
            part<QPushButton>(shown, "Cmd_SavePdf")->click();
            EXPECT_TRUE(pressed);
            EXPECT_EQ(shown.pages().finished(), laidOut);
            EXPECT_EQ(shown.findChild<QProgressDialog*>(), nullptr);
        });
        EXPECT_FALSE(QFile::exists(pdf));
        EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        EXPECT_TRUE(t.prompts.messages().empty());
    }
}

// Save PDF asks the printer service's save dialog for a file, offering the report's name and
// paper; cancelled, it writes and says nothing; a file chosen is written whole and named.
TEST_F(ReportPreviewTest, SavePdfAsksThePrinterServiceForAFile) {
    const QString pdf = folder.filePath("saved.pdf");
    int count = 0;
    QPageLayout paper;
    preview([&](ReportPreview& shown) {
        auto* save = part<QPushButton>(shown, "Cmd_SavePdf");
        t.printers.answerCancel();
        save->click();
        EXPECT_TRUE(t.prompts.messages().empty());

        t.printers.answerFile(pdf);
        t.prompts.answerMessage();
        save->click();
        count = shown.pages().pageCount();
        paper = shown.pages().pageLayout();
    });
    ASSERT_EQ(t.printers.jobs().size(), 2u);
    const PrintJob& job = t.printers.jobs()[0];
    EXPECT_TRUE(job.fileName.endsWith(QStringLiteral("Tank Detail - Port Arthur.pdf")));
    EXPECT_FALSE(job.pageRange);
    ASSERT_TRUE(job.paper.has_value());
    EXPECT_TRUE(job.paper->isEquivalentTo(paper));
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in %1").arg(QDir::toNativeSeparators(pdf)));
    const QStringList texts = test::pdfPages(pdf);
    ASSERT_EQ(texts.size(), count);
    EXPECT_TRUE(texts.first().contains(QStringLiteral("Page 1 of %1").arg(count)));
    EXPECT_TRUE(texts.last().contains(QStringLiteral("Page %1 of %1").arg(count)));
}

// Print asks where the pages go, knowing the report's last page; cancelled, nothing is printed;
// a file named with a range of pages gets those pages and is named afterwards; a printer gets
// the pages without a word.
TEST_F(ReportPreviewTest, PrintAsksWhereThePagesGo) {
    const QString pdf = folder.filePath("printed.pdf");
    const QString printer = folder.filePath("printer.pdf");
    int count = 0;
    preview([&](ReportPreview& shown) {
        t.printers.answerCancel();
        part<QPushButton>(shown, "Cmd_Print")->click();
        EXPECT_TRUE(t.prompts.messages().empty());
        count = shown.pages().pageCount();

        t.printers.answerFile(pdf, 2, 3);
        t.prompts.answerMessage();
        part<QPushButton>(shown, "Cmd_Print")->click();

        t.printers.answerPrinter(printer);
        part<QPushButton>(shown, "Cmd_Print")->click();
    });
    ASSERT_EQ(t.printers.jobs().size(), 3u);
    EXPECT_EQ(t.printers.jobs()[0].pageCount, count);
    EXPECT_TRUE(t.printers.jobs()[0].pageRange);
    EXPECT_TRUE(
        t.printers.jobs()[0].fileName.endsWith(QStringLiteral("Tank Detail - Port Arthur.pdf")));
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in %1").arg(QDir::toNativeSeparators(pdf)));
    const QStringList texts = test::pdfPages(pdf);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Page 2 of %1").arg(count)));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Page 3 of %1").arg(count)));
    EXPECT_EQ(test::pdfPages(printer).size(), count);
}

// Paper chosen in the print dialog other than the preview's gets the report laid out anew on
// it: pages of that size, as many as the report takes there, each "Page n of m" counting them,
// and no word beyond the page's right edge.
TEST_F(ReportPreviewTest, OtherPaperChosenIsLaidOutAnew) {
    const QString pdf = folder.filePath("a5.pdf");
    const QPageLayout a5(QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                         QPageLayout::Millimeter);
    int previewed = 0;
    preview([&](ReportPreview& shown) {
        untilLaidOut(shown);
        previewed = shown.pages().pageCount();
        EXPECT_FALSE(shown.pages().pageLayout().pageSize().isEquivalentTo(a5.pageSize()));
        t.printers.answerFileOnPaper(pdf, a5);
        t.prompts.answerMessage();
        part<QPushButton>(shown, "Cmd_Print")->click();
        EXPECT_EQ(shown.pages().pageCount(), previewed); // the preview keeps its own pages
    });
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in %1").arg(QDir::toNativeSeparators(pdf)));
    EXPECT_TRUE(test::runTool(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("(A5)")));
    const QStringList texts = test::pdfPages(pdf);
    const int count = static_cast<int>(texts.size());
    EXPECT_GT(count, previewed);
    EXPECT_TRUE(texts.first().contains(QStringLiteral("Page 1 of %1").arg(count)));
    EXPECT_TRUE(texts.last().contains(QStringLiteral("Page %1 of %1").arg(count)));
    EXPECT_TRUE(texts.last().contains(QStringLiteral("Tank T-%1").arg(Tanks, 3, 10, QChar(u'0'))));
    const double width = a5.fullRect(QPageLayout::Point).width();
    for (const test::PdfPage& page : test::pdfWordBoxes(pdf))
        for (const test::PdfWord& word : page.words)
            EXPECT_LE(word.right, width) << word.text.toStdString();
}

// The preview opens with the page fitted to its width, on most of the screen; the zoom and size
// chosen are kept for the next preview.
TEST_F(ReportPreviewTest, TheZoomAndSizeChosenAreKept) {
    QSize first;
    preview([&](ReportPreview& shown) {
        auto* zoom = part<QComboBox>(shown, "Zoom");
        EXPECT_EQ(zoom->currentText(), QStringLiteral("Fit Width"));
        const QSize screen = shown.screen()->availableGeometry().size();
        EXPECT_GE(shown.height(), screen.height() * 8 / 10);
        EXPECT_LE(shown.height(), screen.height());
        shown.resize(700, 600);
        first = shown.size();
        zoom->setCurrentText(QStringLiteral("150%"));
        EXPECT_DOUBLE_EQ(shown.scale(), 1.5 * shown.logicalDpiX() / shown.pages().resolution());
        shown.reject();
    });
    preview([&](ReportPreview& shown) {
        EXPECT_EQ(part<QComboBox>(shown, "Zoom")->currentText(), QStringLiteral("150%"));
        EXPECT_EQ(shown.size(), first);
    });
}

} // namespace
} // namespace korvane
