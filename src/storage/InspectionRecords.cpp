#include "storage/InspectionRecords.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/FieldValue.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

namespace korvane {

namespace {

Result<Recordset> openQuery(const QString& databaseName, const Select& query) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    return db->openRecordset(query);
}

const QStringList readingFields{
    QStringLiteral("Thickness.ThicknessID"), QStringLiteral("Thickness.PointID"),
    QStringLiteral("Thickness.DateTaken"),   QStringLiteral("Thickness.Reading"),
    QStringLiteral("Thickness.Course"),      QStringLiteral("Thickness.TakenBy")};

} // namespace

Select inspectionListQuery(qint32 tankId) {
    return Select::from(QStringLiteral("Inspection"))
        .where(QStringLiteral("TankID"), tankId)
        .fields({QStringLiteral("InspectionID"), QStringLiteral("InspectionDate"),
                 QStringLiteral("InspectionNum"), QStringLiteral("InspectionType"),
                 QStringLiteral("InspectionReason")});
}

Result<std::vector<InspectionListRow>> readInspections(const QString& databaseName, qint32 tankId) {
    auto rs = openQuery(databaseName, inspectionListQuery(tankId));
    if (!rs)
        return rs.takeError();
    std::vector<InspectionListRow> rows;
    rows.reserve(static_cast<std::size_t>(rs->recordCount()));
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        InspectionListRow& row = rows.emplace_back();
        row.inspectionId = rs->value(0).toInt();
        row.date = rs->text(1);
        row.number = rs->text(2);
        row.type = rs->value(3).toInt();
        row.reason = rs->text(4);
    }
    return rows;
}

Select tankReadingsQuery(qint32 tankId) {
    return Select::inspectionsWithThickness()
        .where(QStringLiteral("Inspection.TankID"), tankId)
        .orderBy(QStringLiteral("Thickness.PointID"))
        .orderBy(QStringLiteral("Thickness.DateTaken"))
        .orderBy(QStringLiteral("Thickness.ThicknessID"))
        .fields(readingFields);
}

Result<bool> hasChecksField(const Database& db) {
    auto fields = db.engine()->tableFields(QStringLiteral("Thickness"));
    if (!fields)
        return fields.takeError();
    return std::any_of(fields->begin(), fields->end(), [](const layout::FieldDef& f) {
        return f.name.compare(QLatin1String("Checks"), Qt::CaseInsensitive) == 0;
    });
}

Result<std::vector<TankReading>> readTankReadings(const QString& databaseName, qint32 tankId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    // A file made before readings were checked has no Checks field until a window that stores
    // readings adds it; its readings are read without flags.
    auto checks = hasChecksField(*db);
    if (!checks)
        return checks.takeError();
    Select query = tankReadingsQuery(tankId);
    if (*checks)
        query.fields(QStringList(readingFields) << QStringLiteral("Thickness.Checks"));
    auto rs = db->openRecordset(query);
    if (!rs)
        return rs.takeError();
    std::vector<TankReading> rows;
    rows.reserve(static_cast<std::size_t>(rs->recordCount()));
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        TankReading& row = rows.emplace_back();
        row.thicknessId = rs->value(0).toInt();
        row.pointId = rs->text(1);
        row.dateTaken = rs->text(2);
        if (const QVariant reading = rs->value(3); reading.isValid())
            row.reading = reading.toDouble();
        row.course = rs->value(4).toInt();
        row.takenBy = rs->text(5);
        if (*checks)
            row.checks = rs->text(6);
    }
    return rows;
}

Result<CourseMinimums> readCourseMinimums(const QString& databaseName, qint32 tankId) {
    auto rs = openQuery(
        databaseName, Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tankId));
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return Error{QStringLiteral("The tank is no longer in the database; another user may "
                                    "have deleted it.")};
    CourseMinimums result;
    result.courses =
        std::clamp(rs->value(QStringLiteral("Courses")).toInt(), 0, thickness::MaxCourses);
    for (int i = 1; i <= result.courses; ++i)
        result.minimums[static_cast<std::size_t>(thickness::courseCode(i))] =
            rs->value(QStringLiteral("Course%1_Min").arg(i)).toDouble();
    return result;
}

Result<TankInputs> readTankInputs(const QString& databaseName, qint32 tankId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    TankInputs inputs;
    QStringList fields{QStringLiteral("\"Courses\"")};
    for (int i = 1; i <= thickness::MaxCourses; ++i)
        fields << QStringLiteral("\"Course%1_Min\"").arg(i);
    fields << QStringLiteral("\"UTFreq\"") << QStringLiteral("\"ExternalFreq\"")
           << QStringLiteral("\"UTLast\"");
    bool found = false;
    if (auto read = db->eachRow(
            QStringLiteral("SELECT %1 FROM \"Tank\" WHERE \"TankID\" = ?")
                .arg(fields.join(QLatin1String(", "))),
            {tankId},
            [&](const RowView& row) {
                found = true;
                CourseMinimums& c = inputs.courses;
                c.courses =
                    static_cast<int>(std::clamp<qint64>(row.integer(0), 0, thickness::MaxCourses));
                for (int i = 1; i <= c.courses; ++i)
                    c.minimums[static_cast<std::size_t>(thickness::courseCode(i))] = row.real(i);
                const int next = thickness::MaxCourses + 1;
                inputs.utFrequency = row.real(next);
                inputs.externalFrequency = row.real(next + 1);
                inputs.utLast = QDate::fromString(row.text(next + 2), Qt::ISODate);
                return Status{};
            });
        !read)
        return read.takeError();
    if (!found)
        return Error{QStringLiteral("The tank is no longer in the database; another user may "
                                    "have deleted it.")};

    auto checks = hasChecksField(*db);
    if (!checks)
        return checks.takeError();
    Select query =
        Select::inspectionsWithThickness()
            .where(QStringLiteral("Inspection.TankID"), tankId)
            .fields(*checks ? QStringList(readingFields) << QStringLiteral("Thickness.Checks")
                            : readingFields);
    // Read as Recordset gives the fields' values: a date as "dd/mmm/yyyy". A tank's readings
    // share a few dates, names and flags, so a text like the row before's is that text again.
    struct Repeated {
        QByteArray bytes;
        QString text;
    };
    std::array<Repeated, 4> last; // the stored date, the shown date, taken-by and checks
    const auto repeated = [&](Repeated& kept, QByteArrayView bytes, auto make) -> const QString& {
        if (kept.bytes.isNull() || kept.bytes != bytes) {
            kept.bytes = bytes.isNull() ? QByteArray("") : bytes.toByteArray();
            kept.text = make(bytes);
        }
        return kept.text;
    };
    const auto plain = [](QByteArrayView bytes) {
        return QString::fromUtf8(bytes);
    };
    const auto shownDate = [](QByteArrayView bytes) {
        return fieldvalue::fromStoredText(bytes.data(), bytes.size(), layout::FieldType::Date)
            .toString();
    };
    struct Key {
        QString point; // as a file's NOCASE compares it: ASCII letters folded alone
        QString date;  // as stored
        qint32 id = 0;
    };
    std::vector<Key> keys;
    if (auto read = db->eachRow(
            query.sql(db->engine()->dialect()), query.bindings(),
            [&](const RowView& row) {
                TankReading& r = inputs.readings.emplace_back();
                r.thicknessId = static_cast<qint32>(row.integer(0));
                r.pointId = row.text(1);
                QString point = r.pointId;
                for (QChar& c : point)
                    if (c >= u'A' && c <= u'Z')
                        c = QChar(c.unicode() + (u'a' - u'A'));
                const QByteArrayView date = row.utf8(2);
                keys.push_back({std::move(point), repeated(last[0], date, plain), r.thicknessId});
                if (!row.isNull(2))
                    r.dateTaken = repeated(last[1], date, shownDate);
                if (!row.isNull(3))
                    r.reading = row.real(3);
                r.course = static_cast<int>(row.integer(4));
                r.takenBy = repeated(last[2], row.utf8(5), plain);
                if (*checks)
                    r.checks = repeated(last[3], row.utf8(6), plain);
                return Status{};
            });
        !read)
        return read.takeError();

    // In the order a file's query by point, date and key gives them, sorted here rather than by
    // the engine, which takes many times longer.
    const auto units = [](const QString& text) {
        return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    };
    std::vector<std::size_t> order(inputs.readings.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        if (const int c = units(x.point).compare(units(y.point)); c != 0)
            return c < 0;
        if (const int c = units(x.date).compare(units(y.date)); c != 0)
            return c < 0;
        return x.id < y.id;
    });
    std::vector<TankReading> sorted;
    sorted.reserve(order.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(inputs.readings[i]));
    inputs.readings = std::move(sorted);
    return inputs;
}

} // namespace korvane
