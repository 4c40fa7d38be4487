#include "engineering/MinWall.h"

#include "common/Rounding.h"

namespace korvane {

namespace {

// Dimensions below this many feet leave nothing sensible to compute.
constexpr float MinimumDimensionFt = 5.0f;
constexpr float MaximumDiameterFt = 200.0f;
constexpr float MinimumSpecGravity = 0.4f;

float feet(int inches) {
    return static_cast<float>(inches / 12.0);
}

// The smaller of two candidate stresses; the first is taken unless the second lies below it.
qint32 allowable(double fromYield, double fromTensile) {
    const double chosen = fromTensile < fromYield ? fromTensile : fromYield;
    // Both candidates of a 32-bit strength stay within 32 bits (the factors are below 1).
    return static_cast<qint32>(roundHalfEven(chosen));
}

} // namespace

bool isWeldedShell(int mfgType) {
    return mfgType == mfgtype::WeldButt || mfgType == mfgtype::WeldLap;
}

bool isRivetedShell(int mfgType) {
    return mfgType >= mfgtype::RivetL1 && mfgType <= mfgtype::RivetB6;
}

QString refusalText(MinWallRefusal refusal) {
    switch (refusal) {
    case MinWallRefusal::None:
        return {};
    case MinWallRefusal::NoConstructionType:
        return QString::fromLatin1(NoConstructionTypeText);
    case MinWallRefusal::DataMissing:
        return QString::fromLatin1(DataMissingText);
    case MinWallRefusal::TooManyCourses:
        return QString::fromLatin1(TooManyCoursesText);
    case MinWallRefusal::DiameterTooLarge:
        return QString::fromLatin1(DiameterTooLargeText);
    }
    return {};
}

MinWallRefusal checkCoursesAndGravity(const MinWallInput& input) {
    if (!isWeldedShell(input.mfgType) && !isRivetedShell(input.mfgType))
        return MinWallRefusal::NoConstructionType;
    if (input.courses < 1)
        return MinWallRefusal::DataMissing;
    if (input.courses > MaxShellCourses)
        return MinWallRefusal::TooManyCourses;
    // Written so that a gravity that is not a number is refused too.
    if (!(input.specGravity >= MinimumSpecGravity))
        return MinWallRefusal::DataMissing;
    return MinWallRefusal::None;
}

MinWallRefusal checkDimensions(const MinWallInput& input) {
    const float level = feet(input.levelIn);
    const float height = feet(input.heightIn);
    const float diameter = feet(input.diameterIn);
    if (level < MinimumDimensionFt || height < MinimumDimensionFt || diameter < MinimumDimensionFt)
        return MinWallRefusal::DataMissing;
    if (diameter > MaximumDiameterFt)
        return MinWallRefusal::DiameterTooLarge;
    // The joint efficiency and the allowable stress divide the head; zero, negative or not a
    // number cannot (a welded shell without a yield or tensile strength has no stress).
    if (!(input.jointEff > 0.0))
        return MinWallRefusal::DataMissing;
    if (isWeldedShell(input.mfgType) &&
        courseAllowableStress(input.mfgType, 1, input.yieldPsi, input.tensilePsi) <= 0)
        return MinWallRefusal::DataMissing;
    return MinWallRefusal::None;
}

MinWallRefusal checkMinWallInput(const MinWallInput& input) {
    if (const auto refusal = checkCoursesAndGravity(input); refusal != MinWallRefusal::None)
        return refusal;
    return checkDimensions(input);
}

bool needsYieldRaise(qint32 yieldPsi) {
    return yieldPsi < MinimumYieldPsi;
}

bool needsTensileRaise(qint32 tensilePsi) {
    return tensilePsi < MinimumTensilePsi;
}

WeldedAllowableStress weldedAllowableStress(qint32 yieldPsi, qint32 tensilePsi) {
    return {allowable(0.8 * yieldPsi, 0.429 * tensilePsi),
            allowable(0.88 * yieldPsi, 0.472 * tensilePsi)};
}

qint32 courseAllowableStress(int mfgType, int course, qint32 yieldPsi, qint32 tensilePsi) {
    if (isRivetedShell(mfgType))
        return RivetedAllowableStressPsi;
    if (!isWeldedShell(mfgType))
        return 0;
    const WeldedAllowableStress stress = weldedAllowableStress(yieldPsi, tensilePsi);
    return course <= 2 ? stress.lowerCourses : stress.upperCourses;
}

std::vector<float> fillHeights(const MinWallInput& input) {
    std::vector<float> heads;
    if (input.courses < 1)
        return heads;
    const float level = feet(input.levelIn);
    const float share = feet(input.heightIn) / static_cast<float>(input.courses);
    for (int i = 0; i < input.courses; ++i)
        heads.push_back(level - share * static_cast<float>(i));
    return heads;
}

std::vector<float> calcMinWall(const MinWallInput& input) {
    std::vector<float> walls;
    if (checkMinWallInput(input) != MinWallRefusal::None)
        return walls;
    const double diameterTerm = static_cast<double>(feet(input.diameterIn)) * 2.6;
    const std::vector<float> heads = fillHeights(input);
    for (std::size_t i = 0; i < heads.size(); ++i) {
        const qint32 s = courseAllowableStress(input.mfgType, static_cast<int>(i) + 1,
                                               input.yieldPsi, input.tensilePsi);
        const auto t = static_cast<float>((static_cast<double>(heads[i]) * diameterTerm *
                                           static_cast<double>(input.specGravity)) /
                                          (s * input.jointEff));
        walls.push_back(t < MinimumCourseWall ? MinimumCourseWall : t);
    }
    return walls;
}

} // namespace korvane
