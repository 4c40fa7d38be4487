#include "selection/TankSelectPanel.h"

#include "platform/BusyScope.h"
#include "platform/WindowControls.h"
#include "selection/TankGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTableView>

namespace korvane {

TankSelectPanel::TankSelectPanel(Session& session, Services& services, QWidget& window,
                                 const QString& caption)
    : session_(session), services_(services), caption_(caption) {
    SelectionChain::Options options;
    options.caption = caption;
    chain_ = new SelectionChain(session_, services_, window, options);

    tanks_ = new TankGridModel(TankGridModel::Kind::Picking, this);
    Grid_Tanks = new QTableView(this);
    Grid_Tanks->setObjectName(QStringLiteral("Grid_Tanks"));
    Grid_Tanks->setToolTip(QStringLiteral("Tank Selection Grid"));
    Grid_Tanks->setModel(tanks_);
    setUpRowGrid(*Grid_Tanks);
    Grid_Tanks->setColumnWidth(0, 190);
    Grid_Tanks->setColumnWidth(1, 170);
    Grid_Tanks->installEventFilter(this);
    connect(Grid_Tanks, &QTableView::doubleClicked, this, &TankSelectPanel::Grid_Tanks_DblClick);

    connect(chain_, &SelectionChain::companyChosen, this, [this] {
        tanks_->clear();
        emit selectionCleared();
    });
    connect(chain_, &SelectionChain::locationChosen, this, [this] {
        FillTankGrid();
        emit selectionCleared();
    });

    layOutSelectionPage(*this,
                        {{QStringLiteral("Companies"), chain_->companyList()},
                         {QStringLiteral("Locations"), chain_->locationList()}},
                        QStringLiteral("Tanks at this Location"), *Grid_Tanks,
                        QStringLiteral("Double-click a company, then one of its locations, then "
                                       "the tank whose drawings you want."));
}

void TankSelectPanel::FillTankGrid() {
    BusyScope busy(services_.pointer, *this);
    auto rows =
        readTankGrid(session_.DatabaseName, session_.CurLocationID, services_.clock.today());
    if (!rows) {
        tanks_->setTanks({});
        services_.prompts.message(rows.error(), caption_, Prompts::Icon::Exclamation);
        return;
    }
    tanks_->setTanks(std::move(rows.value()));
}

void TankSelectPanel::Grid_Tanks_DblClick(const QModelIndex& index) {
    const TankGridRow* tank = index.isValid() ? tanks_->tank(index.row()) : nullptr;
    if (!tank)
        return;
    session_.CurTankID = tank->tankId;
    emit tankPicked(tank->tankId, {tank->name, tank->physLoc, tank->serialNum});
}

bool TankSelectPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid_Tanks && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Grid_Tanks_DblClick(Grid_Tanks->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
