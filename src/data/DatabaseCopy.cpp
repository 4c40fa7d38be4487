#include "data/DatabaseCopy.h"

#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/Engine.h"
#include "data/Select.h"
#include "data/ServerAddress.h"
#include "data/SqliteSnapshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

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

// Snapshots of source files are written in a folder of their own in the temporary folder, named
// with the process that made it, and removed with it. The folders of processes that died are
// removed by the next copy.
const QString SnapshotPrefix = QStringLiteral("korvane-snapshot-");

void removeDeadSnapshots() {
#ifdef Q_OS_UNIX
    const QDir temp = QDir::temp();
    const QStringList folders =
        temp.entryList({SnapshotPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : folders) {
        bool number = false;
        const qint64 pid =
            name.mid(SnapshotPrefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&number);
        if (!number || pid <= 0 || pid == QCoreApplication::applicationPid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue; // its process is alive, or not ours to ask about
        QDir(temp.filePath(name)).removeRecursively();
    }
#endif
}

// One consistent state of the source to copy from, for as long as the copy runs. A file is
// copied page by page into a snapshot file, so writers wait at most for the pages to be read; a
// server database is read in one read-only transaction that sees the rows as they were at its
// first statement (repeatable read).
class Source {
public:
    Status open(const QString& from) {
        if (server::isServerName(from)) {
            auto db = Database::open(from);
            if (!db)
                return db.takeError();
            db_ = std::move(db.value());
            if (auto begun = db_.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ "
                                                     "ONLY"));
                !begun)
                return begun.takeError();
            inTransaction_ = true;
            return {};
        }
        removeDeadSnapshots();
        folder_ = std::make_unique<QTemporaryDir>(QDir::temp().filePath(
            SnapshotPrefix + QString::number(QCoreApplication::applicationPid()) +
            QStringLiteral("-XXXXXX")));
        if (!folder_->isValid())
            return Error{QStringLiteral("The copy of \"%1\" cannot be written in the temporary "
                                        "folder: %2")
                             .arg(from, folder_->errorString())};
        const QString snapshot = folder_->filePath(QStringLiteral("source.mdb"));
        if (Status taken = sqlite::snapshot(from, snapshot); !taken)
            return taken;
        auto db = Database::open(snapshot);
        if (!db)
            return db.takeError();
        db_ = std::move(db.value());
        return {};
    }

    ~Source() {
        if (inTransaction_)
            (void)db_.exec(QStringLiteral("ROLLBACK"));
        db_.close(); // before its folder goes
    }

    const Database& db() const { return db_; }

private:
    Database db_;
    bool inTransaction_ = false;
    std::unique_ptr<QTemporaryDir> folder_;
};

} // namespace

Result<CopySummary> copyDatabase(const QString& from, const QString& to, const StepWatch& watch) {
    auto kind = checkDatabaseFile(from);
    if (!kind)
        return kind.takeError();
    if (*kind != DatabaseFileKind::Korvane)
        return Error{QStringLiteral("%1 is not a Korvane database.").arg(from)};
    if (!server::isServerName(to) && QFileInfo::exists(to))
        return Error{
            QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(to)};
    Source source;
    if (Status opened = source.open(from); !opened)
        return opened.takeError();
    CopySummary summary;
    Status copied = buildDatabase(
        to,
        [&](Database& target) -> Status {
            auto plans = plan(source.db(), target, summary.leftOut);
            if (!plans)
                return plans.takeError();
            for (const TablePlan& p : *plans) {
                // The new database's own Preferences row gives way to the source's.
                if (p.table == QLatin1String("Preferences"))
                    if (auto cleared = target.exec(QStringLiteral("DELETE FROM \"Preferences\""));
                        !cleared)
                        return cleared.takeError();
                auto rows = copyRows(source.db(), target, p);
                if (!rows)
                    return rows.takeError();
                summary.rows += *rows;
                ++summary.tables;
                if (watch)
                    watch(QStringLiteral("table ") + p.table);
            }
            return {};
        },
        watch);
    if (!copied)
        return copied.takeError();
    return summary;
}

} // namespace korvane
