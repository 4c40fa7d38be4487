#include "graphics/InspectionGraphicsWindow.h"

#include "graphics/AreaPanel.h"
#include "selection/InspectionSelectPanel.h"
#include "storage/GraphicStorage.h"

#include <QPushButton>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("Inspection Graphics");

} // namespace

InspectionGraphicsWindow::InspectionGraphicsWindow(Session& session, Services& services,
                                                   QWidget* parent)
    : GraphicsWindow(session, services, parent,
                     {"Form6", WindowCaption, 4, GraphicStore::Owner::Inspection}) {
    select_ = new InspectionSelectPanel(session_, services_, *this, WindowCaption,
                                        InspectionSelectPanel::Use::Drawing);
    DrawingTab* edge = addDrawingTab(tabNames(1, "Opt_EDraw"), DrawingPages::Kind::Edge,
                                     QStringLiteral("Edge/Floor Settle"));
    DrawingTab* roofFloor = addDrawingTab(roofFloorNames(2), DrawingPages::Kind::RoofFloor,
                                          QStringLiteral("Roof/Floor Corr."));
    DrawingTab* shell = addDrawingTab(tabNames(3, "Opt_SDraw", "HScroll_S", "Graph_CountS", true),
                                      DrawingPages::Kind::Shell, QStringLiteral("Shell Corrosion"));
    addDrawingTab(tabNames(4, "Opt_ODraw", "HScroll_O", "Graph_CountO"), DrawingPages::Kind::Other,
                  QStringLiteral("Other"));
    const std::array<std::pair<DrawingTab*, AreaTable>, 3> tabs{
        {{edge, AreaTable::EdgeSettle},
         {roofFloor, AreaTable::RFCorrosion},
         {shell, AreaTable::SCorrosion}}};
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        areas_[i] = new AreaPanel(session_, services_, *tabs[i].first, tabs[i].second);
        tabs[i].first->setSidePanel(areas_[i]);
        pages_->addRows(areas_[i]->pendingRows());
    }

    connect(select_, &InspectionSelectPanel::inspectionChosen, this,
            &InspectionGraphicsWindow::inspectionPicked);
    connect(select_, &InspectionSelectPanel::tankChosen, this, [this] { clearOwner(); });
    connect(select_, &InspectionSelectPanel::selectionCleared, this, [this] { clearOwner(); });

    // The window prints from its tabs' own Print buttons only.
    layOut(select_, QStringLiteral("Insp. Select"))->hide();
    resize(1020, 720);

    if (Status listed = select_->open(); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

InspectionGraphicsWindow::~InspectionGraphicsWindow() = default;

void InspectionGraphicsWindow::inspectionPicked(qint32 inspectionId) {
    const QStringList cells = select_->currentRowTexts();
    if (cells.isEmpty())
        return;
    session_.CurInspectionID = inspectionId;
    session_.CurTankID = select_->chain().chosenTank();
    for (AreaPanel* panel : areas_)
        panel->reset();
    const QString prefix = graphicpages::prefix(session_.CurCompanyID, session_.CurLocationID,
                                                session_.CurTankID, inspectionId);
    if (pickOwner(inspectionId, prefix, WindowCaption + QStringLiteral(" - ") + cells.value(0)))
        inspectionRow_ = cells;
}

QString InspectionGraphicsWindow::printSubject() const {
    return select_->chain().chosenTankName() + QStringLiteral(" ") + inspectionRow_.value(0);
}

QStringList InspectionGraphicsWindow::printHeader() const {
    return {select_->chain().chosenCompanyName(), select_->chain().chosenLocationName(),
            select_->chain().chosenTankName(), inspectionRow_.join(QStringLiteral("     "))};
}

} // namespace korvane
