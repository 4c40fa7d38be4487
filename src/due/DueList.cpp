#include "due/DueList.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace korvane::due {

namespace {

// The index of the ultrasonic and external inspections in schedule::Kinds.
constexpr std::size_t kindIndex(const char* freqField) {
    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k)
        if (std::string_view(schedule::Kinds[k].freqField) == freqField)
            return k;
    return schedule::Kinds.size();
}
constexpr std::size_t External = kindIndex("ExternalFreq");
constexpr std::size_t Ultrasonic = kindIndex("UTFreq");
static_assert(External < schedule::Kinds.size() && Ultrasonic < schedule::Kinds.size());

QString counted(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

Mark dueMark(const QDate& next, const QDate& today, int horizonDays) {
    if (!next.isValid() || !today.isValid())
        return Mark::None;
    if (next < today)
        return Mark::Red;
    if (next <= today.addDays(std::max(horizonDays, 0)))
        return Mark::Amber;
    return Mark::None;
}

int TankRow::redCount() const {
    int n = 0;
    for (const Scheduled& s : schedule)
        n += s.mark == Mark::Red ? 1 : 0;
    return n + (belowMinimum > 0 ? 1 : 0) + (survey.beyond > 0 ? 1 : 0);
}

int TankRow::amberCount() const {
    int n = 0;
    for (const Scheduled& s : schedule)
        n += s.mark == Mark::Amber ? 1 : 0;
    return n + (lifeShort > 0 ? 1 : 0) + (survey.poorFit ? 1 : 0);
}

Mark TankRow::worst() const {
    if (redCount() > 0)
        return Mark::Red;
    return amberCount() > 0 ? Mark::Amber : Mark::None;
}

QString TankRow::reasons() const {
    QStringList parts;
    for (std::size_t k = 0; k < schedule.size(); ++k) {
        const QString kind = QString::fromLatin1(schedule::Kinds[k].label);
        if (schedule[k].mark == Mark::Red)
            parts << QStringLiteral("%1 overdue since %2").arg(kind, formatDate(schedule[k].next));
        else if (schedule[k].mark == Mark::Amber)
            parts << QStringLiteral("%1 due %2").arg(kind, formatDate(schedule[k].next));
    }
    if (belowMinimum > 0)
        parts << counted(belowMinimum, "point below minimum", "points below minimum");
    if (lifeShort > 0)
        parts << counted(lifeShort, "point short of life before the next UT",
                         "points short of life before the next UT");
    if (survey.beyond > 0)
        parts << QStringLiteral("shell survey: ") +
                     counted(survey.beyond, "point beyond allowance", "points beyond allowance");
    if (survey.poorFit)
        parts << QStringLiteral("shell survey: R² %1 below %2")
                     .arg(formatNumber(survey.rSquared, u"0.000"),
                          formatNumber(settlement::SoundFit, u"0.00"));
    return parts.join(QStringLiteral("; "));
}

TankRow rowFor(const TankInput& tank, const std::vector<TankReading>& readings,
               const std::optional<SurveyInput>& survey, const Options& options) {
    TankRow row;
    row.tankId = tank.tankId;
    row.locationId = tank.locationId;
    row.companyId = tank.companyId;
    row.company = tank.company;
    row.location = tank.location;
    row.tank = tank.tank;
    row.product = tank.product;
    row.lastInspection = tank.lastInspection;

    for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
        Scheduled& s = row.schedule[k];
        s.frequency = tank.frequencies[k];
        s.last = tank.lasts[k];
        if (s.frequency != 0 && s.last.isValid())
            s.next = schedule::nextDueDate(s.last, s.frequency);
        s.mark = dueMark(s.next, options.today, options.horizonDays);
    }

    assessment::Schedule frequencies;
    frequencies.utFrequency = tank.frequencies[Ultrasonic];
    frequencies.externalFrequency = tank.frequencies[External];
    const assessment::TankAssessment assessed =
        assessment::assessTank(readings, tank.minimums, frequencies);
    row.pointCount = static_cast<int>(assessed.points.size());
    row.shortestLife = assessed.shortestLife;
    row.governingPoint = assessed.governingPoint;
    for (const assessment::PointAssessment& p : assessed.points) {
        row.belowMinimum += p.status == assessment::PointStatus::BelowMinimum ? 1 : 0;
        row.lifeShort += p.status == assessment::PointStatus::LifeShorterThanUt ? 1 : 0;
    }

    if (survey) {
        Survey& s = row.survey;
        s.taken = true;
        s.date = survey->date;
        s.inspectionId = survey->inspectionId;
        s.points = survey->points;
        const settlement::Analysis analysis = settlement::analyse(survey->readingsIn, tank.values);
        s.analysed = analysis.analysed;
        s.missing = analysis.missing;
        if (s.missing.isEmpty() && !s.analysed)
            s.missing = QStringLiteral("the survey has %1 points").arg(survey->points);
        if (s.analysed) {
            // The closing row repeats point 1, so it is not counted again.
            const std::size_t points = analysis.rows.empty() ? 0 : analysis.rows.size() - 1;
            for (std::size_t i = 0; i < points; ++i)
                s.beyond += analysis.rows[i].allowed ? 0 : 1;
            s.rSquared = analysis.rSquared;
            s.poorFit = analysis.rSquared < settlement::SoundFit;
        }
    }
    return row;
}

void applyOptions(std::vector<TankRow>& rows, const Options& options) {
    for (TankRow& row : rows)
        for (Scheduled& s : row.schedule)
            s.mark = dueMark(s.next, options.today, options.horizonDays);
    sortWorstFirst(rows);
}

void sortWorstFirst(std::vector<TankRow>& rows) {
    const auto earliest = [](const TankRow& row) {
        QDate first;
        for (const Scheduled& s : row.schedule)
            if (s.next.isValid() && (!first.isValid() || s.next < first))
                first = s.next;
        // Nothing scheduled comes after every date.
        return first.isValid() ? first.toJulianDay() : std::numeric_limits<qint64>::max();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const TankRow& a, const TankRow& b) {
        if (a.redCount() != b.redCount())
            return a.redCount() > b.redCount();
        if (a.amberCount() != b.amberCount())
            return a.amberCount() > b.amberCount();
        if (earliest(a) != earliest(b))
            return earliest(a) < earliest(b);
        const double lifeA = a.shortestLife.value_or(std::numeric_limits<double>::infinity());
        const double lifeB = b.shortestLife.value_or(std::numeric_limits<double>::infinity());
        if (lifeA != lifeB)
            return lifeA < lifeB;
        for (const auto& [x, y] :
             {std::pair{&a.company, &b.company}, std::pair{&a.location, &b.location},
              std::pair{&a.tank, &b.tank}})
            if (const int c = x->compare(*y, Qt::CaseInsensitive); c != 0)
                return c < 0;
        return a.tankId < b.tankId;
    });
}

QString surveyText(const Survey& survey) {
    if (!survey.taken)
        return {};
    if (!survey.analysed)
        return QStringLiteral("Not analysed: ") + survey.missing;
    QString text = survey.beyond > 0
                       ? counted(survey.beyond, "point beyond allowance", "points beyond allowance")
                       : QStringLiteral("Within allowance");
    if (survey.poorFit)
        text += QStringLiteral("; R² %1 below %2")
                    .arg(formatNumber(survey.rSquared, u"0.000"),
                         formatNumber(settlement::SoundFit, u"0.00"));
    return text;
}

QString lifeText(const std::optional<double>& years) {
    return years ? formatNumber(*years, u"0.0") : QString();
}

QStringList columnTitles() {
    QStringList titles{QStringLiteral("Company"), QStringLiteral("Location"),
                       QStringLiteral("Tank"), QStringLiteral("Product")};
    for (const schedule::InspectionKind& kind : schedule::Kinds)
        titles << QString::fromLatin1(kind.label);
    titles << QStringLiteral("Shortest Life (yr)") << QStringLiteral("At Point")
           << QStringLiteral("Below Min.") << QStringLiteral("Last Shell Survey")
           << QStringLiteral("Last Inspection") << QStringLiteral("Needs Attention");
    return titles;
}

std::optional<quint32> markColour(Mark mark) {
    switch (mark) {
    case Mark::Red:
        return 0xF4C7C3;
    case Mark::Amber:
        return 0xFCE8B2;
    case Mark::None:
        break;
    }
    return std::nullopt;
}

Mark cellMark(const TankRow& row, int column) {
    if (column >= FirstScheduleColumn && column < LifeColumn)
        return row.schedule[static_cast<std::size_t>(column - FirstScheduleColumn)].mark;
    switch (column) {
    case LifeColumn:
    case PointColumn:
        return row.lifeShort > 0 ? Mark::Amber : Mark::None;
    case BelowColumn:
        return row.belowMinimum > 0 ? Mark::Red : Mark::None;
    case SurveyColumn:
        return row.survey.beyond > 0 ? Mark::Red : (row.survey.poorFit ? Mark::Amber : Mark::None);
    case AttentionColumn:
        return row.worst();
    default:
        return Mark::None;
    }
}

sheet::Sheet toSheet(const std::vector<TankRow>& rows) {
    using sheet::Cell;
    sheet::Sheet out;
    out.name = QStringLiteral("Due and at Risk");
    out.header = columnTitles();
    out.rows.reserve(rows.size());
    for (const TankRow& row : rows) {
        std::vector<Cell> cells{Cell::ofText(row.company), Cell::ofText(row.location),
                                Cell::ofText(row.tank), Cell::ofText(row.product)};
        for (const Scheduled& s : row.schedule)
            cells.push_back(Cell::ofDate(s.next));
        cells.push_back(row.shortestLife ? Cell::ofNumber(*row.shortestLife, QStringLiteral("0.0"))
                                         : Cell::empty());
        cells.push_back(Cell::ofText(row.governingPoint));
        cells.push_back(row.pointCount > 0 ? Cell::ofNumber(row.belowMinimum, QStringLiteral("0"))
                                           : Cell::empty());
        cells.push_back(Cell::ofText(surveyText(row.survey)));
        cells.push_back(Cell::ofDate(row.lastInspection));
        cells.push_back(Cell::ofText(row.reasons()));
        for (int c = 0; c < ColumnCount; ++c)
            cells[static_cast<std::size_t>(c)].marked(markColour(cellMark(row, c)));
        out.rows.push_back(std::move(cells));
    }
    return out;
}

} // namespace korvane::due
