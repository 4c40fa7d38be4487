#include "engineering/PointTrend.h"

#include "common/DateText.h"
#include "common/TextValue.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/ReadingChecks.h"

#include <algorithm>
#include <cmath>

namespace korvane::assessment {

namespace {

constexpr double DaysPerYear = 365.25;
constexpr double YearsShownPastLatest = 10;
// Projections further out than this are no date anyone plans by.
constexpr double LongestProjection = 100;

QDate addYears(const QDate& date, double years) {
    return date.addDays(static_cast<qint64>(std::llround(years * DaysPerYear)));
}

double yearsBetween(const QDate& a, const QDate& b) {
    return static_cast<double>(a.daysTo(b)) / DaysPerYear;
}

std::optional<QDate> reaching(const Reading& latest, double rate, std::optional<double> minimum) {
    if (!minimum || !(rate > 0))
        return std::nullopt;
    const double years = std::max(latest.inches - *minimum, 0.0) / rate;
    if (years > LongestProjection)
        return std::nullopt;
    return addYears(latest.date, years);
}

std::optional<RateLine> line(std::optional<double> rate, const QDate& from, const Reading& latest,
                             std::optional<double> minimum) {
    if (!rate)
        return std::nullopt;
    RateLine l;
    l.rate = *rate;
    l.from = from;
    l.fromInches = latest.inches + *rate * yearsBetween(from, latest.date);
    l.reachesMinimum = reaching(latest, *rate, minimum);
    l.to = l.reachesMinimum ? *l.reachesMinimum : addYears(latest.date, YearsShownPastLatest);
    l.toInches = latest.inches - *rate * yearsBetween(latest.date, l.to);
    return l;
}

} // namespace

PointTrend pointTrend(const QString& pointId, const std::vector<TankReading>& readings,
                      const thickness::Minimums& minimums, const QDate& utLast,
                      double utFrequency) {
    PointTrend trend;
    const QString key = foldedCase(pointId);
    QString name = pointId;
    for (const TankReading& r : readings) {
        if (foldedCase(r.pointId) != key)
            continue;
        const auto date = parseDate(r.dateTaken);
        if (!date || !std::isfinite(r.reading))
            continue;
        name = r.pointId;
        trend.readings.push_back({*date, r.reading, r.course});
    }
    std::stable_sort(trend.readings.begin(), trend.readings.end(),
                     [](const Reading& a, const Reading& b) { return a.date < b.date; });
    const double utYears = utFrequency > 0 ? utFrequency : -utFrequency / 12.0;
    trend.point = assessPoint(name, trend.readings, minimums,
                              utFrequency != 0 ? std::optional(utYears) : std::nullopt);
    if (const QDate next = schedule::nextDueDate(utLast, utFrequency); next.isValid())
        trend.nextUt = next;
    if (trend.readings.empty())
        return trend;

    const Reading& latest = trend.readings.back();
    const auto& p = trend.point;
    trend.longTerm = line(p.longTermRate, trend.readings.front().date, latest, p.minimum);
    // The short-term rate runs from the newest reading at least six months before the latest.
    if (p.shortTermRate && p.longTermRate) {
        const auto rate = *p.shortTermRate;
        // Its start: the reading whose rate to the latest is the short-term rate.
        QDate from = trend.readings.front().date;
        for (auto r = trend.readings.rbegin() + 1; r != trend.readings.rend(); ++r)
            if (r->date <= addMonths(latest.date, -readingcheck::SoonMonths)) {
                from = r->date;
                break;
            }
        trend.shortTerm = line(rate, from, latest, p.minimum);
    }
    if (p.rate)
        trend.reachesMinimum = reaching(latest, *p.rate, p.minimum);
    return trend;
}

} // namespace korvane::assessment
