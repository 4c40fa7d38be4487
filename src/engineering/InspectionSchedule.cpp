#include "engineering/InspectionSchedule.h"

#include "common/DateText.h"
#include "common/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace korvane::schedule {

QDate nextDate(const QDate& last, qint64 n, bool years) {
    // Beyond ten thousand years every result leaves the calendar; clamping first keeps the
    // count of months within an int.
    constexpr qint64 Reach = 10000LL * 12;
    const qint64 units = std::clamp<qint64>(n, -Reach, Reach);
    return addMonths(last, static_cast<int>(years ? units * 12 : units));
}

namespace {

// A stored frequency as whole years (positive) or months (negative); nothing for 0 or a
// frequency too large to count.
std::optional<qint64> wholeUnits(double storedFrequency) {
    if (!std::isfinite(storedFrequency))
        return std::nullopt;
    const double n = roundHalfEven(storedFrequency);
    if (n == 0 || std::fabs(n) > static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint64>(n);
}

// The calendar year of nextDueDate, worked out from the year and month alone: the grid asks
// this of every tank of a location, and the day of the month never changes the year.
std::optional<int> nextDueYear(const QDate& last, double storedFrequency) {
    const auto n = wholeUnits(storedFrequency);
    int year = 0;
    int month = 0;
    last.getDate(&year, &month, nullptr);
    if (!n || !last.isValid() || year < 1)
        return std::nullopt;
    constexpr qint64 Reach = 10000LL * 12;
    const qint64 months = *n > 0 ? std::min(*n, Reach) * 12 : std::min(-*n, Reach);
    const qint64 due = (qint64{year} * 12 + month - 1 + months) / 12;
    if (due > 9999)
        return std::nullopt;
    return static_cast<int>(due);
}

} // namespace

QDate nextDueDate(const QDate& last, double storedFrequency) {
    const auto n = wholeUnits(storedFrequency);
    if (!n)
        return {};
    return *n > 0 ? nextDate(last, *n, true) : nextDate(last, -*n, false);
}

bool isDue(const QDate& next, const QDate& today) {
    return next.isValid() && today.isValid() && today.year() - next.year() >= 0;
}

bool anyDue(const std::array<StoredInspection, Kinds.size()>& inspections, const QDate& today) {
    if (!today.isValid())
        return false;
    const int thisYear = today.year();
    for (const StoredInspection& inspection : inspections) {
        if (inspection.frequency == 0 || inspection.last.isEmpty())
            continue;
        const auto last = parseDate(inspection.last);
        if (!last)
            continue;
        if (const auto year = nextDueYear(*last, inspection.frequency); year && thisYear >= *year)
            return true;
    }
    return false;
}

} // namespace korvane::schedule
