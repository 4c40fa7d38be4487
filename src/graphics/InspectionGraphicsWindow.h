#pragma once

#include "graphics/GraphicsWindow.h"

#include <array>

namespace korvane {

class AreaPanel;
class InspectionSelectPanel;

// The "Inspection Graphics" window (Form6): drawings of one inspection, with the settled and
// corroded areas found marked on them.
//
// On "Insp. Select" the user double-clicks a company, a location, a tank and one of its
// inspections; its drawings then show on "Edge/Floor Settle" (one page of the bottom, with
// settled areas), "Roof/Floor Corr." (the roof and the floor, with corroded areas), "Shell
// Corrosion" (numbered pages, each a rollout or a plate, with corroded areas) and "Other". Areas
// accepted or deleted are held with the pages and stored by OK.
class InspectionGraphicsWindow : public GraphicsWindow {
    Q_OBJECT

public:
    enum Tab { TabSelect = 0, TabEdge, TabRoofFloor, TabShell, TabOther };

    InspectionGraphicsWindow(Session& session, Services& services, QWidget* parent = nullptr);
    ~InspectionGraphicsWindow() override;

protected:
    QStringList printHeader() const override;
    // The tank and the inspection's date, as the caption shows it.
    QString printSubject() const override;

private slots:
    void inspectionPicked(qint32 inspectionId);

private:
    InspectionSelectPanel* select_ = nullptr;
    std::array<AreaPanel*, 3> areas_{};
    QStringList inspectionRow_; // the picked inspection's row of the grid, for printed headers
};

} // namespace korvane
