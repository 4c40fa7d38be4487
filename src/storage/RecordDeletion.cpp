#include "storage/RecordDeletion.h"

#include "data/Select.h"

#include <QStringList>

namespace korvane {

namespace {

using Level = RecordDeletion::Level;

struct LevelInfo {
    const char* table;
    const char* key;
    const char* nameField;
    const char* noun;
};

LevelInfo info(Level level) {
    switch (level) {
    case Level::Company:
        return {"Company", "CompanyID", "Company", "company"};
    case Level::Location:
        return {"Location", "LocationID", "Location", "location"};
    case Level::Tank:
        break;
    }
    return {"Tank", "TankID", "Name", "tank"};
}

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// The rows of `table` whose `field` lies in the keys a subquery gives, or (without one) equals
// the record's key: one "?" either way, bound to the key.
QString within(const char* field, const QString& keys) {
    return keys.isEmpty() ? QStringLiteral("\"%1\" = ?").arg(latin(field))
                          : QStringLiteral("\"%1\" IN (%2)").arg(latin(field), keys);
}

QString keysOf(const char* key, const char* table, const QString& condition) {
    return QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE %3")
        .arg(latin(key), latin(table), condition);
}

} // namespace

Result<std::vector<RecordDeletion::Held>> RecordDeletion::holdings(const Database& db, Level level,
                                                                   qint32 key) {
    // The condition that picks, from each table below the level, the rows the record holds.
    const QString locations =
        level == Level::Company ? within("CompanyID", {}) : QString(); // of Location
    const QString tanks = level == Level::Company
                              ? within("LocationID", keysOf("LocationID", "Location", locations))
                          : level == Level::Location ? within("LocationID", {})
                                                     : QString(); // of Tank
    const QString tankKeys = level == Level::Tank ? QString() : keysOf("TankID", "Tank", tanks);
    const QString ofTanks = within("TankID", tankKeys);
    const QString ofInspections =
        within("InspectionID", keysOf("InspectionID", "Inspection", ofTanks));

    struct Count {
        const char* singular;
        const char* plural;
        std::vector<std::pair<const char*, QString>> tables; // table, condition
    };
    std::vector<Count> counts;
    if (level == Level::Company)
        counts.push_back({"location", "locations", {{"Location", locations}}});
    if (level != Level::Tank)
        counts.push_back({"tank", "tanks", {{"Tank", tanks}}});
    counts.push_back({"inspection", "inspections", {{"Inspection", ofTanks}}});
    counts.push_back({"reading", "readings", {{"Thickness", ofInspections}}});
    counts.push_back({"drawing", "drawings", {{"TGraphic", ofTanks}, {"IGraphic", ofInspections}}});
    counts.push_back({"TML point", "TML points", {{"TML", ofTanks}}});

    std::vector<Held> held;
    for (const Count& c : counts) {
        qint64 n = 0;
        for (const auto& [table, condition] : c.tables) {
            auto value = db.firstValue(
                QStringLiteral("SELECT count(*) FROM \"%1\" WHERE %2").arg(latin(table), condition),
                {key});
            if (!value)
                return value.takeError();
            n += value->toLongLong();
        }
        held.push_back({c.singular, c.plural, n});
    }
    return held;
}

QString RecordDeletion::heldText(const std::vector<Held>& held) {
    QStringList parts;
    for (const Held& h : held)
        if (h.count > 0)
            parts << QStringLiteral("%1 %2").arg(h.count).arg(
                latin(h.count == 1 ? h.singular : h.plural));
    if (parts.size() < 2)
        return parts.join(QString());
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

RecordDeletion::RecordDeletion(Database db, Recordset rs, Level level, qint32 key)
    : db_(std::move(db)), rs_(std::move(rs)), level_(level), key_(key) {}

Result<RecordDeletion> RecordDeletion::prepare(const QString& databaseName, Level level,
                                               qint32 key) {
    const LevelInfo li = info(level);
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();
    auto rs = db->openRecordset(Select::from(latin(li.table)).where(latin(li.key), key), true);
    if (!rs)
        return rs.takeError();
    if (rs->eof())
        return Error{QStringLiteral("The %1 is no longer in the database; another user may have "
                                    "deleted it.")
                         .arg(latin(li.noun))};
    // Claimed as an edit claims it: refused while another program or window has it open.
    if (auto claimed = rs->edit(); !claimed)
        return claimed.takeError();
    RecordDeletion deletion(std::move(db.value()), std::move(rs.value()), level, key);
    if (auto empty = deletion.refuseIfHolding(); !empty)
        return empty.takeError();
    return deletion;
}

QString RecordDeletion::description() const {
    const LevelInfo li = info(level_);
    const QString name = rs_.text(latin(li.nameField));
    return name.isEmpty() ? QStringLiteral("the %1 without a name").arg(latin(li.noun))
                          : QStringLiteral("the %1 \"%2\"").arg(latin(li.noun), name);
}

Status RecordDeletion::refuseIfHolding() const {
    auto held = holdings(db_, level_, key_);
    if (!held)
        return held.takeError();
    const QString text = heldText(*held);
    if (text.isEmpty())
        return {};
    QString what = description();
    what[0] = what[0].toUpper();
    return Error{QStringLiteral("%1 cannot be deleted: it holds %2.").arg(what, text)};
}

Status RecordDeletion::commit() {
    return db_.transaction([this]() -> Status {
        if (auto empty = refuseIfHolding(); !empty)
            return empty;
        return rs_.deleteRecord();
    });
}

} // namespace korvane
