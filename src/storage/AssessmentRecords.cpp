#include "storage/AssessmentRecords.h"

#include "data/Database.h"
#include "storage/InspectionRecords.h"

namespace korvane::assessment {

Result<TankAssessment> readAssessment(const QString& databaseName, qint32 tankId) {
    auto minimums = readCourseMinimums(databaseName, tankId);
    if (!minimums)
        return minimums.takeError();
    auto readings = readTankReadings(databaseName, tankId);
    if (!readings)
        return readings.takeError();
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto row = db->exec(QStringLiteral("SELECT \"UTFreq\", \"ExternalFreq\" FROM \"Tank\" "
                                       "WHERE \"TankID\" = ?"),
                        {tankId});
    if (!row)
        return row.takeError();
    Schedule schedule;
    if (row->next()) {
        schedule.utFrequency = row->value(0).toDouble();
        schedule.externalFrequency = row->value(1).toDouble();
    }
    return assessTank(*readings, minimums->minimums, schedule);
}

Result<PointTrend> readPointTrend(const QString& databaseName, qint32 tankId,
                                  const QString& pointId) {
    auto minimums = readCourseMinimums(databaseName, tankId);
    if (!minimums)
        return minimums.takeError();
    auto readings = readTankReadings(databaseName, tankId);
    if (!readings)
        return readings.takeError();
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto row = db->exec(QStringLiteral("SELECT \"UTFreq\", \"UTLast\" FROM \"Tank\" WHERE "
                                       "\"TankID\" = ?"),
                        {tankId});
    if (!row)
        return row.takeError();
    double frequency = 0;
    QDate last;
    if (row->next()) {
        frequency = row->value(0).toDouble();
        last = QDate::fromString(row->value(1).toString(), Qt::ISODate);
    }
    return pointTrend(pointId, *readings, minimums->minimums, last, frequency);
}

} // namespace korvane::assessment
