#pragma once

#include <QString>
#include <QStringView>

namespace korvane {

// Formats a number by a display pattern of '0' (a digit always shown), '#' (a digit shown only
// when needed) and at most one '.', such as "0.000", "#0.00" or "###.00".
//
// - The value is rounded to as many decimals as the pattern has digits after the point. The
//   rounding is of the double's exact binary value, halfway cases away from zero: 0.125 gives
//   "0.13" with "0.00", but 2.675 gives "2.67", because the double nearest 2.675 lies just
//   below it (and 0.0005 gives "0.001" with "0.000", the double lying just above).
// - The integer part shows all its digits, with leading zeros up to the number of '0's before
//   the point; '#' positions are not padded: 0.5 gives ".50" with "###.00" and "0.50" with
//   "#0.00"; 12345 gives "12345.00" with "###.00"; 0 gives "" with "######".
// - A '#' after the point is a decimal shown only when it is not a trailing zero: 1.5 gives
//   "1.5" with "0.0#"; the point goes too when no decimal remains.
// - Negative values keep their sign ("-.50"), unless they round to zero ("0.00", not "-0.00").
// - NaN and infinities give "", as does a value that has no digits to show.
// - A pattern with any other character or a second point is not a display pattern: the value
//   is then shown as QString::number() would, so that it is at least visible.
QString formatNumber(double value, QStringView pattern);

// A wall thickness held in inches as the program shows it: inches "0.000", or millimetres
// "#0.00" (by 25.399986) when the units are metric. NaN gives "".
QString formatThickness(double inches, bool unitsUS);

// A worked-out value written as a plain number, the way the program puts a number into a box or
// offers it as a default answer: at most 15 significant digits, '.' as the decimal point whatever
// the locale, no separators and no trailing zeros ("12", "1446", "2.5", "145.037737809647");
// -0 gives "0". Very large or small magnitudes take an exponent ("1e+20"), which numericValue
// reads back. NaN and infinities give "".
QString numberText(double value);

} // namespace korvane
