#pragma once

#include <QDate>
#include <QString>

namespace korvane::test {

// The demo database written at path as of `today`, changed so that it holds every kind of
// concern of the Due and at Risk list besides the overdue inspections and the points below
// minimum it has: T-202's external inspection due in 30 days, T-101's point S1-N short of life
// before the next ultrasonic inspection, and T-303's shell survey with point 5 beyond the
// allowance. Failures fail the test.
void writeDueDemo(const QString& path, const QDate& today);

} // namespace korvane::test
