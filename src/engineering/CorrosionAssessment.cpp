#include "engineering/CorrosionAssessment.h"

#include "common/Csv.h"
#include "common/DateText.h"
#include "common/TextValue.h"
#include "engineering/ReadingChecks.h"

#include <QHash>

#include <algorithm>
#include <numeric>

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

    // Point IDs compare without letter case, as the database compares them. The readings of a
    // point are taken oldest first, those of one day in the order of their date as written and
    // their keys, and the point is named as the first of them by that text and key names it: the
    // order of the point's readings in the tank's list, so that the result does not depend on the
    // order the readings come in.
    struct Taken {
        const TankReading* row;
        Reading reading;
    };
    const auto before = [](const TankReading& a, const TankReading& b) {
        if (const int c = a.dateTaken.compare(b.dateTaken); c != 0)
            return c < 0;
        return a.thicknessId < b.thicknessId;
    };
    // Each spelling of a point is looked up once; spellings that differ only in letter case
    // share a group, and the groups are taken in the order of their folded IDs.
    std::vector<Taken> taken;
    std::vector<std::size_t> groupOfTaken;
    taken.reserve(readings.size());
    groupOfTaken.reserve(readings.size());
    std::vector<QString> foldedIds; // of each group
    QHash<QString, std::size_t> groupOfSpelling;
    QHash<QString, std::size_t> groupOfFolded;
    QHash<QString, std::optional<QDate>> dates; // a tank's readings share a few dates
    for (const TankReading& r : readings) {
        if (std::isnan(r.reading))
            continue;
        auto known = dates.constFind(r.dateTaken);
        if (known == dates.constEnd())
            known = dates.insert(r.dateTaken, parseDate(r.dateTaken));
        if (!*known)
            continue;
        auto group = groupOfSpelling.constFind(r.pointId);
        if (group == groupOfSpelling.constEnd()) {
            QString folded = foldedCase(r.pointId);
            auto same = groupOfFolded.constFind(folded);
            if (same == groupOfFolded.constEnd()) {
                same = groupOfFolded.insert(folded, foldedIds.size());
                foldedIds.push_back(std::move(folded));
            }
            group = groupOfSpelling.insert(r.pointId, *same);
        }
        taken.push_back({&r, {**known, r.reading, r.course}});
        groupOfTaken.push_back(*group);
    }
    // The readings of each group side by side, in the order they came (a counting sort).
    std::vector<std::size_t> groupStart(foldedIds.size() + 1, 0);
    for (const std::size_t group : groupOfTaken)
        ++groupStart[group + 1];
    std::partial_sum(groupStart.begin(), groupStart.end(), groupStart.begin());
    std::vector<Taken> grouped(taken.size(), Taken{nullptr, {}});
    {
        std::vector<std::size_t> next(groupStart.begin(), groupStart.end() - 1);
        for (std::size_t i = 0; i < taken.size(); ++i)
            grouped[next[groupOfTaken[i]]++] = taken[i];
    }
    std::vector<std::size_t> order(foldedIds.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return foldedIds[a] < foldedIds[b]; });

    std::vector<Reading> list;
    for (const std::size_t index : order) {
        const auto begin = grouped.begin() + static_cast<std::ptrdiff_t>(groupStart[index]);
        const auto end = grouped.begin() + static_cast<std::ptrdiff_t>(groupStart[index + 1]);
        const auto earlier = [&](const Taken& a, const Taken& b) {
            if (a.reading.date != b.reading.date)
                return a.reading.date < b.reading.date;
            return before(*a.row, *b.row);
        };
        // Readings mostly come in order already.
        if (!std::is_sorted(begin, end, earlier))
            std::stable_sort(begin, end, earlier);
        const TankReading* first = begin->row;
        list.clear();
        for (auto t = begin; t != end; ++t) {
            list.push_back(t->reading);
            if (before(*t->row, *first))
                first = t->row;
        }
        const QString& name = first->pointId;
        PointAssessment p = assessPoint(name, list, minimums, tank.utFrequency);
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
        return r ? isoDate(r->date) : QString();
    };
    const auto thickness = [&](const std::optional<Reading>& r) {
        return r ? number(r->inches) : QString();
    };
    QString out = QStringLiteral(
        "PointID,Course,First,FirstDate,Previous,PreviousDate,Latest,LatestDate,Minimum,"
        "LongTermRate,ShortTermRate,Rate,RCA,RemainingLife,UTInterval,ExternalInterval,Status\n");
    for (const PointAssessment& p : tank.points) {
        const QStringList cells{
            csvField(p.pointId),     p.course ? QString::number(p.course) : QString(),
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
