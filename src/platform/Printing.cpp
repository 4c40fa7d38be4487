#include "platform/Printing.h"

#include "platform/BusyScope.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace korvane {

namespace {

// Where the save dialog opens: the folder a PDF was last saved in, else the documents folder.
const QString PrintFolderKey = QStringLiteral("Printing/PdfFolder");

QString startFolder() {
    const QString last = QSettings().value(PrintFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

QString printFileName(const QString& title, const QString& subject) {
    static const QRegularExpression unfit(QStringLiteral("[\\x00-\\x1f\\x7f/\\\\:*?\"<>|]"));
    QString name = subject.trimmed().isEmpty() ? title : title + QStringLiteral(" - ") + subject;
    name.replace(unfit, QStringLiteral("_"));
    // Parts that were empty leave no double spaces behind.
    name = name.simplified();
    // A name of dots alone would be this folder or the one above it.
    if (name.isEmpty() || name.count(QLatin1Char('.')) == name.size())
        name = QStringLiteral("Printout");
    return name + QStringLiteral(".pdf");
}

QString savedMessage(const QString& file) {
    return QStringLiteral("The pages were saved in %1").arg(QDir::toNativeSeparators(file));
}

QString PrinterProvider::choosePdf(QWidget& parent, const PrintJob& job) {
    QFileDialog dialog(&parent, job.title + QStringLiteral(" - Save as PDF"), startFolder());
    dialog.setObjectName(QStringLiteral("PrintSaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(job.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().constFirst();
    QSettings().setValue(PrintFolderKey, QFileInfo(file).absolutePath());
    return file;
}

bool PrinterProvider::printerInstalled() const {
    return !QPrinterInfo::availablePrinters().isEmpty();
}

PrintTarget PrinterProvider::choose(QWidget& parent, const PrintJob& job) {
    PrintTarget target;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QFileInfo(job.fileName).completeBaseName());
    if (job.paper)
        printer->setPageLayout(*job.paper);
    if (!printerInstalled()) {
        // No printer: the pages can only go to a PDF file, so the user names it.
        const QString file = choosePdf(parent, job);
        if (file.isEmpty())
            return target;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        target.file = file;
        target.printer = std::move(printer);
        return target;
    }
    QPrintDialog dialog(printer.get(), &parent);
    dialog.setWindowTitle(job.title);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, job.pageRange);
    if (job.pageCount > 0)
        dialog.setMinMax(1, job.pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted)
        return target;
    if (printer->outputFormat() == QPrinter::PdfFormat)
        target.file = printer->outputFileName();
    target.printer = std::move(printer);
    return target;
}

bool printPages(Services& services, QWidget& parent, const PrintJob& job,
                const std::function<Status(QPrinter&)>& paint) {
    PrintTarget target = services.printers.choose(parent, job);
    if (!target.printer)
        return false;
    Status printed;
    {
        BusyScope busy(services.pointer, parent);
        printed = paint(*target.printer);
    }
    if (!printed) {
        // Half a document is worse than none: a file the failed run began is removed.
        if (!target.file.isEmpty())
            QFile::remove(target.file);
        services.prompts.message(printed.error(), job.title, Prompts::Icon::Exclamation);
        return false;
    }
    if (!target.file.isEmpty())
        services.prompts.message(savedMessage(target.file), job.title, Prompts::Icon::Information);
    return true;
}

} // namespace korvane
