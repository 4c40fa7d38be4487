#include "selection/InspectionGrids.h"

#include "engineering/InspectionTypes.h"
#include "engineering/ReadingChecks.h"

#include <QBrush>
#include <QFont>

namespace korvane {

const QString InspectionGridModel::NewInspectionText = QStringLiteral("New Inspection");
const QString InspectionGridModel::NeedsEntryText = QStringLiteral("Needs Entry");

InspectionGridModel::InspectionGridModel(bool newInspectionRow, bool reasonColumn, QObject* parent)
    : QAbstractTableModel(parent), newRow_(newInspectionRow), reasonColumn_(reasonColumn) {}

void InspectionGridModel::clear() {
    beginResetModel();
    filled_ = false;
    inspections_.clear();
    endResetModel();
}

void InspectionGridModel::setInspections(std::vector<InspectionListRow> inspections) {
    beginResetModel();
    filled_ = true;
    inspections_ = std::move(inspections);
    endResetModel();
}

const InspectionListRow* InspectionGridModel::inspection(int row) const {
    const int i = row - firstInspectionRow();
    if (!filled_ || i < 0 || i >= static_cast<int>(inspections_.size()))
        return nullptr;
    return &inspections_[static_cast<std::size_t>(i)];
}

int InspectionGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !filled_)
        return 0;
    return static_cast<int>(inspections_.size()) + firstInspectionRow();
}

int InspectionGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (reasonColumn_ ? 4 : 3);
}

QVariant InspectionGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (index.row() == newInspectionRow()) {
        if (role == Qt::DisplayRole && index.column() == 0)
            return NewInspectionText;
        if (role == Qt::FontRole) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    }
    const InspectionListRow& row = *inspection(index.row());
    if (role == Qt::FontRole && index.column() == 1 && row.number.isEmpty()) {
        QFont italic;
        italic.setItalic(true);
        return italic;
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return row.date;
    case 1:
        return row.number.isEmpty() ? NeedsEntryText : row.number;
    case 2:
        return inspectiontype::gridText(row.type);
    case 3:
        return row.reason;
    default:
        return {};
    }
}

QVariant InspectionGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[] = {"Inspection Date", "Inspection No.", "Inspection Type",
                                         "Inspection Reason"};
    return section >= 0 && section < columnCount() ? QString::fromLatin1(titles[section])
                                                   : QVariant();
}

// ---------------------------------------------------------------------------------------------

void TankReadingsModel::clear() {
    beginResetModel();
    readings_.clear();
    endResetModel();
}

void TankReadingsModel::setUnitsUS(bool unitsUS) {
    if (unitsUS == unitsUS_)
        return;
    beginResetModel();
    unitsUS_ = unitsUS;
    endResetModel();
}

void TankReadingsModel::setReadings(std::vector<TankReading> readings,
                                    const thickness::Minimums& minimums, bool unitsUS) {
    beginResetModel();
    readings_ = std::move(readings);
    minimums_ = minimums;
    unitsUS_ = unitsUS;
    endResetModel();
}

const TankReading* TankReadingsModel::reading(int row) const {
    if (row < 0 || row >= static_cast<int>(readings_.size()))
        return nullptr;
    return &readings_[static_cast<std::size_t>(row)];
}

bool TankReadingsModel::belowMinimum(int row) const {
    const TankReading* r = reading(row);
    return r && thickness::belowMinimum(r->reading, r->course, minimums_, unitsUS_);
}

int TankReadingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(readings_.size());
}

int TankReadingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QColor flagColour(bool red) {
    return red ? QColor(204, 0, 0) : QColor(176, 104, 0);
}

QVariant TankReadingsModel::data(const QModelIndex& index, int role) const {
    const TankReading* r = index.isValid() ? reading(index.row()) : nullptr;
    if (!r)
        return {};
    const bool markable = index.column() == 2;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return r->dateTaken;
        case 1:
            return r->pointId;
        case 2:
            return thickness::shownThickness(r->reading, unitsUS_);
        case 3: {
            // The reasons the reading was flagged for when it was stored, on one line.
            return readingcheck::reasons(readingcheck::parseFlags(r->checks))
                .replace(QLatin1Char('\n'), QStringLiteral("; "));
        }
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        if (markable)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        if (markable && belowMinimum(index.row()))
            return QBrush(QColor(255, 0, 0));
        return {};
    case Qt::ForegroundRole:
        if (markable && belowMinimum(index.row()))
            return QBrush(Qt::white);
        if (index.column() == 3 && !r->checks.isEmpty())
            return QBrush(flagColour(readingcheck::hasRed(readingcheck::parseFlags(r->checks))));
        return {};
    case Qt::ToolTipRole: {
        if (index.column() == 3 && !r->checks.isEmpty())
            return readingcheck::reasons(readingcheck::parseFlags(r->checks));
        const QString where = thickness::courseText(r->course);
        if (markable && belowMinimum(index.row()))
            return QStringLiteral("Below the minimum thickness of %1 (%2)")
                .arg(where, thickness::shownThickness(
                                minimums_[static_cast<std::size_t>(r->course)], unitsUS_));
        return where.isEmpty() ? QVariant() : QVariant(where);
    }
    default:
        return {};
    }
}

QVariant TankReadingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return QStringLiteral("Date");
    case 1:
        return QStringLiteral("PointID");
    case 2:
        return unitsUS_ ? QStringLiteral("Reading (in.)") : QStringLiteral("Reading (mm)");
    case 3:
        return QStringLiteral("Check");
    default:
        return {};
    }
}

} // namespace korvane
