#pragma once

#include "common/Result.h"
#include "storage/LinkedRows.h"

#include <QString>

#include <array>
#include <optional>

namespace korvane {

// The areas marked on an inspection's drawings, one row per area ID and inspection: settled
// areas of the tank bottom (EdgeSettle), corroded areas of the roof and floor (RFCorrosion) and
// of the shell (SCorrosion). Area IDs are compared and stored as bound values, so any character
// may be part of one.
enum class AreaTable { EdgeSettle, RFCorrosion, SCorrosion };

struct AreaRow {
    QString areaId;
    bool readingType = true; // edge (else floor), or corrosion (else pitting); not for the shell
    QString takenBy;
    QString date; // "dd/mmm/yyyy", or empty
    // In inches: radius, length and actual depth 'B' of a settled area; width, length and depth
    // reading of a corroded one.
    std::array<double, 3> measures{};
    bool stressAnalysis = false; // settled areas only
    int page = 1;                // GraphicType: the shell page of a shell area

    bool operator==(const AreaRow&) const = default;
};

namespace areas {

// The three measurement fields of a table, in entry order.
std::array<QString, 3> measureFields(AreaTable table);

Result<std::optional<AreaRow>> find(const Database& db, AreaTable table, qint32 inspectionId,
                                    const QString& areaId);

// Adds the area's row, or writes the measurements of an existing row of the same area ID (its
// InspectionID and AreaID stay as stored). Inside the caller's transaction, if any.
Status write(Database& db, AreaTable table, qint32 inspectionId, const AreaRow& area);

// Deletes the inspection's row of an area; false when there was none.
Result<bool> remove(Database& db, AreaTable table, qint32 inspectionId, const QString& areaId);

// How a graphics window reads and stores the areas of a table it holds until OK: by
// inspection and area ID.
LinkedRows<AreaRow>::Access access(AreaTable table);

// A stored measurement as the boxes show it: a length "##0.00" in inches or "###0.0" in
// millimetres; a depth reading "#0.000" in inches or "##0.00" in millimetres.
QString measureText(double inches, bool depth, bool unitsUS);

} // namespace areas

} // namespace korvane
