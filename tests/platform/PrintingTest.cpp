#include "platform/Printing.h"

#include "support/TempDir.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace korvane {
namespace {

// What a user would type as a tank or a page is made fit to be a file name, and nothing more.
TEST(Printing, FileNamesKeepWhatAFileNameCanHold) {
    const struct {
        const char* title;
        const char* subject;
        const char* name;
    } cases[] = {
        {"Tank Thickness Readings", "Tank 101", "Tank Thickness Readings - Tank 101.pdf"},
        {"Tank Graphics", "T/2 \"East\" Roof", "Tank Graphics - T_2 _East_ Roof.pdf"},
        {"Tank Graphics", "O'Brien #3: a\tb", "Tank Graphics - O'Brien #3_ a_b.pdf"},
        {"Shell Settlement Survey Graphics", "  ", "Shell Settlement Survey Graphics.pdf"},
        {"Tank Graphics", " Roof", "Tank Graphics - Roof.pdf"},
        {"Tank Graphics", "T-1  Shell 3 ", "Tank Graphics - T-1 Shell 3.pdf"},
        {"..", "", "Printout.pdf"},
        {"", "", "Printout.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printFileName(QString::fromUtf8(c.title), QString::fromUtf8(c.subject)),
                  QString::fromUtf8(c.name))
            << c.subject;
}

// The road of every Print: nothing happens when the dialog is cancelled; a printer takes the
// pages without a word; a file is named afterwards; a failure is said under the job's title and
// leaves no half-written file.
TEST(Printing, TheRoadAsksPaintsAndNamesOnlyAFile) {
    test::TestServices t;
    test::TempDir dir;
    QWidget parent;
    const PrintJob job{QStringLiteral("Tank Thickness Readings"), QStringLiteral("r.pdf"), true};
    int painted = 0;
    const auto paint = [&painted](QPrinter& printer) -> Status {
        ++painted;
        QPainter painter(&printer);
        painter.drawText(QPointF(100, 100), QStringLiteral("page"));
        return {};
    };

    t.printers.answerCancel();
    EXPECT_FALSE(printPages(t.services, parent, job, paint));
    EXPECT_EQ(painted, 0);

    const QString printed = dir.filePath(QStringLiteral("printer.pdf"));
    t.printers.answerPrinter(printed);
    EXPECT_TRUE(printPages(t.services, parent, job, paint));
    EXPECT_EQ(painted, 1);
    EXPECT_TRUE(QFile::exists(printed));
    EXPECT_TRUE(t.prompts.messages().empty());

    const QString mine = dir.filePath(QStringLiteral("mine.pdf"));
    t.printers.answerFile(mine);
    t.prompts.answerMessage();
    EXPECT_TRUE(printPages(t.services, parent, job, paint));
    EXPECT_TRUE(QFile::exists(mine));
    ASSERT_EQ(t.prompts.messages().size(), 1u);
    EXPECT_EQ(t.prompts.messages()[0].text,
              QStringLiteral("The pages were saved in ") + QDir::toNativeSeparators(mine));
    EXPECT_EQ(t.prompts.messages()[0].title, job.title);
    EXPECT_EQ(t.prompts.messages()[0].icon, Prompts::Icon::Information);

    const QString half = dir.filePath(QStringLiteral("half.pdf"));
    t.printers.answerFile(half);
    t.prompts.answerMessage();
    EXPECT_FALSE(printPages(t.services, parent, job, [](QPrinter& printer) -> Status {
        QPainter painter(&printer);
        painter.drawText(QPointF(100, 100), QStringLiteral("first page"));
        printer.newPage();
        return Error{QStringLiteral("The printer could not finish printing.")};
    }));
    EXPECT_FALSE(QFile::exists(half));
    ASSERT_EQ(t.prompts.messages().size(), 2u);
    EXPECT_EQ(t.prompts.messages()[1].text,
              QStringLiteral("The printer could not finish printing."));
    EXPECT_EQ(t.prompts.messages()[1].icon, Prompts::Icon::Exclamation);

    ASSERT_EQ(t.printers.jobs().size(), 4u);
    EXPECT_EQ(t.printers.jobs()[3].fileName, job.fileName);
}

// Runs `act` on the modal dialog of type T once it is up (the dialog's own event loop runs it).
template <typename T> void whenShown(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no dialog of the expected kind is up";
        act(*dialog);
    });
}

// The real save dialog: it offers the job's name, asks before replacing a file (No keeps the
// dialog open, Yes takes the file) and remembers the folder, where it opens next time; Cancel
// gives no file.
TEST(Printing, TheSaveDialogOffersTheNameAndAsksBeforeReplacing) {
    test::TempDir dir;
    QSettings().remove(QStringLiteral("Printing/PdfFolder"));
    const QString existing = dir.filePath(QStringLiteral("old.pdf"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("mine");
    }
    QWidget parent;
    PrinterProvider provider;
    const PrintJob job{QStringLiteral("Tank Graphics"), QStringLiteral("Tank Graphics - T-1.pdf")};

    int asked = 0;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("PrintSaveDialog"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tank Graphics - Save as PDF"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), job.fileName);
        name->setText(dir.filePath(QStringLiteral("old")));
        // The question comes while the dialog is accepting: No first, then Yes.
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            whenShown<QMessageBox>([&asked, answer](QMessageBox& box) {
                ++asked;
                EXPECT_TRUE(box.text().contains(QStringLiteral("old.pdf")))
                    << box.text().toStdString();
                box.button(answer)->click();
            });
            auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_NE(buttons, nullptr);
            buttons->button(QDialogButtonBox::Save)->click();
            EXPECT_EQ(dialog.isVisible(), answer == QMessageBox::No);
        }
    });
    EXPECT_EQ(provider.choosePdf(parent, job), existing);
    EXPECT_EQ(asked, 2);

    EXPECT_EQ(QSettings().value(QStringLiteral("Printing/PdfFolder")).toString(), dir.path());

    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        dialog.reject();
    });
    EXPECT_TRUE(provider.choosePdf(parent, job).isEmpty());
}

// The real print dialog, as on a machine with a printer: the job's title, a page range up to
// the last page, and "Print to File (PDF)", whose file is the target's file.
TEST(Printing, ThePrintDialogOffersARangeAndPrintToFile) {
    struct WithPrinter final : PrinterProvider {
        bool printerInstalled() const override { return true; }
    } provider;
    QWidget parent;
    PrintJob job{QStringLiteral("Report"), QStringLiteral("Tank Detail - Port Arthur.pdf"), true};
    job.pageCount = 7;
    test::TempDir dir;
    const QString pdf = dir.filePath(QStringLiteral("chosen.pdf"));
    whenShown<QPrintDialog>([&](QPrintDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), job.title);
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* range = dialog.findChild<QRadioButton*>(QStringLiteral("printRange"));
        auto* from = dialog.findChild<QSpinBox*>(QStringLiteral("from"));
        auto* to = dialog.findChild<QSpinBox*>(QStringLiteral("to"));
        ASSERT_TRUE(printers && file && range && from && to);
        const int toFile = printers->findText(QStringLiteral("PDF"), Qt::MatchContains);
        ASSERT_GE(toFile, 0) << "no Print to File (PDF)";
        printers->setCurrentIndex(toFile);
        file->setText(pdf);
        EXPECT_TRUE(range->isEnabled());
        range->setChecked(true);
        EXPECT_EQ(to->maximum(), job.pageCount);
        from->setValue(2);
        to->setValue(3);
        dialog.accept();
    });
    const PrintTarget target = provider.choose(parent, job);
    ASSERT_NE(target.printer, nullptr);
    EXPECT_EQ(target.file, pdf);
    EXPECT_EQ(target.printer->outputFileName(), pdf);
    EXPECT_EQ(target.printer->printRange(), QPrinter::PageRange);
    EXPECT_EQ(target.printer->fromPage(), 2);
    EXPECT_EQ(target.printer->toPage(), 3);

    whenShown<QPrintDialog>([](QPrintDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(provider.choose(parent, job).printer, nullptr);
}

} // namespace
} // namespace korvane
