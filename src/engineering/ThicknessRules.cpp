#include "engineering/ThicknessRules.h"

#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "common/Units.h"

#include <algorithm>
#include <cmath>

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
    // The shown text rounds the exact binary value half away from zero; rounding the same value
    // to the same number of decimals through the same conversion gives the same digits.
    const double value = unitsUS ? inches : inches * units::MillimetresPerInch;
    return QString::number(value, 'f', unitsUS ? 3 : 2).toDouble();
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
