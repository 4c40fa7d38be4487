#pragma once

#include "common/Result.h"

#include <QtGlobal>

namespace korvane {

// Rounds to the nearest whole number; a value exactly halfway goes to the even neighbour
// (12.5 gives 12, 13.5 gives 14, -2.5 gives -2). NaN and infinities come back unchanged.
// It does not depend on the floating-point rounding mode in force.
double roundHalfEven(double value);

// Whole numbers for fields stored as 16-bit, 32-bit and 8-bit unsigned integers. The value is
// rounded half to even first, so 32767.4 fits a 16-bit field and 32767.5 does not. A value
// outside the field's range, NaN or an infinity gives an Error whose message tells the user the
// range, e.g. "The number 40000 is too large: it must lie between -32768 and 32767."
Result<qint16> toInt16(double value);
Result<qint32> toInt32(double value);
Result<quint8> toByte(double value);

} // namespace korvane
