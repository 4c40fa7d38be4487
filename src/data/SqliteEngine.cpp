#include "data/SqliteEngine.h"

#include "data/Select.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace korvane::sqlite {

namespace {

// SQLite result codes the user can act on, by their primary code.
QString explain(int code) {
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("The database is in use by another program. Try again in a moment.");
    case SQLITE_READONLY:
        return QStringLiteral("The database file is read-only, so changes cannot be saved.");
    case SQLITE_CORRUPT:
        return QStringLiteral("The database file is damaged.");
    case SQLITE_FULL:
        return QStringLiteral("The disk is full; nothing was saved.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("The database file cannot be opened.");
    case SQLITE_CONSTRAINT: // a new row's key was taken by another program meanwhile
        return QStringLiteral("Another user added a record at the same moment, so this one was "
                              "not saved. Try again.");
    case SQLITE_NOTADB:
        return QStringLiteral("The file is not a database, or it is damaged.");
    default:
        return {};
    }
}

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

// A value of the current row of a statement, as QueryResult gives values.
QVariant cellOf(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<qlonglong>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return {};
    }
}

// The rows of a statement, stepped through to the end while it was open. A step that fails
// fails the whole statement (see Connection::exec), so the rows here are all the rows there are:
// next() never ends early on an error.
class Rows : public QueryResult::Source {
public:
    bool next() override { return ++row_ < rows_; }
    QVariant value(int column) const override {
        if (row_ < 0 || row_ >= rows_ || column < 0 || column >= columnCount())
            return {};
        return cells_[static_cast<std::size_t>(row_) * names_.size() +
                      static_cast<std::size_t>(column)];
    }
    int columnCount() const override { return static_cast<int>(names_.size()); }
    QString columnName(int column) const override {
        return names_[static_cast<std::size_t>(column)];
    }
    qint64 rowsAffected() const override { return affected_; }

    // Steps the statement to its end; the error of the step that failed, if one did.
    Status read(sqlite3* handle, sqlite3_stmt* stmt) {
        int rc = sqlite3_step(stmt);
        // Read after the first step: a statement prepared before a change to its table is
        // prepared again by that step, and may then have other columns.
        const int width = sqlite3_column_count(stmt);
        for (int c = 0; c < width; ++c)
            names_.push_back(QString::fromUtf8(sqlite3_column_name(stmt, c)));
        for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
            for (int c = 0; c < width; ++c)
                cells_.push_back(cellOf(stmt, c));
            ++rows_;
        }
        if (rc != SQLITE_DONE)
            return engineError(rc, QString::fromUtf8(sqlite3_errmsg(handle)));
        affected_ = sqlite3_changes(handle);
        return {};
    }

private:
    std::vector<QString> names_;
    std::vector<QVariant> cells_; // row after row
    int rows_ = 0;
    int row_ = -1;
    qint64 affected_ = 0;
};

Status bind(sqlite3_stmt* stmt, int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Char:
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        if (value.isNull()) {
            rc = sqlite3_bind_null(stmt, index);
            break;
        }
        if (value.typeId() == QMetaType::QString) {
            // An ASCII text (nearly every one) is written straight into memory SQLite then owns,
            // rather than converted and then copied.
            const QString& text = *static_cast<const QString*>(value.constData());
            if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
                auto* bytes = static_cast<char*>(sqlite3_malloc64(
                    static_cast<sqlite3_uint64>(std::max<qsizetype>(text.size(), 1))));
                if (!bytes) {
                    rc = SQLITE_NOMEM;
                    break;
                }
                std::transform(text.begin(), text.end(), bytes,
                               [](QChar c) { return static_cast<char>(c.unicode()); });
                rc = sqlite3_bind_text64(stmt, index, bytes,
                                         static_cast<sqlite3_uint64>(text.size()), sqlite3_free,
                                         SQLITE_UTF8);
                break;
            }
        }
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                               SQLITE_TRANSIENT);
    }
    }
    if (rc != SQLITE_OK)
        return engineError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    return {};
}

// Rows stepped through in full while the statement was open, kept as SQLite gave them: a kind
// and eight bytes a cell (the number, or where its text starts), texts as UTF-8 one after another
// in one buffer, each after its length. A cell becomes a QVariant only when it is asked for, and
// the rows go in a few blocks rather than a value per cell.
class ReadRows final : public StoredRows {
public:
    explicit ReadRows(int columns) : columns_(columns) {}

    int count() const override { return rows_; }
    QVariant cell(int row, int column) const override {
        const std::size_t at = index(row, column);
        switch (kinds_[at]) {
        case SQLITE_INTEGER:
            return static_cast<qlonglong>(cells_[at].integer);
        case SQLITE_FLOAT:
            return cells_[at].real;
        case SQLITE_TEXT: {
            const auto [text, bytes] = textAt(cells_[at].integer);
            return QString::fromUtf8(text, bytes);
        }
        default:
            return {};
        }
    }
    QVariant value(int row, int column, layout::FieldType type) const override {
        const std::size_t at = index(row, column);
        switch (kinds_[at]) {
        case SQLITE_INTEGER:
            return fieldvalue::fromStoredInteger(cells_[at].integer, type);
        case SQLITE_FLOAT:
            return fieldvalue::fromStoredReal(cells_[at].real, type);
        case SQLITE_TEXT: {
            const auto [text, bytes] = textAt(cells_[at].integer);
            return fieldvalue::fromStoredText(text, bytes, type);
        }
        default:
            return {};
        }
    }
    qint64 rowid(int row) const override {
        return rowids_.empty() ? 0 : rowids_[static_cast<std::size_t>(row)];
    }

    // Adds the current row of a statement: its rowid (when read with one) from column 0, then
    // the columns that follow.
    void add(sqlite3_stmt* stmt, bool withRowid) {
        const int offset = withRowid ? 1 : 0;
        if (withRowid)
            rowids_.push_back(sqlite3_column_int64(stmt, 0));
        for (int column = offset; column < columns_ + offset; ++column) {
            // The column's value itself, read through the sqlite3_value calls, which (unlike the
            // sqlite3_column ones) do not lock the connection on each call: it is in use by
            // this thread alone, stepping this statement.
            sqlite3_value* value = sqlite3_column_value(stmt, column);
            Cell& c = cells_.emplace_back();
            switch (sqlite3_value_type(value)) {
            case SQLITE_INTEGER:
                kinds_.push_back(SQLITE_INTEGER);
                c.integer = sqlite3_value_int64(value);
                break;
            case SQLITE_FLOAT:
                kinds_.push_back(SQLITE_FLOAT);
                c.real = sqlite3_value_double(value);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: { // a blob is read as the text of its bytes
                const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
                const qint32 size = sqlite3_value_bytes(value);
                kinds_.push_back(SQLITE_TEXT);
                c.integer = text_.size();
                text_.append(reinterpret_cast<const char*>(&size), sizeof size);
                text_.append(bytes, size);
                break;
            }
            default:
                kinds_.push_back(SQLITE_NULL);
            }
        }
        ++rows_;
    }

private:
    union Cell {
        qint64 integer; // the number, or where a text's length starts in text_
        double real;
    };

    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }
    std::pair<const char*, qint32> textAt(qint64 start) const {
        const char* at = text_.constData() + start;
        qint32 size = 0;
        std::memcpy(&size, at, sizeof size);
        return {at + sizeof size, size};
    }

    int columns_;
    int rows_ = 0;
    std::vector<quint8> kinds_; // row after row: SQLITE_INTEGER, _FLOAT, _TEXT or _NULL
    std::vector<Cell> cells_;
    QByteArray text_;
    std::vector<qint64> rowids_;
};

// The current row of a statement being stepped, each cell read when it is asked for and then
// kept for the rest of the row: sqlite3_column_value locks the connection on each call, while
// the sqlite3_value calls on what it gave do not.
class StepRow : public RowView {
public:
    explicit StepRow(sqlite3_stmt* stmt)
        : stmt_(stmt), cells_(static_cast<std::size_t>(sqlite3_column_count(stmt))),
          texts_(cells_.size()) {}
    // After a step onto the next row.
    void moveOn() { std::fill(cells_.begin(), cells_.end(), nullptr); }

    int columnCount() const override { return static_cast<int>(cells_.size()); }
    bool isNull(int column) const override { return type(column) == SQLITE_NULL; }
    qint64 integer(int column) const override {
        switch (type(column)) {
        case SQLITE_INTEGER:
            return sqlite3_value_int64(cell(column));
        case SQLITE_FLOAT:
            return qRound64(sqlite3_value_double(cell(column)));
        case SQLITE_NULL:
            return 0;
        default:
            return utf8(column).toLongLong();
        }
    }
    double real(int column) const override {
        switch (type(column)) {
        case SQLITE_INTEGER:
            return static_cast<double>(sqlite3_value_int64(cell(column)));
        case SQLITE_FLOAT:
            return sqlite3_value_double(cell(column));
        case SQLITE_NULL:
            return 0;
        default:
            return utf8(column).toDouble();
        }
    }
    QByteArrayView utf8(int column) const override {
        switch (type(column)) {
        case SQLITE_TEXT:
        case SQLITE_BLOB: // a blob is read as the text of its bytes
            return {static_cast<const char*>(sqlite3_value_blob(cell(column))),
                    sqlite3_value_bytes(cell(column))};
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            // Written as a number's value is written everywhere else in the program.
            QByteArray& text = texts_[static_cast<std::size_t>(column)];
            text = type(column) == SQLITE_INTEGER
                       ? QByteArray::number(sqlite3_value_int64(cell(column)))
                       : QByteArray::number(sqlite3_value_double(cell(column)), 'g',
                                            QLocale::FloatingPointShortest);
            return text;
        }
        default:
            return {};
        }
    }

private:
    sqlite3_value* cell(int column) const {
        sqlite3_value*& kept = cells_[static_cast<std::size_t>(column)];
        if (!kept)
            kept = sqlite3_column_value(stmt_, column);
        return kept;
    }
    int type(int column) const {
        return column < 0 || column >= columnCount() ? SQLITE_NULL
                                                     : sqlite3_value_type(cell(column));
    }

    sqlite3_stmt* stmt_;
    mutable std::vector<sqlite3_value*> cells_; // of the current row, once asked for
    mutable std::vector<QByteArray> texts_;     // numbers asked for as text, until the next row
};

class Connection : public EngineConnection {
public:
    Connection(QString name, QString path) : name_(std::move(name)), path_(std::move(path)) {}
    ~Connection() override {
        forgetStatements();
        {
            QSqlDatabase handle = db();
            handle.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }

    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

    layout::Dialect dialect() const override { return layout::Dialect::Sqlite; }

    Result<QueryResult> exec(const QString& sql, const QVariantList& values) override {
        auto stmt = prepared(sql, values);
        if (!stmt)
            return stmt.takeError();
        auto rows = std::make_unique<Rows>();
        if (auto read = rows->read(handle(), stmt->get()); !read)
            return read.takeError();
        return QueryResult(std::move(rows));
    }

    Result<qint64> execute(const QString& sql, const QVariantList& values) override {
        auto stmt = prepared(sql, values);
        if (!stmt)
            return stmt.takeError();
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(stmt->get());
        if (rc != SQLITE_DONE)
            return engineError(rc, QString::fromUtf8(sqlite3_errmsg(handle())));
        return static_cast<qint64>(sqlite3_changes(handle()));
    }

    Result<qint64> insert(const QString& sql, const QVariantList& values) override {
        auto done = execute(sql, values);
        if (!done)
            return done.takeError();
        return static_cast<qint64>(sqlite3_last_insert_rowid(handle()));
    }

    Status eachRow(const QString& sql, const QVariantList& values,
                   const RowHandler& each) override {
        auto prepared = this->prepared(sql, values);
        if (!prepared)
            return prepared.takeError();
        sqlite3_stmt* stmt = prepared->get();
        int rc = sqlite3_step(stmt);
        // The columns are known after the first step (see Rows::read).
        StepRow row(stmt);
        for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt), row.moveOn())
            if (auto taken = each(row); !taken)
                return taken;
        if (rc != SQLITE_DONE)
            return engineError(rc, QString::fromUtf8(sqlite3_errmsg(handle())));
        return {};
    }

    // Reads straight from SQLite, past the Qt driver: lists of thousands of rows are read often.
    Result<std::shared_ptr<const StoredRows>> readRows(const QString& sqlText,
                                                       const QVariantList& values, int columns,
                                                       bool withRowid) override {
        auto prepared = this->prepared(sqlText, values);
        if (!prepared)
            return prepared.takeError();
        sqlite3_stmt* stmt = prepared->get();
        const int offset = withRowid ? 1 : 0;
        if (sqlite3_column_count(stmt) != columns + offset)
            return Error{QStringLiteral("The query returned %1 columns where %2 were expected.")
                             .arg(sqlite3_column_count(stmt) - offset)
                             .arg(columns)};
        auto read = std::make_shared<ReadRows>(columns);
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            read->add(stmt, withRowid);
        if (rc != SQLITE_DONE)
            return engineError(rc, QString::fromUtf8(sqlite3_errmsg(handle())));
        return std::shared_ptr<const StoredRows>(std::move(read));
    }

    Result<QStringList> tableNames() override {
        auto query = exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                         "name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
                          {});
        if (!query)
            return query.takeError();
        QStringList names;
        while (query->next())
            names << query->value(0).toString();
        return names;
    }

    Result<std::vector<layout::FieldDef>> tableFields(const QString& table) override {
        auto query = exec(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), {table});
        if (!query)
            return query.takeError();
        std::vector<layout::FieldDef> fields;
        while (query->next())
            fields.push_back(
                {query->value(0).toString(), layout::typeFromDeclared(query->value(1).toString())});
        return fields;
    }

    Status begin() override {
        // IMMEDIATE takes the write lock at once, so a busy database fails before any work.
        auto begun = exec(QStringLiteral("BEGIN IMMEDIATE"), {});
        if (!begun)
            return begun.takeError();
        return {};
    }

    Result<qint64> nextKey(const QString& table, const QString& keyField) override {
        // One past both the highest key ever handed out for this table and the highest key now
        // in it: the key the engine will give the row.
        auto next = exec(QStringLiteral("SELECT max(coalesce((SELECT seq FROM sqlite_sequence "
                                        "WHERE name = ?), 0), coalesce(max(%1), 0)) + 1 FROM %2")
                             .arg(quoteIdentifier(keyField), quoteIdentifier(table)),
                         {table});
        if (!next)
            return next.takeError();
        if (!next->next())
            return Error{QStringLiteral("The next key of %1 could not be read.").arg(table)};
        return next->value(0).toLongLong();
    }

    Status followWrittenKeys(const QString&, const QString&) override {
        return {}; // SQLite keeps its key counter past every key written
    }

    Result<RecordLock> lock(const QString& table, qint64 key, const QString& busy) override {
        return RecordLock::acquireInFile(path_, table, key, busy);
    }

private:
    // A statement kept prepared, with its values bound; it is reset for the next run when the
    // holder goes.
    using Prepared = std::unique_ptr<sqlite3_stmt, void (*)(sqlite3_stmt*)>;

    static void resetStatement(sqlite3_stmt* stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }

    // The statement of a text, prepared once per connection: saving a row runs the same few
    // statements again and again, and preparing a statement of a hundred fields costs more than
    // running it.
    Result<Prepared> prepared(const QString& sqlText, const QVariantList& values) {
        sqlite3* handle = this->handle();
        if (!handle)
            return Error{QStringLiteral("The database is not open.")};
        sqlite3_stmt* stmt = nullptr;
        if (auto kept = statements_.constFind(sqlText); kept != statements_.cend()) {
            stmt = *kept;
        } else {
            const QByteArray sql = sqlText.toUtf8();
            const char* tail = nullptr;
            const int rc = sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()),
                                              &stmt, &tail);
            if (rc != SQLITE_OK)
                return engineError(rc, QString::fromUtf8(sqlite3_errmsg(handle)));
            if (!stmt)
                return Error{QStringLiteral("The statement is empty.")};
            if (!QByteArray(tail).trimmed().isEmpty()) {
                sqlite3_finalize(stmt);
                return Error{QStringLiteral("Only one statement can be run at a time.")};
            }
            if (statements_.size() >= MaxKeptStatements)
                forgetStatements();
            statements_.insert(sqlText, stmt);
        }
        Prepared held(stmt, resetStatement);
        for (int i = 0; i < values.size(); ++i)
            if (auto bound = bind(stmt, i + 1, values[i]); !bound)
                return bound.takeError();
        return held;
    }

    void forgetStatements() {
        for (sqlite3_stmt* stmt : std::as_const(statements_))
            sqlite3_finalize(stmt);
        statements_.clear();
    }

    sqlite3* handle() const {
        const QVariant v = db().driver()->handle();
        if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
            return nullptr;
        return *static_cast<sqlite3* const*>(v.constData());
    }

    static constexpr qsizetype MaxKeptStatements = 64;

    QString name_;
    QString path_;
    QHash<QString, sqlite3_stmt*> statements_;
};

} // namespace

Result<std::unique_ptr<EngineConnection>> open(const QString& path, Database::Check check) {
    const QFileInfo info(path);
    if (path.trimmed().isEmpty())
        return Error{QStringLiteral("No database file was chosen.")};
    if (!info.exists())
        return Error{QStringLiteral("The database file \"%1\" was not found.").arg(path)};
    if (info.isDir())
        return Error{QStringLiteral("\"%1\" is a folder, not a database file.").arg(path)};

    const QString name = nextConnectionName();
    // Made first so that its destructor removes the Qt connection on every return below, after
    // the handle here has gone (Qt warns on stderr of a connection removed while in use).
    auto connection = std::make_unique<Connection>(name, info.absoluteFilePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // mode=rw opens the file for reading and writing but never creates it: a file that vanished
    // between choosing and opening stays vanished.
    QUrl uri = QUrl::fromLocalFile(info.absoluteFilePath());
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
    if (check == Database::Check::Integrity) {
        // A check that cannot read on is an error too, not a check that found nothing.
        auto lines = connection->exec(QStringLiteral("PRAGMA quick_check"), {});
        if (!lines)
            return lines.takeError();
        QStringList problems;
        while (lines->next()) {
            const QString line = lines->value(0).toString();
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (!problems.isEmpty())
            return Error{QStringLiteral("The database file is damaged.\n\nThe database engine "
                                        "reported: %1")
                             .arg(problems.mid(0, 5).join(QLatin1Char('\n')))};
    }
    return std::unique_ptr<EngineConnection>(std::move(connection));
}

Status create(const QString& path) {
    if (QFileInfo::exists(path))
        return Error{
            QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(path)};
    const QString name = nextConnectionName();
    Status result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            result = engineError(db.lastError());
        } else {
            // Each pragma is written at once: the file carries the program's mark from its first
            // write, so a run that dies while filling it leaves a file known to be ours.
            const QStringList statements{
                QStringLiteral("PRAGMA application_id = %1").arg(layout::ApplicationId),
                QStringLiteral("PRAGMA journal_mode = DELETE"),
                QStringLiteral("PRAGMA synchronous = FULL"),
                QStringLiteral("PRAGMA user_version = %1").arg(layout::LayoutVersion)};
            for (const auto& sql : statements)
                if (result = execPlain(db, sql); !result)
                    break;
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!result)
        QFile::remove(path);
    return result;
}

} // namespace korvane::sqlite
