#include "printdialog/ReportPreview.h"

#include "platform/Printing.h"
#include "platform/WindowControls.h"
#include "reports/ReportEngine.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

namespace korvane {

const QString ReportPreview::ZoomKey = QStringLiteral("ReportPreview/Zoom");
const QString ReportPreview::SizeKey = QStringLiteral("ReportPreview/Size");

namespace {

constexpr int Gap = 12; // screen pixels around and between the pages
const QString FitWidth = QStringLiteral("Fit Width");
const QString WholePage = QStringLiteral("Whole Page");

// A progress dialog over the preview for work that must finish before a file is written; its
// Cancel stops the work.
class WorkProgress {
public:
    WorkProgress(QWidget& over, const QString& text)
        : dialog_(text, QStringLiteral("Cancel"), 0, 1000, &over) {
        dialog_.setObjectName(QStringLiteral("PreviewProgress"));
        dialog_.setWindowTitle(over.windowTitle());
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
    }
    // Shows how far the work has come (0 to 1); false once Cancel is pressed.
    bool keepGoing(double done) {
        dialog_.setValue(static_cast<int>(done * 1000));
        QCoreApplication::processEvents();
        return !dialog_.wasCanceled();
    }
    void setText(const QString& text) { dialog_.setLabelText(text); }

private:
    QProgressDialog dialog_;
};

} // namespace

// The pages laid out so far, one below the other, each painted when it comes into view.
class PageView final : public QWidget {
public:
    PageView(const reports::ReportPages& pages, std::function<double()> scale, QWidget* parent)
        : QWidget(parent), pages_(pages), scale_(std::move(scale)) {
        setObjectName(QStringLiteral("PreviewPages"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    QSizeF paper() const { return pages_.pageLayout().fullRectPixels(pages_.resolution()).size(); }
    // Fits the widget to the pages shown, at the current scale.
    void updateSize(int viewportWidth) {
        const double z = scale_();
        const int shown = pages_.pagesReady();
        const int width = std::max(viewportWidth, static_cast<int>(paper().width() * z) + 2 * Gap);
        const int height = Gap + shown * (static_cast<int>(paper().height() * z) + Gap);
        if (size() != QSize(width, height))
            resize(width, height);
        update();
    }
    // Where page `page` (from 0) stands in the widget.
    QRect pageRect(int page) const {
        const double z = scale_();
        const QSize size(static_cast<int>(paper().width() * z),
                         static_cast<int>(paper().height() * z));
        const int left = std::max(Gap, (width() - size.width()) / 2);
        return QRect(QPoint(left, Gap + page * (size.height() + Gap)), size);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        const double z = scale_();
        const QPointF margin = pages_.pageLayout().paintRectPixels(pages_.resolution()).topLeft();
        const int ofPages = pages_.finished() ? pages_.pageCount() : 0;
        for (int page = 0; page < pages_.pagesReady(); ++page) {
            const QRect rect = pageRect(page);
            if (rect.bottom() < event->rect().top())
                continue;
            if (rect.top() > event->rect().bottom())
                break;
            painter.fillRect(rect.translated(3, 3), palette().color(QPalette::Shadow));
            painter.fillRect(rect, Qt::white);
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.translate(rect.topLeft());
            painter.scale(z, z);
            painter.translate(margin);
            pages_.paintPage(painter, page, ofPages);
            painter.restore();
        }
    }

private:
    const reports::ReportPages& pages_;
    std::function<double()> scale_;
};

ReportPreview::ReportPreview(std::unique_ptr<reports::ReportPages> pages, Services& services,
                             QString suggestedName, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), services_(services),
      suggestedName_(std::move(suggestedName)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(pages_->frame().title);
    setSizeGripEnabled(true);

    print_ = commandButton(this, "Cmd_Print", QStringLiteral("Print..."),
                           QStringLiteral("Print the report"));
    save_ = commandButton(this, "Cmd_SavePdf", QStringLiteral("Save PDF..."),
                          QStringLiteral("Save the report as a PDF file"));
    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("Zoom"));
    zoom_->addItems({FitWidth, WholePage, QStringLiteral("50%"), QStringLiteral("75%"),
                     QStringLiteral("100%"), QStringLiteral("125%"), QStringLiteral("150%"),
                     QStringLiteral("200%")});
    zoom_->setToolTip(QStringLiteral("The size of the pages on the screen"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("PageStatus"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("LayoutProgress"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(200);
    stop_ = commandButton(this, "Cmd_Stop", QStringLiteral("Stop"),
                          QStringLiteral("Stop laying out the rest of the report"));
    auto* close = commandButton(this, "Cmd_Close", QStringLiteral("Close"),
                                QStringLiteral("Close the preview"));
    connect(print_, &QPushButton::clicked, this, &ReportPreview::print);
    connect(save_, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(stop_, &QPushButton::clicked, this, &ReportPreview::stopLayout);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* bar = new QHBoxLayout;
    bar->addWidget(print_);
    bar->addWidget(save_);
    bar->addWidget(zoom_);
    bar->addSpacing(12);
    bar->addWidget(status_);
    bar->addWidget(progress_);
    bar->addWidget(stop_);
    bar->addStretch();
    bar->addWidget(close);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PreviewArea"));
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    view_ = new PageView(
        *pages_, [this] { return scale(); }, scroll_);
    scroll_->setWidget(view_);
    scroll_->verticalScrollBar()->setSingleStep(40);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    // Most of the screen, the page as wide as the window, unless the user chose otherwise.
    const QSettings settings;
    const QString zoom = settings.value(ZoomKey, FitWidth).toString();
    zoom_->setCurrentIndex(std::max(zoom_->findText(zoom), 0));
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const QSize chosen = settings.value(SizeKey).toSize();
    resize(chosen.isValid() ? chosen.boundedTo(screen.size())
                            : QSize(std::min(screen.width() * 8 / 10, screen.height()),
                                    screen.height() * 9 / 10));
    connect(zoom_, &QComboBox::currentIndexChanged, this, &ReportPreview::zoomChosen);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ReportPreview::layOutSome);
    if (const Status& status = pages_->status(); !status) {
        status_->setText(status.error());
        progress_->hide();
        stop_->hide();
        print_->setEnabled(false);
        save_->setEnabled(false);
    } else {
        timer_->start(0);
        showProgress();
    }
}

ReportPreview::~ReportPreview() = default;

double ReportPreview::scale() const {
    const QSizeF paper = view_->paper();
    const QSize viewport = scroll_->viewport()->size();
    const double fitWidth =
        std::max(viewport.width() - 2 * Gap - scroll_->verticalScrollBar()->sizeHint().width(),
                 50) /
        paper.width();
    const QString zoom = zoom_->currentText();
    if (zoom == FitWidth)
        return fitWidth;
    if (zoom == WholePage)
        return std::min(fitWidth, std::max(viewport.height() - 2 * Gap, 50) / paper.height());
    const double percent = QString(zoom).remove(u'%').toDouble();
    return percent / 100 * logicalDpiX() / pages_->resolution();
}

void ReportPreview::layOutSome() {
    if (stopped_ || pages_->finished())
        return;
    if (pages_->pagesReady() < 1) {
        // The first page as soon as it is ready, then the rest a slice at a time.
        while (pages_->pagesReady() < 1 && !pages_->finished())
            pages_->layOutMore(std::chrono::milliseconds::zero());
    } else {
        pages_->layOutMore(std::chrono::milliseconds(40));
    }
    showProgress();
    if (!pages_->finished())
        timer_->start(0);
}

void ReportPreview::showProgress() {
    const bool busy = !pages_->finished() && !stopped_;
    progress_->setVisible(busy);
    stop_->setVisible(busy);
    progress_->setValue(static_cast<int>(pages_->progress() * 1000));
    if (pages_->finished())
        status_->setText(pages_->pageCount() == 1
                             ? QStringLiteral("1 page")
                             : QStringLiteral("%1 pages").arg(pages_->pageCount()));
    else if (stopped_)
        status_->setText(QStringLiteral("Stopped after %1 pages").arg(pages_->pagesReady()));
    else
        status_->setText(QStringLiteral("%1 pages so far...").arg(pages_->pagesReady()));
    view_->updateSize(scroll_->viewport()->width());
}

void ReportPreview::stopLayout() {
    stopped_ = true;
    timer_->stop();
    showProgress();
}

void ReportPreview::zoomChosen() {
    QSettings().setValue(ZoomKey, zoom_->currentText());
    view_->updateSize(scroll_->viewport()->width());
}

void ReportPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    view_->updateSize(scroll_->viewport()->width());
}

void ReportPreview::done(int result) {
    timer_->stop();
    QSettings().setValue(SizeKey, size());
    QDialog::done(result);
}

QString ReportPreview::messageTitle() const {
    return windowTitle();
}

bool ReportPreview::finishLayout(const QString& what) {
    timer_->stop();
    if (!pages_->finished()) {
        WorkProgress progress(*this, what);
        while (!pages_->finished()) {
            pages_->layOutMore(std::chrono::milliseconds(50));
            if (!progress.keepGoing(pages_->progress())) {
                showProgress();
                if (!stopped_)
                    timer_->start(0);
                return false;
            }
        }
    }
    stopped_ = false;
    showProgress();
    return pages_->status().ok();
}

void ReportPreview::print() {
    // Laid out to the end first, so that the print dialog knows the last page.
    if (!finishLayout(QStringLiteral("Laying out the report to print it...")))
        return;
    PrintJob job(messageTitle(), suggestedName_, true);
    job.pageCount = pages_->pageCount();
    job.paper = pages_->pageLayout();
    const PrintTarget target = services_.printers.choose(*this, job);
    if (!target.printer)
        return;
    QPrinter& printer = *target.printer;
    // Other paper chosen in the dialog gets the report laid out anew for it, rather than these
    // pages shrunk or stretched onto it.
    const std::unique_ptr<reports::ReportPages> relaid = pages_->onPaper(printer.pageLayout());
    if (relaid) {
        const auto laidOut = [&] {
            WorkProgress progress(*this,
                                  QStringLiteral("Laying out the report for the paper chosen..."));
            return relaid->layOutAll([&] { return progress.keepGoing(relaid->progress()); });
        }();
        if (!laidOut) { // a page too small for the report, or cancelled
            if (laidOut.error() != reports::StoppedMessage)
                services_.prompts.message(laidOut.error(), messageTitle(),
                                          Prompts::Icon::Exclamation);
            return;
        }
    }
    const reports::ReportPages& pages = relaid ? *relaid : *pages_;
    reports::PageRange range;
    if (printer.printRange() == QPrinter::PageRange)
        range = {printer.fromPage(), printer.toPage()};
    if (!target.file.isEmpty()) {
        // Printed to a file: written whole or not at all, and named afterwards.
        writeTo(pages, target.file, range);
        return;
    }
    const auto printed = [&] {
        WorkProgress progress(*this, QStringLiteral("Printing the report..."));
        int page = 0;
        return reports::paintPages(pages, printer, range, [&] {
            return progress.keepGoing(double(++page) / pages.pageCount());
        });
    }(); // the progress window goes before a message comes
    if (!printed && printed.error() != reports::StoppedMessage)
        services_.prompts.message(printed.error(), messageTitle(), Prompts::Icon::Exclamation);
}

void ReportPreview::savePdf() {
    PrintJob job(messageTitle(), suggestedName_);
    job.paper = pages_->pageLayout();
    const QString path = services_.printers.choosePdf(*this, job);
    if (path.isEmpty())
        return;
    if (!finishLayout(QStringLiteral("Laying out the report to save it...")))
        return;
    writeTo(*pages_, path, {});
}

void ReportPreview::writeTo(const reports::ReportPages& pages, const QString& path,
                            reports::PageRange range) {
    const Status written = [&] {
        WorkProgress progress(*this, QStringLiteral("Writing %1...").arg(path));
        int page = 0;
        const int count = pages.pageCount();
        return reports::writePdf(pages, path, range,
                                 [&] { return progress.keepGoing(double(++page) / count); });
    }(); // the progress window goes before the message comes
    if (!written) {
        if (written.error() != reports::StoppedMessage)
            services_.prompts.message(written.error(), messageTitle(), Prompts::Icon::Exclamation);
        return;
    }
    services_.prompts.message(savedMessage(path), messageTitle(), Prompts::Icon::Information);
}

} // namespace korvane
