#pragma once

#include "common/Result.h"

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
};

namespace tml {

// The tank's row of a point; no value when the tank has no such point.
Result<std::optional<TmlPoint>> find(const QString& databaseName, qint32 tankId,
                                     const QString& pointId);

// Adds the point's row, or gives an existing row of the same point ID its page and
// coordinates (the point ID as stored stays).
Status write(const QString& databaseName, qint32 tankId, const TmlPoint& point);

// Deletes the tank's row of a point; false when there was none.
Result<bool> remove(const QString& databaseName, qint32 tankId, const QString& pointId);

// The reading of the point with the latest DateTaken over all the tank's inspections (the
// one entered last among readings of the same day), in inches; no value when the point was
// never measured.
Result<std::optional<double>> latestReading(const QString& databaseName, qint32 tankId,
                                            const QString& pointId);

} // namespace tml

} // namespace korvane
