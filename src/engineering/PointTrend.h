#pragma once

#include "engineering/CorrosionAssessment.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// The trend of one measurement location for its chart: its readings over time, the lines of its
// long- and short-term corrosion rates drawn through its latest reading and on to where they
// reach the minimum of its course, and the next ultrasonic inspection on the tank's schedule.
namespace korvane::assessment {

// A straight line of thinning: from the earlier reading of its rate (at the thickness the line
// gives there) through the latest reading, on to the date it reaches the minimum, or ten years
// past the latest reading when it never does (a rate of 0, or no minimum).
struct RateLine {
    double rate = 0; // inches per year
    QDate from, to;
    double fromInches = 0, toInches = 0;
    std::optional<QDate> reachesMinimum;
};

struct PointTrend {
    PointAssessment point;         // rates, minimum, life and status as the assessment gives them
    std::vector<Reading> readings; // oldest first
    std::optional<RateLine> longTerm, shortTerm;
    // When the rate the assessment uses brings the latest reading to the minimum.
    std::optional<QDate> reachesMinimum;
    std::optional<QDate> nextUt; // the last ultrasonic inspection plus the schedule's frequency
};

// The trend of a point from all the tank's readings (the point's are picked out by its ID,
// without regard to letter case); a point without readings has none. `utLast` and
// `utFrequency` are the tank's schedule as stored.
PointTrend pointTrend(const QString& pointId, const std::vector<TankReading>& readings,
                      const thickness::Minimums& minimums, const QDate& utLast, double utFrequency);

} // namespace korvane::assessment
