#pragma once

#include "engineering/TankReading.h"
#include "engineering/ThicknessRules.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// The corrosion assessment of a tank from its thickness readings: per measurement location (the
// readings sharing a point ID over all the tank's inspections) the corrosion rates, the remaining
// corrosion allowance and life, and the longest inspection intervals they allow; for the tank, the
// point with the shortest life and the intervals against those on its schedule.
//
// Thicknesses are in inches, rates in inches per year, lives and intervals in years. A year is
// 365.25 days.
namespace korvane::assessment {

// The minimums that apply where the tank has no course minimum: bottom plates without leak
// detection, and roof plates.
inline constexpr double FloorMinimum = 0.10;
inline constexpr double RoofMinimum = 0.09;
// The longest intervals: ultrasonic thickness (and without a known rate), routine external.
inline constexpr double UtCapYears = 15;
inline constexpr double UtWithoutRateYears = 5;
inline constexpr double ExternalCapYears = 5;

struct Reading {
    QDate date;
    double inches = 0;
    int course = 0; // the stored course code
};

enum class PointStatus {
    NoReading,         // a location without a reading
    NoMinimum,         // no minimum applies to its course, so it cannot be judged
    BelowMinimum,      // the latest reading lies below the minimum
    LifeShorterThanUt, // it will reach its minimum before the next ultrasonic inspection
    Sound,
};

struct PointAssessment {
    QString pointId;
    int course = 0; // of the latest reading
    std::optional<Reading> first, previous, latest;
    std::optional<double> minimum;
    // The short-term rate runs from the newest reading at least six months before the latest;
    // readings closer together than that give no rate.
    std::optional<double> longTermRate, shortTermRate, rate;
    bool scatter = false; // a thickness grew between readings; its rate counts as 0
    std::optional<double> rca, remainingLife;
    std::optional<double> utInterval, externalInterval;
    PointStatus status = PointStatus::NoReading;
};

// The tank's schedule as stored: a frequency n > 0 is every n years, n < 0 every |n| months,
// 0 none.
struct Schedule {
    double utFrequency = 0;
    double externalFrequency = 0;
};

struct TankAssessment {
    std::vector<PointAssessment> points; // in point ID order
    std::optional<double> shortestLife;
    QString governingPoint;                               // the point with the shortest life
    std::optional<double> utInterval, externalInterval;   // the least allowed over the points
    std::optional<double> utFrequency, externalFrequency; // the schedule's, in years
    bool utTooLong = false, externalTooLong = false;      // the schedule exceeds what is allowed
};

// The minimum for a stored course code: the tank's course minimum, the floor and roof minimums
// above; none for a course without a minimum or no course.
std::optional<double> minimumFor(int courseCode, const thickness::Minimums& minimums);

// One location from its readings, oldest first. `utYears` is the ultrasonic interval in force
// (the schedule's); when none, the point's own allowed interval is used.
PointAssessment assessPoint(const QString& pointId, const std::vector<Reading>& readings,
                            const thickness::Minimums& minimums,
                            std::optional<double> utYears = std::nullopt);

// The tank from all its readings (in any order; readings without a date or value are left out).
TankAssessment assessTank(const std::vector<TankReading>& readings,
                          const thickness::Minimums& minimums, const Schedule& schedule);

// "Below minimum", "Life short of next UT", "Sound", "No minimum", "No reading".
QString statusText(PointStatus status);
// The order of concern: below minimum first, no reading last.
int severity(PointStatus status);

// The assessment as CSV: a header line and one row per point, full precision, dates
// yyyy-mm-dd, empty where there is no value.
QString csv(const TankAssessment& tank);

} // namespace korvane::assessment
