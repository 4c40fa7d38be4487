#include "common/Rounding.h"

#include <QString>

#include <cmath>
#include <limits>

namespace korvane {

namespace {

template <class Integer> Result<Integer> toInteger(double value) {
    using Limits = std::numeric_limits<Integer>;
    const QString range = QStringLiteral("it must lie between %1 and %2.")
                              .arg(qint64{Limits::min()})
                              .arg(qint64{Limits::max()});
    if (std::isnan(value))
        return Error{QStringLiteral("The value is not a number: %1").arg(range)};

    // Both limits and every whole number between them are exact doubles, so the comparison of
    // the rounded value is exact; an infinity fails it like any other large number.
    const double rounded = roundHalfEven(value);
    const QString shown = std::isinf(value)
                              ? QStringLiteral("The number")
                              : QStringLiteral("The number %1").arg(value, 0, 'g', 15);
    if (rounded > Limits::max())
        return Error{QStringLiteral("%1 is too large: %2").arg(shown, range)};
    if (rounded < Limits::min())
        return Error{QStringLiteral("%1 is too small: %2").arg(shown, range)};
    return static_cast<Integer>(rounded);
}

} // namespace

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double nearest = std::round(value); // halfway cases go away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(nearest, 2.0) != 0.0)
        return nearest - std::copysign(1.0, value);
    return nearest;
}

Result<qint16> toInt16(double value) {
    return toInteger<qint16>(value);
}
Result<qint32> toInt32(double value) {
    return toInteger<qint32>(value);
}
Result<quint8> toByte(double value) {
    return toInteger<quint8>(value);
}

} // namespace korvane
