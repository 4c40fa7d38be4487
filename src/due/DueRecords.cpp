#include "due/DueRecords.h"

#include "common/DateText.h"
#include "common/Rounding.h"
#include "data/Database.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace korvane::due {

namespace {

// Readings are read in blocks of rows, so that a large database is never held whole twice.
constexpr int ReadingBlock = 100000;

QString quoted(const QString& name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString text(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// Dates are kept as yyyy-mm-dd; a text that is not one is read as a person would type it. The
// same dates come back again and again, so each text is read once.
class Dates {
public:
    QDate operator()(const QVariant& v) {
        if (v.isNull())
            return {};
        const QString stored = v.toString();
        if (auto known = cache_.constFind(stored); known != cache_.constEnd())
            return *known;
        QDate date = QDate::fromString(stored, Qt::ISODate);
        if (!date.isValid())
            date = parseDate(stored).value_or(QDate());
        cache_.insert(stored, date);
        return date;
    }

private:
    QHash<QString, QDate> cache_;
};

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
    Dates dates;

    // Companies and locations, by key.
    QHash<qint32, QString> companies;
    {
        auto rows = db->exec(QStringLiteral("SELECT \"CompanyID\", \"Company\" FROM \"Company\""));
        if (!rows)
            return rows.takeError();
        while (rows->next())
            companies.insert(rows->value(0).toInt(), text(rows->value(1)));
    }
    struct Place {
        qint32 companyId = 0;
        QString name;
    };
    QHash<qint32, Place> locations;
    {
        auto rows = db->exec(
            QStringLiteral("SELECT \"LocationID\", \"CompanyID\", \"Location\" FROM \"Location\""));
        if (!rows)
            return rows.takeError();
        while (rows->next())
            locations.insert(rows->value(0).toInt(),
                             {rows->value(1).toInt(), text(rows->value(2))});
    }

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
    {
        auto rows = db->exec(
            QStringLiteral("SELECT %1 FROM \"Tank\"").arg(quotedFields.join(QStringLiteral(", "))));
        if (!rows)
            return rows.takeError();
        while (rows->next()) {
            TankInput& t = tanks.emplace_back();
            t.tankId = rows->value(0).toInt();
            t.locationId = rows->value(1).toInt();
            const Place place = locations.value(t.locationId);
            t.companyId = place.companyId;
            t.location = place.name;
            t.company = companies.value(place.companyId);
            t.tank = text(rows->value(2));
            t.product = text(rows->value(3));
            for (std::size_t k = 0; k < schedule::Kinds.size(); ++k) {
                const int column = 4 + 2 * static_cast<int>(k);
                t.frequencies[k] = rows->value(column).toDouble();
                // Only a scheduled inspection needs its last date read.
                if (t.frequencies[k] != 0)
                    t.lasts[k] = dates(rows->value(column + 1));
            }
            // The minimums of the tank's courses, by course code, as the assessment reads them.
            const int courses =
                std::clamp(rows->value(coursesColumn).toInt(), 0, thickness::MaxCourses);
            for (int i = 1; i <= courses; ++i)
                t.minimums[static_cast<std::size_t>(thickness::courseCode(i))] =
                    rows->value(coursesColumn + i).toDouble();
            // Diameter and height are kept in whole inches.
            t.values.diameterFt = rows->value(diameterColumn).toDouble() / 12;
            t.values.heightFt = rows->value(diameterColumn + 1).toDouble() / 12;
            t.values.yieldPsi = rows->value(diameterColumn + 2).toDouble();
            tankIndex.insert(t.tankId, tanks.size() - 1);
        }
    }

    // Inspections: the last of each tank, and the tank and date of each for its survey.
    struct InspectionAt {
        qint32 tankId = 0;
        QDate date;
    };
    QHash<qint32, InspectionAt> inspections;
    {
        auto rows = db->exec(QStringLiteral(
            "SELECT \"InspectionID\", \"TankID\", \"InspectionDate\" FROM \"Inspection\""));
        if (!rows)
            return rows.takeError();
        while (rows->next()) {
            const InspectionAt at{rows->value(1).toInt(), dates(rows->value(2))};
            inspections.insert(rows->value(0).toInt(), at);
            if (const auto found = tankIndex.constFind(at.tankId); found != tankIndex.constEnd()) {
                QDate& last = tanks[*found].lastInspection;
                if (at.date.isValid() && (!last.isValid() || at.date > last))
                    last = at.date;
            }
        }
    }

    // Each tank's last survey: the one of its latest inspection (by date, then by key).
    QHash<qint32, SurveyAt> surveys;
    {
        QStringList surveyFields{quoted(QStringLiteral("InspectionID")),
                                 quoted(QStringLiteral("SurveyPoints"))};
        for (int i = 1; i <= settlement::MaximumPoints; ++i)
            surveyFields << quoted(
                QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0')));
        auto rows = db->exec(QStringLiteral("SELECT %1 FROM \"ShellSurvey\"")
                                 .arg(surveyFields.join(QStringLiteral(", "))));
        if (!rows)
            return rows.takeError();
        while (rows->next()) {
            const qint32 inspectionId = rows->value(0).toInt();
            const auto at = inspections.constFind(inspectionId);
            if (at == inspections.constEnd())
                continue;
            const auto known = surveys.constFind(at->tankId);
            if (known != surveys.constEnd() &&
                std::tie(known->date, known->inspectionId) >= std::tie(at->date, inspectionId))
                continue;
            SurveyAt s;
            s.date = at->date;
            s.inspectionId = inspectionId;
            s.survey.date = at->date;
            s.survey.inspectionId = inspectionId;
            // The count is stored as a floating-point number and used as a whole one.
            const auto points = toInt32(rows->value(1).toDouble());
            s.survey.points = points ? *points : 0;
            if (s.survey.points >= 1 && s.survey.points <= settlement::MaximumPoints)
                for (int i = 1; i <= s.survey.points; ++i)
                    s.survey.readingsIn.push_back(rows->value(1 + i).toDouble());
            surveys.insert(at->tankId, std::move(s));
        }
    }

    // Every reading, by tank, a block of rows at a time by key (the assessment does not depend on
    // the order they come in).
    std::vector<std::vector<TankReading>> readings(tanks.size());
    const QString readingsQuery = QStringLiteral(
        "SELECT \"Thickness\".\"ThicknessID\", \"Inspection\".\"TankID\", "
        "\"Thickness\".\"PointID\", \"Thickness\".\"DateTaken\", \"Thickness\".\"Reading\", "
        "\"Thickness\".\"Course\" FROM \"Thickness\" INNER JOIN \"Inspection\" ON "
        "\"Thickness\".\"InspectionID\" = \"Inspection\".\"InspectionID\" WHERE "
        "\"Thickness\".\"ThicknessID\" > ? ORDER BY \"Thickness\".\"ThicknessID\" LIMIT ?");
    for (qint64 after = -1;;) {
        if (keepGoing && !keepGoing())
            return Error{QStringLiteral("Stopped.")};
        auto rows = db->exec(readingsQuery, {after, ReadingBlock});
        if (!rows)
            return rows.takeError();
        int count = 0;
        while (rows->next()) {
            ++count;
            after = rows->value(0).toLongLong();
            const auto found = tankIndex.constFind(rows->value(1).toInt());
            if (found == tankIndex.constEnd())
                continue;
            TankReading& r = readings[*found].emplace_back();
            r.thicknessId = static_cast<qint32>(after);
            r.pointId = text(rows->value(2));
            r.dateTaken = text(rows->value(3));
            if (const QVariant reading = rows->value(4); !reading.isNull())
                r.reading = reading.toDouble();
            r.course = rows->value(5).toInt();
        }
        if (count < ReadingBlock)
            break;
    }

    std::vector<TankRow> rows;
    rows.reserve(tanks.size());
    for (std::size_t i = 0; i < tanks.size(); ++i) {
        std::optional<SurveyInput> survey;
        if (const auto found = surveys.constFind(tanks[i].tankId); found != surveys.constEnd())
            survey = found->survey;
        rows.push_back(rowFor(tanks[i], readings[i], survey, options));
        readings[i] = {};
    }
    sortWorstFirst(rows);
    return rows;
}

} // namespace korvane::due
