#pragma once

#include "platform/SelectionChain.h"
#include "storage/RecordDeletion.h"

#include <QWidget>

#include <functional>

class QModelIndex;
class QPushButton;
class QTableView;

namespace korvane {

class AddressRecordWindow;
class TankGridModel;

// "Tank Select": the company and location lists and the grid of the location's tanks ("Tank ID",
// "Location", "Serial No."); tanks with an inspection due are marked red.
//
// For picking a tank (Tank Graphics) a double click (or Enter) on a tank row picks that tank,
// and that is all the page does. For editing tanks (Tank Information) the page also adds, edits
// and deletes companies and locations, deletes tanks that hold nothing, and starts its grid with
// "New Tank for this Location"; a single click on a tank makes it the current one (for
// printing), a double click (or Enter) chooses it, or a new tank, for the window to open. A new
// choice made while the window holds a tank open goes ahead only when the window's guard lets it.
class TankSelectPanel : public QWidget {
    Q_OBJECT

public:
    enum class Use { Picking, Editing };

    TankSelectPanel(Session& session, Services& services, QWidget& window, const QString& caption,
                    Use use = Use::Picking);

    SelectionChain& chain() const { return *chain_; }
    // Lists the companies (the window's load). When editing, nothing below the companies can be
    // used before a company is chosen.
    Status open();

    // Asked before a new choice, or the deletion of the chosen company or location, gives up the
    // tank the window holds open; false keeps the tank and the choice as they are.
    void setGuard(std::function<bool()> mayCloseOpenTank);
    // Chooses the company, the location and the tank, as the user would with double clicks;
    // false when one of them is not listed.
    bool chooseTank(qint32 companyId, qint32 locationId, qint32 tankId);
    // The tank chosen has been opened by the window: the grid is held until a new choice.
    void tankOpened();

signals:
    // A new company or location was chosen, or the chosen one deleted: no tank is picked or open
    // any more.
    void selectionCleared();
    // Picking: a tank row was double-clicked; CurTankID is set to it. `row` holds the row's cells.
    void tankPicked(qint32 tankId, const QStringList& row);
    // Editing: a tank row was double-clicked (its key), or "New Tank for this Location" (0).
    void tankChosen(qint32 tankId);
    // Editing: the grid's current row changed; `isTank` when it is a tank, whose key and location
    // are then the session's current ones.
    void tankHighlighted(bool isTank);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void companyChosen();
    void locationChosen();
    void Grid_Tanks_Click(const QModelIndex& index);
    void Grid_Tanks_DblClick(const QModelIndex& index);
    void Cmd_AddCompany_Click();
    void Cmd_EditCompany_Click();
    void Cmd_AddLocation_Click();
    void Cmd_EditLocation_Click();
    void Cmd_DeleteCompany_Click();
    void Cmd_DeleteLocation_Click();
    void Cmd_DeleteTank_Click();

private:
    bool editing() const { return use_ == Use::Editing; }
    // The Add, Edit and Delete buttons below the lists and Delete Tank below the grid.
    void addEditingButtons();
    void FillTankGrid();
    // Shows the company or location dialog, to change the current row or to add one.
    void showRecordDialog(AddressRecordWindow& dialog, bool change);
    // Deletes a company, location or tank that holds nothing, after a question naming it;
    // refuses one that holds rows, or is open elsewhere, saying why. True when it was deleted.
    // `holdsOpenTank`: a tank open in the window belongs to it, and is given up first.
    bool deleteRecord(RecordDeletion::Level level, qint32 key, const QString& title,
                      bool holdsOpenTank);
    // Enables the buttons that act on the highlighted company, location or tank.
    void enableSelectButtons();

    Session& session_;
    Services& services_;
    QWidget& window_;
    QString caption_;
    Use use_;
    std::function<bool()> mayCloseOpenTank_;
    SelectionChain* chain_ = nullptr;
    TankGridModel* tanks_ = nullptr;
    QTableView* Grid_Tanks = nullptr;
    // Only when editing.
    QPushButton* Cmd_AddCompany = nullptr;
    QPushButton* Cmd_EditCompany = nullptr;
    QPushButton* Cmd_DeleteCompany = nullptr;
    QPushButton* Cmd_AddLocation = nullptr;
    QPushButton* Cmd_EditLocation = nullptr;
    QPushButton* Cmd_DeleteLocation = nullptr;
    QPushButton* Cmd_DeleteTank = nullptr;
};

} // namespace korvane
