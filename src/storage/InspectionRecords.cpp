#include "storage/InspectionRecords.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <algorithm>

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

} // namespace korvane
