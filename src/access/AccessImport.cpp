#include "access/AccessImport.h"

#include "data/Database.h"
#include "data/Layout.h"
#include "data/NewDatabase.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
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

bool isWholeNumberField(FieldType type) {
    return type == FieldType::Counter || type == FieldType::Int32 || type == FieldType::Int16 ||
           type == FieldType::Byte;
}

// True when a number with a fraction goes into a whole-number field, which rounds it.
bool isRounded(const QVariant& value, const layout::FieldDef& field) {
    if (!isWholeNumberField(field.type))
        return false;
    bool ok = false;
    const double d = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                          : value.toDouble(&ok);
    return ok && std::isfinite(d) && d != std::trunc(d);
}

// A text fit for a message: a damaged file's texts may hold control characters, a zero among
// them, which would cut the message short where it is printed.
QString printable(const QString& text) {
    constexpr qsizetype Longest = 300;
    QString shown;
    for (const QChar c : text)
        shown += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(u'\uFFFD') : c;
    if (shown.size() > Longest)
        shown = shown.left(Longest) + QStringLiteral("...");
    return shown;
}

// Counts of the values of each field that were stored otherwise than they were read.
struct ChangedValues {
    std::map<QString, qint64> rounded;
    std::map<QString, qint64> blankToNull;
    bool unitsAdded = false;

    QStringList lines() const {
        QStringList result;
        if (unitsAdded)
            result << QStringLiteral("Preferences.USUnits: not in the old database, so set to US "
                                     "units");
        for (const auto& [field, n] : rounded)
            result << QStringLiteral("%1: %2 %3 rounded to whole numbers")
                          .arg(field)
                          .arg(n)
                          .arg(n == 1 ? QStringLiteral("number") : QStringLiteral("numbers"));
        for (const auto& [field, n] : blankToNull)
            result << QStringLiteral("%1: %2 empty %3 stored as no value")
                          .arg(field)
                          .arg(n)
                          .arg(n == 1 ? QStringLiteral("text") : QStringLiteral("texts"));
        return result;
    }
};

Status copyTable(Database& db, TableSource& source, const TablePlan& plan, qint64& rows,
                 ChangedValues& changed) {
    const QString& table = plan.def->name;
    QStringList names;
    std::optional<std::size_t> keyColumn; // the column of the table's counter, to name a row
    for (std::size_t i = 0; i < plan.targets.size(); ++i) {
        if (const auto* field = plan.targets[i]) {
            names << field->name;
            if (field->type == FieldType::Counter)
                keyColumn = i;
        }
    }
    const bool preferences = table == QLatin1String("Preferences");
    // An old Preferences table without USUnits is one of a database from before the choice of
    // units, which kept US units; opening such a database adds the field as True.
    const bool addUnits = preferences && !names.contains(QLatin1String("USUnits"));
    if (addUnits) {
        names << QStringLiteral("USUnits");
        changed.unitsAdded = true;
    }
    // A new database has one Preferences row of defaults; the old database's row takes its place.
    bool clearFirst = preferences;
    std::set<qint64> keys;
    return source.readRows(plan.sourceName, [&](const QVariantList& values) -> Status {
        // A row is named by its key where it has one, which the user can look up in the old
        // database; by its place otherwise.
        QString where = QStringLiteral("Record %1 of the table %2").arg(rows + 1).arg(table);
        if (keyColumn && *keyColumn < static_cast<std::size_t>(values.size()) &&
            values[static_cast<qsizetype>(*keyColumn)].isValid())
            where =
                QStringLiteral("The record with %1 %2 of the table %3")
                    .arg(plan.targets[*keyColumn]->name,
                         printable(values[static_cast<qsizetype>(*keyColumn)].toString()), table);
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
                return Error{
                    QStringLiteral("%1 cannot be stored: %2").arg(where, printable(v.error()))};
            // The engine would refuse a repeated key with a message about another user.
            if (field->type == FieldType::Counter && v->isValid() &&
                !keys.insert(v->toLongLong()).second)
                return Error{QStringLiteral("%1 has the %2 %3 of an earlier record; keys must "
                                            "differ.")
                                 .arg(where, field->name, v->toString())};
            const QString fieldName = table + QLatin1Char('.') + field->name;
            if (isRounded(values[i], *field))
                ++changed.rounded[fieldName];
            else if (values[i].typeId() == QMetaType::QString && !v->isValid())
                ++changed.blankToNull[fieldName];
            stored << *v;
        }
        if (addUnits)
            stored << 1;
        if (clearFirst) {
            if (auto cleared =
                    db.exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table)));
                !cleared)
                return cleared.takeError();
            clearFirst = false;
        }
        // Each imported row is an added row of the history, like a row typed in.
        if (auto inserted = db.insertRow(table, names, stored); !inserted)
            return Error{
                QStringLiteral("%1 cannot be stored: %2").arg(where, printable(inserted.error()))};
        ++rows;
        return {};
    });
}

// The refusal of a front-end file, whose tables of ours are links to another file's.
Error linkedRefusal(const std::vector<LinkedTable>& links) {
    QStringList tables, backEnds;
    for (const LinkedTable& link : links) {
        tables << link.name;
        if (!link.backEnd.isEmpty() && !backEnds.contains(link.backEnd))
            backEnds << link.backEnd;
    }
    const QString which = tables.size() == 1
                              ? QStringLiteral("The table %1 of the old database is a link")
                              : QStringLiteral("The tables %1 of the old database are links");
    QString text = which.arg(tables.join(QLatin1String(", ")));
    if (backEnds.isEmpty())
        text += QStringLiteral(" to another database file, which it does not name; their records "
                               "are kept there, not in this file. Import that database instead.");
    else if (backEnds.size() == 1)
        text += QStringLiteral(" to tables of %1; their records are kept there, not in this file. "
                               "Import %1 instead.")
                    .arg(backEnds.first());
    else
        text += QStringLiteral(" to tables of other files (%1); their records are kept there, not "
                               "in this file. Import those databases instead.")
                    .arg(backEnds.join(QLatin1String(", ")));
    return Error{text + QStringLiteral(" Nothing was imported.")};
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
    if (!losses.isEmpty()) {
        lines << QStringLiteral("Not every record of the old database could be read:");
        for (const auto& l : losses)
            lines << QStringLiteral("  ") + l;
    }
    if (!changedValues.isEmpty()) {
        lines << QStringLiteral("Stored otherwise than in the old database:");
        for (const auto& c : changedValues)
            lines << QStringLiteral("  ") + c;
    }
    for (const auto& t : tablesWithNoField)
        lines << QStringLiteral("Left out: the table %1, as none of its fields is a field of that "
                                "table in a Korvane 2000 database.")
                     .arg(t);
    if (tablesLeftOut.isEmpty() && fieldsLeftOut.isEmpty()) {
        if (losses.isEmpty() && tablesWithNoField.isEmpty())
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

Result<ImportReport> importTables(TableSource& source, const QString& targetPath,
                                  const StepWatch& watch) {
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
    std::vector<LinkedTable> linkedOfOurs;
    for (const LinkedTable& link : source.linkedTables()) {
        if (layout::table(link.name))
            linkedOfOurs.push_back(link);
        else
            report.tablesLeftOut << QStringLiteral("%1 (a link to a table of %2)")
                                        .arg(link.name, link.backEnd.isEmpty()
                                                            ? QStringLiteral("another file")
                                                            : link.backEnd);
    }
    if (!linkedOfOurs.empty())
        return linkedRefusal(linkedOfOurs);
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
        QStringList unmatched;
        for (const SourceColumn& column : *columns) {
            const layout::FieldDef* field = def->field(column.name);
            if (field &&
                std::find(plan.targets.begin(), plan.targets.end(), field) != plan.targets.end())
                field = nullptr;
            if (!field)
                unmatched << name + QLatin1Char('.') + column.name;
            plan.targets.push_back(field);
        }
        if (std::all_of(plan.targets.begin(), plan.targets.end(),
                        [](const layout::FieldDef* f) { return f == nullptr; })) {
            // Nothing of it has a place in ours: it is left out whole, with its rows counted.
            qint64 rows = 0;
            if (Status counted = source.readRows(name,
                                                 [&](const QVariantList&) -> Status {
                                                     ++rows;
                                                     return {};
                                                 });
                !counted)
                return counted.takeError();
            report.tablesWithNoField
                << QStringLiteral("%1 (%2 %3)")
                       .arg(name)
                       .arg(rows)
                       .arg(rows == 1 ? QStringLiteral("record") : QStringLiteral("records"));
            continue;
        }
        report.fieldsLeftOut << unmatched;
        plans.push_back(std::move(plan));
    }
    if (plans.empty() && !report.tablesWithNoField.isEmpty())
        return Error{QStringLiteral("None of the fields of the old database's tables %1 is a "
                                    "field of those tables in a Korvane 2000 database, so nothing "
                                    "was imported.")
                         .arg(report.tablesWithNoField.join(QLatin1String(", ")))};
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
    ChangedValues changed;
    const Status copied = buildDatabase(
        targetPath,
        [&](Database& db) -> Status {
            for (const TablePlan& plan : plans) {
                qint64 rows = 0;
                if (auto status = copyTable(db, source, plan, rows, changed); !status)
                    return status;
                report.imported.push_back({plan.def->name, rows});
            }
            return {};
        },
        watch);
    if (!copied)
        return Error{copied.error() + QStringLiteral("\n\nNo database was written.")};
    report.changedValues = changed.lines();
    return report;
}

Result<ImportReport> importContents(const AccessContents& contents, const QString& targetPath,
                                    const StepWatch& watch) {
    ContentsSource source(contents);
    auto report = importTables(source, targetPath, watch);
    if (report)
        report->losses = contents.losses();
    return report;
}

QString lossText(const QString& accessPath, const QStringList& losses) {
    return QStringLiteral("Not every record of \"%1\" could be read; the file is probably "
                          "damaged:\n%2")
        .arg(accessPath, losses.join(QLatin1Char('\n')));
}

Result<ImportReport> importAccess(const QString& accessPath, const QString& targetPath,
                                  bool acceptLoss, const ReadLimits& limits,
                                  const StepWatch& watch) {
    if (QFileInfo::exists(targetPath))
        return Error{QStringLiteral("The file \"%1\" already exists; it was not overwritten.")
                         .arg(targetPath)};
    auto contents = readAccessFile(accessPath, limits);
    if (!contents)
        return contents.takeError();
    if (const QStringList losses = contents->losses(); !losses.isEmpty() && !acceptLoss)
        return Error{lossText(accessPath, losses) + QStringLiteral("\nNothing was imported.")};
    return importContents(*contents, targetPath, watch);
}

} // namespace korvane::access
