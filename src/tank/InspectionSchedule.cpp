#include "tank/InspectionSchedule.h"

#include "common/DateText.h"
#include "common/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane::schedule {

QDate nextDate(const QDate& last, qint64 n, bool years) {
    // Beyond ten thousand years every result leaves the calendar; clamping first keeps the
    // count of months within an int.
    constexpr qint64 Reach = 10000LL * 12;
    const qint64 units = std::clamp<qint64>(n, -Reach, Reach);
    return addMonths(last, static_cast<int>(years ? units * 12 : units));
}

QDate nextDueDate(const QDate& last, double storedFrequency) {
    if (!std::isfinite(storedFrequency))
        return {};
    const double n = roundHalfEven(storedFrequency);
    if (n == 0 || std::fabs(n) > static_cast<double>(std::numeric_limits<qint32>::max()))
        return {};
    const auto whole = static_cast<qint64>(n);
    return whole > 0 ? nextDate(last, whole, true) : nextDate(last, -whole, false);
}

bool isDue(const QDate& next, const QDate& today) {
    return next.isValid() && today.isValid() && today.year() - next.year() >= 0;
}

bool anyDue(const std::array<StoredInspection, Kinds.size()>& inspections, const QDate& today) {
    for (const StoredInspection& inspection : inspections) {
        if (inspection.frequency == 0 || inspection.last.isEmpty())
            continue;
        const auto last = parseDate(inspection.last);
        if (last && isDue(nextDueDate(*last, inspection.frequency), today))
            return true;
    }
    return false;
}

} // namespace korvane::schedule
