#include "graphics/TmlRecords.h"

#include "data/Database.h"

#include <QSqlQuery>

namespace korvane::tml {

Result<std::optional<TmlPoint>> find(const QString& databaseName, qint32 tankId,
                                     const QString& pointId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rows = db->exec(QStringLiteral("SELECT \"PointID\", \"GraphicType\", \"XCoordinate\", "
                                        "\"YCoordinate\" FROM \"TML\" WHERE \"TankID\" = ? AND "
                                        "\"PointID\" = ? ORDER BY rowid LIMIT 1"),
                         {tankId, pointId});
    if (!rows)
        return rows.takeError();
    if (!rows->next())
        return std::optional<TmlPoint>();
    return std::optional<TmlPoint>(TmlPoint{rows->value(0).toString(), rows->value(1).toInt(),
                                            rows->value(2).toDouble(), rows->value(3).toDouble()});
}

Status write(const QString& databaseName, qint32 tankId, const TmlPoint& point) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    return db->transaction([&]() -> Status {
        auto rowid = db->firstValue(QStringLiteral("SELECT rowid FROM \"TML\" WHERE "
                                                   "\"TankID\" = ? AND \"PointID\" = ? "
                                                   "ORDER BY rowid LIMIT 1"),
                                    {tankId, point.pointId});
        if (!rowid)
            return rowid.takeError();
        const QStringList place{QStringLiteral("GraphicType"), QStringLiteral("XCoordinate"),
                                QStringLiteral("YCoordinate")};
        if (rowid->isValid()) {
            auto written = db->updateRow(QStringLiteral("TML"), rowid->toLongLong(), place,
                                         {point.page, point.x, point.y});
            if (!written)
                return written.takeError();
            return {};
        }
        auto written =
            db->insertRow(QStringLiteral("TML"),
                          QStringList{QStringLiteral("TankID"), QStringLiteral("PointID")} + place,
                          {tankId, point.pointId, point.page, point.x, point.y});
        if (!written)
            return written.takeError();
        return {};
    });
}

Result<bool> remove(const QString& databaseName, qint32 tankId, const QString& pointId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    return db->deleteFirstRow(QStringLiteral("TML"),
                              {QStringLiteral("TankID"), QStringLiteral("PointID")},
                              {tankId, pointId});
}

Result<std::optional<double>> latestReading(const QString& databaseName, qint32 tankId,
                                            const QString& pointId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto reading = db->firstValue(
        QStringLiteral("SELECT \"Thickness\".\"Reading\" FROM \"Inspection\" JOIN \"Thickness\" "
                       "ON \"Inspection\".\"InspectionID\" = \"Thickness\".\"InspectionID\" "
                       "WHERE \"Inspection\".\"TankID\" = ? AND \"Thickness\".\"PointID\" = ? "
                       "ORDER BY \"Thickness\".\"DateTaken\" DESC, "
                       "\"Thickness\".\"ThicknessID\" DESC LIMIT 1"),
        {tankId, pointId});
    if (!reading)
        return reading.takeError();
    return reading->isValid() ? std::optional<double>(reading->toDouble()) : std::nullopt;
}

} // namespace korvane::tml
