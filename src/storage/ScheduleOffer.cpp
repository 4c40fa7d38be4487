#include "storage/ScheduleOffer.h"

#include "common/DateText.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "engineering/InspectionTypes.h"

namespace korvane {

namespace {

Result<Recordset> openTank(const Database& db, qint32 tankId, bool lockEdits) {
    auto rs = db.openRecordset(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tankId), lockEdits);
    if (rs && rs->eof())
        return Error{QStringLiteral("The tank is no longer in the database; another user may "
                                    "have deleted it.")};
    return rs;
}

} // namespace

const schedule::InspectionKind* scheduledKind(int typeCode) {
    // The type list and the schedule name the kinds alike.
    const int position = inspectiontype::listPosition(typeCode);
    if (position < 0)
        return nullptr;
    const QString item = inspectiontype::listItems().at(position);
    for (const schedule::InspectionKind& kind : schedule::Kinds)
        if (item == QLatin1String(kind.label))
            return &kind;
    return nullptr;
}

Result<std::optional<ScheduleOffer>> scheduleOffer(const Database& db, qint32 tankId, int typeCode,
                                                   const QString& dateText) {
    const schedule::InspectionKind* kind = scheduledKind(typeCode);
    const std::optional<QDate> date = parseDate(dateText);
    if (!kind || !date)
        return std::optional<ScheduleOffer>();
    auto tank = openTank(db, tankId, false);
    if (!tank)
        return tank.takeError();
    const std::optional<QDate> last = parseDate(tank->text(QString::fromLatin1(kind->lastField)));
    if (last && *last >= *date)
        return std::optional<ScheduleOffer>();
    return std::optional<ScheduleOffer>(ScheduleOffer{kind, *date});
}

QString scheduleQuestion(const ScheduleOffer& offer, const QString& tankName) {
    return QStringLiteral("Make %1 the last %2 inspection of %3?")
        .arg(formatDate(offer.date), QLatin1String(offer.kind->label), tankName);
}

Status makeLastInspection(const Database& db, qint32 tankId, const ScheduleOffer& offer) {
    auto tank = openTank(db, tankId, true);
    if (!tank)
        return tank.takeError();
    Status written = tank->edit(); // claims the row, or says who holds it
    if (written)
        written =
            tank->setValue(QString::fromLatin1(offer.kind->lastField), formatDate(offer.date));
    if (written)
        written = tank->update();
    return written;
}

} // namespace korvane
