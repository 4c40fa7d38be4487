#pragma once

#include "graphics/GraphicsWindow.h"
#include "storage/TmlRecords.h"

namespace korvane {

class TankSelectPanel;
class TmlPointPanel;

// The "Tank Graphics" window (Form8): drawings of one tank, with its thickness measurement
// locations (TMLs) marked on them.
//
// On "Tank Select" the user double-clicks a company, a location and a tank; its drawings then
// show on "Roof/Floor TML's" (page 1 the roof, page 2 the floor), "Shell TML's" (numbered
// pages, each a rollout or a plate) and "Other". Measurement locations accepted or deleted are
// held with the pages and stored by OK; "Print TML Listing" lists the stored ones with their
// latest readings.
class TankGraphicsWindow : public GraphicsWindow {
    Q_OBJECT

public:
    enum Tab { TabSelect = 0, TabRoofFloor, TabShell, TabOther };

    TankGraphicsWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~TankGraphicsWindow() override;

protected:
    QStringList printHeader() const override;
    void setDrawingTabsEnabled(bool enabled) override;

private slots:
    void tankPicked(qint32 tankId, const QStringList& row);
    void selectionCleared();
    void Cmd_PrintTML_Click();

private:
    // Marks every measurement location on the drawings with the status of its readings.
    void showPointStatus();

    // The points accepted and deleted on every tab, for every tank picked.
    LinkedRows<TmlPoint> points_{tml::access()};
    TankSelectPanel* select_ = nullptr;
    TmlPointPanel* roofFloorPoints_ = nullptr;
    TmlPointPanel* shellPoints_ = nullptr;
    QStringList tankRow_; // the picked tank's row of the grid, for printed headers
    QPushButton* Cmd_PrintTML = nullptr;
};

} // namespace korvane
