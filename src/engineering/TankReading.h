#pragma once

#include <QString>

#include <limits>

namespace korvane {

// One thickness reading as "Readings for this tank" lists it.
struct TankReading {
    qint32 thicknessId = 0;
    QString pointId;
    QString dateTaken;                                         // "dd/mmm/yyyy"
    double reading = std::numeric_limits<double>::quiet_NaN(); // inches; NaN when none
    int course = 0;                                            // stored course code; 0 when none
    QString takenBy;
    QString checks = {}; // the flags kept with the reading (see ReadingChecks.h); empty when none
};

} // namespace korvane
