#include "common/NumberFormat.h"

#include "common/Units.h"

#include <cmath>

namespace korvane {

namespace {

struct Pattern {
    int integerZeros = 0;   // '0's before the point: the least number of integer digits
    int decimals = 0;       // digits after the point, '#' or '0'
    int forcedDecimals = 0; // decimals up to the last '0' after the point
};

bool parsePattern(QStringView text, Pattern& pattern) {
    bool afterPoint = false;
    for (const QChar c : text) {
        if (c == u'.' && !afterPoint) {
            afterPoint = true;
        } else if (c == u'0' || c == u'#') {
            if (!afterPoint) {
                pattern.integerZeros += c == u'0' ? 1 : 0;
            } else {
                ++pattern.decimals;
                if (c == u'0')
                    pattern.forcedDecimals = pattern.decimals;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Whether the rounded digits are all zeros, so that no minus sign belongs in front of them.
bool roundsToZero(QStringView digits) {
    for (const QChar c : digits) {
        if (c != u'0' && c != u'.')
            return false;
    }
    return true;
}

} // namespace

QString formatNumber(double value, QStringView pattern) {
    if (!std::isfinite(value))
        return {};
    Pattern format;
    if (!parsePattern(pattern, format))
        return QString::number(value, 'g', 15);

    // QString::number with 'f' rounds the exact binary value, halfway cases away from zero,
    // and does not depend on the locale.
    const QString digits = QString::number(std::fabs(value), 'f', format.decimals);
    const qsizetype point = digits.indexOf(u'.');
    QString integer = point < 0 ? digits : digits.first(point);
    QString fraction = point < 0 ? QString() : digits.sliced(point + 1);

    while (fraction.size() > format.forcedDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integer == u"0")
        integer.clear();
    if (integer.size() < format.integerZeros)
        integer = QString(format.integerZeros - integer.size(), u'0') + integer;

    QString text = integer;
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    if (value < 0 && !roundsToZero(digits))
        text.prepend(u'-');
    return text;
}

QString numberText(double value) {
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

QString formatThickness(double inches, bool unitsUS) {
    return unitsUS ? formatNumber(inches, QString::fromLatin1(units::InchFormat))
                   : formatNumber(inches * units::MillimetresPerInch,
                                  QString::fromLatin1(units::MillimetreFormat));
}

} // namespace korvane
