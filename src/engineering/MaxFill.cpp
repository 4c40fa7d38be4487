#include "engineering/MaxFill.h"

#include "common/NumberFormat.h"
#include "common/Units.h"
#include "engineering/Dimension.h"
#include "engineering/StoredUnit.h"

#include <QStringList>

#include <cmath>

namespace korvane::maxfill {

namespace {

Outcome refused(const QString& message) {
    return {std::nullopt, false, message};
}

// "a", "a and b", "a, b and c".
QString listed(const QStringList& items) {
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.back();
}

// What the course's allowable stress lacks, or nothing when it has one.
QString stressMissing(const Input& in) {
    if (!isWeldedShell(in.mfgType) && !isRivetedShell(in.mfgType))
        return QStringLiteral("the shell construction");
    if (courseAllowableStress(in.mfgType, in.course, in.yieldPsi, in.tensilePsi) > 0)
        return {};
    if (in.yieldPsi > 0 && in.tensilePsi > 0)
        return QStringLiteral("yield and tensile strengths that give Course %1 an allowable stress")
            .arg(in.course);
    if (in.tensilePsi > 0)
        return QStringLiteral("the yield strength");
    if (in.yieldPsi > 0)
        return QStringLiteral("the tensile strength");
    return QStringLiteral("the yield and tensile strengths");
}

} // namespace

Outcome maxFillLevel(const Input& in) {
    if (in.course < 0)
        return refused(QStringLiteral("Choose the course of the critical reading first."));
    if (in.course == 0)
        return refused(QStringLiteral("The floor does not limit the fill height; choose the "
                                      "shell course of the critical reading."));

    // Every value is checked so that one message names all that is missing. Written so that a
    // value that is not a number counts as missing too.
    QStringList missing;
    if (in.diameterIn <= 0)
        missing << QStringLiteral("the tank diameter");
    if (in.heightIn <= 0)
        missing << QStringLiteral("the shell height");
    if (in.courses < in.course)
        missing << QStringLiteral("the number of shell courses");
    if (const QString stress = stressMissing(in); !stress.isEmpty())
        missing << stress;
    if (!(in.jointEff > 0.0))
        missing << QStringLiteral("the joint efficiency");
    if (!(in.specGravity > 0.0))
        missing << QStringLiteral("the specific gravity");
    if (!(in.criticalIn > 0.0))
        missing << QStringLiteral("the critical reading");
    if (!missing.isEmpty())
        return refused(
            QStringLiteral("Data missing for the maximum fill height: %1.").arg(listed(missing)));

    if (!(in.allowanceIn >= 0.0))
        return refused(QStringLiteral("The corrosion allowance cannot be negative."));
    const double remaining = in.criticalIn - in.allowanceIn;
    if (remaining <= 0.0)
        return refused(
            QStringLiteral("The critical reading must be greater than the corrosion allowance."));
    // The rule never asks less than its floor of any course, however low the liquid stands. A
    // remainder short of it by under a millionth of an inch is the floor itself, as typed, and
    // differs only by the rounding of the figures and of the float the floor is kept in.
    if (remaining < static_cast<double>(MinimumCourseWall) - 1e-6)
        return refused(QStringLiteral("The critical reading less the corrosion allowance is below "
                                      "the 0.1 in. (2.54 mm) every course must keep; no fill "
                                      "height leaves the course enough metal."));

    const double diameterFt = in.diameterIn / units::InchesPerFoot;
    const double heightFt = in.heightIn / units::InchesPerFoot;
    const double stress = courseAllowableStress(in.mfgType, in.course, in.yieldPsi, in.tensilePsi);
    const double headFt = remaining * stress * in.jointEff / (2.6 * diameterFt * in.specGravity);
    const double bottomFt = heightFt / in.courses * (in.course - 1);
    const double levelFt = bottomFt + headFt;
    if (levelFt > heightFt)
        return {heightFt, true, {}};
    return {levelFt, false, {}};
}

double thicknessInches(double typed, bool unitsUS) {
    return unitsUS ? typed : typed / units::MillimetresPerInch;
}

QString levelText(double levelFt, bool unitsUS) {
    const double shown = levelInUnits(levelFt, unitsUS);
    // Rounding error can leave a level that comes out whole in hundredths a hair below it (32.5
    // as 32.499999999999996); such a hair must not cost a hundredth.
    const double hundredths = std::floor(shown * 100.0 + 1e-6);
    return numberText(hundredths / 100.0);
}

RecordUnits recordUnits(std::optional<bool> mark, double level, int shellHeightIn) {
    if (mark)
        return *mark ? RecordUnits::US : RecordUnits::Metric;
    // A level typed to the hundredth of a metre may stand a hair above a shell kept in inches.
    constexpr double Slack = 1.05;
    const double shellFt = shellHeightIn / units::InchesPerFoot;
    const double shellM = shellHeightIn / units::InchesPerMetre;
    if (shellHeightIn > 0 && level > shellM * Slack)
        return RecordUnits::US;
    switch (storedunit::nearerUnit(level, shellFt, units::InchesPerFoot / units::InchesPerMetre)) {
    case storedunit::Unit::First:
        return RecordUnits::US;
    case storedunit::Unit::Second:
        return RecordUnits::Metric;
    case storedunit::Unit::Unknown:
        break;
    }
    return RecordUnits::Unknown;
}

double storedLevelFeet(double stored, RecordUnits units) {
    return units == RecordUnits::Metric ? levelFeet(stored, false) : stored;
}

double storedThicknessInches(double stored, RecordUnits units) {
    return units == RecordUnits::Metric ? thicknessInches(stored, false) : stored;
}

double levelFeet(double typed, bool unitsUS) {
    return unitsUS ? typed : typed * units::InchesPerMetre / units::InchesPerFoot;
}

QString levelShown(double feet, bool unitsUS) {
    return dimension::displayText(feet * units::InchesPerFoot, unitsUS);
}

double levelInUnits(double feet, bool unitsUS) {
    return unitsUS ? feet : feet * units::InchesPerFoot / units::InchesPerMetre;
}

double thicknessInUnits(double inches, bool unitsUS) {
    return unitsUS ? inches : inches * units::MillimetresPerInch;
}

} // namespace korvane::maxfill
