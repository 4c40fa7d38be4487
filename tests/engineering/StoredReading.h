#pragma once

#include "engineering/TankReading.h"

#include <QString>

namespace korvane::test {

// A reading as a tank's list holds it: point ID, date as written, inches and course code.
inline TankReading storedReading(const char* point, const char* date, double inches, int course) {
    TankReading reading;
    reading.pointId = QString::fromUtf8(point);
    reading.dateTaken = QString::fromUtf8(date);
    reading.reading = inches;
    reading.course = course;
    return reading;
}

} // namespace korvane::test
