#include "engineering/ReadingChecks.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/TextValue.h"
#include "common/Units.h"
#include "engineering/CorrosionAssessment.h"
#include "engineering/ThicknessRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane::readingcheck {

namespace {

constexpr double DaysPerYear = 365.25;
// Limits compare figures that went through decimal text and unit factors: a reading exactly at
// a limit stays within it.
constexpr double Slack = 1e-9;
// The thinnest a reading read in the other unit may be and still be taken for a plate.
constexpr double ThinnestPlate = 0.04;

struct KindWord {
    Kind kind;
    const char* word;
};
constexpr KindWord kindWords[] = {
    {Kind::Thicker, "thicker"}, {Kind::Thinner, "thinner"},      {Kind::Implausible, "implausible"},
    {Kind::TooSoon, "soon"},    {Kind::SimilarPoint, "similar"}, {Kind::OtherUnit, "unit"},
};

QString shown(double inches, bool us) {
    return thickness::shownThickness(inches, us);
}

QString unitName(bool us) {
    return us ? QStringLiteral("in") : QStringLiteral("mm");
}

QString rateText(double inchesPerYear, bool us) {
    return us ? formatNumber(inchesPerYear, u"0.000") + QStringLiteral(" in/yr")
              : formatNumber(inchesPerYear * units::MillimetresPerInch, u"0.00") +
                    QStringLiteral(" mm/yr");
}

bool plausiblePlate(double inches, std::optional<double> minimum) {
    return inches >= ThinnestPlate && inches <= ThickestPlate &&
           (!minimum || inches >= *minimum / 2 - Slack);
}

// Within the lost-share limit of an earlier thickness, either way.
bool near(double inches, double earlier) {
    return std::abs(inches - earlier) <= LostShareLimit * earlier + Slack;
}

QString key(const QString& pointId) {
    const QString folded = foldedCase(pointId);
    QString k(folded.size(), Qt::Uninitialized);
    qsizetype length = 0;
    for (QChar c : folded) {
        if (c.isSpace() || c == u'-' || c == u'_' || c == u'.' || c == u'/')
            continue;
        if (c == u'o')
            c = u'0';
        else if (c == u'i' || c == u'l')
            c = u'1';
        k[length++] = c;
    }
    k.truncate(length);
    return k;
}

} // namespace

Severity severity(Kind kind) {
    switch (kind) {
    case Kind::Thicker:
    case Kind::TooSoon:
        return Severity::Amber;
    case Kind::Thinner:
    case Kind::Implausible:
    case Kind::SimilarPoint:
    case Kind::OtherUnit:
        return Severity::Red;
    }
    return Severity::Red;
}

bool hasRed(const Flags& flags) {
    return std::any_of(flags.begin(), flags.end(),
                       [](const Flag& f) { return severity(f.kind) == Severity::Red; });
}

QString reasons(const Flags& flags) {
    QStringList lines;
    for (const Flag& f : flags)
        lines << f.reason;
    return lines.join(QLatin1Char('\n'));
}

QString flagsText(const Flags& flags) {
    QStringList lines;
    for (const Flag& f : flags)
        for (const KindWord& w : kindWords)
            if (w.kind == f.kind)
                lines << QLatin1String(w.word) + QStringLiteral(": ") +
                             QString(f.reason).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return lines.join(QLatin1Char('\n'));
}

Flags parseFlags(const QString& stored) {
    Flags flags;
    for (const QString& line : stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString word = line.left(colon).trimmed();
        for (const KindWord& w : kindWords)
            if (word == QLatin1String(w.word))
                flags.push_back({w.kind, line.mid(colon + 1).trimmed()});
    }
    return flags;
}

Flags check(const Candidate& reading, const Context& context, const Settings& settings,
            bool shownUS) {
    Flags flags;
    const double inches = reading.inches;
    const auto& previous = context.previous;

    // A figure in the other unit: millimetres typed where inches were asked for, or the
    // reverse. It is told when the figure is no plate as it stands but is one in the other
    // unit, or when only the other unit brings it near the point's last reading.
    const double other =
        reading.enteredUS ? inches / units::MillimetresPerInch : inches * units::MillimetresPerInch;
    const bool otherUnit =
        plausiblePlate(other, context.minimum) &&
        (!plausiblePlate(inches, context.minimum) ||
         (previous && near(other, previous->inches) && !near(inches, previous->inches)));
    if (otherUnit) {
        const double typed = reading.enteredUS ? inches : inches * units::MillimetresPerInch;
        const QString typedText = formatNumber(typed, reading.enteredUS ? u"0.000" : u"#0.00");
        flags.push_back(
            {Kind::OtherUnit,
             QStringLiteral("looks like %1, not %2: %3 %1 is %4 %5")
                 .arg(reading.enteredUS ? QStringLiteral("millimetres") : QStringLiteral("inches"),
                      reading.enteredUS ? QStringLiteral("inches") : QStringLiteral("millimetres"),
                      typedText, shown(other, shownUS), unitName(shownUS)),
             other});
    }

    if (!otherUnit) {
        if (inches > ThickestPlate + Slack)
            flags.push_back(
                {Kind::Implausible, QStringLiteral("above %1 %2 (%3): implausible")
                                        .arg(shown(ThickestPlate, shownUS), unitName(shownUS),
                                             shown(inches, shownUS))});
        else if (context.minimum && inches < *context.minimum / 2 - Slack)
            flags.push_back({Kind::Implausible,
                             QStringLiteral("below half the %1 minimum of %2 (%3): "
                                            "implausible")
                                 .arg(thickness::courseText(reading.course).toLower(),
                                      shown(*context.minimum, shownUS), shown(inches, shownUS))});
    }

    if (previous && !otherUnit) {
        // The reasons are written only for a reading that needs one: most need none.
        const auto year = [&] {
            return QString::number(previous->date.year());
        };
        const auto change = [&] {
            return QStringLiteral("(%1 -> %2)")
                .arg(shown(previous->inches, shownUS), shown(inches, shownUS));
        };
        const double grown = inches - previous->inches;
        const double years = static_cast<double>(previous->date.daysTo(reading.date)) / DaysPerYear;
        if (grown > settings.gaugeTolerance + Slack) {
            flags.push_back(
                {Kind::Thicker, QStringLiteral("thicker than %1 %2").arg(year(), change())});
        } else if (const double lost = -grown; lost > 0) {
            const double share = previous->inches > 0 ? lost / previous->inches : 1.0;
            const double allowed =
                std::max(settings.gaugeTolerance, settings.plausibleRate * years);
            if (share > LostShareLimit + Slack)
                flags.push_back(
                    {Kind::Thinner, QStringLiteral("thinner than %1 %2: %3% lost, a likely slip")
                                        .arg(year(), change())
                                        .arg(std::round(share * 100))});
            else if (lost > allowed + Slack)
                flags.push_back(
                    {Kind::Thinner,
                     years > 0
                         ? QStringLiteral("thinner than %1 %2: %3, more than %4, a likely slip")
                               .arg(year(), change(), rateText(lost / years, shownUS),
                                    rateText(settings.plausibleRate, shownUS))
                         : QStringLiteral("thinner than %1 %2 on the same day, a likely slip")
                               .arg(year(), change())});
        }
        if (reading.date < addMonths(previous->date, SoonMonths))
            flags.push_back(
                {Kind::TooSoon, QStringLiteral("less than six months after %1: no rate from this "
                                               "pair")
                                    .arg(formatDate(previous->date))});
    }

    if (!context.similarPoints.isEmpty())
        flags.push_back(
            {Kind::SimilarPoint, QStringLiteral("new point; the tank has %1")
                                     .arg(context.similarPoints.join(QStringLiteral(", ")))});
    return flags;
}

bool looksAlike(const QString& a, const QString& b) {
    return key(a) == key(b);
}

PointHistory::PointHistory(const std::vector<TankReading>& readings) {
    QString lastText; // readings share a few dates: one like the reading before's is that date
    std::optional<QDate> lastDate;
    for (const TankReading& r : readings) {
        if (lastText.isNull() || r.dateTaken != lastText) {
            lastText = r.dateTaken.isNull() ? QStringLiteral("") : r.dateTaken;
            lastDate = parseDate(r.dateTaken);
        }
        const std::optional<QDate> date = lastDate;
        if (!date || !std::isfinite(r.reading)) {
            // A reading without a date or value still makes its point known.
            add(r.pointId, QDate(), std::numeric_limits<double>::quiet_NaN());
            continue;
        }
        add(r.pointId, *date, r.reading, r.course);
    }
}

void PointHistory::add(const QString& pointId, const QDate& date, double inches, int course) {
    const QString folded = foldedCase(pointId);
    auto found = points_.find(folded);
    if (found == points_.end()) {
        found = points_.insert(folded, Point{pointId, {}, QDate(), 0});
        spellings_.push_back(pointId);
        if (alike_)
            (*alike_)[key(pointId)] << pointId;
    }
    if (course > 0 && (found->course == 0 || !found->courseDate.isValid() ||
                       (date.isValid() && date >= found->courseDate))) {
        found->course = course;
        found->courseDate = date;
    }
    if (!date.isValid() || !std::isfinite(inches))
        return;
    auto& list = found->readings;
    // Oldest first; a reading of a day already there goes after it.
    const auto at = std::upper_bound(list.begin(), list.end(), date,
                                     [](const QDate& d, const Earlier& e) { return d < e.date; });
    list.insert(at, Earlier{date, inches});
}

std::optional<Earlier> PointHistory::previous(const QString& pointId, const QDate& date) const {
    const auto found = points_.constFind(foldedCase(pointId));
    if (found == points_.constEnd())
        return std::nullopt;
    const auto& list = found->readings;
    const auto after =
        std::upper_bound(list.begin(), list.end(), date,
                         [](const QDate& d, const Earlier& e) { return d < e.date; });
    if (after == list.begin())
        return std::nullopt;
    return *std::prev(after);
}

bool PointHistory::knows(const QString& pointId) const {
    return points_.contains(foldedCase(pointId));
}

int PointHistory::course(const QString& pointId) const {
    const auto found = points_.constFind(foldedCase(pointId));
    return found == points_.constEnd() ? 0 : found->course;
}

QStringList PointHistory::similarTo(const QString& pointId) const {
    if (knows(pointId))
        return {};
    if (!alike_) {
        alike_.emplace();
        for (const QString& spelling : spellings_)
            (*alike_)[key(spelling)] << spelling;
    }
    return alike_->value(key(pointId));
}

Flags checkReading(const Candidate& reading, const TankFacts& tank, bool shownUS) {
    Context context;
    context.previous = tank.history.previous(reading.pointId, reading.date);
    context.minimum = assessment::minimumFor(reading.course, tank.minimums);
    context.similarPoints = tank.history.similarTo(reading.pointId);
    return check(reading, context, tank.settings, shownUS);
}

void checkEntries(std::vector<Entry>& entries, TankFacts& tank, bool shownUS) {
    for (Entry& e : entries) {
        e.flags.clear();
        if (!e.error.isEmpty())
            continue;
        // A point ID that only looks like one of the tank's is most likely that point, so it
        // takes that point's course; its red flag asks the user all the same.
        if (e.course == 0)
            e.course = tank.history.course(e.pointId);
        if (e.course == 0)
            if (const QStringList alike = tank.history.similarTo(e.pointId); !alike.isEmpty())
                e.course = tank.history.course(alike.first());
        if (e.course == 0) {
            e.error = QStringLiteral("no course, and the point has no earlier reading to take "
                                     "one from");
            continue;
        }
        if (!e.inches)
            continue;
        e.flags =
            checkReading({e.pointId, e.date, *e.inches, e.course, e.enteredUS}, tank, shownUS);
        tank.history.add(e.pointId, e.date, *e.inches, e.course);
    }
}

} // namespace korvane::readingcheck
