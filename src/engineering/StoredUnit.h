#pragma once

namespace korvane::storedunit {

// Some numbers of a tank were stored without their unit: course heights are kept as entered
// (inches or centimetres), and older versions kept the maximum fill record as typed (feet or
// metres). Such a number is told by an amount of the same tank it should come near: course
// heights add up to the shell height, a fill level lies below it.

enum class Unit { First, Second, Unknown };

// The unit a stored amount was most likely entered in: the one under which it lies nearer, in
// ratio, the amount it should come near (`expected`, in the first unit; `secondPerFirst` of the
// second unit make one of the first). A tie goes to the first unit. Unknown when either amount
// is not above zero.
Unit nearerUnit(double stored, double expected, double secondPerFirst);

} // namespace korvane::storedunit
