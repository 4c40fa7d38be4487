#include "storage/InspectionDeletion.h"

#include "data/Select.h"
#include "engineering/ThicknessRules.h"

namespace korvane {

namespace {

const QString HistoryNote = QStringLiteral("The history keeps a copy of every row deleted.");

// The row of a table with its counter key, claimed for deleting.
Result<Recordset> claimRow(const QString& databaseName, const QString& table, qint32 key,
                           const QString& goneMessage) {
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rs = db->openRecordset(Select::from(table).where(table + QLatin1String("ID"), key), true);
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return Error{goneMessage};
    if (Status claimed = rs->edit(); !claimed) // or says who holds it
        return claimed.takeError();
    return rs;
}

QString countText(qint64 count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

Result<ReadingDeletion> ReadingDeletion::claim(const QString& databaseName, qint32 thicknessId) {
    auto row = claimRow(databaseName, QStringLiteral("Thickness"), thicknessId,
                        QStringLiteral("The reading is no longer in the database; another user "
                                       "may have deleted it."));
    if (!row)
        return row.takeError();
    ReadingDeletion deletion;
    deletion.row_ = std::move(row.value());
    deletion.thicknessId_ = thicknessId;
    return deletion;
}

qint32 ReadingDeletion::inspectionId() const {
    return row_.value(QStringLiteral("InspectionID")).toInt();
}

QString ReadingDeletion::question(bool unitsUS) const {
    QStringList facts;
    if (const QString course = thickness::courseText(row_.value(QStringLiteral("Course")).toInt());
        !course.isEmpty())
        facts << course;
    if (const QVariant reading = row_.value(QStringLiteral("Reading")); reading.isValid())
        facts << thickness::shownThickness(reading.toDouble(), unitsUS) +
                     (unitsUS ? QStringLiteral(" in.") : QStringLiteral(" mm"));
    if (const QString date = row_.text(QStringLiteral("DateTaken")); !date.isEmpty())
        facts << QStringLiteral("taken ") + date;
    const QString point = row_.text(QStringLiteral("PointID"));
    return QStringLiteral("Delete the thickness reading of point %1%2?\n\n1 thickness reading "
                          "will be deleted. %3")
        .arg(point,
             facts.isEmpty()
                 ? QString()
                 : QStringLiteral(" (") + facts.join(QStringLiteral(", ")) + QLatin1Char(')'),
             HistoryNote);
}

Status ReadingDeletion::deleteReading() {
    Database db = row_.database();
    // The claim is held until the row is gone.
    return db.transaction([&]() -> Status {
        auto gone =
            db.deleteRows(QStringLiteral("Thickness"), QStringLiteral("ThicknessID"), thicknessId_);
        if (!gone)
            return gone.takeError();
        if (*gone != 1)
            return Error{QStringLiteral("The reading is no longer in the database; another user "
                                        "may have deleted it.")};
        return {};
    });
}

Result<InspectionDeletion> InspectionDeletion::claim(const QString& databaseName,
                                                     qint32 inspectionId) {
    auto row = claimRow(databaseName, QStringLiteral("Inspection"), inspectionId,
                        QStringLiteral("The inspection is no longer in the database; another "
                                       "user may have deleted it."));
    if (!row)
        return row.takeError();
    InspectionDeletion deletion;
    deletion.row_ = std::move(row.value());
    deletion.inspectionId_ = inspectionId;
    const Database& db = deletion.row_.database();
    for (std::size_t i = 0; i < InspectionParts.size(); ++i) {
        auto count =
            db.firstValue(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?")
                              .arg(quoteIdentifier(QLatin1String(InspectionParts[i].table)),
                                   quoteIdentifier(QStringLiteral("InspectionID"))),
                          {inspectionId});
        if (!count)
            return count.takeError();
        deletion.counts_[i] = count->toLongLong();
    }
    return deletion;
}

QString InspectionDeletion::question(const QString& tankName) const {
    const QString number = row_.text(QStringLiteral("InspectionNum"));
    const QString date = row_.text(QStringLiteral("InspectionDate"));
    QString text = (number.isEmpty() ? QStringLiteral("Delete the inspection of %1")
                                     : QStringLiteral("Delete inspection %2 of %1"))
                       .arg(tankName, number);
    if (!date.isEmpty())
        text += QStringLiteral(", dated ") + date;
    text += QStringLiteral(", and everything recorded with it?\n\nThese rows will be deleted:\n1 "
                           "inspection");
    for (std::size_t i = 0; i < InspectionParts.size(); ++i)
        if (counts_[i] > 0)
            text += QLatin1Char('\n') +
                    countText(counts_[i], InspectionParts[i].one, InspectionParts[i].many);
    return text + QStringLiteral("\n\n") + HistoryNote;
}

Status InspectionDeletion::deleteAll() {
    Database db = row_.database();
    const QString owner = QStringLiteral("InspectionID");
    // Its rows first: while the inspection is there, each row's history names its tank.
    return db.transaction([&]() -> Status {
        for (std::size_t i = 0; i < InspectionParts.size(); ++i) {
            auto gone =
                db.deleteRows(QLatin1String(InspectionParts[i].table), owner, inspectionId_);
            if (!gone)
                return gone.takeError();
            if (*gone != counts_[i])
                return Error{QStringLiteral("Another user changed the inspection while you were "
                                            "asked; nothing was deleted.")};
        }
        auto gone = db.deleteRows(QStringLiteral("Inspection"), owner, inspectionId_);
        if (!gone)
            return gone.takeError();
        if (*gone != 1)
            return Error{QStringLiteral("The inspection is no longer in the database; another "
                                        "user may have deleted it.")};
        return {};
    });
}

} // namespace korvane
