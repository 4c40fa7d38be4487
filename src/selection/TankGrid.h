#pragma once

#include "common/Result.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QString>

#include <vector>

namespace korvane {

class Select;

// One tank as the tank grid lists it.
struct TankGridRow {
    qint32 tankId = 0;
    QString name;
    QString physLoc;
    QString serialNum;
    bool due = false; // an inspection falls due this calendar year or earlier
};

// The query of the tanks of one location, in the order the table holds them.
Select tankGridQuery(qint32 locationId);

// How a tank with an inspection due is marked wherever tanks are listed (white on red, with a
// tool tip): the value of a background, foreground or tool tip role; nothing for other roles.
QVariant dueMark(int role);

// Reads the tanks of one location with their due marks, as of today.
Result<std::vector<TankGridRow>> readTankGrid(const QString& databaseName, qint32 locationId,
                                              const QDate& today);

// The rows of Grid_Tanks: one row per tank, with the columns "Tank ID", "Location" and
// "Serial No."; the Tank ID of a tank with an inspection due is shown in white on red. In the
// Tank Information window the first row is "New Tank for this Location"; the grid that only
// picks a tank (Tank Graphics) has no such row.
//
// A model rather than a grid of cells, so that a location of many thousands of tanks fills at
// once and scrolls smoothly.
class TankGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class Kind { Editing, Picking };
    static constexpr int NewTankRow = 0;
    static const QString NewTankText;

    explicit TankGridModel(Kind kind, QObject* parent = nullptr)
        : QAbstractTableModel(parent), editing_(kind == Kind::Editing) {}

    // No rows at all, only the column titles.
    void clear();
    // The "New Tank for this Location" row (when editing) followed by these tanks.
    void setTanks(std::vector<TankGridRow> tanks);

    bool hasNewTankRow() const { return filled_ && editing_; }
    // The tank of a row; null for the "New Tank" row and rows past the end.
    const TankGridRow* tank(int row) const;
    int tankCount() const { return static_cast<int>(tanks_.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int firstTankRow() const { return editing_ ? 1 : 0; }

    bool editing_;
    bool filled_ = false;
    std::vector<TankGridRow> tanks_;
};

} // namespace korvane
