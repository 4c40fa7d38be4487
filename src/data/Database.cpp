#include "data/Database.h"

#include "data/Recordset.h"
#include "data/Select.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>

#include <algorithm>
#include <atomic>

namespace korvane {

namespace {

// SQLite result codes the user can act on, by their primary code.
QString explain(int code) {
    switch (code & 0xFF) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("The database is in use by another program. Try again in a moment.");
    case 8: // SQLITE_READONLY
        return QStringLiteral("The database file is read-only, so changes cannot be saved.");
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("The database file is damaged.");
    case 13: // SQLITE_FULL
        return QStringLiteral("The disk is full; nothing was saved.");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("The database file cannot be opened.");
    case 19: // SQLITE_CONSTRAINT: a new row's key was taken by another program meanwhile
        return QStringLiteral("Another user added a record at the same moment, so this one was "
                              "not saved. Try again.");
    case 26: // SQLITE_NOTADB
        return QStringLiteral("The file is not a database, or it is damaged.");
    default:
        return {};
    }
}

QString nextConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("korvane-%1").arg(++counter);
}

Status execPlain(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.exec(sql))
        return engineError(query.lastError());
    return {};
}

} // namespace

Error engineError(int code, const QString& engineText) {
    const QString plain = explain(code);
    if (plain.isEmpty())
        return Error{engineText};
    return Error{plain + QLatin1String("\n\nThe database engine reported: ") + engineText};
}

Error engineError(const QSqlError& error) {
    QString engine = error.databaseText().trimmed();
    if (engine.isEmpty())
        engine = error.text().trimmed();
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return engineError(numeric ? code : 0, engine);
}

struct Database::Connection {
    QString name;
    QString path;
    int transactionDepth = 0;

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }

    ~Connection() {
        {
            QSqlDatabase handle = db();
            handle.close();
        }
        QSqlDatabase::removeDatabase(name);
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

Result<Database> Database::open(const QString& path, Check check) {
    const QFileInfo info(path);
    if (path.trimmed().isEmpty())
        return Error{QStringLiteral("No database file was chosen.")};
    if (!info.exists())
        return Error{QStringLiteral("The database file \"%1\" was not found.").arg(path)};
    if (info.isDir())
        return Error{QStringLiteral("\"%1\" is a folder, not a database file.").arg(path)};

    auto connection = std::make_shared<Connection>();
    connection->name = nextConnectionName();
    connection->path = info.absoluteFilePath();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->name);
    // mode=rw opens the file for reading and writing but never creates it: a file that vanished
    // between choosing and opening stays vanished.
    QUrl uri = QUrl::fromLocalFile(connection->path);
    uri.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return engineError(db.lastError());

    // SQLite reads the file lazily; reading the schema version makes a file that is no
    // database, or is damaged in its header, fail here rather than at first use.
    for (const char* pragma : {"PRAGMA schema_version", "PRAGMA synchronous = FULL"}) {
        if (auto status = execPlain(db, QString::fromLatin1(pragma)); !status)
            return status.takeError();
    }
    if (check == Check::Integrity) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA quick_check")))
            return engineError(query.lastError());
        QStringList problems;
        while (query.next()) {
            const QString line = query.value(0).toString();
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (!problems.isEmpty())
            return Error{QStringLiteral("The database file is damaged.\n\nThe database engine "
                                        "reported: %1")
                             .arg(problems.mid(0, 5).join(QLatin1Char('\n')))};
    }
    return Database(std::move(connection));
}

Status Database::create(const QString& path) {
    if (QFileInfo::exists(path))
        return Error{
            QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(path)};
    // The database is built under a temporary name and renamed at the end, so a failure never
    // leaves a half-made file under the real name.
    const QString partial = path + QLatin1String(".partial");
    QFile::remove(partial);
    Status status = [&]() -> Status {
        const QString name = nextConnectionName();
        Status result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(partial);
            if (!db.open()) {
                result = engineError(db.lastError());
            } else {
                const QStringList statements{
                    QStringLiteral("PRAGMA journal_mode = DELETE"),
                    QStringLiteral("PRAGMA synchronous = FULL"),
                    QStringLiteral("PRAGMA application_id = %1").arg(layout::ApplicationId),
                    QStringLiteral("PRAGMA user_version = %1").arg(layout::LayoutVersion),
                    QStringLiteral("BEGIN")};
                for (const auto& sql : statements)
                    if (result = execPlain(db, sql); !result)
                        break;
                for (const auto& table : layout::tables()) {
                    if (!result)
                        break;
                    result = execPlain(db, layout::createTableSql(table));
                }
                if (result) {
                    QStringList columns, marks;
                    QVariantList values;
                    for (int i = 1; i <= layout::CustomFieldCount; ++i) {
                        columns << QStringLiteral("\"Custom%1_Label\"").arg(i)
                                << QStringLiteral("\"Custom%1_Type\"").arg(i);
                        values << QStringLiteral("Custom Field %1").arg(i) << 0;
                        marks << QStringLiteral("?") << QStringLiteral("?");
                    }
                    columns << QStringLiteral("\"USUnits\"");
                    values << 1;
                    marks << QStringLiteral("?");
                    QSqlQuery insert(db);
                    insert.prepare(
                        QStringLiteral("INSERT INTO \"Preferences\" (%1) VALUES (%2)")
                            .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
                    for (const auto& v : values)
                        insert.addBindValue(v);
                    if (!insert.exec())
                        result = engineError(insert.lastError());
                }
                if (result)
                    result = execPlain(db, QStringLiteral("COMMIT"));
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }();
    if (!status) {
        QFile::remove(partial);
        return status;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        return Error{QStringLiteral("The database could not be written as \"%1\".").arg(path)};
    }
    return {};
}

sqlite3* Database::handle() const {
    if (!connection_)
        return nullptr;
    const QVariant v = connection_->db().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

Result<QSqlQuery> Database::exec(const QString& sql, const QVariantList& values) const {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    QSqlQuery query(connection_->db());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return engineError(query.lastError());
    for (const auto& v : values)
        query.addBindValue(v);
    if (!query.exec())
        return engineError(query.lastError());
    return query;
}

Result<bool> Database::deleteFirstRow(const QString& table, const QStringList& fields,
                                      const QVariantList& values) {
    QStringList conditions;
    for (const QString& field : fields)
        conditions << quoteIdentifier(field) + QStringLiteral(" = ?");
    auto deleted = exec(QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE "
                                       "%2 ORDER BY rowid LIMIT 1)")
                            .arg(quoteIdentifier(table), conditions.join(QLatin1String(" AND "))),
                        values);
    if (!deleted)
        return deleted.takeError();
    return deleted->numRowsAffected() > 0;
}

Result<QVariant> Database::firstValue(const QString& sql, const QVariantList& values) const {
    auto query = exec(sql, values);
    if (!query)
        return query.takeError();
    return query->next() ? query->value(0) : QVariant();
}

Result<QStringList> Database::tableNames() const {
    auto query = exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                     "name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    if (!query)
        return query.takeError();
    QStringList names;
    while (query->next())
        names << query->value(0).toString();
    // Name order as people read it: letter case does not count, then exact spelling.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
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
        return engineError(query->lastError());
    return query->value(0).toLongLong();
}

Result<TableInfo> Database::tableInfo(const QString& table) const {
    auto query = exec(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), {table});
    if (!query)
        return query.takeError();
    TableInfo info;
    info.name = table;
    while (query->next())
        info.fields.push_back(
            {query->value(0).toString(), layout::typeFromDeclared(query->value(1).toString())});
    if (info.fields.empty())
        return Error{
            QStringLiteral("The table \"%1\" does not exist in this database.").arg(table)};
    auto count = recordCount(table);
    if (!count)
        return count.takeError();
    info.recordCount = *count;
    return info;
}

Status Database::appendField(const QString& table, const layout::FieldDef& field) {
    auto query = exec(QLatin1String("ALTER TABLE ") + quoteIdentifier(table) +
                      QLatin1String(" ADD COLUMN ") + quoteIdentifier(field.name) +
                      QLatin1Char(' ') + layout::declaredType(field.type));
    if (!query)
        return query.takeError();
    return {};
}

Status Database::transaction(const std::function<Status()>& work) {
    if (!connection_)
        return Error{QStringLiteral("The database is not open.")};
    if (connection_->transactionDepth > 0)
        return work(); // part of the enclosing transaction
    // IMMEDIATE takes the write lock at once, so a busy database fails before any work is done.
    if (auto begin = exec(QStringLiteral("BEGIN IMMEDIATE")); !begin)
        return begin.takeError();
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
