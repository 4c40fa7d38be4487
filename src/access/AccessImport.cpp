#include "access/AccessImport.h"

#include "data/Database.h"
#include "data/Layout.h"
#include "data/NewDatabase.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <set>

namespace korvane::access {

namespace {

using layout::FieldType;

// One table of the source that our layout has, and where each of its columns goes: the layout's
// field, or null for a column that is left behind.
struct TablePlan {
    const layout::TableDef* def = nullptr;
    QString sourceName;
    std::vector<const layout::FieldDef*> targets;
};

QStringList layoutTableNames() {
    QStringList names;
    for (const auto& t : layout::tables())
        names << t.name;
    return names;
}

// A value of the old database as our field stores it. Counters keep their value; a date and
// time keeps its day.
Result<QVariant> storedValue(const QVariant& value, const layout::FieldDef& field) {
    QVariant v = value;
    if (field.type == FieldType::Date && v.typeId() == QMetaType::QDateTime)
        v = v.toDateTime().date();
    const FieldType type = field.type == FieldType::Counter ? FieldType::Int32 : field.type;
    return fieldvalue::toStored(v, type, field.name);
}

Status copyTable(Database& db, TableSource& source, const TablePlan& plan, qint64& rows) {
    const QString& table = plan.def->name;
    QStringList names;
    for (const auto* field : plan.targets)
        if (field)
            names << field->name;
    if (names.isEmpty())
        return {}; // nothing of the table has a place in ours
    // A new database has one Preferences row of defaults; the old database's row takes its place.
    bool clearFirst = table == QLatin1String("Preferences");
    std::set<qint64> keys;
    return source.readRows(plan.sourceName, [&](const QVariantList& values) -> Status {
        const QString where = QStringLiteral("Record %1 of the table %2").arg(rows + 1).arg(table);
        if (values.size() != static_cast<qsizetype>(plan.targets.size()))
            return Error{QStringLiteral("%1 has %2 fields where the table has %3.")
                             .arg(where)
                             .arg(values.size())
                             .arg(plan.targets.size())};
        QVariantList stored;
        for (qsizetype i = 0; i < values.size(); ++i) {
            const layout::FieldDef* field = plan.targets[static_cast<std::size_t>(i)];
            if (!field)
                continue;
            auto v = storedValue(values[i], *field);
            if (!v)
                return Error{QStringLiteral("%1 cannot be stored: %2").arg(where, v.error())};
            // The engine would refuse a repeated key with a message about another user.
            if (field->type == FieldType::Counter && v->isValid() &&
                !keys.insert(v->toLongLong()).second)
                return Error{QStringLiteral("%1 has the %2 %3 of an earlier record; keys must "
                                            "differ.")
                                 .arg(where, field->name, v->toString())};
            stored << *v;
        }
        if (clearFirst) {
            if (auto cleared =
                    db.exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table)));
                !cleared)
                return cleared.takeError();
            clearFirst = false;
        }
        // Each imported row is an added row of the history, like a row typed in.
        if (auto inserted = db.insertRow(table, names, stored); !inserted)
            return Error{QStringLiteral("%1 cannot be stored: %2").arg(where, inserted.error())};
        ++rows;
        return {};
    });
}

} // namespace

QString ImportReport::text() const {
    QStringList lines;
    lines << QStringLiteral("Imported:");
    for (const auto& t : imported)
        lines << QStringLiteral("  %1: %2 %3")
                     .arg(t.name)
                     .arg(t.rows)
                     .arg(t.rows == 1 ? QStringLiteral("record") : QStringLiteral("records"));
    if (tablesLeftOut.isEmpty() && fieldsLeftOut.isEmpty()) {
        lines << QStringLiteral("Everything the old database holds was imported.");
    } else {
        lines << QStringLiteral("Not imported, as a Korvane 2000 database has no place for them:");
        for (const auto& t : tablesLeftOut)
            lines << QStringLiteral("  table %1").arg(t);
        for (const auto& f : fieldsLeftOut)
            lines << QStringLiteral("  field %1").arg(f);
    }
    return lines.join(QLatin1Char('\n'));
}

Result<ImportReport> importTables(TableSource& source, const QString& targetPath) {
    if (targetPath.trimmed().isEmpty())
        return Error{QStringLiteral("No name was given for the new database.")};
    if (QFileInfo::exists(targetPath) || QFileInfo(targetPath).isSymLink())
        return Error{QStringLiteral("The file \"%1\" already exists; it was not overwritten.")
                         .arg(targetPath)};
    if (!QFileInfo(QFileInfo(targetPath).absolutePath()).isDir())
        return Error{QStringLiteral("The folder of \"%1\" does not exist; nothing was written.")
                         .arg(targetPath)};

    // Everything is planned before anything is written, so the report is whole and a source
    // that cannot be read fails before a file exists.
    auto sourceTables = source.tableNames();
    if (!sourceTables)
        return sourceTables.takeError();
    ImportReport report;
    std::vector<TablePlan> plans;
    for (const QString& name : *sourceTables) {
        const layout::TableDef* def = layout::table(name);
        const bool taken = def && std::any_of(plans.begin(), plans.end(),
                                              [&](const TablePlan& p) { return p.def == def; });
        if (!def || taken) {
            report.tablesLeftOut << name;
            continue;
        }
        auto columns = source.columns(name);
        if (!columns)
            return columns.takeError();
        TablePlan plan{def, name, {}};
        for (const SourceColumn& column : *columns) {
            const layout::FieldDef* field = def->field(column.name);
            if (field &&
                std::find(plan.targets.begin(), plan.targets.end(), field) != plan.targets.end())
                field = nullptr;
            if (!field)
                report.fieldsLeftOut << name + QLatin1Char('.') + column.name;
            plan.targets.push_back(field);
        }
        plans.push_back(std::move(plan));
    }
    if (plans.empty()) {
        const QString held =
            sourceTables->isEmpty()
                ? QStringLiteral("It holds no tables.")
                : QStringLiteral("It holds %1.").arg(sourceTables->join(QLatin1String(", ")));
        return Error{QStringLiteral("The old database holds none of the tables of a Korvane 2000 "
                                    "database (%1), so nothing was imported. %2")
                         .arg(layoutTableNames().join(QLatin1String(", ")), held)};
    }
    std::sort(plans.begin(), plans.end(), [](const TablePlan& a, const TablePlan& b) {
        return a.def < b.def; // layout::tables() is one vector, in name order
    });

    // Written whole under a temporary name and renamed; a run that dies leaves nothing under
    // the target's name, and the next run removes what it left.
    const Status copied = buildDatabase(targetPath, [&](Database& db) -> Status {
        for (const TablePlan& plan : plans) {
            qint64 rows = 0;
            if (auto status = copyTable(db, source, plan, rows); !status)
                return status;
            report.imported.push_back({plan.def->name, rows});
        }
        return {};
    });
    if (!copied)
        return Error{copied.error() + QStringLiteral("\n\nNo database was written.")};
    return report;
}

Result<ImportReport> importAccess(const QString& accessPath, const QString& targetPath) {
    if (QFileInfo::exists(targetPath))
        return Error{QStringLiteral("The file \"%1\" already exists; it was not overwritten.")
                         .arg(targetPath)};
    auto file = AccessFile::open(accessPath);
    if (!file)
        return file.takeError();
    return importTables(**file, targetPath);
}

} // namespace korvane::access
