#include "graphics/DrawingPages.h"

#include "data/Database.h"
#include "drawing/DrawingSurface.h"
#include "graphics/DrawingTab.h"
#include "platform/BusyScope.h"

#include <QScopedValueRollback>
#include <QWidget>

#include <algorithm>

namespace korvane {

DrawingPages::DrawingPages(Services& services, QWidget& window, GraphicStore::Owner owner)
    : QObject(&window), services_(services), window_(window), owner_(owner) {}

DrawingPages::~DrawingPages() = default;

void DrawingPages::addTab(DrawingTab& tab, Kind kind) {
    tabs_.push_back({&tab, kind});
    connect(&tab, &DrawingTab::pageRequested, this,
            [this, &tab](int page) { turnPage(tab, page); });
    connect(&tab, &DrawingTab::saveClicked, this, [this, &tab] {
        if (Status saved = savePage(tab); !saved)
            showError(saved.error());
    });
}

const DrawingPages::TabPages* DrawingPages::find(const DrawingTab* tab) const {
    for (const TabPages& pages : tabs_)
        if (pages.tab == tab)
            return &pages;
    return nullptr;
}

Status DrawingPages::pick(const QString& databaseName, qint32 ownerKey, const QString& prefix) {
    auto known = stores_.find(ownerKey);
    if (known == stores_.end()) {
        auto store = std::make_unique<GraphicStore>(owner_, ownerKey, prefix);
        auto loaded = [&] {
            BusyScope busy(services_.pointer, window_);
            return store->LoadGraphicsFromDb(databaseName);
        }();
        if (!loaded)
            return loaded.takeError();
        for (const QString& skipped : loaded->skipped)
            showError(skipped);
        known = stores_.emplace(ownerKey, std::move(store)).first;
    }
    store_ = known->second.get();
    for (const TabPages& pages : tabs_) {
        pages.tab->resetZoom();
        if (pages.kind == Kind::Shell)
            pages.tab->setPageCount(store_->lastShellPage());
        else if (pages.kind == Kind::Other)
            pages.tab->setPageCount(store_->lastOtherPage());
        pages.tab->showPage(1);
        pages.tab->newPage();
    }
    return {};
}

void DrawingPages::showTab(DrawingTab* tab) {
    if (changing_) {
        // Only a window opened during a page change could get here; the tab brought forward
        // still shows its page as it was left.
        shown_ = tab;
        return;
    }
    const QScopedValueRollback busy(changing_, true);
    if (shown_ && shown_ != tab && shown_->isChanged())
        offerSave(*find(shown_), shown_->currentPage());
    shown_ = tab;
    if (const TabPages* pages = find(tab); pages && store_)
        loadPage(*pages);
}

bool DrawingPages::turnPage(DrawingTab& tab, int page) {
    const TabPages* pages = find(&tab);
    if (!pages || !store_ || changing_ || page == tab.currentPage())
        return false;
    const QScopedValueRollback busy(changing_, true);
    // The page being left is still the one shown: it is saved under its own number and kind.
    if (tab.isChanged())
        offerSave(*pages, tab.currentPage());
    tab.showPage(page);
    loadPage(*pages);
    return true;
}

void DrawingPages::offerSave(const TabPages& pages, int page) {
    if (!store_)
        return;
    const auto answer = services_.prompts.message(
        QStringLiteral("You are changing graphic displays.\nDo you wish to save this graphic?"),
        QStringLiteral("Save Graphic"), Prompts::Icon::Question, Prompts::Buttons::YesNo);
    if (answer == Prompts::Answer::Yes) {
        if (Status saved = savePage(pages, page); !saved)
            showError(saved.error());
        return;
    }
    // Left unsaved, the page is what its file holds; OK must not store what was declined.
    pages.tab->revertChanges();
}

QString DrawingPages::suffix(const TabPages& pages, int page) const {
    switch (pages.kind) {
    case Kind::Edge:
        return graphicpages::edgePage();
    case Kind::RoofFloor:
        return page == 1 ? graphicpages::roofPage() : graphicpages::floorPage();
    case Kind::Shell:
        return graphicpages::shellPage(page, pages.tab->plate());
    case Kind::Other:
        return graphicpages::otherPage(page);
    }
    return {};
}

QString DrawingPages::pageCaption(const DrawingTab& tab) const {
    const TabPages* pages = find(&tab);
    return pages ? graphicpages::pageCaption(suffix(*pages, tab.currentPage())) : QString();
}

void DrawingPages::loadPage(const TabPages& pages) {
    DrawingTab& tab = *pages.tab;
    const int page = tab.currentPage();
    tab.surface().ClearDrawing();
    QString name = suffix(pages, page);
    if (pages.kind == Kind::Shell) {
        // The rollout of the page first, then the plate.
        name = graphicpages::shellPage(page, false);
        const bool plate =
            !store_->hasPage(name) && store_->hasPage(graphicpages::shellPage(page, true));
        if (plate)
            name = graphicpages::shellPage(page, true);
        tab.setPlate(plate);
    }
    auto opened = store_->openPage(name);
    if (opened && *opened) {
        BusyScope busy(services_.pointer, window_);
        if (Status loaded = tab.surface().LoadDrawing(store_->pagePath(name)); !loaded)
            opened = Error{loaded.error()};
    }
    if (!opened) {
        // Shown as a new page; the stored one stays as it is unless this one is saved over it.
        tab.newPage();
        showError(
            QStringLiteral("The drawing page %1 could not be shown: %2").arg(name, opened.error()));
        return;
    }
    if (*opened) {
        tab.markUnchanged();
        return;
    }
    tab.newPage();
    if (pages.kind == Kind::Shell) {
        const auto answer = services_.prompts.message(
            QStringLiteral("Is this a Rollout type graphic?\nNo indicates a Plate graphic"),
            QStringLiteral("Graphic Type"), Prompts::Icon::Question, Prompts::Buttons::YesNo);
        tab.setPlate(answer != Prompts::Answer::Yes);
    }
}

Status DrawingPages::savePage(DrawingTab& tab) {
    const TabPages* pages = find(&tab);
    if (!pages || !store_)
        return {};
    return savePage(*pages, tab.currentPage());
}

Status DrawingPages::savePage(const TabPages& pages, int page) {
    DrawingTab& tab = *pages.tab;
    tab.surface().setPointer(11);
    const QString name = suffix(pages, page);
    Status saved = tab.surface().SaveDrawing(store_->pagePath(name));
    if (saved) {
        store_->markSaved(name);
        tab.markUnchanged();
        tab.releaseTools();
        saved_ = true;
    }
    tab.surface().setPointer(0);
    return saved;
}

bool DrawingPages::anyChanges() const {
    if (saved_)
        return true;
    for (const TabPages& pages : tabs_)
        if (pages.tab->isChanged())
            return true;
    for (const PendingRows* rows : rows_)
        if (rows->hasChanges())
            return true;
    return false;
}

Status DrawingPages::store(const QString& databaseName) {
    if (store_) {
        for (const TabPages& pages : tabs_)
            if (pages.tab->isChanged())
                if (Status saved = savePage(pages, pages.tab->currentPage()); !saved)
                    return saved;
    }
    const bool rowsChanged = std::any_of(rows_.begin(), rows_.end(),
                                         [](const PendingRows* r) { return r->hasChanges(); });
    if (!saved_ && !rowsChanged)
        return {};
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    return db->transaction([&]() -> Status {
        QStringList conflicts;
        for (PendingRows* rows : rows_) {
            auto found = rows->conflicts(*db);
            if (!found)
                return found.takeError();
            conflicts += found.value();
        }
        if (!conflicts.isEmpty())
            return Error{QStringLiteral("Nothing was stored. While this window was open, another "
                                        "program changed what this window changes:\n\n%1\n\n"
                                        "Press OK again to store this window's changes over "
                                        "theirs, or Cancel to leave everything as it is stored.")
                             .arg(conflicts.join(QLatin1Char('\n')))};
        for (const auto& [key, store] : stores_)
            if (Status stored = store->SaveGraphicsToDb(*db); !stored)
                return stored;
        for (const PendingRows* rows : rows_)
            if (Status stored = rows->store(*db); !stored)
                return stored;
        return {};
    });
}

void DrawingPages::showError(const QString& text) {
    services_.prompts.message(text, window_.windowTitle(), Prompts::Icon::Exclamation);
}

} // namespace korvane
