#include "engineering/StoredUnit.h"

#include <cmath>

namespace korvane::storedunit {

Unit nearerUnit(double stored, double expected, double secondPerFirst) {
    // Written so that amounts that are not numbers cannot be told either.
    if (!(stored > 0.0) || !(expected > 0.0) || !(secondPerFirst > 0.0))
        return Unit::Unknown;
    const double asFirst = std::fabs(std::log(stored / expected));
    const double asSecond = std::fabs(std::log(stored / (expected * secondPerFirst)));
    return asFirst <= asSecond ? Unit::First : Unit::Second;
}

} // namespace korvane::storedunit
