#include "storage/ShellSurveyRecords.h"

#include "common/Rounding.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

namespace korvane {

namespace {

Result<Recordset> openRows(const QString& databaseName, const QString& table,
                           const QString& keyField, qint32 key) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    return db->openRecordset(Select::from(table).where(keyField, key));
}

} // namespace

QString settleField(int point) {
    return QStringLiteral("Point%1_Settle").arg(point, 2, 10, QLatin1Char('0'));
}

Result<std::optional<StoredSurvey>> readShellSurvey(const QString& databaseName,
                                                    qint32 inspectionId) {
    auto rs = openRows(databaseName, QStringLiteral("ShellSurvey"), QStringLiteral("InspectionID"),
                       inspectionId);
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return std::optional<StoredSurvey>{};

    StoredSurvey survey;
    survey.inspectionId = inspectionId;
    survey.number = rs->text(QStringLiteral("InspectionNum"));
    survey.date = rs->text(QStringLiteral("DateTaken"));
    survey.takenBy = rs->text(QStringLiteral("TakenBy"));
    survey.comments = rs->text(QStringLiteral("Comments"));
    // The count is stored as a floating-point number and used as a whole one; a count that is no
    // whole number at all reads as 0.
    const auto points = toInt32(rs->value(QStringLiteral("SurveyPoints")).toDouble());
    survey.points = points ? *points : 0;
    if (survey.points >= 1 && survey.points <= settlement::MaximumPoints) {
        survey.readingsIn.reserve(static_cast<std::size_t>(survey.points));
        for (int i = 1; i <= survey.points; ++i)
            survey.readingsIn.push_back(rs->value(settleField(i)).toDouble());
    }
    return std::optional<StoredSurvey>{std::move(survey)};
}

Result<std::optional<qint32>> readInspectionTankId(const QString& databaseName,
                                                   qint32 inspectionId) {
    auto rs = openRows(databaseName, QStringLiteral("Inspection"), QStringLiteral("InspectionID"),
                       inspectionId);
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return std::optional<qint32>{};
    return std::optional<qint32>{rs->value(QStringLiteral("TankID")).toInt()};
}

Result<settlement::TankValues> readSurveyTank(const QString& databaseName, qint32 tankId) {
    auto rs = openRows(databaseName, QStringLiteral("Tank"), QStringLiteral("TankID"), tankId);
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return Error{QStringLiteral("The tank is no longer in the database; another user may "
                                    "have deleted it.")};
    // Diameter and height are kept in whole inches.
    settlement::TankValues tank;
    tank.diameterFt = rs->value(QStringLiteral("Diameter")).toDouble() / 12;
    tank.heightFt = rs->value(QStringLiteral("Height")).toDouble() / 12;
    tank.yieldPsi = rs->value(QStringLiteral("Yield")).toDouble();
    return tank;
}

} // namespace korvane
