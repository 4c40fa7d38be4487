#pragma once

#include "platform/Services.h"
#include "reports/ReportPages.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;

namespace korvane {

class PageView;

// The preview of a report: its pages one below the other, shown as they are laid out, page 1
// first, with a progress bar and "Stop" while the rest is laid out. "Print..." goes through the
// system's print dialog or, without any printer, saves a PDF file like "Save PDF...". Saving or
// printing first lays out what is left, under a progress dialog whose Cancel leaves no file.
// The window opens fitted to most of the screen with the page fitted to its width, and keeps
// the zoom and size the user chose for the next preview.
class ReportPreview : public QDialog {
    Q_OBJECT

public:
    // suggestedName: the PDF file offered when saving ("Tank Detail - T-101.pdf").
    ReportPreview(std::unique_ptr<reports::ReportPages> pages, Services& services,
                  QString suggestedName, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const reports::ReportPages& pages() const { return *pages_; }
    QString suggestedName() const { return suggestedName_; }
    // The zoom: a page's width on the screen for one of its layout pixels.
    double scale() const;

    // The keys under which the preview's zoom and size are kept.
    static const QString ZoomKey;
    static const QString SizeKey;

public slots:
    void print();
    void savePdf();
    void stopLayout();

protected:
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOutSome();
    void showProgress();
    void zoomChosen();
    // Lays out what is left under a progress dialog; false when cancelled.
    bool finishLayout(const QString& what);
    // Writes the pages of the range to a PDF file and tells the user where it is.
    void writeTo(const reports::ReportPages& pages, const QString& path, reports::PageRange range);
    QString messageTitle() const;

    std::unique_ptr<reports::ReportPages> pages_;
    Services& services_;
    QString suggestedName_;
    bool stopped_ = false;

    QComboBox* zoom_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* save_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace korvane
