#include "selection/InspectionSelectPanel.h"

#include "platform/BusyScope.h"
#include "platform/WindowControls.h"
#include "selection/InspectionGrids.h"
#include "selection/TankGrid.h"
#include "storage/InspectionDeletion.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTableView>

namespace korvane {

InspectionSelectPanel::InspectionSelectPanel(Session& session, Services& services, QWidget& window,
                                             const QString& caption, Use use)
    : session_(session), services_(services), caption_(caption), use_(use) {
    SelectionChain::Options options;
    options.caption = caption;
    options.tankList = true;
    options.reportEmptyLists = true;
    chain_ = new SelectionChain(session_, services_, window, options);

    const bool recording = use == Use::Recording;
    inspections_ = new InspectionGridModel(recording, !recording, this);
    Grid_Inspection = new QTableView(this);
    Grid_Inspection->setObjectName(QStringLiteral("Grid_Inspection"));
    Grid_Inspection->setToolTip(QStringLiteral("Tank Selection Grid"));
    Grid_Inspection->setModel(inspections_);
    setUpRowGrid(*Grid_Inspection);
    Grid_Inspection->setColumnWidth(0, 120);
    Grid_Inspection->setColumnWidth(1, recording ? 170 : 110);
    Grid_Inspection->setColumnWidth(2, 150);
    Grid_Inspection->installEventFilter(this);
    connect(Grid_Inspection->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &InspectionSelectPanel::Grid_Inspection_Click);
    connect(Grid_Inspection, &QTableView::doubleClicked, this,
            &InspectionSelectPanel::Grid_Inspection_DblClick);

    connect(chain_, &SelectionChain::companyChosen, this, [this] {
        clearInspections();
        emit selectionCleared();
    });
    connect(chain_, &SelectionChain::locationChosen, this, [this] {
        clearInspections();
        if (use_ == Use::Recording)
            markDueTanks();
        emit selectionCleared();
    });
    connect(chain_, &SelectionChain::tankChosen, this, [this] {
        BusyScope busy(services_.pointer, *this);
        FillInspectionGrid();
        emit tankChosen();
    });

    const QString hint =
        recording ? QStringLiteral("Double-click a company, then one of its locations, then a "
                                   "tank; then an inspection or \"%1\".")
                        .arg(InspectionGridModel::NewInspectionText)
                  : QStringLiteral("Double-click a company, then one of its locations, then a "
                                   "tank; then the inspection whose drawings you want.");
    QWidget* inspections = Grid_Inspection;
    if (recording) {
        // The grid with the command below it that deletes the inspection it has chosen.
        Cmd_DeleteInspection = commandButton(
            this, "Cmd_DeleteInspection", QStringLiteral("Delete Inspection"),
            QStringLiteral("Delete the chosen inspection with everything recorded with it"));
        connect(Cmd_DeleteInspection, &QPushButton::clicked, this,
                &InspectionSelectPanel::Cmd_DeleteInspection_Click);
        inspections = new QWidget(this);
        auto* commands = new QHBoxLayout;
        commands->addStretch();
        commands->addWidget(Cmd_DeleteInspection);
        auto* column = new QVBoxLayout(inspections);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(Grid_Inspection, 1);
        column->addLayout(commands);
    }
    layOutSelectionPage(*this,
                        {{QStringLiteral("Companies"), chain_->companyList()},
                         {QStringLiteral("Locations"), chain_->locationList()},
                         {QStringLiteral("Tanks"), chain_->tankList()}},
                        QStringLiteral("Inspections of this Tank"), *inspections, hint);
    showInspections(false);
}

void InspectionSelectPanel::showInspections(bool shown) {
    Grid_Inspection->setVisible(shown);
    if (Cmd_DeleteInspection) {
        Cmd_DeleteInspection->setVisible(shown);
        Cmd_DeleteInspection->setEnabled(
            shown && inspections_->inspection(Grid_Inspection->currentIndex().row()));
    }
}

void InspectionSelectPanel::Cmd_DeleteInspection_Click() {
    const InspectionListRow* row = inspections_->inspection(Grid_Inspection->currentIndex().row());
    if (!row || Grid_Inspection->isHidden())
        return;
    const QString title = QStringLiteral("Delete Inspection");
    auto deletion = InspectionDeletion::claim(session_.DatabaseName, row->inspectionId);
    if (!deletion) {
        services_.prompts.message(deletion.error(), title, Prompts::Icon::Exclamation);
        return;
    }
    if (services_.prompts.message(deletion->question(chain_->chosenTankName()), title,
                                  Prompts::Icon::Exclamation,
                                  Prompts::Buttons::OkCancel) != Prompts::Answer::Ok)
        return;
    BusyScope busy(services_.pointer, *this);
    if (Status deleted = deletion->deleteAll(); !deleted) {
        services_.prompts.message(deleted.error(), title, Prompts::Icon::Exclamation);
        return;
    }
    FillInspectionGrid();
}

Status InspectionSelectPanel::open() {
    chain_->locationList()->setEnabled(false);
    chain_->tankList()->setEnabled(false);
    clearInspections();
    return chain_->open();
}

void InspectionSelectPanel::markDueTanks() {
    QListWidget* list = chain_->tankList();
    if (!list || list->count() == 0)
        return;
    auto tanks =
        readTankGrid(session_.DatabaseName, chain_->chosenLocation(), services_.clock.today());
    if (!tanks) {
        services_.prompts.message(tanks.error(), caption_, Prompts::Icon::Exclamation);
        return;
    }
    QSet<qint32> due;
    for (const TankGridRow& tank : *tanks)
        if (tank.due)
            due.insert(tank.tankId);
    for (int row = 0; row < list->count(); ++row) {
        if (!due.contains(chain_->tankKey(row)))
            continue;
        QListWidgetItem* item = list->item(row);
        for (const int role : {Qt::BackgroundRole, Qt::ForegroundRole, Qt::ToolTipRole})
            item->setData(role, dueMark(role));
    }
}

void InspectionSelectPanel::clearInspections() {
    inspections_->clear();
    showInspections(false);
}

void InspectionSelectPanel::hideInspections() {
    showInspections(false);
}

void InspectionSelectPanel::FillInspectionGrid() {
    session_.CurInspectionID = 0;
    auto rows = readInspections(session_.DatabaseName, session_.CurTankID);
    if (!rows) {
        inspections_->setInspections({});
        services_.prompts.message(rows.error(), caption_, Prompts::Icon::Exclamation);
    } else {
        inspections_->setInspections(std::move(rows.value()));
    }
    showInspections(true);
    Grid_Inspection->setFocus();
    Grid_Inspection->setCurrentIndex(inspections_->index(0, 0));
}

void InspectionSelectPanel::Grid_Inspection_Click(const QModelIndex& index) {
    const InspectionListRow* row =
        index.isValid() ? inspections_->inspection(index.row()) : nullptr;
    if (Cmd_DeleteInspection)
        Cmd_DeleteInspection->setEnabled(row && !Grid_Inspection->isHidden());
    if (!row || use_ != Use::Recording)
        return;
    session_.CurInspectionID = row->inspectionId;
    // The tank whose inspections are listed, whatever the tank list highlights meanwhile.
    session_.CurTankID = chain_->chosenTank();
}

void InspectionSelectPanel::Grid_Inspection_DblClick(const QModelIndex& index) {
    if (!index.isValid() || Grid_Inspection->isHidden())
        return;
    if (index.row() == inspections_->newInspectionRow()) {
        emit newInspectionChosen();
        return;
    }
    if (const InspectionListRow* row = inspections_->inspection(index.row()))
        emit inspectionChosen(row->inspectionId);
}

QStringList InspectionSelectPanel::currentRowTexts() const {
    const QModelIndex index = Grid_Inspection->currentIndex();
    QStringList cells;
    if (!index.isValid())
        return cells;
    for (int column = 0; column < inspections_->columnCount(); ++column)
        cells << inspections_->index(index.row(), column).data().toString();
    return cells;
}

bool InspectionSelectPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid_Inspection && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Grid_Inspection_DblClick(Grid_Inspection->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
