#pragma once

#include "common/Result.h"
#include "storage/LinkedRows.h"

#include <QString>

#include <optional>

namespace korvane {

// The thickness measurement locations (TMLs) of a tank: table TML, one row per point ID and
// tank, holding the page the point was placed on and its coordinates. Point IDs are compared
// and stored as bound values, so any character may be part of one.
struct TmlPoint {
    QString pointId;
    int page = 1; // GraphicType: the page of the tab the point was accepted on
    double x = 0;
    double y = 0;

    bool operator==(const TmlPoint&) const = default;
};

namespace tml {

// The tank's row of a point; no value when the tank has no such point.
Result<std::optional<TmlPoint>> find(const Database& db, qint32 tankId, const QString& pointId);

// Adds the point's row, or gives an existing row of the same point ID its page and
// coordinates (the point ID as stored stays). Inside the caller's transaction, if any.
Status write(Database& db, qint32 tankId, const TmlPoint& point);

// Deletes the tank's row of a point; false when there was none.
Result<bool> remove(Database& db, qint32 tankId, const QString& pointId);

// How a graphics window reads and stores the points it holds until OK: by tank and point ID.
LinkedRows<TmlPoint>::Access access();

// The latest reading of a point: the one with the latest DateTaken over all the tank's
// inspections (the one entered last among readings of the same day).
struct Measurement {
    double reading = 0;     // inches
    QString date;           // "dd/mmm/yyyy"; empty when the reading has no date
    QString inspectionNum;  // the inspection's identifier, InspectionNum
    QString inspectionDate; // "dd/mmm/yyyy"; empty when the inspection has no date
};

// The point's latest measurement; no value when the point was never measured.
Result<std::optional<Measurement>> latestMeasurement(const QString& databaseName, qint32 tankId,
                                                     const QString& pointId);

// What "Current Thickness" shows: the reading with its unit, inches "0.000 in." or millimetres
// "#0.00 mm" (by 25.399986), the date it was taken and its inspection, such as
// "0.250 in. on 05/Mar/2021, inspection 2021-01" (an inspection without an identifier is named
// by its date); "never measured" without a measurement.
QString currentThicknessText(const std::optional<Measurement>& measurement, bool unitsUS);

} // namespace tml

} // namespace korvane
