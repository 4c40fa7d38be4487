#pragma once

#include "common/Result.h"
#include "data/Database.h"
#include "data/Recordset.h"

#include <QString>
#include <QStringList>

#include <array>

namespace korvane {

// Deleting what was entered by mistake: one thickness reading, or an inspection with everything
// recorded with it. The row is claimed first, as for editing, so a row open in another window or
// program is refused; it stays claimed while the user is asked, and everything goes in one
// transaction, each row kept in the history (a drawing by its page name, not its drawing).

// A thickness reading claimed for deleting.
class ReadingDeletion {
public:
    // Claims the reading; refused when it is gone or open elsewhere.
    static Result<ReadingDeletion> claim(const QString& databaseName, qint32 thicknessId);

    qint32 inspectionId() const;
    // "Delete the thickness reading of point K-1 (Course 1, 0.310 in., taken 14/Jun/2024)?" and
    // how many rows go.
    QString question(bool unitsUS) const;
    // Deletes the reading in one transaction.
    Status deleteReading();

private:
    Recordset row_;
    qint32 thicknessId_ = 0;
};

// The tables whose rows belong to an inspection (by InspectionID), deleted with it, and what
// their rows are called.
struct InspectionPart {
    const char* table;
    const char* one;
    const char* many;
};
inline constexpr std::array<InspectionPart, 7> InspectionParts{{
    {"Thickness", "thickness reading", "thickness readings"},
    {"ShellSurvey", "shell settlement survey", "shell settlement surveys"},
    {"BottomSurvey", "bottom survey", "bottom surveys"},
    {"EdgeSettle", "edge or floor settlement area", "edge and floor settlement areas"},
    {"RFCorrosion", "roof or floor corrosion area", "roof and floor corrosion areas"},
    {"SCorrosion", "shell corrosion area", "shell corrosion areas"},
    {"IGraphic", "drawing page", "drawing pages"},
}};

// An inspection claimed for deleting, with its rows counted table by table.
class InspectionDeletion {
public:
    using Counts = std::array<qint64, InspectionParts.size()>;

    // Claims the inspection and counts what belongs to it; refused when it is gone or open
    // elsewhere.
    static Result<InspectionDeletion> claim(const QString& databaseName, qint32 inspectionId);

    const Counts& counts() const { return counts_; }
    // "Delete inspection I-2023 of T-101, dated 01/Mar/2023, and everything recorded with it?",
    // then one line for the inspection and each kind of row that goes, with how many.
    QString question(const QString& tankName) const;
    // Deletes the rows that belong to the inspection, then the inspection, in one transaction.
    // Fails, deleting nothing, when the rows found are not the rows counted (another user added
    // some meanwhile).
    Status deleteAll();

private:
    Recordset row_;
    qint32 inspectionId_ = 0;
    Counts counts_{};
};

} // namespace korvane
