#pragma once

#include "platform/SelectionChain.h"

#include <QWidget>

class QTableView;

namespace korvane {

class TankGridModel;

// "Tank Select" of the Tank Graphics window: the company and location lists and the grid of the
// location's tanks ("Tank ID", "Location", "Serial No."). A double click (or Enter) on a tank
// row picks that tank.
class TankSelectPanel : public QWidget {
    Q_OBJECT

public:
    TankSelectPanel(Session& session, Services& services, QWidget& window, const QString& caption);

    SelectionChain& chain() const { return *chain_; }
    Status open() { return chain_->open(); }

signals:
    // A new company or location was chosen: no tank is picked any more.
    void selectionCleared();
    // A tank row was double-clicked; CurTankID is set to it. `row` holds the row's cells.
    void tankPicked(qint32 tankId, const QStringList& row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Grid_Tanks_DblClick(const QModelIndex& index);

private:
    void FillTankGrid();

    Session& session_;
    Services& services_;
    QString caption_;
    SelectionChain* chain_ = nullptr;
    TankGridModel* tanks_ = nullptr;
    QTableView* Grid_Tanks = nullptr;
};

} // namespace korvane
