#include "storage/TmlRecords.h"

#include "common/NumberFormat.h"
#include "data/Database.h"
#include "data/Recordset.h"

#include <QSqlQuery>

namespace korvane::tml {

Result<std::optional<TmlPoint>> find(const Database& db, qint32 tankId, const QString& pointId) {
    auto rows = db.exec(QStringLiteral("SELECT \"PointID\", \"GraphicType\", \"XCoordinate\", "
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

Status write(Database& db, qint32 tankId, const TmlPoint& point) {
    return db.transaction([&]() -> Status {
        auto rowid = db.firstValue(QStringLiteral("SELECT rowid FROM \"TML\" WHERE "
                                                  "\"TankID\" = ? AND \"PointID\" = ? "
                                                  "ORDER BY rowid LIMIT 1"),
                                   {tankId, point.pointId});
        if (!rowid)
            return rowid.takeError();
        const QStringList place{QStringLiteral("GraphicType"), QStringLiteral("XCoordinate"),
                                QStringLiteral("YCoordinate")};
        if (rowid->isValid()) {
            auto written = db.updateRow(QStringLiteral("TML"), rowid->toLongLong(), place,
                                        {point.page, point.x, point.y});
            if (!written)
                return written.takeError();
            return {};
        }
        auto written =
            db.insertRow(QStringLiteral("TML"),
                         QStringList{QStringLiteral("TankID"), QStringLiteral("PointID")} + place,
                         {tankId, point.pointId, point.page, point.x, point.y});
        if (!written)
            return written.takeError();
        return {};
    });
}

Result<bool> remove(Database& db, qint32 tankId, const QString& pointId) {
    return db.deleteFirstRow(QStringLiteral("TML"),
                             {QStringLiteral("TankID"), QStringLiteral("PointID")},
                             {tankId, pointId});
}

LinkedRows<TmlPoint>::Access access() {
    LinkedRows<TmlPoint>::Access a;
    a.read = [](const Database& db, qint32 tankId, const QString& pointId) {
        return find(db, tankId, pointId);
    };
    a.write = [](Database& db, qint32 tankId, const QString& pointId,
                 const std::optional<TmlPoint>& point) -> Status {
        if (point)
            return write(db, tankId, *point);
        auto removed = remove(db, tankId, pointId);
        if (!removed)
            return removed.takeError();
        return {};
    };
    a.noun = QStringLiteral("Point");
    return a;
}

Result<std::optional<Measurement>> latestMeasurement(const QString& databaseName, qint32 tankId,
                                                     const QString& pointId) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rows = db->exec(
        QStringLiteral("SELECT \"Thickness\".\"Reading\", \"Thickness\".\"DateTaken\", "
                       "\"Inspection\".\"InspectionNum\", \"Inspection\".\"InspectionDate\" "
                       "FROM \"Inspection\" JOIN \"Thickness\" "
                       "ON \"Inspection\".\"InspectionID\" = \"Thickness\".\"InspectionID\" "
                       "WHERE \"Inspection\".\"TankID\" = ? AND \"Thickness\".\"PointID\" = ? "
                       "ORDER BY \"Thickness\".\"DateTaken\" DESC, "
                       "\"Thickness\".\"ThicknessID\" DESC LIMIT 1"),
        {tankId, pointId});
    if (!rows)
        return rows.takeError();
    if (!rows->next())
        return std::optional<Measurement>();
    const auto date = [&](int column) {
        return fieldvalue::fromStored(rows->value(column), layout::FieldType::Date).toString();
    };
    return std::optional<Measurement>(Measurement{rows->value(0).toDouble(), date(1),
                                                  rows->value(2).toString().trimmed(), date(3)});
}

QString currentThicknessText(const std::optional<Measurement>& measurement, bool unitsUS) {
    if (!measurement)
        return QStringLiteral("never measured");
    QString text = formatThickness(measurement->reading, unitsUS) +
                   (unitsUS ? QStringLiteral(" in.") : QStringLiteral(" mm"));
    if (!measurement->date.isEmpty())
        text += QStringLiteral(" on ") + measurement->date;
    if (!measurement->inspectionNum.isEmpty())
        text += QStringLiteral(", inspection ") + measurement->inspectionNum;
    else if (!measurement->inspectionDate.isEmpty())
        text += QStringLiteral(", inspection of ") + measurement->inspectionDate;
    return text;
}

} // namespace korvane::tml
