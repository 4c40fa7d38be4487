#pragma once

#include "common/Result.h"
#include "platform/Services.h"
#include "storage/GraphicStorage.h"
#include "storage/LinkedRows.h"

#include <QObject>

#include <map>
#include <memory>
#include <vector>

class QWidget;

namespace korvane {

class DrawingTab;

// The drawing pages of a graphics window: which page each drawing tab shows, where its file
// is, and what OK stores.
//
// Picking an owner (a tank or an inspection) writes its stored pages to a private folder and
// shows the first page; a tab shows the current page of its pager whenever it comes to the
// front or its pager turns, from that page's file or as a new page. A page that differs from
// its file is never left without the question whether to save it, and a page saved is saved
// under its own name (its number and, on the shell tab, its kind) before the next one is shown.
// While a page change is under way (its questions open), a further request to change pages is
// refused, so one click turns one page and asks each question once. The pages of every owner
// picked while the window is open are kept until the window closes, so that picking another
// tank and coming back loses nothing and OK stores the saved pages of them all at once, with
// the rows the window holds for its elements (points, areas) in the same transaction.
class DrawingPages : public QObject {
    Q_OBJECT

public:
    enum class Kind { Edge, RoofFloor, Shell, Other };

    DrawingPages(Services& services, QWidget& window, GraphicStore::Owner owner);
    ~DrawingPages() override;

    // A drawing tab of the window and the pages it shows.
    void addTab(DrawingTab& tab, Kind kind);
    // Rows tied to the elements of the pages, which OK stores with them.
    void addRows(PendingRows& rows) { rows_.push_back(&rows); }

    // Makes an owner current: its stored pages are written out (the first time it is picked),
    // the pagers set to its pages, the zoom reset. Stored rows that are not pages of the owner
    // are left alone and each named in a message. The page shown is not loaded here: the
    // window shows the tab it wants next.
    Status pick(const QString& databaseName, qint32 ownerKey, const QString& prefix);
    // No owner is current any more (a new company or location was chosen); the pages of the
    // owners picked so far are still stored by OK.
    void clearOwner() { store_ = nullptr; }

    // The tab in front changed: a changed page of the tab left behind is offered for saving,
    // then the tab brought forward (none for a selection tab) shows its current page.
    void showTab(DrawingTab* tab);

    // Turns a tab to another page: the page being left is offered for saving, then the page
    // asked for is shown. Refused (false) while another page change is under way.
    bool turnPage(DrawingTab& tab, int page);

    // The name of the page a tab shows: "Edge", "Roof", "Floor", "Shell 3", "Shell Plate 2",
    // "Other 1".
    QString pageCaption(const DrawingTab& tab) const;
    // Writes the page a tab shows to its file and records it for OK (the tab's save button).
    Status savePage(DrawingTab& tab);

    // Whether any page was saved since the window opened or differs from its file now, or any
    // row was accepted or deleted.
    bool anyChanges() const;

    // OK: saves every changed page, then stores the saved pages of every owner picked and the
    // rows held, in one transaction. A row that another program changed since the window read
    // it is refused with a message naming it. On a failure nothing is stored and the error is
    // returned; the pages stay saved in their files and the rows held, so OK may be pressed
    // again.
    Status store(const QString& databaseName);

private:
    struct TabPages {
        DrawingTab* tab = nullptr;
        Kind kind = Kind::Edge;
    };
    const TabPages* find(const DrawingTab* tab) const;
    // The file suffix of a tab's page: the page shown, or another page of the same tab.
    QString suffix(const TabPages& pages, int page) const;
    void loadPage(const TabPages& pages);
    // Offers to save a changed page before it is left; a page not saved goes back to its file.
    void offerSave(const TabPages& pages, int page);
    Status savePage(const TabPages& pages, int page);
    void showError(const QString& text);

    Services& services_;
    QWidget& window_;
    GraphicStore::Owner owner_;
    std::vector<TabPages> tabs_;
    std::vector<PendingRows*> rows_;
    std::map<qint32, std::unique_ptr<GraphicStore>> stores_;
    GraphicStore* store_ = nullptr;
    DrawingTab* shown_ = nullptr;
    bool saved_ = false;
    bool changing_ = false; // a page change is under way, its questions may be open
};

} // namespace korvane
