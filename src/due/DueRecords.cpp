#include "due/DueRecords.h"

#include "common/DateText.h"
#include "common/Rounding.h"
#include "data/Database.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <numeric>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <unordered_map>

namespace korvane::due {

namespace {

// Readings are read in blocks of rows, so that a large database is never held whole twice.
constexpr int ReadingBlock = 100000;

QString quoted(const QString& name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// What a text cell stands for, made once per spelling and shared: a fleet's readings repeat a
// few dates and each tank's point IDs thousands of times.
template <typename T> class ByText {
public:
    explicit ByText(std::function<T(QByteArrayView)> make) : make_(std::move(make)) {}
    const T& operator()(QByteArrayView utf8) {
        const std::string_view key(utf8.data(), static_cast<std::size_t>(utf8.size()));
        auto found = known_.find(key);
        if (found == known_.end())
            found = known_.emplace(std::string(key), make_(utf8)).first;
        return found->second;
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::function<T(QByteArrayView)> make_;
    std::unordered_map<std::string, T, Hash, std::equal_to<>> known_;
};

// Texts by their place in a table, each spelling kept once.
class TextTable {
public:
    qint32 operator()(QByteArrayView utf8) { return places_(utf8); }
    const QString& operator[](qint32 place) const {
        return texts_[static_cast<std::size_t>(place)];
    }

private:
    std::vector<QString> texts_;
    ByText<qint32> places_{[this](QByteArrayView utf8) {
        texts_.push_back(QString::fromUtf8(utf8));
        return static_cast<qint32>(texts_.size() - 1);
    }};
};

// A reading as it is read, its texts by their place in a TextTable: a fleet's million readings
// take a fifth of the room their TankReadings would, and are made into those one tank at a time.
struct ReadingRow {
    qint32 tank = 0; // the tank's place in the list of tanks
    qint32 thicknessId = 0;
    qint32 pointId = 0;
    qint32 dateTaken = 0;
    qint32 course = 0;
    double reading = 0; // NaN when none
};

// Dates are kept as yyyy-mm-dd; a text that is not one is read as a person would type it.
QDate dateOf(QByteArrayView utf8) {
    const QString stored = QString::fromUtf8(utf8);
    const QDate date = QDate::fromString(stored, Qt::ISODate);
    return date.isValid() ? date : parseDate(stored).value_or(QDate());
}

struct SurveyAt {
    QDate date;
    qint32 inspectionId = 0;
    SurveyInput survey;
};

} // namespace

Result<std::vector<TankRow>> readDueList(const QString& databaseName, const Options& options,
                                         const std::function<bool()>& keepGoing) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    ByText<QDate> dates(dateOf);
    TextTable texts; // products, point IDs and dates: a fleet repeats each many times
    const auto id = [](const RowView& row, int column) {
        return static_cast<qint32>(row.integer(column));
    };

    // Companies and locations, by key.
    QHash<qint32, QString> companies;
    if (auto read =
            db->eachRow(QStringLiteral("SELECT \"CompanyID\", \"Company\" FROM \"Company\""), {},
                        [&](const RowView& row) {
                            companies.insert(id(row, 0), row.text(1));
                            return Status{};
                        });
        !read)
        return read.takeError();
    struct Place {
        qint32 companyId = 0;
        QString name;
    };
    QHash<qint32, Place> locations;
    if (auto read = db->eachRow(
            QStringLiteral("SELECT \"LocationID\", \"CompanyID\", \"Location\" FROM \"Location\""),
            {},
            [&](const RowView& row) {
                locations.insert(id(row, 0), {id(row, 1), row.text(2)});
                return Status{};
            });
        !read)
        return read.takeError();

    // The tanks, with what their schedule, minimums and survey allowance need.
    QStringList fields{QStringLiteral("TankID"), QStringLiteral("LocationID"),
                       QStringLiteral("Name"), QStringLiteral("Product")};
    for (const schedule::InspectionKind& kind : schedule::Kinds)
        fields << QString::fromLatin1(kind.freqField) << QString::fromLatin1(kind.lastField);
    const int coursesColumn = static_cast<int>(fields.size());
    fields << QStringLiteral("Courses");
    for (int i = 1; i <= thickness::MaxCourses; ++i)
        fields << QStringLiteral("Course%1_Min").arg(i);
    const int diameterColumn = static_cast<int>(fields.size());
    fields << QStringLiteral("Diameter") << QStringLiteral("Height") << QStringLiteral("Yield");
    QStringList quotedFields;
    for (const QString& field : fields)
        quotedFields << quoted(field);

    std::vector<TankInput> tanks;
    QHash<qint32, std::size_t> tankIndex;
    if (auto read = db->eachRow(
            QStringLiteral("SELECT %1 FROM \"Tank\"").arg(quotedFields.join(QStringLiteral(", "))),
            {},
            [&](const RowView& row) {
                TankInput& t = tanks.emplace_back();
                t.tankId = id(row, 0);
                t.locationId = id(row, 1);
                const Place place = locations.value(t.locationId);
                t.companyId = place.companyId;
                t.location = place.name;
                t.company = companies.value(place.companyId);
                t.tank = row.text(2);
                t.product = texts[texts(row.utf8(3))];
                for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
                    const int column = 4 + 2 * static_cast<int>(k);
                    t.frequencies[k] = row.real(column);
                    // Only a scheduled inspection needs its last date read.
                    if (t.frequencies[k] != 0 && !row.isNull(column + 1))
                        t.lasts[k] = dates(row.utf8(column + 1));
                }
                // The minimums of the tank's courses, by course code, as the assessment reads
                // them.
                const int courses = static_cast<int>(
                    std::clamp<qint64>(row.integer(coursesColumn), 0, thickness::MaxCourses));
                for (int i = 1; i <= courses; ++i)
                    t.minimums[static_cast<std::size_t>(thickness::courseCode(i))] =
                        row.real(coursesColumn + i);
                // Diameter and height are kept in whole inches.
                t.values.diameterFt = row.real(diameterColumn) / 12;
                t.values.heightFt = row.real(diameterColumn + 1) / 12;
                t.values.yieldPsi = row.real(diameterColumn + 2);
                tankIndex.insert(t.tankId, tanks.size() - 1);
                return Status{};
            });
        !read)
        return read.takeError();

    // Inspections: the last of each tank, and the tank and date of each for its survey.
    struct InspectionAt {
        qint32 tankId = 0;
        QDate date;
    };
    QHash<qint32, InspectionAt> inspections;
    if (auto read = db->eachRow(
            QStringLiteral(
                "SELECT \"InspectionID\", \"TankID\", \"InspectionDate\" FROM \"Inspection\""),
            {},
            [&](const RowView& row) {
                const InspectionAt at{id(row, 1), row.isNull(2) ? QDate() : dates(row.utf8(2))};
                inspections.insert(id(row, 0), at);
                if (const auto found = tankIndex.constFind(at.tankId);
                    found != tankIndex.constEnd()) {
                    QDate& last = tanks[*found].lastInspection;
                    if (at.date.isValid() && (!last.isValid() || at.date > last))
                        last = at.date;
                }
                return Status{};
            });
        !read)
        return read.takeError();

    // Each tank's last survey: the one of its latest inspection (by date, then by key).
    QHash<qint32, SurveyAt> surveys;
    QStringList surveyFields{quoted(QStringLiteral("InspectionID")),
                             quoted(QStringLiteral("SurveyPoints"))};
    for (int i = 1; i <= settlement::MaximumPoints; ++i)
        surveyFields << quoted(QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')));
    if (auto read = db->eachRow(
            QStringLiteral("SELECT %1 FROM \"ShellSurvey\"")
                .arg(surveyFields.join(QStringLiteral(", "))),
            {},
            [&](const RowView& row) {
                const qint32 inspectionId = id(row, 0);
                const auto at = inspections.constFind(inspectionId);
                if (at == inspections.constEnd())
                    return Status{};
                const auto known = surveys.constFind(at->tankId);
                if (known != surveys.constEnd() &&
                    std::tie(known->date, known->inspectionId) >= std::tie(at->date, inspectionId))
                    return Status{};
                SurveyAt s;
                s.date = at->date;
                s.inspectionId = inspectionId;
                s.survey.date = at->date;
                s.survey.inspectionId = inspectionId;
                // The count is stored as a floating-point number and used as a whole one.
                const auto points = toInt32(row.real(1));
                s.survey.points = points ? *points : 0;
                if (s.survey.points >= 1 && s.survey.points <= settlement::MaximumPoints)
                    for (int i = 1; i <= s.survey.points; ++i)
                        s.survey.readingsIn.push_back(row.real(1 + i));
                surveys.insert(at->tankId, std::move(s));
                return Status{};
            });
        !read)
        return read.takeError();

    // Every reading, a block of rows at a time by key, so that an engine that holds a query's
    // rows whole holds no more than a block (the assessment does not depend on the order they
    // come in).
    std::vector<ReadingRow> readings;
    const QString readingsQuery = QStringLiteral(
        "SELECT \"Thickness\".\"ThicknessID\", \"Inspection\".\"TankID\", "
        "\"Thickness\".\"PointID\", \"Thickness\".\"DateTaken\", \"Thickness\".\"Reading\", "
        "\"Thickness\".\"Course\" FROM \"Thickness\" INNER JOIN \"Inspection\" ON "
        "\"Thickness\".\"InspectionID\" = \"Inspection\".\"InspectionID\" WHERE "
        "\"Thickness\".\"ThicknessID\" > ? ORDER BY \"Thickness\".\"ThicknessID\" LIMIT ?");
    for (qint64 after = -1;;) {
        if (keepGoing && !keepGoing())
            return Error{QStringLiteral("Stopped.")};
        int count = 0;
        if (auto read = db->eachRow(
                readingsQuery, {after, ReadingBlock},
                [&](const RowView& row) {
                    ++count;
                    after = row.integer(0);
                    const auto found = tankIndex.constFind(id(row, 1));
                    if (found == tankIndex.constEnd())
                        return Status{};
                    readings.push_back(
                        {static_cast<qint32>(*found), static_cast<qint32>(after),
                         texts(row.utf8(2)), texts(row.utf8(3)),
                         static_cast<qint32>(row.integer(5)),
                         row.isNull(4) ? std::numeric_limits<double>::quiet_NaN() : row.real(4)});
                    return Status{};
                });
            !read)
            return read.takeError();
        if (count < ReadingBlock)
            break;
    }

    // The readings of each tank side by side, in the order they came (a counting sort).
    std::vector<std::size_t> tankStart(tanks.size() + 1, 0);
    for (const ReadingRow& r : readings)
        ++tankStart[static_cast<std::size_t>(r.tank) + 1];
    std::partial_sum(tankStart.begin(), tankStart.end(), tankStart.begin());
    std::vector<std::size_t> byTank(readings.size());
    {
        std::vector<std::size_t> next(tankStart.begin(), tankStart.end() - 1);
        for (std::size_t i = 0; i < readings.size(); ++i)
            byTank[next[static_cast<std::size_t>(readings[i].tank)]++] = i;
    }

    // Each tank is assessed on its own, from data nothing writes any more, so the tanks are
    // shared out among the processor's cores.
    std::vector<TankRow> rows(tanks.size());
    const auto assess = [&](std::size_t from, std::size_t to) {
        std::vector<TankReading> tankReadings;
        for (std::size_t i = from; i < to; ++i) {
            tankReadings.clear();
            for (std::size_t j = tankStart[i]; j < tankStart[i + 1]; ++j) {
                const ReadingRow& r = readings[byTank[j]];
                TankReading& t = tankReadings.emplace_back();
                t.thicknessId = r.thicknessId;
                t.pointId = texts[r.pointId];
                t.dateTaken = texts[r.dateTaken];
                t.reading = r.reading;
                t.course = r.course;
            }
            std::optional<SurveyInput> survey;
            if (const auto found = surveys.constFind(tanks[i].tankId); found != surveys.constEnd())
                survey = found->survey;
            rows[i] = rowFor(tanks[i], tankReadings, survey, options);
        }
    };
    const std::size_t parts = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1,
                                                      std::max<std::size_t>(tanks.size(), 1));
    {
        std::vector<std::jthread> helpers;
        for (std::size_t part = 1; part < parts; ++part)
            helpers.emplace_back(assess, tanks.size() * part / parts,
                                 tanks.size() * (part + 1) / parts);
        assess(0, tanks.size() / parts);
    }
    sortWorstFirst(rows);
    return rows;
}

} // namespace korvane::due
