#pragma once

#include <QString>

#include <vector>

// The out-of-plane analysis of a shell settlement survey: the settlement of the shell's bottom
// edge measured at N equally spaced points around the tank, fitted with a cosine curve (the
// tilt of the tank as a whole); what remains at each point (out-of-plane settlement U), its
// deflection against its two neighbours (S), and whether S stays within the tank's allowance.
// All lengths in inches and feet.
namespace korvane::settlement {

inline constexpr int MinimumPoints = 8;
inline constexpr int MaximumPoints = 48;

// The fewest points allowed for a tank: one per 32 ft of circumference (D x 3.141593 / 32,
// truncated), and never fewer than 8.
int minimumSurveyPoints(double diameterFt);

// The angle of point i (1 .. N + 1; N + 1 is the closing point, point 1 again), in degrees:
// 360 x (i - 1) / N, where the surveyor marked it, so the closing point stands at 360.
double pointAngle(int point, int points);

// An angle as the survey shows it: to one decimal ("32.7", "360.0").
QString angleText(double degrees);

// The tank values the allowance needs.
struct TankValues {
    double diameterFt = 0;
    double heightFt = 0;
    double yieldPsi = 0; // its whole part is used
};

// The message naming every tank value the analysis cannot do without and does not have
// ("diameter", "shell height", "yield strength": not above zero, the yield as a whole number), or
// an empty text when all are there.
QString missingTankValue(const TankValues& tank);

// One row of the survey: points 1 .. N, then the closing row N + 1 repeating point 1.
struct SurveyRow {
    int point = 0;
    double angle = 0;      // degrees; see pointAngle
    double actual = 0;     // measured settlement, inches
    double optimum = 0;    // the fitted cosine curve at this point
    double outOfPlane = 0; // U = actual - optimum
    double deflection = 0; // S = U - (U(previous) + U(next)) / 2, around the circle
    bool allowed = true;   // |S| not above the allowance ("Yes"), whichever way the shell bends
};

struct Analysis {
    // False when a tank value is missing: the rows then hold only point, angle and actual (and
    // minimum is set); or when the number of readings is outside 1 .. 48: no rows at all.
    bool analysed = false;
    QString missing;             // why not analysed: missingTankValue(), or the count of points
    std::vector<SurveyRow> rows; // N + 1
    double mean = 0;             // A
    double amplitude = 0;        // B
    double phaseDeg = 0;         // psi, degrees: optimum(theta) = A + B cos(theta - psi)
    double rSquared = 1;         // quality of the fit over points 1 .. N; 1 for level readings
    double pointSpacingFt = 0;   // L = D x 3.14159 / N
    double allowanceIn = 0;      // L^2 x Y x 11 / (H x 60,000,000) feet, x 12
    double minimum = 0;          // smallest actual of points 1 .. N
};

// Whether a deflection stays within the allowance (both in inches), whichever way the shell
// bends: the size of the deflection is compared, so a survey taken as elevations and the same
// survey taken as depths below a line get the same verdicts. Compared as the single-precision
// values the survey records hold, so that a deflection equal to the allowance to the precision
// stored is allowed.
bool withinAllowance(double deflectionIn, double allowanceIn);

// The fit below which the cosine curve is not a sound basis for the allowance.
inline constexpr double SoundFit = 0.90;

// Analyses readings of points 1 .. N (inches; N = readingsIn.size(), 1 .. 48). The cosine
// A + B cos(theta - psi) is fitted over the N points (A their mean, B and psi from the sums of
// u cos theta and u sin theta): with the points evenly round the circle this is the least-squares
// cosine for any N of 3 or more. A row is allowed when withinAllowance says so.
Analysis analyse(const std::vector<double>& readingsIn, const TankValues& tank);

} // namespace korvane::settlement
