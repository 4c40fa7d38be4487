#include "selection/TankSelectPanel.h"

#include "data/Select.h"
#include "platform/BusyScope.h"
#include "platform/WindowControls.h"
#include "records/AddressRecordWindow.h"
#include "selection/TankGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include <optional>

namespace korvane {

namespace {

// Puts buttons in a row below what a titled box of the page holds; `columns` is how many columns
// that row has, and the content spans them all.
void putBelow(QWidget& content, int columns,
              std::initializer_list<std::pair<QPushButton*, int>> buttons) {
    auto* grid = qobject_cast<QGridLayout*>(content.parentWidget()->layout());
    grid->removeWidget(&content);
    grid->addWidget(&content, 0, 0, 1, columns);
    for (const auto& [button, column] : buttons)
        grid->addWidget(button, 1, column);
}

} // namespace

TankSelectPanel::TankSelectPanel(Session& session, Services& services, QWidget& window,
                                 const QString& caption, Use use)
    : session_(session), services_(services), window_(window), caption_(caption), use_(use) {
    SelectionChain::Options options;
    options.caption = caption;
    chain_ = new SelectionChain(session_, services_, window, options);

    tanks_ = new TankGridModel(
        editing() ? TankGridModel::Kind::Editing : TankGridModel::Kind::Picking, this);
    Grid_Tanks = new QTableView(this);
    Grid_Tanks->setObjectName(QStringLiteral("Grid_Tanks"));
    Grid_Tanks->setToolTip(QStringLiteral("Tank Selection Grid"));
    Grid_Tanks->setModel(tanks_);
    setUpRowGrid(*Grid_Tanks);
    Grid_Tanks->setColumnWidth(0, 190);
    Grid_Tanks->setColumnWidth(1, 170);
    Grid_Tanks->installEventFilter(this);
    if (editing())
        connect(Grid_Tanks->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TankSelectPanel::Grid_Tanks_Click);
    connect(Grid_Tanks, &QTableView::doubleClicked, this, &TankSelectPanel::Grid_Tanks_DblClick);

    connect(chain_, &SelectionChain::companyChosen, this, &TankSelectPanel::companyChosen);
    connect(chain_, &SelectionChain::locationChosen, this, &TankSelectPanel::locationChosen);

    const QString hint =
        editing() ? QStringLiteral("Double-click a company, then one of its locations, then a "
                                   "tank or \"%1\".")
                        .arg(TankGridModel::NewTankText)
                  : QStringLiteral("Double-click a company, then one of its locations, then the "
                                   "tank whose drawings you want.");
    layOutSelectionPage(*this,
                        {{QStringLiteral("Companies"), chain_->companyList()},
                         {QStringLiteral("Locations"), chain_->locationList()}},
                        QStringLiteral("Tanks at this Location"), *Grid_Tanks, hint);
    if (editing())
        addEditingButtons();
}

void TankSelectPanel::addEditingButtons() {
    Cmd_AddCompany = commandButton(this, "Cmd_AddCompany", QStringLiteral("Add Company"),
                                   QStringLiteral("Add Another Company"));
    Cmd_EditCompany = commandButton(this, "Cmd_EditCompany", QStringLiteral("Edit"),
                                    QStringLiteral("Edit Existing Company"));
    Cmd_DeleteCompany =
        commandButton(this, "Cmd_DeleteCompany", QStringLiteral("Delete"),
                      QStringLiteral("Delete the Highlighted Company, when it holds no locations"));
    Cmd_AddLocation = commandButton(this, "Cmd_AddLocation", QStringLiteral("Add Location"),
                                    QStringLiteral("Add Another Location"));
    Cmd_EditLocation = commandButton(this, "Cmd_EditLocation", QStringLiteral("Edit"),
                                     QStringLiteral("Edit Existing Location"));
    Cmd_DeleteLocation =
        commandButton(this, "Cmd_DeleteLocation", QStringLiteral("Delete"),
                      QStringLiteral("Delete the Highlighted Location, when it holds no tanks"));
    Cmd_DeleteTank = commandButton(
        this, "Cmd_DeleteTank", QStringLiteral("Delete Tank"),
        QStringLiteral("Delete the Highlighted Tank, when it holds no inspections, drawings or "
                       "TML points"));
    putBelow(*chain_->companyList(), 3,
             {{Cmd_AddCompany, 0}, {Cmd_EditCompany, 1}, {Cmd_DeleteCompany, 2}});
    putBelow(*chain_->locationList(), 3,
             {{Cmd_AddLocation, 0}, {Cmd_EditLocation, 1}, {Cmd_DeleteLocation, 2}});
    putBelow(*Grid_Tanks, 2, {{Cmd_DeleteTank, 1}});
    qobject_cast<QGridLayout*>(Grid_Tanks->parentWidget()->layout())->setColumnStretch(0, 1);

    connect(Cmd_AddCompany, &QPushButton::clicked, this, &TankSelectPanel::Cmd_AddCompany_Click);
    connect(Cmd_EditCompany, &QPushButton::clicked, this, &TankSelectPanel::Cmd_EditCompany_Click);
    connect(Cmd_AddLocation, &QPushButton::clicked, this, &TankSelectPanel::Cmd_AddLocation_Click);
    connect(Cmd_EditLocation, &QPushButton::clicked, this,
            &TankSelectPanel::Cmd_EditLocation_Click);
    connect(Cmd_DeleteCompany, &QPushButton::clicked, this,
            &TankSelectPanel::Cmd_DeleteCompany_Click);
    connect(Cmd_DeleteLocation, &QPushButton::clicked, this,
            &TankSelectPanel::Cmd_DeleteLocation_Click);
    connect(Cmd_DeleteTank, &QPushButton::clicked, this, &TankSelectPanel::Cmd_DeleteTank_Click);
}

Status TankSelectPanel::open() {
    Status listed = chain_->open();
    if (!editing())
        return listed;
    chain_->locationList()->setEnabled(false);
    Cmd_AddLocation->setEnabled(false);
    Cmd_EditLocation->setEnabled(false);
    tanks_->clear();
    Grid_Tanks->setEnabled(false);
    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    enableSelectButtons();
    return listed;
}

void TankSelectPanel::setGuard(std::function<bool()> mayCloseOpenTank) {
    mayCloseOpenTank_ = mayCloseOpenTank;
    chain_->setGuard(std::move(mayCloseOpenTank));
}

void TankSelectPanel::tankOpened() {
    Grid_Tanks->setEnabled(false);
    enableSelectButtons();
}

void TankSelectPanel::companyChosen() {
    tanks_->clear();
    if (editing()) {
        // Whatever was chosen below the company no longer applies.
        Grid_Tanks->setEnabled(false);
        Cmd_AddLocation->setEnabled(true);
        Cmd_EditLocation->setEnabled(chain_->locationList()->count() > 0);
        enableSelectButtons();
    }
    emit selectionCleared();
}

void TankSelectPanel::locationChosen() {
    if (editing()) {
        tanks_->clear();
        Grid_Tanks->setEnabled(true);
        FillTankGrid();
        Grid_Tanks->setFocus();
        Grid_Tanks->setCurrentIndex(tanks_->index(TankGridModel::NewTankRow, 0));
        enableSelectButtons();
    } else {
        FillTankGrid();
    }
    emit selectionCleared();
}

void TankSelectPanel::FillTankGrid() {
    // Tank Information keeps the grid's query for printing; Tank Graphics shows the busy
    // pointer while the grid fills.
    std::optional<BusyScope> busy;
    if (editing())
        session_.SQLString = tankGridQuery(session_.CurLocationID).text();
    else
        busy.emplace(services_.pointer, *this);
    auto rows =
        readTankGrid(session_.DatabaseName, session_.CurLocationID, services_.clock.today());
    if (!rows) {
        tanks_->setTanks({});
        services_.prompts.message(rows.error(), caption_, Prompts::Icon::Exclamation);
        return;
    }
    tanks_->setTanks(std::move(rows.value()));
}

void TankSelectPanel::Grid_Tanks_Click(const QModelIndex& index) {
    const TankGridRow* tank = index.isValid() ? tanks_->tank(index.row()) : nullptr;
    enableSelectButtons();
    if (tank) {
        session_.CurTankID = tank->tankId;
        session_.CurLocationID = chain_->chosenLocation();
    }
    emit tankHighlighted(tank != nullptr);
}

bool TankSelectPanel::chooseTank(qint32 companyId, qint32 locationId, qint32 tankId) {
    if (!chain_->choose(companyId, locationId))
        return false;
    for (int row = 0; row < tanks_->rowCount(); ++row) {
        const TankGridRow* tank = tanks_->tank(row);
        if (!tank || tank->tankId != tankId)
            continue;
        const QModelIndex index = tanks_->index(row, 0);
        Grid_Tanks->setCurrentIndex(index);
        Grid_Tanks_DblClick(index);
        return true;
    }
    return false;
}

void TankSelectPanel::Grid_Tanks_DblClick(const QModelIndex& index) {
    if (!index.isValid() || !Grid_Tanks->isEnabled())
        return;
    const TankGridRow* tank = tanks_->tank(index.row());
    if (editing()) {
        if (tank || index.row() == TankGridModel::NewTankRow)
            emit tankChosen(tank ? tank->tankId : 0);
        return;
    }
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

void TankSelectPanel::enableSelectButtons() {
    Cmd_DeleteCompany->setEnabled(Cmd_EditCompany->isEnabled());
    Cmd_DeleteLocation->setEnabled(Cmd_EditLocation->isEnabled());
    // Not the tank open in the window: it is being edited.
    Cmd_DeleteTank->setEnabled(Grid_Tanks->isEnabled() && !session_.RecordMode &&
                               tanks_->tank(Grid_Tanks->currentIndex().row()) != nullptr);
}

// ---------------------------------------------------------------------------------------------
// Companies, locations and tanks

void TankSelectPanel::showRecordDialog(AddressRecordWindow& dialog, bool change) {
    // The dialogs take RecordMode as their add-or-change order and reset it; an open tank's
    // pending edit must survive them.
    const bool tankOpen = session_.RecordMode;
    session_.RecordMode = change;
    if (dialog.Form_Load())
        showChildWindow(services_, window_, dialog);
    session_.RecordMode = tankOpen;
}

void TankSelectPanel::Cmd_AddCompany_Click() {
    {
        CompanyInformationWindow form9(session_, services_, &window_);
        showRecordDialog(form9, false);
    }
    BusyScope busy(services_.pointer, window_);
    if (auto listed = chain_->FillCompanyList(chain_->highlightedCompany()); !listed) {
        services_.prompts.message(listed.error(), caption_, Prompts::Icon::Exclamation);
        return;
    }
    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    enableSelectButtons();
}

void TankSelectPanel::Cmd_EditCompany_Click() {
    if (chain_->companyList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->highlightedCompany();
    CompanyInformationWindow form9(session_, services_, &window_);
    showRecordDialog(form9, true);
}

void TankSelectPanel::Cmd_AddLocation_Click() {
    if (chain_->companyList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->highlightedCompany();
    {
        LocationInformationWindow form10(session_, services_, &window_);
        showRecordDialog(form10, false);
    }
    if (session_.CurCompanyID != chain_->chosenCompany()) {
        // Another company was highlighted since the locations were listed: list its locations,
        // as choosing it would.
        chain_->List_Company_DblClick();
        return;
    }
    BusyScope busy(services_.pointer, window_);
    Cmd_EditLocation->setEnabled(chain_->FillLocationList(chain_->chosenLocation()));
    enableSelectButtons();
}

void TankSelectPanel::Cmd_EditLocation_Click() {
    if (chain_->locationList()->currentRow() < 0)
        return;
    session_.CurCompanyID = chain_->companyList()->currentRow() >= 0 ? chain_->highlightedCompany()
                                                                     : chain_->chosenCompany();
    session_.CurLocationID = chain_->highlightedLocation();
    LocationInformationWindow form10(session_, services_, &window_);
    showRecordDialog(form10, true);
}

bool TankSelectPanel::deleteRecord(RecordDeletion::Level level, qint32 key, const QString& title,
                                   bool holdsOpenTank) {
    auto deletion = RecordDeletion::prepare(session_.DatabaseName, level, key);
    if (!deletion) {
        services_.prompts.message(deletion.error(), title, Prompts::Icon::Exclamation);
        return false;
    }
    if (services_.prompts.message(
            QStringLiteral("Delete %1? This cannot be undone.").arg(deletion->description()), title,
            Prompts::Icon::Question, Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
        return false;
    // A new tank not yet saved would be left without its location: it is given up first, as
    // choosing another location would.
    if (holdsOpenTank && mayCloseOpenTank_ && !mayCloseOpenTank_())
        return false;
    BusyScope busy(services_.pointer, window_);
    if (auto deleted = deletion->commit(); !deleted) {
        services_.prompts.message(deleted.error(), title, Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

void TankSelectPanel::Cmd_DeleteCompany_Click() {
    const qint32 company = chain_->highlightedCompany();
    const bool wasChosen = company == chain_->chosenCompany();
    if (company == 0 || !deleteRecord(RecordDeletion::Level::Company, company,
                                      QStringLiteral("Delete Company"), wasChosen))
        return;
    if (auto listed = chain_->FillCompanyList(wasChosen ? 0 : chain_->chosenCompany()); !listed)
        services_.prompts.message(listed.error(), caption_, Prompts::Icon::Exclamation);
    Cmd_EditCompany->setEnabled(chain_->companyList()->count() > 0);
    if (wasChosen) {
        // It held no locations, so nothing below it was listed; nothing can be added to it.
        tanks_->clear();
        Grid_Tanks->setEnabled(false);
        Cmd_AddLocation->setEnabled(false);
        Cmd_EditLocation->setEnabled(false);
        emit selectionCleared();
    }
    enableSelectButtons();
}

void TankSelectPanel::Cmd_DeleteLocation_Click() {
    const qint32 location = chain_->highlightedLocation();
    const bool wasChosen = location == chain_->chosenLocation();
    if (location == 0 || !deleteRecord(RecordDeletion::Level::Location, location,
                                       QStringLiteral("Delete Location"), wasChosen))
        return;
    // The list shows the locations of the chosen company, whichever company is highlighted.
    chain_->showChosen();
    Cmd_EditLocation->setEnabled(
        chain_->FillLocationList(wasChosen ? 0 : chain_->chosenLocation()));
    if (wasChosen) {
        // Its grid offered a new tank for a location that is gone.
        tanks_->clear();
        Grid_Tanks->setEnabled(false);
        emit selectionCleared();
    }
    enableSelectButtons();
}

void TankSelectPanel::Cmd_DeleteTank_Click() {
    const TankGridRow* tank = tanks_->tank(Grid_Tanks->currentIndex().row());
    if (!tank || session_.RecordMode)
        return;
    if (!deleteRecord(RecordDeletion::Level::Tank, tank->tankId, QStringLiteral("Delete Tank"),
                      false))
        return;
    FillTankGrid();
    Grid_Tanks->setCurrentIndex(tanks_->index(TankGridModel::NewTankRow, 0));
    emit tankHighlighted(false);
    enableSelectButtons();
}

} // namespace korvane
