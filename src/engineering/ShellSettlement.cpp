#include "engineering/ShellSettlement.h"

#include "common/NumberFormat.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace korvane::settlement {

namespace {

// The constants of the survey rules, kept as the rules state them: the minimum point count uses
// 3.141593 and the spacing of the points 3.14159. The angles go round a true circle, so that the
// fitted cosine is exact.
constexpr double PiForPointCount = 3.141593;
constexpr double Pi = 3.14159;
constexpr double Radians = std::numbers::pi / 180;
constexpr double CircumferencePerPointFt = 32;
constexpr double AllowanceDivisor = 60'000'000;

double wholeYield(double yieldPsi) {
    return std::trunc(yieldPsi);
}

// Sets the fit's A, B and phase over points 1 .. N and the optimum curve of every row.
void fitCosine(Analysis& result, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += result.rows[static_cast<std::size_t>(i)].actual;
    result.mean = sum / n;
    // The sums are taken of the readings less their mean: with the points evenly round the
    // circle the mean adds nothing to them, and written so it cannot leak into the phase and
    // amplitude through rounding either.
    double cosSum = 0, sinSum = 0;
    for (int i = 0; i < n; ++i) {
        const SurveyRow& row = result.rows[static_cast<std::size_t>(i)];
        const double theta = row.angle * Radians;
        cosSum += (row.actual - result.mean) * std::cos(theta);
        sinSum += (row.actual - result.mean) * std::sin(theta);
    }
    // A + B cos(theta - psi) is the least-squares cosine through the points: with the points
    // evenly round the circle (N of 3 or more) the cosines and sines of the angles sum to zero
    // and their squares to N/2, so a and b are N/2 x B cos psi and N/2 x B sin psi.
    result.amplitude = 2 * std::sqrt(cosSum * cosSum + sinSum * sinSum) / n;
    const double psi = std::atan2(sinSum, cosSum);
    result.phaseDeg = psi / Radians;
    for (SurveyRow& row : result.rows)
        row.optimum = result.mean + result.amplitude * std::cos(row.angle * Radians - psi);
}

// R^2 of the optimum curve over points 1 .. N. Equal readings have nothing left to explain, and
// the curve through them is level: a perfect fit.
double fitQuality(const Analysis& result, int n) {
    const auto first = result.rows.begin();
    const auto [low, high] =
        std::minmax_element(first, first + n, [](const SurveyRow& a, const SurveyRow& b) {
            return a.actual < b.actual;
        });
    if (low->actual == high->actual)
        return 1;
    double residual = 0, total = 0;
    for (auto row = first; row != first + n; ++row) {
        residual += (row->actual - row->optimum) * (row->actual - row->optimum);
        total += (row->actual - result.mean) * (row->actual - result.mean);
    }
    return 1 - residual / total;
}

// U of every row, then S of every row from U of its neighbours around the circle. Row N + 1
// stands for point 1 at the end of the circle: point N is followed by it, and it lies between
// point N and point 2.
void deflections(Analysis& result, int n) {
    auto& rows = result.rows;
    for (SurveyRow& row : rows)
        row.outOfPlane = row.actual - row.optimum;
    const auto u = [&rows](int point) {
        return rows[static_cast<std::size_t>(point - 1)].outOfPlane;
    };
    for (int i = 1; i <= n + 1; ++i) {
        const int previous = i == 1 ? n : i - 1;
        const int next = i == n + 1 ? 2 : i + 1;
        SurveyRow& row = rows[static_cast<std::size_t>(i - 1)];
        row.deflection = row.outOfPlane - (0.5 * u(previous) + 0.5 * u(next));
    }
}

} // namespace

int minimumSurveyPoints(double diameterFt) {
    const double points = std::trunc(diameterFt * PiForPointCount / CircumferencePerPointFt);
    // A NaN fails the comparison too; the cap keeps an absurd diameter from overflowing.
    if (!(points > MinimumPoints))
        return MinimumPoints;
    return static_cast<int>(std::min(points, double{std::numeric_limits<int>::max()}));
}

double pointAngle(int point, int points) {
    if (points < 1)
        return 0;
    return 360.0 * (point - 1) / points;
}

QString angleText(double degrees) {
    return formatNumber(degrees, u"0.0");
}

QString missingTankValue(const TankValues& tank) {
    QStringList missing;
    // "Not above zero" rather than "zero or less", so that a NaN is missing too.
    if (!(tank.diameterFt > 0))
        missing << QStringLiteral("diameter");
    if (!(tank.heightFt > 0))
        missing << QStringLiteral("shell height");
    if (!(wholeYield(tank.yieldPsi) > 0))
        missing << QStringLiteral("yield strength");
    if (missing.isEmpty())
        return {};
    const QString last = missing.takeLast();
    const QString names = missing.isEmpty()
                              ? last
                              : missing.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Data missing for necessary calculations: the tank's %1 %2 not given.")
        .arg(names, missing.isEmpty() ? QStringLiteral("is") : QStringLiteral("are"));
}

Analysis analyse(const std::vector<double>& readingsIn, const TankValues& tank) {
    Analysis result;
    const auto count = readingsIn.size();
    if (count < 1 || count > static_cast<std::size_t>(MaximumPoints)) {
        result.missing = QStringLiteral("A survey has 1 to %1 points; this one has %2.")
                             .arg(MaximumPoints)
                             .arg(count);
        return result;
    }
    const int n = static_cast<int>(count);

    result.rows.resize(count + 1);
    for (int i = 1; i <= n + 1; ++i) {
        SurveyRow& row = result.rows[static_cast<std::size_t>(i - 1)];
        row.point = i;
        row.angle = pointAngle(i, n);
        row.actual = readingsIn[static_cast<std::size_t>(i <= n ? i - 1 : 0)];
    }
    result.minimum = *std::min_element(readingsIn.begin(), readingsIn.end());

    result.missing = missingTankValue(tank);
    if (!result.missing.isEmpty())
        return result;
    result.analysed = true;

    // Smax = L^2 Y 11 / (H 60,000,000) feet, L the arc between two points in feet.
    result.pointSpacingFt = tank.diameterFt * Pi / n;
    const double allowanceFt = result.pointSpacingFt * result.pointSpacingFt *
                               wholeYield(tank.yieldPsi) * 11 / (tank.heightFt * AllowanceDivisor);
    result.allowanceIn = allowanceFt * 12;

    fitCosine(result, n);
    result.rSquared = fitQuality(result, n);
    deflections(result, n);

    for (SurveyRow& row : result.rows)
        row.allowed = withinAllowance(row.deflection, result.allowanceIn);
    return result;
}

bool withinAllowance(double deflectionIn, double allowanceIn) {
    return !(std::abs(static_cast<float>(deflectionIn)) > static_cast<float>(allowanceIn));
}

} // namespace korvane::settlement
