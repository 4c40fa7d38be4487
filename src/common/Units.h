#pragma once

// Unit conversion factors and the patterns lengths are shown with (see formatNumber). The
// factors are fixed values rather than the exact definitions (millimetres per inch is 25.399986,
// not 25.4), and every conversion in the program uses these, so all of them give the same figures.
namespace korvane::units {

inline constexpr double InchesPerFoot = 12.0;
inline constexpr double InchesPerMetre = 39.3701;
inline constexpr double InchesPerCentimetre = 0.393701;
inline constexpr double CentimetresPerInch = 2.5399986;
inline constexpr double MillimetresPerInch = 25.399986;
inline constexpr double KPaPerPsi = 6.894757;

inline constexpr const char* InchFormat = "0.000";
inline constexpr const char* MillimetreFormat = "#0.00";
inline constexpr const char* FeetFormat = "###.00";
inline constexpr const char* MetreFormat = "###.00";

} // namespace korvane::units
