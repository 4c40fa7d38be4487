#pragma once

#include "platform/Services.h"
#include "platform/Session.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTabWidget;

namespace korvane {

class DrawingPages;
class DrawingTab;
class TankSelectPanel;
class TmlPointPanel;

// The "Tank Graphics" window (Form8): drawings of one tank, with its thickness measurement
// locations (TMLs) marked on them.
//
// On "Tank Select" the user double-clicks a company, a location and a tank; its drawings then
// show on "Roof/Floor TML's" (page 1 the roof, page 2 the floor), "Shell TML's" (numbered
// pages, each a rollout or a plate) and "Other". Pages are saved to the window's own folder by
// their save buttons (and when the user agrees on leaving a changed page); "OK" stores the
// saved pages in one transaction, "Cancel" stores nothing. Measurement locations are written as
// each is accepted or deleted.
class TankGraphicsWindow : public QDialog {
    Q_OBJECT

public:
    enum Tab { TabSelect = 0, TabRoofFloor, TabShell, TabOther };

    TankGraphicsWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~TankGraphicsWindow() override;

public slots:
    void reject() override;

private slots:
    void tankPicked(qint32 tankId, const QStringList& row);
    void selectionCleared();
    void Tabs_Click(int index);
    void Cmd_PrintTML_Click();
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Cmd_Help_Click();

private:
    DrawingTab* drawingTab(Tab tab) const;
    void setDrawingTabsEnabled(bool enabled);
    void printPage(DrawingTab& tab);

    Session& session_;
    Services& services_;

    QTabWidget* Tabs = nullptr;
    TankSelectPanel* select_ = nullptr;
    DrawingTab* roofFloor_ = nullptr;
    DrawingTab* shell_ = nullptr;
    DrawingTab* other_ = nullptr;
    TmlPointPanel* roofFloorPoints_ = nullptr;
    TmlPointPanel* shellPoints_ = nullptr;
    DrawingPages* pages_ = nullptr;
    QStringList tankRow_; // the picked tank's row of the grid, for printed headers
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Cancel = nullptr;
    QPushButton* Cmd_PrintTML = nullptr;
    QPushButton* Cmd_Help = nullptr;
};

} // namespace korvane
