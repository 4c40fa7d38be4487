#include "data/Database.h"

#include "data/ChangeRecorder.h"
#include "data/Engine.h"
#include "data/NewDatabase.h"
#include "data/PostgresEngine.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "data/ServerAddress.h"
#include "data/SqliteEngine.h"

#include <QFileInfo>

#include <algorithm>

namespace korvane {

struct Database::Connection {
    std::unique_ptr<EngineConnection> engine;
    QString path;
    int transactionDepth = 0;
    std::unique_ptr<history::ChangeRecorder> recorder; // made at the first change

    history::ChangeRecorder& changes() {
        if (!recorder)
            recorder = std::make_unique<history::ChangeRecorder>(*engine);
        return *recorder;
    }
};

Database::Database() = default;
Database::~Database() = default;
Database::Database(const Database&) = default;
Database& Database::operator=(const Database&) = default;
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::Database(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

bool Database::isOpen() const {
    return connection_ != nullptr;
}
QString Database::path() const {
    return connection_ ? connection_->path : QString();
}
void Database::close() {
    connection_.reset();
}
EngineConnection* Database::engine() const {
    return connection_ ? connection_->engine.get() : nullptr;
}

Result<Database> Database::open(const QString& path, Check check) {
    const bool server = server::isServerName(path);
    auto engine = server ? postgres::open(path) : sqlite::open(path, check);
    if (!engine)
        return engine.takeError();
    auto connection = std::make_shared<Connection>();
    connection->engine = std::move(engine.value());
    connection->path = server ? server::normalized(path) : QFileInfo(path).absoluteFilePath();
    return Database(std::move(connection));
}

Status Database::create(const QString& path) {
    return buildDatabase(path);
}

Result<QueryResult> Database::exec(const QString& sql, const QVariantList& values) const {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    return connection_->engine->exec(sql, values);
}

Status Database::eachRow(const QString& sql, const QVariantList& values,
                         const RowHandler& each) const {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    return connection_->engine->eachRow(sql, values, each);
}

Result<qint64> Database::insertRow(const QString& table, const QStringList& fields,
                                   const QVariantList& values) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    QStringList names;
    for (const QString& field : fields)
        names << quoteIdentifier(field);
    const QString sql =
        fields.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteIdentifier(table), names.join(QLatin1String(", ")),
                       QStringList(fields.size(), QStringLiteral("?")).join(QLatin1String(", ")));
    qint64 rowid = 0;
    Status written = transaction([&]() -> Status {
        auto id = connection_->engine->insert(sql, values);
        if (!id)
            return id.takeError();
        rowid = *id;
        if (!history::ChangeRecorder::records(table))
            return {};
        history::ChangeRecorder& changes = connection_->changes();
        auto after = changes.read(table, rowid);
        if (!after)
            return after.takeError();
        return changes.added(table, *after);
    });
    if (!written)
        return written.takeError();
    return rowid;
}

namespace {

// The counter key field of a table whose new rows may be given their keys by the program: in a
// file, where the key is the rowid and the next one is known inside the transaction, and when
// the rows do not give the key themselves. Empty when the engine is to give the keys.
QString keyGivenHere(EngineConnection& engine, const QString& table, const QStringList& fields) {
    if (engine.dialect() != layout::Dialect::Sqlite)
        return {};
    const layout::TableDef* def = layout::table(table);
    if (!def)
        return {};
    const auto key = std::find_if(def->fields.begin(), def->fields.end(), [](const auto& f) {
        return f.type == layout::FieldType::Counter;
    });
    if (key == def->fields.end() || fields.contains(key->name, Qt::CaseInsensitive))
        return {};
    return key->name;
}

} // namespace

Result<qint64> Database::insertRows(const QString& table, const QStringList& fields,
                                    const std::vector<QVariantList>& rows) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    if (fields.isEmpty())
        return Error{QStringLiteral("No fields to add rows with.")};
    QStringList names;
    for (const QString& field : fields)
        names << quoteIdentifier(field);
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoteIdentifier(table), names.join(QLatin1String(", ")),
                 QStringList(fields.size(), QStringLiteral("?")).join(QLatin1String(", ")));
    const bool recorded = history::ChangeRecorder::records(table);
    EngineConnection& engine = *connection_->engine;
    const QString keyField = keyGivenHere(engine, table, fields);
    Status written = transaction([&]() -> Status {
        std::vector<history::RowImage> images;
        images.reserve(recorded ? rows.size() : 0);
        const auto remember = [&](qint64 rowid, const QVariantList& values) -> Status {
            if (!recorded)
                return {};
            auto after = connection_->changes().written(table, rowid, fields, values);
            if (!after)
                return after.takeError();
            images.push_back(std::move(after.value()));
            return {};
        };
        if (keyField.isEmpty()) {
            for (const QVariantList& values : rows) {
                auto id = engine.insert(sql, values);
                if (!id)
                    return id.takeError();
                if (auto kept = remember(*id, values); !kept)
                    return kept;
            }
        } else {
            // The rows are given the keys the engine would give them, one after another, and
            // added a few hundred to a statement.
            auto next = engine.nextKey(table, keyField);
            if (!next)
                return next.takeError();
            const QString insert = QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ")
                                       .arg(quoteIdentifier(table), quoteIdentifier(keyField),
                                            names.join(QLatin1String(", ")));
            const QString marks =
                QLatin1Char('(') +
                QStringList(fields.size() + 1, QStringLiteral("?")).join(QLatin1Char(',')) +
                QLatin1Char(')');
            constexpr std::size_t RowsPerStatement = 200;
            for (std::size_t first = 0; first < rows.size(); first += RowsPerStatement) {
                const std::size_t last = std::min(rows.size(), first + RowsPerStatement);
                QVariantList values;
                values.reserve(static_cast<qsizetype>(last - first) * (fields.size() + 1));
                for (std::size_t i = first; i < last; ++i) {
                    if (rows[i].size() != fields.size())
                        return Error{QStringLiteral("A row of %1 values was given for %2 fields.")
                                         .arg(rows[i].size())
                                         .arg(fields.size())};
                    values << *next + static_cast<qint64>(i);
                    values += rows[i];
                }
                const QString statement =
                    insert + QStringList(static_cast<qsizetype>(last - first), marks)
                                 .join(QLatin1String(", "));
                if (auto added = engine.execute(statement, values); !added)
                    return added.takeError();
                for (std::size_t i = first; i < last; ++i)
                    if (auto kept = remember(*next + static_cast<qint64>(i), rows[i]); !kept)
                        return kept;
            }
        }
        return recorded ? connection_->changes().addedRows(table, images) : Status{};
    });
    if (!written)
        return written.takeError();
    return static_cast<qint64>(rows.size());
}

Result<bool> Database::updateRow(const QString& table, qint64 rowid, const QStringList& fields,
                                 const QVariantList& values) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    if (fields.isEmpty())
        return true;
    QStringList sets;
    for (const QString& field : fields)
        sets << quoteIdentifier(field) + QLatin1String(" = ?");
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoteIdentifier(table), sets.join(QLatin1String(", ")));
    QVariantList bound = values;
    bound << rowid;
    bool found = false;
    Status written = transaction([&]() -> Status {
        const bool recorded = history::ChangeRecorder::records(table);
        auto before = recorded ? connection_->changes().read(table, rowid) : history::RowImage();
        if (!before)
            return before.takeError();
        auto changed = connection_->engine->execute(sql, bound);
        if (!changed)
            return changed.takeError();
        found = *changed == 1;
        if (!found || !recorded)
            return {};
        return connection_->changes().changed(table, *before, fields, values);
    });
    if (!written)
        return written.takeError();
    return found;
}

Result<bool> Database::deleteRow(const QString& table, qint64 rowid) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    bool found = false;
    Status written = transaction([&]() -> Status {
        const bool recorded = history::ChangeRecorder::records(table);
        auto before = recorded ? connection_->changes().read(table, rowid) : history::RowImage();
        if (!before)
            return before.takeError();
        auto gone = connection_->engine->execute(
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoteIdentifier(table)), {rowid});
        if (!gone)
            return gone.takeError();
        found = *gone > 0;
        if (!found || !recorded)
            return {};
        return connection_->changes().deleted(table, *before);
    });
    if (!written)
        return written.takeError();
    return found;
}

Result<qint64> Database::deleteRows(const QString& table, const QString& field,
                                    const QVariant& value) {
    qint64 deleted = 0;
    Status done = transaction([&]() -> Status {
        auto rowids = exec(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid")
                               .arg(quoteIdentifier(table), quoteIdentifier(field)),
                           {value});
        if (!rowids)
            return rowids.takeError();
        std::vector<qint64> rows;
        while (rowids->next())
            rows.push_back(rowids->value(0).toLongLong());
        for (const qint64 rowid : rows) {
            auto gone = deleteRow(table, rowid);
            if (!gone)
                return gone.takeError();
            deleted += *gone ? 1 : 0;
        }
        return {};
    });
    if (!done)
        return done.takeError();
    return deleted;
}

Result<bool> Database::deleteFirstRow(const QString& table, const QStringList& fields,
                                      const QVariantList& values) {
    QStringList conditions;
    for (const QString& field : fields)
        conditions << quoteIdentifier(field) + QStringLiteral(" = ?");
    bool deleted = false;
    Status done = transaction([&]() -> Status {
        auto rowid =
            firstValue(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid "
                                      "LIMIT 1")
                           .arg(quoteIdentifier(table), conditions.join(QLatin1String(" AND "))),
                       values);
        if (!rowid)
            return rowid.takeError();
        if (!rowid->isValid())
            return {};
        auto gone = deleteRow(table, rowid->toLongLong());
        if (!gone)
            return gone.takeError();
        deleted = *gone;
        return {};
    });
    if (!done)
        return done.takeError();
    return deleted;
}

Result<QVariant> Database::firstValue(const QString& sql, const QVariantList& values) const {
    auto query = exec(sql, values);
    if (!query)
        return query.takeError();
    return query->next() ? query->value(0) : QVariant();
}

Result<QStringList> Database::tableNames() const {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    auto names = connection_->engine->tableNames();
    if (!names)
        return names;
    // Name order as people read it: letter case does not count, then exact spelling.
    std::sort(names->begin(), names->end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

Result<qint64> Database::recordCount(const QString& table) const {
    auto query = exec(QLatin1String("SELECT count(*) FROM ") + quoteIdentifier(table));
    if (!query)
        return query.takeError();
    if (!query->next())
        return Error{QStringLiteral("The rows of %1 could not be counted.").arg(table)};
    return query->value(0).toLongLong();
}

Result<TableInfo> Database::tableInfo(const QString& table) const {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    auto fields = connection_->engine->tableFields(table);
    if (!fields)
        return fields.takeError();
    if (fields->empty())
        return Error{
            QStringLiteral("The table \"%1\" does not exist in this database.").arg(table)};
    TableInfo info;
    info.name = table;
    info.fields = std::move(fields.value());
    auto count = recordCount(table);
    if (!count)
        return count.takeError();
    info.recordCount = *count;
    return info;
}

Status Database::appendField(const QString& table, const layout::FieldDef& field) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    auto query =
        exec(QLatin1String("ALTER TABLE ") + quoteIdentifier(table) +
             QLatin1String(" ADD COLUMN ") + quoteIdentifier(field.name) + QLatin1Char(' ') +
             layout::declaredType(field.type, connection_->engine->dialect()));
    if (!query)
        return query.takeError();
    if (connection_->recorder)
        connection_->recorder->forgetFields();
    return {};
}

Status Database::addMissingFields(const QString& table) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    const layout::TableDef* def = layout::table(table);
    if (!def)
        return Error{QStringLiteral("The table \"%1\" is not one of this program's.").arg(table)};
    auto present = connection_->engine->tableFields(table);
    if (!present)
        return present.takeError();
    std::vector<const layout::FieldDef*> missing;
    for (const layout::FieldDef& field : def->fields) {
        const bool there =
            std::any_of(present->begin(), present->end(), [&field](const layout::FieldDef& f) {
                return f.name.compare(field.name, Qt::CaseInsensitive) == 0;
            });
        if (!there)
            missing.push_back(&field);
    }
    if (missing.empty())
        return {};
    return transaction([&]() -> Status {
        for (const layout::FieldDef* field : missing)
            if (auto added = appendField(table, *field); !added)
                return added;
        return {};
    });
}

Status Database::transaction(const std::function<Status()>& work) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    if (connection_->transactionDepth > 0)
        return work(); // part of the enclosing transaction
    if (auto begun = connection_->engine->begin(); !begun)
        return begun;
    ++connection_->transactionDepth;
    Status status = work();
    --connection_->transactionDepth;
    if (status) {
        if (auto commit = exec(QStringLiteral("COMMIT")); !commit) {
            (void)exec(QStringLiteral("ROLLBACK"));
            return commit.takeError();
        }
        return status;
    }
    (void)exec(QStringLiteral("ROLLBACK"));
    return status;
}

Result<Recordset> Database::openRecordset(const Select& query, bool lockEdits) const {
    return Recordset::open(*this, query, lockEdits);
}

} // namespace korvane
