#pragma once

#include "common/Result.h"
#include "drawing/ZoomSteps.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QPrinter;
class QPushButton;

namespace korvane {

class DrawingSurface;

// One drawing tab of the graphics windows: a drawing surface with its eight tool buttons,
// "Zoom In" and "Zoom Out", the save and print buttons and, on a paged tab, the pager: a
// previous and a next button with the "n of m" counter between them. The tab knows nothing of
// where pages are stored; the window answers its signals (save this page, turn to that page)
// through the graphic storage, and only the window turns the page.
//
// Controls are named by the tab's number n and its names (for the shell tab of the tank
// window: Surface2, Opt_SDraw_0 .. Opt_SDraw_7, Cmd_ZoomIn2, Cmd_ZoomOut2, Cmd_Save2,
// Cmd_Print2, the pager HScroll_S with its buttons HScroll_S_Previous and HScroll_S_Next, and
// the counter Graph_CountS).
class DrawingTab : public QWidget {
    Q_OBJECT

public:
    struct Names {
        int number = 1;           // n of Surface<n>, Cmd_ZoomIn<n> ...
        QString tools;            // "Opt_SDraw"
        QString pager;            // "HScroll_S"; empty for a tab of one page
        QString counter;          // "Graph_CountS"; empty when the pager shows no counter
        bool growingPager = true; // one empty page always follows the last one shown
        int fixedPages = 2;       // the pages of a pager that does not grow (roof and floor)
        int lastPage = 99;        // the highest page a growing pager reaches
        bool shellType = false;   // Opt_SType_0 "Rollout" and Opt_SType_1 "Plate"
        QStringList pageTitles;   // what the counter shows for each page, instead of "n of m"
    };

    // The EditMode value each tool button selects, by button.
    static constexpr std::array<int, 8> ToolModes{11, 1, 2, 3, 4, 5, 7, 10};

    explicit DrawingTab(const Names& names, QWidget* parent = nullptr);
    ~DrawingTab() override;

    DrawingSurface& surface() const { return *surface_; }

    // Puts the window's own controls of this tab (the point entry of a TML tab) to the right of
    // the surface.
    void setSidePanel(QWidget* panel);
    QWidget* sidePanel() const { return sidePanel_; }

    // A new, empty page: only the locked page background, nothing to undo, unchanged.
    void newPage();
    // No tool chosen: EditMode 0 and every tool button released, as after a save.
    void releaseTools();

    // The kind of the shell page shown: a single plate rather than a rollout of the shell.
    bool plate() const;
    void setPlate(bool plate);

    // The page the pager shows (1 on a tab of one page).
    int currentPage() const { return page_; }
    // Sets the pager, as the window does when it turns the page or loads a tab.
    void showPage(int page);
    // The pager's last page, at least `pages` + 1 on a growing pager (one empty page after the
    // last stored one), and the counter.
    void setPageCount(int pages);
    int pageCount() const;

    // Zoom back to factor 1.0, as when an owner is picked.
    void resetZoom();

    // Whether the drawing differs from what was last loaded or saved.
    bool isChanged() const;
    // The drawing now matches its file (after loading or saving it).
    void markUnchanged();
    // Undoes every change since the drawing last matched its file.
    void revertChanges();

    // Prints the header lines (each wrapped at the page's width, indented) and the drawing below
    // them, as vectors, then the rows of its linked elements (points, areas), one a line: below
    // the drawing when they take at most a third of the page, else on the pages after it.
    Status printPage(QPrinter& printer, const QStringList& header, const QStringList& rows = {});

signals:
    void toolChosen(int editMode);
    void saveClicked();
    void printClicked();
    // The user asked for another page with the pager (one click, one page); the page shown
    // stays until the window turns it with showPage.
    void pageRequested(int page);
    // The pager now shows this page.
    void pageShown(int page);

private slots:
    void zoomIn();
    void zoomOut();

private:
    void applyZoom();
    void updatePager();

    Names names_;
    DrawingSurface* surface_ = nullptr;
    std::array<QAbstractButton*, 8> tools_{};
    QButtonGroup* toolGroup_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* print_ = nullptr;
    QWidget* pager_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QLabel* counter_ = nullptr;
    QAbstractButton* rollout_ = nullptr;
    QAbstractButton* plate_ = nullptr;
    QHBoxLayout* body_ = nullptr;
    ZoomSteps zoom_;
    int page_ = 1;
    int pageCount_ = 1;
    // The lowest place the history reached since it was last at the state of the file.
    int lowestSinceSaved_ = 0;
    QWidget* sidePanel_ = nullptr;
};

} // namespace korvane
