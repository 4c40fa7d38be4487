#pragma once

#include "engineering/MinWall.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace korvane::maxfill {

// The highest liquid level a thinned shell course still allows: the level at which the minimum
// thickness rule (MinWall.h) asks of the course no more than the metal it has left, the critical
// reading less the corrosion allowance. The rule t = 2.6 H D G / (S E) turned round gives
//     H = (c - a) S E / (2.6 D G)
// feet of liquid over the bottom of the course (c and a in inches, D in feet, S in psi). The
// level is that head plus the height of the course's bottom, the shell height being split evenly
// between the courses as the rule splits it, and never more than the shell height. This is the
// arithmetic only; the Tank Information window reads the boxes and shows the refusals.

inline constexpr const char* Title = "Maximum Fill";

struct Input {
    int course = -1; // 1 = the bottom course; 0 = the floor; below 0 = none chosen
    int courses = 0; // shell courses of the tank
    int mfgType = mfgtype::None;
    int diameterIn = 0; // whole inches
    int heightIn = 0;   // shell height, whole inches
    qint32 yieldPsi = 0;
    qint32 tensilePsi = 0;
    double jointEff = 0.0;
    double specGravity = 0.0;
    double criticalIn = 0.0;  // the critical reading, inches
    double allowanceIn = 0.0; // the corrosion allowance, inches
};

struct Outcome {
    std::optional<double> levelFt; // the highest level in feet; none when refused
    bool capped = false;           // the course would allow more than the shell height
    QString message;               // why there is no level, for the user
};

// The highest level, or a message naming every value that is missing, or saying why the
// course allows no level at all (no course or the floor chosen, a reading not above the
// allowance, less metal left than the 0.1 in the rule asks of any course).
Outcome maxFillLevel(const Input& in);

// A thickness typed on the tab, inches or (metric) millimetres, in inches.
double thicknessInches(double typed, bool unitsUS);

// A level in feet as the NEW Design Level box takes it: feet, or metres in metric units, written
// as a plain number. It is rounded down to the hundredth, so that the level written never lies
// above what the course allows.
QString levelText(double levelFt, bool unitsUS);

// The record is stored in fixed units: the NEW design level in feet, the critical reading and
// the corrosion allowance in inches, marked by Tank.MFUnitsUS = True. Older versions kept the
// numbers as typed, in feet and inches or in metres and millimetres as the preferences then
// said, and have no mark; the units of such a record are told from its level against the shell
// height. A level stands no higher than the shell, so one that would, read as metres, is in
// feet; otherwise the reading nearer the shell height is taken (StoredUnit.h). Without a level
// or a shell height the units cannot be told.
inline constexpr const char* UnitsField = "MFUnitsUS";
enum class RecordUnits { US, Metric, Unknown };
RecordUnits recordUnits(std::optional<bool> mark, double level, int shellHeightIn);

// A stored number of the record in the fixed units: as stored for US units, converted from
// metres or millimetres for metric ones, as stored when the units cannot be told.
double storedLevelFeet(double stored, RecordUnits units);
double storedThicknessInches(double stored, RecordUnits units);

// A level typed in feet or (metric) metres, in feet; and a level in feet as the box shows it,
// "###.00" feet or metres.
double levelFeet(double typed, bool unitsUS);
QString levelShown(double feet, bool unitsUS);
// The other way: a level in feet or a thickness in inches in the units of the preferences, as
// older versions kept them.
double levelInUnits(double feet, bool unitsUS);
double thicknessInUnits(double inches, bool unitsUS);

} // namespace korvane::maxfill
