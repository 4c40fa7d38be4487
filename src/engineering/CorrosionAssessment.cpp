#include "engineering/CorrosionAssessment.h"

#include "common/DateText.h"
#include "engineering/ReadingChecks.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace korvane::assessment {

namespace {

constexpr double DaysPerYear = 365.25;

// The thinning per year from an earlier reading to a later one; none when they were taken on
// the same day. A thickness that grew gives a negative rate.
std::optional<double> rateBetween(const Reading& earlier, const Reading& later) {
    const qint64 days = earlier.date.daysTo(later.date);
    if (days <= 0)
        return std::nullopt;
    return (earlier.inches - later.inches) / (static_cast<double>(days) / DaysPerYear);
}

// Years of a stored frequency: n > 0 years, n < 0 months; none for 0.
std::optional<double> frequencyYears(double stored) {
    if (stored > 0)
        return stored;
    if (stored < 0)
        return -stored / 12.0;
    return std::nullopt;
}

std::optional<double> lesser(std::optional<double> a, std::optional<double> b) {
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

} // namespace

std::optional<double> minimumFor(int courseCode, const thickness::Minimums& minimums) {
    if (courseCode == thickness::FloorCode)
        return FloorMinimum;
    if (courseCode == thickness::RoofCode)
        return RoofMinimum;
    if (courseCode > thickness::FloorCode && courseCode < thickness::RoofCode &&
        minimums[static_cast<std::size_t>(courseCode)] > 0)
        return minimums[static_cast<std::size_t>(courseCode)];
    return std::nullopt;
}

PointAssessment assessPoint(const QString& pointId, const std::vector<Reading>& readings,
                            const thickness::Minimums& minimums, std::optional<double> utYears) {
    PointAssessment p;
    p.pointId = pointId;
    if (readings.empty())
        return p;
    p.first = readings.front();
    p.latest = readings.back();
    if (readings.size() >= 2)
        p.previous = readings[readings.size() - 2];
    p.course = p.latest->course;
    p.minimum = minimumFor(p.course, minimums);

    if (p.previous) {
        // Readings less than six months apart give no meaningful rate: the short-term rate is
        // taken from the newest reading at least that much older than the latest (the older
        // pair when the last two are close), and neither rate from readings all that recent.
        const QDate rateBefore = addMonths(p.latest->date, -readingcheck::SoonMonths);
        const auto base = std::find_if(readings.rbegin() + 1, readings.rend(),
                                       [&](const Reading& r) { return r.date <= rateBefore; });
        if (base != readings.rend()) {
            p.longTermRate = rateBetween(*p.first, *p.latest);
            p.shortTermRate = rateBetween(*base, *p.latest);
        }
        for (std::optional<double>* r : {&p.longTermRate, &p.shortTermRate}) {
            if (*r && **r < 0) {
                p.scatter = true;
                *r = 0.0;
            }
        }
        if (p.longTermRate || p.shortTermRate)
            p.rate = std::max(p.longTermRate.value_or(0), p.shortTermRate.value_or(0));
    }

    if (p.minimum) {
        p.rca = p.latest->inches - *p.minimum;
        const double left = std::max(*p.rca, 0.0);
        if (!p.rate) {
            p.utInterval = UtWithoutRateYears;
            p.externalInterval = ExternalCapYears;
        } else if (*p.rate == 0) {
            p.utInterval = UtCapYears;
            p.externalInterval = ExternalCapYears;
        } else {
            p.remainingLife = left / *p.rate;
            p.utInterval = std::min(left / (2 * *p.rate), UtCapYears);
            p.externalInterval = std::min(left / (4 * *p.rate), ExternalCapYears);
        }
    }

    if (!p.minimum)
        p.status = PointStatus::NoMinimum;
    else if (thickness::shownValue(p.latest->inches, true) <
             thickness::shownValue(*p.minimum, true))
        p.status = PointStatus::BelowMinimum;
    else if (const auto ut = utYears ? utYears : p.utInterval;
             p.remainingLife && ut && *p.remainingLife < *ut)
        p.status = PointStatus::LifeShorterThanUt;
    else
        p.status = PointStatus::Sound;
    return p;
}

TankAssessment assessTank(const std::vector<TankReading>& readings,
                          const thickness::Minimums& minimums, const Schedule& schedule) {
    TankAssessment tank;
    tank.utFrequency = frequencyYears(schedule.utFrequency);
    tank.externalFrequency = frequencyYears(schedule.externalFrequency);

    // Point IDs compare without letter case, as the database compares them.
    std::map<QString, std::pair<QString, std::vector<Reading>>> byPoint;
    for (const TankReading& r : readings) {
        const auto date = parseDate(r.dateTaken);
        if (!date || std::isnan(r.reading))
            continue;
        auto& [name, list] = byPoint[r.pointId.toCaseFolded()];
        if (name.isEmpty())
            name = r.pointId;
        list.push_back({*date, r.reading, r.course});
    }
    for (auto& [key, point] : byPoint) {
        auto& list = point.second;
        // Oldest first; readings of one day keep the order they were entered in.
        std::stable_sort(list.begin(), list.end(),
                         [](const Reading& a, const Reading& b) { return a.date < b.date; });
        PointAssessment p = assessPoint(point.first, list, minimums, tank.utFrequency);
        if (p.remainingLife && (!tank.shortestLife || *p.remainingLife < *tank.shortestLife)) {
            tank.shortestLife = p.remainingLife;
            tank.governingPoint = p.pointId;
        }
        tank.utInterval = lesser(tank.utInterval, p.utInterval);
        tank.externalInterval = lesser(tank.externalInterval, p.externalInterval);
        tank.points.push_back(std::move(p));
    }
    tank.utTooLong = tank.utFrequency && tank.utInterval && *tank.utFrequency > *tank.utInterval;
    tank.externalTooLong = tank.externalFrequency && tank.externalInterval &&
                           *tank.externalFrequency > *tank.externalInterval;
    return tank;
}

QString statusText(PointStatus status) {
    switch (status) {
    case PointStatus::BelowMinimum:
        return QStringLiteral("Below minimum");
    case PointStatus::LifeShorterThanUt:
        return QStringLiteral("Life short of next UT");
    case PointStatus::Sound:
        return QStringLiteral("Sound");
    case PointStatus::NoMinimum:
        return QStringLiteral("No minimum");
    case PointStatus::NoReading:
        return QStringLiteral("No reading");
    }
    return {};
}

int severity(PointStatus status) {
    switch (status) {
    case PointStatus::BelowMinimum:
        return 0;
    case PointStatus::LifeShorterThanUt:
        return 1;
    case PointStatus::NoMinimum:
        return 2;
    case PointStatus::Sound:
        return 3;
    case PointStatus::NoReading:
        return 4;
    }
    return 5;
}

QString csv(const TankAssessment& tank) {
    const auto number = [](std::optional<double> v) {
        return v ? QString::number(*v, 'g', 17) : QString();
    };
    const auto date = [](const std::optional<Reading>& r) {
        return r ? r->date.toString(Qt::ISODate) : QString();
    };
    const auto thickness = [&](const std::optional<Reading>& r) {
        return r ? number(r->inches) : QString();
    };
    const auto quoted = [](const QString& text) {
        if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
            !text.contains(QLatin1Char('\n')))
            return text;
        return QLatin1Char('"') +
               QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
    };
    QString out = QStringLiteral(
        "PointID,Course,First,FirstDate,Previous,PreviousDate,Latest,LatestDate,Minimum,"
        "LongTermRate,ShortTermRate,Rate,RCA,RemainingLife,UTInterval,ExternalInterval,Status\n");
    for (const PointAssessment& p : tank.points) {
        const QStringList cells{
            quoted(p.pointId),       p.course ? QString::number(p.course) : QString(),
            thickness(p.first),      date(p.first),
            thickness(p.previous),   date(p.previous),
            thickness(p.latest),     date(p.latest),
            number(p.minimum),       number(p.longTermRate),
            number(p.shortTermRate), number(p.rate),
            number(p.rca),           number(p.remainingLife),
            number(p.utInterval),    number(p.externalInterval),
            statusText(p.status)};
        out += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace korvane::assessment
