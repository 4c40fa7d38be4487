#include "engineering/UnitEntry.h"

#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "common/Units.h"

#include <cmath>

namespace korvane::unitentry {

namespace {

KeyEffect markerKey(QChar key, QChar positive, QChar negative) {
    const QChar upper = key.toUpper();
    if (upper == positive)
        return {PositiveUnit, false};
    if (upper == negative)
        return {NegativeUnit, false};
    return {};
}

Shown signedShown(double stored, const QString& prefix, const char* positive,
                  const char* negative) {
    const bool isNegative = stored < 0;
    return {prefix + numberText(std::fabs(stored)) +
                QLatin1String(isNegative ? negative : positive),
            isNegative ? NegativeUnit : PositiveUnit};
}

} // namespace

KeyEffect capacityKey(QChar key) {
    if (key == u',')
        return {std::nullopt, true};
    return markerKey(key, u'B', u'G');
}

KeyEffect frequencyKey(QChar key) {
    return markerKey(key, u'Y', u'M');
}

QString markerOnLeave(const QString& marker) {
    return marker.isEmpty() ? NoUnit : marker;
}

std::optional<double> storedValue(QStringView text, QStringView marker) {
    if (marker == PositiveUnit)
        return numericValue(text);
    if (marker == NegativeUnit)
        return -numericValue(text);
    return std::nullopt;
}

Shown capacityShown(double stored) {
    return signedShown(stored, QStringLiteral(" "), " bbls.", " gals.");
}

Shown frequencyShown(double stored) {
    return signedShown(stored, QString(), " Year(s)", " Month(s)");
}

QString frequencyTextOnLeave(const QString& text, QStringView marker) {
    if (marker == PositiveUnit)
        return numberText(numericValue(text)) + QLatin1String(" Year(s)");
    if (marker == NegativeUnit)
        return numberText(numericValue(text)) + QLatin1String(" Month(s)");
    return text;
}

QString strengthTag(const QString& typed, bool unitsUS) {
    if (unitsUS)
        return typed;
    return numberText(numericValue(typed) / units::KPaPerPsi);
}

QString strengthText(double psi, bool unitsUS) {
    return formatNumber(unitsUS ? psi : psi * units::KPaPerPsi, u"######");
}

} // namespace korvane::unitentry
