#include "common/Clock.h"

namespace korvane {

QDate SystemClock::today() const {
    return QDate::currentDate();
}

QDate FixedClock::today() const {
    return today_;
}

} // namespace korvane
