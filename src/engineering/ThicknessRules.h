#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// Rules of thickness readings: where on the tank a reading was taken (the course list and the
// code stored in Thickness.Course), how thicknesses are shown and typed in either unit, and when
// a reading lies below the minimum thickness of its course.
namespace korvane::thickness {

// Stored course codes: 1 floor, 2..11 courses 1..10, 12 roof; 0 or none: not given.
inline constexpr int FloorCode = 1;
inline constexpr int RoofCode = 12;
inline constexpr int MaxCourses = 10;

// The course list of a tank of `courses` shell courses (0..10): " ", "Floor", "Course 1" ...
// "Course N", "Roof".
QStringList courseEntries(int courses);

// The code stored for the entry at `position` of that list: the position itself, except that
// the last entry ("Roof") is always 12. 0 for the blank entry or a position outside the list.
int storedCourse(int position, int courses);

// "Floor", "Course n" or "Roof" for a stored code; empty for any other code.
QString courseText(int code);

// The code of the course whose minimum thickness is Course<n>_Min.
constexpr int courseCode(int course) {
    return course + 1;
}

// A thickness in inches as the program shows it: "0.000" inches, or millimetres "#0.00" when
// the units are metric. Empty for a missing (NaN) value.
QString shownThickness(double inches, bool unitsUS);

// The inches a typed thickness stands for: the number itself in US units, or millimetres
// divided by 25.399986. Only a text that is a number as a whole counts ("6.35", " .5",
// "1e-1"); "6,35", "0.5 in" and "" give nothing, so that a slip never stores a wrong figure.
std::optional<double> typedInches(QStringView text, bool unitsUS);

// Minimum thicknesses by course code (index 0..12), in inches; 0 where none applies (the floor,
// the roof and courses the tank does not have).
using Minimums = std::array<double, RoofCode + 1>;

// Whether a reading lies below the minimum of its course, comparing the numbers as they are
// shown (so 0.2496 against a minimum of 0.250 is not below in inches, both showing "0.250").
// A course without a minimum, and a reading without a course, are never below.
bool belowMinimum(double readingInches, int courseCode, const Minimums& minimums, bool unitsUS);

// The number a value shows as, for comparing values as they are shown.
double shownValue(double inches, bool unitsUS);

} // namespace korvane::thickness
