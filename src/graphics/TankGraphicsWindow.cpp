#include "graphics/TankGraphicsWindow.h"

#include "assessment/AssessmentStatus.h"
#include "drawing/DrawingSurface.h"
#include "graphics/TmlPointPanel.h"
#include "selection/TankSelectPanel.h"
#include "storage/AssessmentRecords.h"
#include "storage/GraphicStorage.h"

#include <QPushButton>

namespace korvane {

namespace {

const QString WindowCaption = QStringLiteral("Tank Graphics");

} // namespace

TankGraphicsWindow::TankGraphicsWindow(Session& session, Services& services, QWidget* parent)
    : GraphicsWindow(session, services, parent,
                     {"Form8", WindowCaption, 5, GraphicStore::Owner::Tank}) {
    select_ = new TankSelectPanel(session_, services_, *this, WindowCaption);
    DrawingTab* roofFloor = addDrawingTab(roofFloorNames(1), DrawingPages::Kind::RoofFloor,
                                          QStringLiteral("Roof/Floor TML's"));
    DrawingTab* shell = addDrawingTab(tabNames(2, "Opt_SDraw", "HScroll_S", "Graph_CountS", true),
                                      DrawingPages::Kind::Shell, QStringLiteral("Shell TML's"));
    addDrawingTab(tabNames(3, "Opt_ODraw", "HScroll_O", "Graph_CountO"), DrawingPages::Kind::Other,
                  QStringLiteral("Other"));
    roofFloorPoints_ = new TmlPointPanel(session_, services_, points_, *roofFloor,
                                         QStringLiteral("RF"), QStringLiteral("&Add Area"));
    shellPoints_ = new TmlPointPanel(session_, services_, points_, *shell, QStringLiteral("S"),
                                     QStringLiteral("A&dd Area"));
    pages_->addRows(points_);
    roofFloor->setSidePanel(roofFloorPoints_);
    shell->setSidePanel(shellPoints_);

    connect(select_, &TankSelectPanel::tankPicked, this, &TankGraphicsWindow::tankPicked);
    connect(select_, &TankSelectPanel::selectionCleared, this,
            &TankGraphicsWindow::selectionCleared);

    Cmd_PrintTML = layOut(select_, QStringLiteral("Tank Select"));
    Cmd_PrintTML->setObjectName(QStringLiteral("Cmd_PrintTML"));
    Cmd_PrintTML->setText(QStringLiteral("Print TML Listing"));
    Cmd_PrintTML->setToolTip(
        QStringLiteral("The measurement locations of this tank with their latest readings"));
    connect(Cmd_PrintTML, &QPushButton::clicked, this, &TankGraphicsWindow::Cmd_PrintTML_Click);
    Cmd_PrintTML->setEnabled(false);
    resize(980, 700);

    if (Status listed = select_->open(); !listed)
        services_.prompts.message(listed.error(), WindowCaption, Prompts::Icon::Exclamation);
}

TankGraphicsWindow::~TankGraphicsWindow() = default;

void TankGraphicsWindow::setDrawingTabsEnabled(bool enabled) {
    GraphicsWindow::setDrawingTabsEnabled(enabled);
    if (Cmd_PrintTML)
        Cmd_PrintTML->setEnabled(enabled);
}

void TankGraphicsWindow::selectionCleared() {
    clearOwner();
    tankRow_.clear();
}

void TankGraphicsWindow::tankPicked(qint32 tankId, const QStringList& row) {
    roofFloorPoints_->reset();
    shellPoints_->reset();
    const QString prefix =
        graphicpages::prefix(session_.CurCompanyID, session_.CurLocationID, tankId);
    if (!pickOwner(tankId, prefix, WindowCaption + QStringLiteral(" - ") + row.value(0)))
        return;
    tankRow_ = row;
    showPointStatus();
}

void TankGraphicsWindow::showPointStatus() {
    auto tank = assessment::readAssessment(session_.DatabaseName, session_.CurTankID);
    QHash<QString, QColor> byPoint;
    if (tank) {
        for (const auto& point : tank->points)
            byPoint.insert(point.pointId, statusColor(point.status));
    } else {
        services_.prompts.message(tank.error(), QStringLiteral("Error Accessing Record"),
                                  Prompts::Icon::Exclamation);
    }
    // A point nobody has measured yet, or every point when the readings cannot be read.
    const QColor unread = statusColor(assessment::PointStatus::NoReading);
    for (TmlPointPanel* panel : {roofFloorPoints_, shellPoints_})
        panel->surface().setMarkers(byPoint, unread);
}

QStringList TankGraphicsWindow::printHeader() const {
    return {select_->chain().chosenCompanyName(), select_->chain().chosenLocationName(),
            tankRow_.join(QStringLiteral("     "))};
}

void TankGraphicsWindow::Cmd_PrintTML_Click() {
    // The listing is made from the database, which holds the points as they were before OK.
    if (points_.hasChanges(session_.CurTankID))
        services_.prompts.message(
            QStringLiteral("The listing shows the points as they are stored. The points accepted "
                           "or deleted in this window are stored by OK."),
            QStringLiteral("Print TML Listing"), Prompts::Icon::Information);
    session_.SQLString = QStringLiteral("{TML.TankID} = %1").arg(session_.CurTankID);
    services_.reports.showReport(*this, session_, services_, QStringLiteral("tml_list.rpt"));
}

} // namespace korvane
