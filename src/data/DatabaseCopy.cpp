#include "data/DatabaseCopy.h"

#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/Engine.h"
#include "data/PostgresEngine.h"
#include "data/Select.h"
#include "data/ServerAddress.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace korvane {

namespace {

// Most values one statement binds; both engines take more.
constexpr int MaxValuesPerStatement = 30000;

// The fields a table of the target takes from the same table of the source, in the target's
// spelling, in the source's field order.
struct TablePlan {
    QString table;
    QStringList sourceFields;
    QStringList targetFields;
    QString key; // the counter key, when the table has one
};

Result<std::vector<TablePlan>> plan(const Database& source, const Database& target,
                                    QStringList& leftOut) {
    auto sourceTables = source.tableNames();
    if (!sourceTables)
        return sourceTables.takeError();
    auto targetTables = target.tableNames();
    if (!targetTables)
        return targetTables.takeError();
    std::vector<TablePlan> plans;
    for (const QString& table : *sourceTables) {
        const auto match =
            std::find_if(targetTables->begin(), targetTables->end(), [&](const QString& t) {
                return t.compare(table, Qt::CaseInsensitive) == 0;
            });
        if (match == targetTables->end()) {
            leftOut << table;
            continue;
        }
        auto from = source.engine()->tableFields(table);
        if (!from)
            return from.takeError();
        auto to = target.engine()->tableFields(*match);
        if (!to)
            return to.takeError();
        TablePlan p{*match, {}, {}, {}};
        for (const auto& f : *from) {
            const auto same = std::find_if(to->begin(), to->end(), [&](const auto& t) {
                return t.name.compare(f.name, Qt::CaseInsensitive) == 0;
            });
            if (same == to->end()) {
                leftOut << table + QLatin1Char('.') + f.name;
                continue;
            }
            p.sourceFields << f.name;
            p.targetFields << same->name;
            if (same->type == layout::FieldType::Counter)
                p.key = same->name;
        }
        if (!p.targetFields.isEmpty())
            plans.push_back(std::move(p));
    }
    return plans;
}

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names)
        quoted << quoteIdentifier(n);
    return quoted.join(QLatin1String(", "));
}

// Writes the rows of one table, many to a statement.
Result<qint64> copyRows(const Database& source, Database& target, const TablePlan& p) {
    auto rows = source.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                .arg(quotedList(p.sourceFields), quoteIdentifier(p.table)));
    if (!rows)
        return rows.takeError();
    const int width = static_cast<int>(p.targetFields.size());
    const int perStatement = std::max(1, MaxValuesPerStatement / width);
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                             .arg(quoteIdentifier(p.table), quotedList(p.targetFields));
    const QString marks = QLatin1Char('(') +
                          QStringList(width, QStringLiteral("?")).join(QLatin1Char(',')) +
                          QLatin1Char(')');
    qint64 written = 0;
    QVariantList values;
    int pending = 0;
    const auto flush = [&]() -> Status {
        if (pending == 0)
            return {};
        QStringList all(pending, marks);
        auto done = target.exec(head + all.join(QLatin1Char(',')), values);
        if (!done)
            return Error{QStringLiteral("The rows of %1 could not be written.\n\n%2")
                             .arg(p.table, done.error())};
        written += pending;
        values.clear();
        pending = 0;
        return {};
    };
    while (rows->next()) {
        for (int c = 0; c < width; ++c)
            values << rows->value(c);
        if (++pending == perStatement)
            if (auto s = flush(); !s)
                return s.takeError();
    }
    if (auto s = flush(); !s)
        return s.takeError();
    if (!p.key.isEmpty())
        if (auto s = target.engine()->followWrittenKeys(p.table, p.key); !s)
            return s.takeError();
    return written;
}

// Takes away what a failed copy made: the file, the server database, or the tables in a server
// database that was there before.
void undoCreate(const QString& to, bool serverDatabaseExisted) {
    if (!server::isServerName(to)) {
        QFile::remove(to);
        return;
    }
    if (!serverDatabaseExisted) {
        (void)postgres::drop(to);
        return;
    }
    auto db = Database::open(to);
    if (!db)
        return;
    (void)db->transaction([&]() -> Status {
        for (const auto& table : layout::tables())
            if (auto dropped =
                    db->exec(QStringLiteral("DROP TABLE IF EXISTS ") + quoteIdentifier(table.name));
                !dropped)
                return dropped.takeError();
        return {};
    });
}

} // namespace

Result<CopySummary> copyDatabase(const QString& from, const QString& to) {
    auto kind = checkDatabaseFile(from);
    if (!kind)
        return kind.takeError();
    if (*kind != DatabaseFileKind::Korvane)
        return Error{QStringLiteral("%1 is not a Korvane database.").arg(from)};
    auto source = Database::open(from);
    if (!source)
        return source.takeError();
    if (!server::isServerName(to) && QFileInfo::exists(to))
        return Error{
            QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(to)};
    const bool existed = server::isServerName(to) && Database::open(to).ok();
    if (Status made = Database::create(to); !made)
        return made.takeError();
    CopySummary summary;
    Status copied = [&]() -> Status {
        auto target = Database::open(to);
        if (!target)
            return target.takeError();
        auto plans = plan(*source, *target, summary.leftOut);
        if (!plans)
            return plans.takeError();
        return target->transaction([&]() -> Status {
            for (const TablePlan& p : *plans) {
                // The new database's own Preferences row gives way to the source's.
                if (p.table == QLatin1String("Preferences"))
                    if (auto cleared = target->exec(QStringLiteral("DELETE FROM \"Preferences\""));
                        !cleared)
                        return cleared.takeError();
                auto rows = copyRows(*source, *target, p);
                if (!rows)
                    return rows.takeError();
                summary.rows += *rows;
                ++summary.tables;
            }
            return {};
        });
    }();
    if (!copied) {
        undoCreate(to, existed);
        return copied.takeError();
    }
    return summary;
}

} // namespace korvane
