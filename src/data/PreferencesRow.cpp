#include "data/PreferencesRow.h"

#include "data/Recordset.h"
#include "data/Select.h"

namespace korvane::preferences {

namespace {

const QString Table = QStringLiteral("Preferences");
const QString UnitsField = QStringLiteral("USUnits");

} // namespace

Result<Recordset> openFirstRow(const Database& db) {
    auto rs = db.openRecordset(Select::from(Table));
    if (!rs)
        return rs;
    if (rs->recordCount() < 1)
        return Error{QStringLiteral("The Preferences table of this database has no row.")};
    rs->moveFirst();
    return rs;
}

Result<bool> loadUnitsUS(Database& db) {
    auto rs = openFirstRow(db);
    if (!rs)
        return rs.takeError();
    if (!rs->hasField(UnitsField)) {
        rs->close();
        Status upgraded = db.transaction([&]() -> Status {
            if (auto added = db.appendField(Table, {UnitsField, layout::FieldType::Boolean});
                !added)
                return added;
            auto reopened = openFirstRow(db);
            if (!reopened)
                return reopened.takeError();
            if (auto s = reopened->edit(); !s)
                return s;
            if (auto s = reopened->setValue(UnitsField, true); !s)
                return s;
            return reopened->update();
        });
        if (!upgraded)
            return upgraded.takeError();
        rs = openFirstRow(db);
        if (!rs)
            return rs.takeError();
    }
    return rs->value(UnitsField).toBool();
}

const QStringList& customKindNames() {
    static const QStringList names{QStringLiteral("Text"), QStringLiteral("Numeric"),
                                   QStringLiteral("Date/Time"), QStringLiteral("Yes/No"),
                                   QStringLiteral("Hidden")};
    return names;
}

QString defaultCustomLabel(int field) {
    return QStringLiteral("Custom Field %1").arg(field);
}

} // namespace korvane::preferences
