#pragma once

#include "engineering/ThicknessRules.h"
#include "storage/InspectionRecords.h"

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

namespace korvane {

// The rows of Grid_Inspection: the inspections of the chosen tank with their date, number
// ("Needs Entry" when none was given) and kind, optionally after a "New Inspection" row and
// with the reason as a fourth column.
class InspectionGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static const QString NewInspectionText;
    static const QString NeedsEntryText;

    InspectionGridModel(bool newInspectionRow, bool reasonColumn, QObject* parent = nullptr);

    // No rows, only the column titles.
    void clear();
    void setInspections(std::vector<InspectionListRow> inspections);

    // The row of "New Inspection", or -1 when the grid has none or is empty.
    int newInspectionRow() const { return filled_ && newRow_ ? 0 : -1; }
    // The inspection of a row; null for "New Inspection" and rows past the end.
    const InspectionListRow* inspection(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int firstInspectionRow() const { return newRow_ ? 1 : 0; }

    const bool newRow_;
    const bool reasonColumn_;
    bool filled_ = false;
    std::vector<InspectionListRow> inspections_;
};

// The colour of a reading's flags: red for those asked about before storing, amber for the rest.
QColor flagColour(bool red);

// The rows of Grid_TankReadings: every reading of the tank with its date, point and thickness,
// the thickness in white on red where it lies below the minimum of its course, and the checks it
// was flagged by when it was stored, in red or amber. Texts and marks
// are worked out only for the rows the view shows, so a tank of 100,000 readings fills at once.
class TankReadingsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void clear();
    // The unit of the thickness column, named in its title as well.
    void setUnitsUS(bool unitsUS);
    void setReadings(std::vector<TankReading> readings, const thickness::Minimums& minimums,
                     bool unitsUS);

    const TankReading* reading(int row) const;
    const std::vector<TankReading>& readings() const { return readings_; }
    bool belowMinimum(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<TankReading> readings_;
    thickness::Minimums minimums_{};
    bool unitsUS_ = true;
};

} // namespace korvane
