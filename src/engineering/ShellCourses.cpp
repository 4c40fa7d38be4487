#include "engineering/ShellCourses.h"

#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/TextValue.h"
#include "common/Units.h"
#include "engineering/StoredUnit.h"

#include <algorithm>
#include <cmath>

namespace korvane::courses {

namespace {

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// A height answer rounded half to even to whole inches or centimetres, or why it cannot be
// taken.
Result<qint16> readHeight(const QString& answer, bool unitsUS) {
    const QString unit = unitsUS ? QStringLiteral("inches") : QStringLiteral("centimeters");
    if (!beginsWithNumber(answer))
        return Error{
            QStringLiteral("\"%1\" is not a height in %2. Type a number, or Cancel to keep "
                           "the heights not yet entered.")
                .arg(answer.trimmed(), unit)};
    const auto height = toInt16(numericValue(answer));
    if (!height || *height < 0)
        return Error{QStringLiteral("A course height must lie between 0 and 32767 %1; \"%2\" "
                                    "cannot be taken.")
                         .arg(unit, answer.trimmed())};
    return *height;
}

// The offer to raise a strength to the least accepted; the metric one names a rounded KPa value.
StrengthOffer strengthOffer(bool unitsUS, const char* strength, qint32 psi, const char* psiWritten,
                            const char* kpa, const char* kpaWritten) {
    return {QStringLiteral("Changing %1 to %2 as minimum yield strength per API 653, Section 2.3")
                .arg(latin(strength), latin(unitsUS ? psiWritten : kpaWritten)),
            unitsUS ? QString::number(psi) : latin(kpa), psi};
}

} // namespace

int CourseData::courses() const {
    if (!beginsWithNumber(count))
        return 0;
    const double n = roundHalfEven(numericValue(count));
    return static_cast<int>(std::clamp(n, 0.0, static_cast<double>(MaxShellCourses)));
}

void CourseData::clearUnusedSlots() {
    for (auto slot = static_cast<std::size_t>(courses()); slot < heights.size(); ++slot) {
        heights[slot] = 0;
        minWall[slot] = 0;
    }
}

CountAnswer readCourseCount(const QString& answer) {
    if (answer.trimmed().isEmpty())
        return {};
    const double n = numericValue(answer);
    if (!beginsWithNumber(answer) || n != std::floor(n) || n < 0 || n > MaxShellCourses)
        return {CountAnswer::Kind::Refused, 0,
                QStringLiteral("\"%1\" cannot be taken: a tank has a whole number of courses from "
                               "0 to %2. The number of courses was left as it was.")
                    .arg(answer.trimmed())
                    .arg(MaxShellCourses)};
    return {CountAnswer::Kind::Accepted, static_cast<int>(n), {}};
}

bool countDiffers(const QString& current, int answered) {
    return !beginsWithNumber(current) || numericValue(current) != answered;
}

int totalHeight(int shellHeightIn, bool unitsUS) {
    const double total = unitsUS ? shellHeightIn : shellHeightIn * units::CentimetresPerInch;
    return static_cast<int>(roundHalfEven(total));
}

void setUniformHeights(CourseData& data, int total) {
    const int n = data.courses();
    if (n < 1)
        return;
    // A shell height fits 16 bits, so a share of it in centimetres does too.
    const auto share = static_cast<qint16>(roundHalfEven(static_cast<double>(total) / n));
    for (int i = 0; i < n; ++i)
        data.heights[static_cast<std::size_t>(i)] = share;
}

QString heightPrompt(int course, bool unitsUS) {
    const QString start = unitsUS ? QStringLiteral("Enter the height (inches) for course ")
                                  : QStringLiteral("Enter the height (cm) for course ");
    if (course == 1)
        return start + QStringLiteral("1\nEnter 0 for uniform heights");
    return start + QStringLiteral(" %1").arg(course);
}

void askCourseHeights(CourseData& data, int total, bool unitsUS, const Ask& ask, const Tell& tell) {
    int remaining = total;
    const int n = data.courses();
    for (int i = 0; i < n; ++i) {
        const QString offered = i == 0 ? QStringLiteral("0") : QString::number(remaining);
        Result<qint16> height = Error{};
        for (;;) {
            const QString answer = ask(heightPrompt(i + 1, unitsUS), offered);
            if (answer.isEmpty())
                return;
            height = readHeight(answer, unitsUS);
            if (height)
                break;
            tell(height.error());
        }
        data.heights[static_cast<std::size_t>(i)] = *height;
        if (i == 0 && *height == 0) {
            setUniformHeights(data, total);
            return;
        }
        remaining -= *height;
    }
}

StrengthOffer yieldOffer(bool unitsUS) {
    return strengthOffer(unitsUS, "Yield", MinimumYieldPsi, "30,000 psi", "206850", "206,850 KPa");
}

StrengthOffer tensileOffer(bool unitsUS) {
    return strengthOffer(unitsUS, "Tensile", MinimumTensilePsi, "55,000 psi", "379200",
                         "379,200 KPa");
}

QString heightRowCaption(bool unitsUS) {
    return unitsUS ? QStringLiteral("Height in.") : QStringLiteral("Height cm.");
}

QStringList gridColumnCaptions() {
    QStringList captions{QStringLiteral("Floor")};
    for (int i = 1; i <= MaxShellCourses; ++i)
        captions << QStringLiteral("Course %1").arg(i);
    captions << QStringLiteral("Roof");
    return captions;
}

QString gridToolTip(bool unitsUS) {
    return unitsUS ? QStringLiteral("Course Data (in.)") : QStringLiteral("Course Data (cm/mm)");
}

HeightUnit storedHeightUnit(const CourseData& data, int shellHeightIn) {
    qint64 sum = 0;
    for (int i = 0; i < data.courses(); ++i)
        sum += data.heights[static_cast<std::size_t>(i)];
    switch (storedunit::nearerUnit(static_cast<double>(sum), shellHeightIn,
                                   units::CentimetresPerInch)) {
    case storedunit::Unit::First:
        return HeightUnit::Inches;
    case storedunit::Unit::Second:
        return HeightUnit::Centimetres;
    case storedunit::Unit::Unknown:
        break;
    }
    return HeightUnit::Unknown;
}

double shownHeight(qint16 stored, HeightUnit unit, bool unitsUS) {
    if (unit == HeightUnit::Inches && !unitsUS)
        return stored * units::CentimetresPerInch;
    if (unit == HeightUnit::Centimetres && unitsUS)
        return stored * units::InchesPerCentimetre;
    return stored;
}

QString heightCellText(qint16 stored, HeightUnit unit, bool unitsUS) {
    return stored > 10 ? formatNumber(shownHeight(stored, unit, unitsUS), u"#00.00") : QString();
}

QString minWallCellText(float inches, bool unitsUS) {
    if (!(inches >= MinimumCourseWall))
        return {};
    return formatThickness(inches, unitsUS);
}

QString staleMinimumsText(const CourseData& held, const std::vector<float>& workedOut,
                          bool unitsUS) {
    const QString unit = unitsUS ? QStringLiteral("in.") : QStringLiteral("mm");
    for (std::size_t i = 0; i < workedOut.size() && i < held.minWall.size(); ++i) {
        const QString stored = minWallCellText(held.minWall[i], unitsUS);
        const QString worked = minWallCellText(workedOut[i], unitsUS);
        if (stored == worked)
            continue;
        const QString course = QStringLiteral("Course %1").arg(i + 1);
        const QString says = stored.isEmpty()
                                 ? QStringLiteral("%1 has none stored but works out to %2 %3")
                                       .arg(course, worked, unit)
                                 : QStringLiteral("%1 is stored as %2 %4 but works out to %3 %4")
                                       .arg(course, stored, worked, unit);
        // "in." ends the sentence by itself.
        return QStringLiteral("The stored minimum thicknesses do not agree with this tank's "
                              "design data: %1%2")
            .arg(says, unitsUS ? QString() : QStringLiteral("."));
    }
    return {};
}

QString coursesLabel(const QString& count) {
    return QStringLiteral("This tank has %1 courses.")
        .arg(count.isEmpty() ? QStringLiteral("0") : count);
}

QStringList maxFillCourseEntries(int courses) {
    QStringList entries{QString(), QStringLiteral("Floor")};
    for (int i = 1; i <= courses; ++i)
        entries << QStringLiteral("Course %1").arg(i);
    return entries;
}

QString heightField(int course) {
    return QStringLiteral("Course%1_Height").arg(course);
}

QString minWallField(int course) {
    return QStringLiteral("Course%1_Min").arg(course);
}

} // namespace korvane::courses
