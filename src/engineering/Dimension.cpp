#include "engineering/Dimension.h"

#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "common/Units.h"

#include <cmath>
#include <limits>

namespace korvane::dimension {

namespace {

constexpr double MaxInches = std::numeric_limits<qint16>::max();

Outcome refused(const QString& message) {
    return {Outcome::Kind::Refused, 0, message};
}

Outcome notANumber(const QString& answer, const char* unit) {
    return refused(QStringLiteral("\"%1\" is not a number of %2. The dimension was left as it was.")
                       .arg(answer, QLatin1String(unit)));
}

Outcome tooLarge(bool unitsUS) {
    return refused(QStringLiteral("A dimension can be at most %1 inches (%2 %3). The dimension "
                                  "was left as it was.")
                       .arg(static_cast<int>(MaxInches))
                       .arg(displayText(MaxInches, unitsUS),
                            unitsUS ? QStringLiteral("ft") : QStringLiteral("m")));
}

bool fits(double inches) {
    return std::fabs(roundHalfEven(inches)) <= MaxInches;
}

} // namespace

bool isUnitKey(QChar key) {
    return key == u'\'' || key == u'F' || key == u'f' || key == u'M' || key == u'm';
}

Outcome convert(const QString& typed, bool unitsUS, const Ask& ask) {
    const char* wholeUnit = unitsUS ? "feet" : "meters";
    const char* partUnit = unitsUS ? "inches" : "centimeters";
    const QString offered = numberText(roundHalfEven(numericValue(typed)));

    const QString whole = ask(QString::fromLatin1(unitsUS ? FeetPrompt : MetresPrompt), offered);
    if (whole.isEmpty())
        return {};
    if (!beginsWithNumber(whole))
        return notANumber(whole, wholeUnit);
    const double wholeInches =
        numericValue(whole) * (unitsUS ? units::InchesPerFoot : units::InchesPerMetre);
    if (!fits(wholeInches))
        return tooLarge(unitsUS);
    double total = roundHalfEven(wholeInches);

    const QString part =
        ask(QString::fromLatin1(unitsUS ? InchesPrompt : CentimetresPrompt), QStringLiteral("0"));
    if (!part.isEmpty() && !beginsWithNumber(part))
        return notANumber(part, partUnit);
    const double partValue = numericValue(part);
    if (unitsUS) {
        total += partValue;
    } else {
        const double partInches = partValue * units::InchesPerCentimetre;
        if (!fits(partInches))
            return tooLarge(unitsUS);
        total += roundHalfEven(partInches);
    }
    if (!fits(total))
        return tooLarge(unitsUS);
    total = roundHalfEven(total);
    if (total < 0)
        return refused(QStringLiteral("A dimension cannot be less than 0. The dimension was left "
                                      "as it was."));
    return {Outcome::Kind::Converted, static_cast<qint16>(total), {}};
}

QString displayText(double inches, bool unitsUS) {
    return formatNumber(inches / (unitsUS ? units::InchesPerFoot : units::InchesPerMetre),
                        QString::fromLatin1(unitsUS ? units::FeetFormat : units::MetreFormat));
}

} // namespace korvane::dimension
