#include "selection/TankGrid.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "engineering/InspectionSchedule.h"

#include <QBrush>
#include <QFont>

namespace korvane {

namespace {

const QString NameField = QStringLiteral("Name");
const QString PhysLocField = QStringLiteral("PhysLoc");
const QString SerialField = QStringLiteral("SerialNum");
const QString KeyField = QStringLiteral("TankID");

// The fields the grid shows and marks by: key, three texts, and each inspection's frequency
// and last date.
QStringList gridFields() {
    QStringList fields{KeyField, NameField, PhysLocField, SerialField};
    for (const auto& kind : schedule::Kinds)
        fields << QString::fromLatin1(kind.freqField) << QString::fromLatin1(kind.lastField);
    return fields;
}

} // namespace

const QString TankGridModel::NewTankText = QStringLiteral("New Tank for this Location");

Select tankGridQuery(qint32 locationId) {
    static const QStringList fields = gridFields();
    return Select::from(QStringLiteral("Tank"))
        .where(QStringLiteral("LocationID"), locationId)
        .fields(fields);
}

Result<std::vector<TankGridRow>> readTankGrid(const QString& databaseName, qint32 locationId,
                                              const QDate& today) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rs = db->openRecordset(tankGridQuery(locationId));
    if (!rs)
        return rs.takeError();

    const int key = rs->fieldIndex(KeyField);
    const int name = rs->fieldIndex(NameField);
    const int physLoc = rs->fieldIndex(PhysLocField);
    const int serial = rs->fieldIndex(SerialField);
    std::array<int, schedule::Kinds.size()> freqs{};
    std::array<int, schedule::Kinds.size()> lasts{};
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        freqs[k] = rs->fieldIndex(QString::fromLatin1(schedule::Kinds[k].freqField));
        lasts[k] = rs->fieldIndex(QString::fromLatin1(schedule::Kinds[k].lastField));
    }

    std::vector<TankGridRow> rows;
    rows.reserve(static_cast<std::size_t>(rs->recordCount()));
    std::array<schedule::StoredInspection, schedule::Kinds.size()> inspections;
    std::array<QString, schedule::Kinds.size()> lastDates;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        TankGridRow& row = rows.emplace_back();
        row.tankId = rs->value(key).toInt();
        row.name = rs->text(name);
        row.physLoc = rs->text(physLoc);
        row.serialNum = rs->text(serial);
        for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
            const double frequency = rs->value(freqs[k]).toDouble();
            // Only a scheduled inspection needs its last date read.
            lastDates[k] = frequency != 0 ? rs->text(lasts[k]) : QString();
            inspections[k] = {frequency, lastDates[k]};
        }
        row.due = schedule::anyDue(inspections, today);
    }
    return rows;
}

void TankGridModel::clear() {
    beginResetModel();
    filled_ = false;
    tanks_.clear();
    endResetModel();
}

void TankGridModel::setTanks(std::vector<TankGridRow> tanks) {
    beginResetModel();
    filled_ = true;
    tanks_ = std::move(tanks);
    endResetModel();
}

const TankGridRow* TankGridModel::tank(int row) const {
    if (!filled_ || row < firstTankRow() || row >= firstTankRow() + tankCount())
        return nullptr;
    return &tanks_[static_cast<std::size_t>(row - firstTankRow())];
}

int TankGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !filled_)
        return 0;
    return tankCount() + firstTankRow();
}

int TankGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant TankGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (hasNewTankRow() && index.row() == NewTankRow) {
        if (role == Qt::DisplayRole && index.column() == 0)
            return NewTankText;
        if (role == Qt::FontRole) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    }
    const TankGridRow& t = *tank(index.row());
    const bool markDue = t.due && index.column() == 0;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return t.name;
        case 1:
            return t.physLoc;
        case 2:
            return t.serialNum;
        default:
            return {};
        }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::ToolTipRole:
        return markDue ? dueMark(role) : QVariant();
    default:
        return {};
    }
}

QVariant dueMark(int role) {
    switch (role) {
    case Qt::BackgroundRole:
        return QBrush(QColor(255, 0, 0));
    case Qt::ForegroundRole:
        return QBrush(Qt::white);
    case Qt::ToolTipRole:
        return QStringLiteral("An inspection of this tank is due this year or earlier");
    default:
        return {};
    }
}

QVariant TankGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return QStringLiteral("Tank ID");
    case 1:
        return QStringLiteral("Location");
    case 2:
        return QStringLiteral("Serial No.");
    default:
        return {};
    }
}

} // namespace korvane
