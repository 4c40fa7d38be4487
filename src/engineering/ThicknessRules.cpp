#include "engineering/ThicknessRules.h"

#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "common/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane::thickness {

QStringList courseEntries(int courses) {
    QStringList entries{QStringLiteral(" "), QStringLiteral("Floor")};
    for (int i = 1; i <= std::clamp(courses, 0, MaxCourses); ++i)
        entries << QStringLiteral("Course %1").arg(i);
    entries << QStringLiteral("Roof");
    return entries;
}

int storedCourse(int position, int courses) {
    const int last = std::clamp(courses, 0, MaxCourses) + 2;
    if (position == last)
        return RoofCode;
    return position >= 1 && position < last ? position : 0;
}

QString courseText(int code) {
    if (code == FloorCode)
        return QStringLiteral("Floor");
    if (code == RoofCode)
        return QStringLiteral("Roof");
    if (code > FloorCode && code < RoofCode)
        return QStringLiteral("Course %1").arg(code - 1);
    return {};
}

QString shownThickness(double inches, bool unitsUS) {
    return formatThickness(inches, unitsUS);
}

double shownValue(double inches, bool unitsUS) {
    // The shown text rounds the exact binary value half away from zero. The value scaled by
    // 1000 (or 100) is exact in an extended long double (53 + 10 bits of 64), so rounding it
    // there rounds the exact value the same way; dividing back gives the double nearest to the
    // shown digits, as reading the text back does. The text road stays for what cannot be
    // scaled exactly: a value too large, not finite, or a platform without the extended type.
    static_assert(std::numeric_limits<double>::digits == 53);
    const double value = unitsUS ? inches : inches * units::MillimetresPerInch;
    const int decimals = unitsUS ? 3 : 2;
    if constexpr (std::numeric_limits<long double>::digits >= 64) {
        if (std::isfinite(value) && std::abs(value) < 1e12) {
            const long double scale = unitsUS ? 1000.0L : 100.0L;
            const long double rounded = std::round(static_cast<long double>(value) * scale);
            return static_cast<double>(rounded) / static_cast<double>(scale);
        }
    }
    return QString::number(value, 'f', decimals).toDouble();
}

std::optional<double> typedInches(QStringView text, bool unitsUS) {
    // Group separators are refused: "1,500" is a slip for 1.5 as often as it means 1500.
    const auto value = plainNumber(text);
    if (!value)
        return std::nullopt;
    return unitsUS ? *value : *value / units::MillimetresPerInch;
}

bool belowMinimum(double readingInches, int courseCode, const Minimums& minimums, bool unitsUS) {
    if (courseCode < 0 || courseCode > RoofCode || !std::isfinite(readingInches))
        return false;
    const double minimum = minimums[static_cast<std::size_t>(courseCode)];
    if (!(minimum > 0))
        return false;
    return shownValue(readingInches, unitsUS) < shownValue(minimum, unitsUS);
}

} // namespace korvane::thickness
