#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace korvane {

// The minimum required thickness of each shell course, t = 2.6 H D G / (S E) with a floor of
// 0.1 inch, where H is the liquid head over the course in feet, D the diameter in feet, G the
// specific gravity, S the allowable stress in psi and E the joint efficiency. This is the
// arithmetic only; the Tank Information window gathers the inputs, asks its questions and shows
// the refusals.

// Positions of the shell construction list, as Tank.MfgType stores them: 1 and 2 are welded
// shells ("Weld Butt", "Weld Lap"), 3 to 11 riveted ones ("Rivet L1" .. "Rivet B6").
namespace mfgtype {
inline constexpr int None = 0;
inline constexpr int WeldButt = 1;
inline constexpr int WeldLap = 2;
inline constexpr int RivetL1 = 3;
inline constexpr int RivetB6 = 11;
} // namespace mfgtype

bool isWeldedShell(int mfgType);
bool isRivetedShell(int mfgType);

struct MinWallInput {
    int mfgType = mfgtype::None;
    int diameterIn = 0; // whole inches
    int heightIn = 0;   // shell height, whole inches
    int levelIn = 0;    // design liquid level, whole inches
    int courses = 0;    // 1 .. MaxShellCourses
    float specGravity = 0.0f;
    qint32 yieldPsi = 0;
    qint32 tensilePsi = 0;
    double jointEff = 0.0;
};

inline constexpr int MaxShellCourses = 10;

// Why a calculation is refused, in the order the inputs are checked.
enum class MinWallRefusal {
    None,
    NoConstructionType, // no shell construction chosen
    DataMissing,        // no courses, gravity below 0.4, a dimension below 5 ft, E or S not above 0
    TooManyCourses,     // more courses than a tank record holds
    DiameterTooLarge,   // above 200 ft
};

inline constexpr const char* MinWallTitle = "Minimum Wall Calculations";
inline constexpr const char* NoConstructionTypeText = "Must select a Manufacturing Type";
inline constexpr const char* DataMissingText = "Data missing for necessary calculations";
inline constexpr const char* TooManyCoursesText = "Current calculations are limited to 10 courses";
inline constexpr const char* DiameterTooLargeText =
    "Current calculations are limited to tanks under 200'";

// The message for a refusal; empty for None.
QString refusalText(MinWallRefusal refusal);

// The checks come in two stages because the window asks about raising the yield and tensile
// strengths between them: first the construction type, the course count and the gravity; then
// the level, height and diameter, and the joint efficiency and allowable stress the division
// needs.
MinWallRefusal checkCoursesAndGravity(const MinWallInput& input);
MinWallRefusal checkDimensions(const MinWallInput& input);
// Both stages in order: the first refusal that applies, or None.
MinWallRefusal checkMinWallInput(const MinWallInput& input);

// The least strengths the rule accepts. Weaker values are offered a raise to these; the user may
// keep them, and the calculation runs either way.
inline constexpr qint32 MinimumYieldPsi = 30000;
inline constexpr qint32 MinimumTensilePsi = 55000;
bool needsYieldRaise(qint32 yieldPsi);
bool needsTensileRaise(qint32 tensilePsi);

// Allowable stresses of a welded shell, psi: the smaller of 0.8 Y and 0.429 T for the bottom
// and second course, of 0.88 Y and 0.472 T above them, each rounded half to even.
struct WeldedAllowableStress {
    qint32 lowerCourses = 0;
    qint32 upperCourses = 0;
};
WeldedAllowableStress weldedAllowableStress(qint32 yieldPsi, qint32 tensilePsi);
inline constexpr qint32 RivetedAllowableStressPsi = 21000;
// Allowable stress of course `course` (1 = bottom), psi: the welded stress of its place in the
// shell, or the riveted one; 0 when no shell construction is chosen.
qint32 courseAllowableStress(int mfgType, int course, qint32 yieldPsi, qint32 tensilePsi);

inline constexpr float MinimumCourseWall = 0.1f;

// Liquid head over each course in feet, bottom course first: the level less an even share of
// the shell height per course below (the individual course heights do not enter).
std::vector<float> fillHeights(const MinWallInput& input);

// Minimum thickness of courses 1..N in inches, bottom course first; empty when the input is
// refused by checkMinWallInput.
std::vector<float> calcMinWall(const MinWallInput& input);

} // namespace korvane
