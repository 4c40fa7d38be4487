#include "data/PostgresEngine.h"

#include "data/Select.h"
#include "data/ServerAddress.h"

#include <QHash>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QtEndian>

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <mutex>
#include <vector>

namespace korvane {

namespace {

using Clock = std::chrono::steady_clock;

// Type identifiers of the server's built-in types, as libpq reports a column's type.
enum : Oid {
    BoolOid = 16,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    NumericOid = 1700,
    NameOid = 19,
    TextOid = 25,
    BpcharOid = 1042,
    VarcharOid = 1043,
};

// The name a program gives its sessions, which the server shows to others (pg_stat_activity):
// it names the computer even where the server cannot see it (a team member without the right
// to read other sessions' addresses sees this name).
const QString& sessionName() {
    static const QString name =
        QStringLiteral("Korvane 2000 on %1").arg(QSysInfo::machineHostName());
    return name;
}

// Connections kept open after use, newest last, at most a few per database.
class Pool {
public:
    static constexpr int KeptPerDatabase = 4;
    // A connection idle longer than this is checked before it is used again.
    static constexpr auto CheckAfter = std::chrono::seconds(30);

    ~Pool() { closeAll(); }

    PGconn* take(const QString& url) {
        std::lock_guard guard(mutex_);
        auto& list = idle_[url];
        while (!list.empty()) {
            const Idle idle = list.back();
            list.pop_back();
            if (PQstatus(idle.conn) == CONNECTION_OK &&
                (Clock::now() - idle.since < CheckAfter || stillThere(idle.conn)))
                return idle.conn;
            PQfinish(idle.conn);
        }
        return nullptr;
    }

    void put(const QString& url, PGconn* conn) {
        std::lock_guard guard(mutex_);
        auto& list = idle_[url];
        list.push_back({conn, Clock::now()});
        if (list.size() > KeptPerDatabase) {
            PQfinish(list.front().conn);
            list.erase(list.begin());
        }
    }

    // Closes the kept connections of one database, which would hold it open.
    void closeFor(const QString& url) {
        std::lock_guard guard(mutex_);
        for (const Idle& idle : idle_.take(url))
            PQfinish(idle.conn);
    }

    void closeAll() {
        std::lock_guard guard(mutex_);
        for (auto& list : idle_)
            for (const Idle& idle : list)
                PQfinish(idle.conn);
        idle_.clear();
    }

private:
    struct Idle {
        PGconn* conn;
        Clock::time_point since;
    };

    static bool stillThere(PGconn* conn) {
        PGresult* r = PQexec(conn, "");
        const bool ok = PQresultStatus(r) == PGRES_EMPTY_QUERY;
        PQclear(r);
        return ok;
    }

    std::mutex mutex_;
    QHash<QString, std::vector<Idle>> idle_;
};

Pool& pool() {
    static Pool kept;
    return kept;
}

QString userOf(const QString& url) {
    auto address = server::parse(url);
    return address && !address->user.isEmpty() ? address->user
                                               : QString::fromLocal8Bit(qgetenv("USER"));
}

QString serverText(PGconn* conn) {
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

// The outcome of one attempt to log in.
struct Attempt {
    PGconn* conn = nullptr; // open, or null
    server::Login login = server::Login::Connected;
    QString failure; // the server's words when the attempt failed for another reason
};

Attempt connect(const QString& url) {
    const QByteArray dbname = url.toUtf8();
    const QByteArray password = server::rememberedPassword(url).toUtf8();
    const QByteArray application = sessionName().toUtf8();
    std::vector<const char*> keys{"dbname", "application_name", "connect_timeout",
                                  "client_encoding"};
    std::vector<const char*> values{dbname.constData(), application.constData(), "10", "UTF8"};
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 1);
    Attempt attempt;
    if (conn && PQstatus(conn) == CONNECTION_OK) {
        // The server's notices (warnings about statements that did nothing) are not for the
        // user; failures come back as errors.
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
        attempt.conn = conn;
        return attempt;
    }
    if (!conn) {
        attempt.failure = QStringLiteral("out of memory");
        return attempt;
    }
    const QString text = serverText(conn);
    if (PQconnectionNeedsPassword(conn))
        attempt.login = server::Login::NeedsPassword;
    else if (PQconnectionUsedPassword(conn) &&
             text.contains(QLatin1String("password authentication failed")))
        attempt.login = server::Login::WrongPassword;
    else
        attempt.failure = text.isEmpty() ? QStringLiteral("no reason given") : text;
    PQfinish(conn);
    return attempt;
}

Error loginError(const QString& url, const Attempt& attempt) {
    const QString name = server::displayName(url);
    switch (attempt.login) {
    case server::Login::NeedsPassword:
        return Error{QStringLiteral("The server asks for the password of user \"%1\" to open %2. "
                                    "Open it through File > Open DataBase > Server..., which asks "
                                    "for the password, or put the password in ~/.pgpass.")
                         .arg(userOf(url), name)};
    case server::Login::WrongPassword:
        return Error{
            QStringLiteral("The server refused the password of user \"%1\".").arg(userOf(url))};
    case server::Login::Connected:
        break;
    }
    return Error{QStringLiteral("The database %1 cannot be opened.\n\nThe server reported: %2")
                     .arg(name, attempt.failure)};
}

Result<PGconn*> connectOrTake(const QString& url) {
    if (PGconn* kept = pool().take(url))
        return kept;
    const Attempt attempt = connect(url);
    if (!attempt.conn)
        return loginError(url, attempt);
    return attempt.conn;
}

// What the user can do about a failure, by its SQLSTATE class or code.
QString explain(const QByteArray& state) {
    if (state == "23505")
        return QStringLiteral("Another user added a record at the same moment, so this one was "
                              "not saved. Try again.");
    if (state == "40001" || state == "40P01" || state == "55P03" || state == "55006")
        return QStringLiteral("The database is in use by another program. Try again in a moment.");
    if (state == "25006" || state == "42501")
        return QStringLiteral("The server does not let this user change the database, so changes "
                              "cannot be saved.");
    if (state.startsWith("53"))
        return QStringLiteral("The database server is out of room; nothing was saved.");
    if (state.startsWith("08") || state.startsWith("57P"))
        return QStringLiteral("The connection to the database server was lost; nothing was "
                              "saved.");
    return {};
}

Error failure(PGconn* conn, const PGresult* result) {
    QByteArray state;
    QString text;
    if (result) {
        state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        text = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    }
    if (text.isEmpty())
        text = serverText(conn);
    if (state.isEmpty() && PQstatus(conn) != CONNECTION_OK)
        state = "08000";
    const QString plain = explain(state);
    if (plain.isEmpty())
        return Error{text};
    return Error{plain + QLatin1String("\n\nThe database engine reported: ") + text};
}

// "?" marks become $1, $2 ... outside quoted texts and names, and "?NNN" becomes $NNN, as SQLite
// numbers them: a "?" is one past the highest number so far, so that a value bound once can be
// named again.
QByteArray numberedMarks(const QString& sql) {
    QByteArray out;
    out.reserve(sql.size() + 16);
    const QByteArray utf8 = sql.toUtf8();
    char quote = 0;
    int highest = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            qsizetype end = i + 1;
            while (end < utf8.size() && utf8[end] >= '0' && utf8[end] <= '9')
                ++end;
            const int number = end > i + 1 ? utf8.mid(i + 1, end - i - 1).toInt() : highest + 1;
            highest = std::max(highest, number);
            out += '$';
            out += QByteArray::number(number);
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

// Values as the server reads them, in text: a null pointer is Null.
class Parameters {
public:
    explicit Parameters(const QVariantList& values) {
        texts_.reserve(static_cast<std::size_t>(values.size()));
        for (const QVariant& v : values)
            texts_.push_back(text(v));
        for (const auto& t : texts_)
            pointers_.push_back(t.isNull() ? nullptr : t.constData());
    }
    int count() const { return static_cast<int>(pointers_.size()); }
    const char* const* values() const { return pointers_.data(); }

private:
    static QByteArray text(const QVariant& v) {
        if (!v.isValid() || v.isNull())
            return {};
        switch (v.typeId()) {
        case QMetaType::Bool:
            return v.toBool() ? QByteArray("1") : QByteArray("0");
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            if (std::isnan(d))
                return QByteArray("NaN");
            if (std::isinf(d))
                return d > 0 ? QByteArray("Infinity") : QByteArray("-Infinity");
            return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
        }
        default: {
            QByteArray t = v.toString().toUtf8();
            if (t.isNull())
                t = QByteArray(""); // an empty text is a value, not Null
            return t;
        }
        }
    }

    std::vector<QByteArray> texts_;
    std::vector<const char*> pointers_;
};

// A text from the server. Nearly all texts are plain ASCII, and widening those directly takes
// about a third fewer instructions than decoding them as UTF-8.
QString serverString(const char* text, int length) {
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, text + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            return QString::fromUtf8(text, length);
    }
    for (; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) & 0x80)
            return QString::fromUtf8(text, length);
    return QString::fromLatin1(text, length);
}

// One cell as the program holds values: whole numbers, numbers, texts.
QVariant textCell(const PGresult* r, int row, int column, Oid type) {
    if (PQgetisnull(r, row, column))
        return {};
    const char* text = PQgetvalue(r, row, column);
    const int length = PQgetlength(r, row, column);
    switch (type) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid: {
        long long n = 0;
        std::from_chars(text, text + length, n);
        return static_cast<qlonglong>(n);
    }
    case Float4Oid:
    case Float8Oid:
    case NumericOid: {
        double d = 0;
        if (std::from_chars(text, text + length, d).ec != std::errc())
            d = std::strtod(text, nullptr); // NaN and Infinity
        return d;
    }
    case BoolOid:
        return static_cast<qlonglong>(text[0] == 't');
    default:
        return serverString(text, length);
    }
}

// Types whose binary form binaryCell reads: the numbers, and texts (whose binary form is their
// text).
bool readsBinary(Oid type) {
    switch (type) {
    case BoolOid:
    case Int8Oid:
    case Int2Oid:
    case Int4Oid:
    case OidOid:
    case Float4Oid:
    case Float8Oid:
    case NameOid:
    case TextOid:
    case BpcharOid:
    case VarcharOid:
        return true;
    default:
        return false;
    }
}

template <typename T> T fromNetwork(const char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return qFromBigEndian(value);
}

// One cell of a result in binary form, of a type readsBinary accepts, as cell gives it.
QVariant binaryCell(const PGresult* r, int row, int column, Oid type) {
    if (PQgetisnull(r, row, column))
        return {};
    const char* bytes = PQgetvalue(r, row, column);
    switch (type) {
    case Int2Oid:
        return static_cast<qlonglong>(fromNetwork<qint16>(bytes));
    case Int4Oid:
        return static_cast<qlonglong>(fromNetwork<qint32>(bytes));
    case Int8Oid:
        return static_cast<qlonglong>(fromNetwork<qint64>(bytes));
    case OidOid:
        return static_cast<qlonglong>(fromNetwork<quint32>(bytes));
    case Float4Oid:
        return static_cast<double>(std::bit_cast<float>(fromNetwork<quint32>(bytes)));
    case Float8Oid:
        return std::bit_cast<double>(fromNetwork<quint64>(bytes));
    case BoolOid:
        return static_cast<qlonglong>(bytes[0] != 0);
    default:
        return serverString(bytes, PQgetlength(r, row, column));
    }
}

using ResultPtr = std::shared_ptr<PGresult>;

class Rows : public QueryResult::Source {
public:
    explicit Rows(ResultPtr result) : result_(std::move(result)) {
        rows_ = PQntuples(result_.get());
        for (int c = 0; c < PQnfields(result_.get()); ++c)
            types_.push_back(PQftype(result_.get(), c));
        const char* affected = PQcmdTuples(result_.get());
        affected_ = affected && *affected ? std::atoll(affected) : 0;
    }
    bool next() override { return ++row_ < rows_; }
    QVariant value(int column) const override {
        if (row_ < 0 || row_ >= rows_ || column < 0 || column >= columnCount())
            return {};
        return textCell(result_.get(), row_, column, types_[static_cast<std::size_t>(column)]);
    }
    int columnCount() const override { return static_cast<int>(types_.size()); }
    QString columnName(int column) const override {
        return QString::fromUtf8(PQfname(result_.get(), column));
    }
    qint64 rowsAffected() const override { return affected_; }

private:
    ResultPtr result_;
    std::vector<Oid> types_;
    int rows_ = 0;
    int row_ = -1;
    qint64 affected_ = 0;
};

// The rows of a result, each cell read from the server's form when asked for.
class ResultRows : public StoredRows {
public:
    ResultRows(ResultPtr result, bool binary, int offset)
        : result_(std::move(result)), read_(binary ? binaryCell : textCell), offset_(offset) {
        for (int c = 0; c < PQnfields(result_.get()); ++c)
            types_.push_back(PQftype(result_.get(), c));
    }
    int count() const override { return PQntuples(result_.get()); }
    QVariant cell(int row, int column) const override {
        const int c = column + offset_;
        return read_(result_.get(), row, c, types_[static_cast<std::size_t>(c)]);
    }
    qint64 rowid(int row) const override {
        return offset_ ? read_(result_.get(), row, 0, types_[0]).toLongLong() : 0;
    }

private:
    ResultPtr result_;
    QVariant (*read_)(const PGresult*, int, int, Oid);
    int offset_;
    std::vector<Oid> types_;
};

// A record claimed in this program, so a second claim from inside it is refused too: the
// server lets a session take its own lock again.
QSet<QString>& heldHere() {
    static QSet<QString> held;
    return held;
}

// A stable number for a table name, the same in every program and on every computer.
qint32 tableNumber(const QString& table) {
    quint32 hash = 2166136261u;
    for (const char c : table.toLower().toUtf8()) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return static_cast<qint32>(hash);
}

// An open server session; when the last user lets go of it, it goes back to the pool if it is
// healthy and idle.
struct Session {
    PGconn* conn = nullptr;
    QString url;
    ~Session() {
        if (conn && PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) == PQTRANS_IDLE)
            pool().put(url, conn);
        else if (conn)
            PQfinish(conn);
    }
};

class Connection : public EngineConnection {
public:
    explicit Connection(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    layout::Dialect dialect() const override { return layout::Dialect::Postgres; }
    QString userName() const override {
        return session_->conn ? QString::fromUtf8(PQuser(session_->conn)) : QString();
    }

    Result<QueryResult> exec(const QString& sql, const QVariantList& values) override {
        auto result = run(sql, values);
        if (!result)
            return result.takeError();
        return QueryResult(std::make_unique<Rows>(std::move(result.value())));
    }

    Result<qint64> insert(const QString& sql, const QVariantList& values) override {
        auto result = run(sql + QLatin1String(" RETURNING rowid"), values);
        if (!result)
            return result.takeError();
        if (PQntuples(result->get()) != 1)
            return Error{QStringLiteral("The server did not say which row it added.")};
        return textCell(result->get(), 0, 0, Int8Oid).toLongLong();
    }

    Result<std::shared_ptr<const StoredRows>>
    readRows(const QString& sql, const QVariantList& values, int columns, bool withRowid) override {
        // Rows come in binary form, so numbers need not be parsed back from text. A column of a
        // type binaryCell does not read (numeric, a date type ...) has the query run again in text.
        auto result = run(sql, values, Binary);
        if (!result)
            return result.takeError();
        bool binary = true;
        for (int c = 0; binary && c < PQnfields(result->get()); ++c)
            binary = readsBinary(PQftype(result->get(), c));
        if (!binary) {
            result = run(sql, values);
            if (!result)
                return result.takeError();
        }
        const int offset = withRowid ? 1 : 0;
        if (PQnfields(result->get()) != columns + offset)
            return Error{QStringLiteral("The query returned %1 columns where %2 were expected.")
                             .arg(PQnfields(result->get()) - offset)
                             .arg(columns)};
        return std::shared_ptr<const StoredRows>(
            std::make_shared<ResultRows>(std::move(result.value()), binary, offset));
    }

    Result<QStringList> tableNames() override {
        auto result = run(QStringLiteral("SELECT c.relname FROM pg_catalog.pg_class c JOIN "
                                         "pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                         "WHERE c.relkind IN ('r', 'p') AND n.nspname = "
                                         "current_schema()"),
                          {});
        if (!result)
            return result.takeError();
        QStringList names;
        for (int row = 0; row < PQntuples(result->get()); ++row)
            names << QString::fromUtf8(PQgetvalue(result->get(), row, 0));
        return names;
    }

    Result<std::vector<layout::FieldDef>> tableFields(const QString& table) override {
        auto result =
            run(QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), "
                               "a.attidentity FROM pg_catalog.pg_attribute a WHERE a.attrelid = "
                               "to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped AND "
                               "a.attname <> 'rowid' ORDER BY a.attnum"),
                {quoteIdentifier(table)});
        if (!result)
            return result.takeError();
        std::vector<layout::FieldDef> fields;
        const PGresult* r = result->get();
        for (int row = 0; row < PQntuples(r); ++row) {
            const bool counter = QByteArray(PQgetvalue(r, row, 2)) == "d";
            fields.push_back(
                {QString::fromUtf8(PQgetvalue(r, row, 0)),
                 counter ? layout::FieldType::Counter
                         : layout::typeFromDeclared(QString::fromUtf8(PQgetvalue(r, row, 1)),
                                                    layout::Dialect::Postgres)});
        }
        return fields;
    }

    Status begin() override {
        auto begun = run(QStringLiteral("BEGIN"), {});
        if (!begun)
            return begun.takeError();
        return {};
    }

    Result<qint64> nextKey(const QString& table, const QString& keyField) override {
        auto result = run(QStringLiteral("SELECT nextval(pg_get_serial_sequence(?, ?))"),
                          {quoteIdentifier(table), keyField});
        if (!result)
            return result.takeError();
        return textCell(result->get(), 0, 0, Int8Oid).toLongLong();
    }

    Status followWrittenKeys(const QString& table, const QString& keyField) override {
        auto result = run(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), "
                                         "coalesce((SELECT max(%1) FROM %2), 0) + 1, false)")
                              .arg(quoteIdentifier(keyField), quoteIdentifier(table)),
                          {quoteIdentifier(table), keyField});
        if (!result)
            return result.takeError();
        return {};
    }

    Result<RecordLock> lock(const QString& table, qint64 key, const QString& busy) override {
        const qint32 tableKey = tableNumber(table);
        const auto rowKey = static_cast<qint32>(static_cast<quint32>(key & 0xFFFFFFFF));
        const QString here =
            QStringLiteral("%1|%2|%3").arg(session_->url).arg(tableKey).arg(rowKey);
        if (heldHere().contains(here))
            return Error{busy};
        auto taken = run(QStringLiteral("SELECT pg_try_advisory_lock(?::integer, ?::integer)"),
                         {tableKey, rowKey});
        if (!taken)
            return taken.takeError();
        if (QByteArray(PQgetvalue(taken->get(), 0, 0)) != "t")
            return Error{busy + holder(tableKey, rowKey)};
        heldHere().insert(here);
        return RecordLock([session = session_, tableKey, rowKey, here] {
            heldHere().remove(here);
            const QByteArray a = QByteArray::number(tableKey), b = QByteArray::number(rowKey);
            const char* values[] = {a.constData(), b.constData()};
            PGresult* r =
                PQexecParams(session->conn, "SELECT pg_advisory_unlock($1::integer, $2::integer)",
                             2, nullptr, values, nullptr, nullptr, 0);
            PQclear(r);
        });
    }

private:
    enum Format { Text = 0, Binary = 1 };

    Result<ResultPtr> run(const QString& sql, const QVariantList& values, Format format = Text) {
        const QByteArray text = numberedMarks(sql);
        const Parameters parameters(values);
        ResultPtr result(PQexecParams(session_->conn, text.constData(), parameters.count(), nullptr,
                                      parameters.values(), nullptr, nullptr, format),
                         PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            return failure(session_->conn, result.get());
        return result;
    }

    // " It is open for editing by USER on COMPUTER.", as the server sees the holder's session.
    QString holder(qint32 tableKey, qint32 rowKey) {
        auto found = run(
            QStringLiteral(
                "SELECT a.usename, a.client_hostname, a.application_name, host(a.client_addr) "
                "FROM pg_catalog.pg_locks l JOIN pg_catalog.pg_stat_activity a ON a.pid = l.pid "
                "WHERE l.locktype = 'advisory' AND l.granted AND l.objsubid = 2 AND "
                "l.classid::bigint = ? AND l.objid::bigint = ? AND l.database = (SELECT oid FROM "
                "pg_catalog.pg_database WHERE datname = current_database()) LIMIT 1"),
            {static_cast<qlonglong>(static_cast<quint32>(tableKey)),
             static_cast<qlonglong>(static_cast<quint32>(rowKey))});
        if (!found || PQntuples(found->get()) == 0)
            return {};
        const PGresult* r = found->get();
        const auto text = [r](int column) {
            return PQgetisnull(r, 0, column) ? QString()
                                             : QString::fromUtf8(PQgetvalue(r, 0, column));
        };
        const QString user = text(0);
        QString computer = text(1);
        const QString prefix = QStringLiteral("Korvane 2000 on ");
        if (computer.isEmpty() && text(2).startsWith(prefix))
            computer = text(2).mid(prefix.size());
        if (computer.isEmpty())
            computer = text(3);
        if (user.isEmpty())
            return {};
        return computer.isEmpty()
                   ? QStringLiteral(" It is open for editing by %1.").arg(user)
                   : QStringLiteral(" It is open for editing by %1 on %2.").arg(user, computer);
    }

    std::shared_ptr<Session> session_;
};

// The same server address with another database.
QString withDatabase(const QString& url, const QString& database) {
    auto address = server::parse(url);
    if (!address)
        return url;
    address->database = database;
    return server::url(*address);
}

Status execPlain(PGconn* conn, const QByteArray& sql) {
    ResultPtr r(PQexec(conn, sql.constData()), PQclear);
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        return failure(conn, r.get());
    return {};
}

// A name quoted for a statement, or empty when it cannot be.
QByteArray quotedName(PGconn* conn, const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    char* quoted =
        PQescapeIdentifier(conn, utf8.constData(), static_cast<std::size_t>(utf8.size()));
    const QByteArray result = quoted ? QByteArray(quoted) : QByteArray();
    PQfreemem(quoted);
    return result;
}

// A database made for a new Korvane database has, until it is finished, the name
// "korvane_partial_", eight hex digits of its own, "_" and as much of the name it is made for as
// fits the server's 63 bytes. Only databases named so are taken for what a dead run left.
constexpr int MostNameBytes = 63;
constexpr int PartialHeadLength = 25; // "korvane_partial_" and "xxxxxxxx_"

QString fitted(const QString& name, qsizetype bytes) {
    QString fit = name;
    while (fit.toUtf8().size() > bytes)
        fit.chop(fit.size() > 1 && fit.back().isLowSurrogate() ? 2 : 1);
    return fit;
}

QString partialName(const QString& database) {
    const QString head = QStringLiteral("korvane_partial_%1_")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return head + fitted(database, MostNameBytes - PartialHeadLength);
}

bool isPartialOf(const QString& name, const QString& database) {
    static const QRegularExpression head(QStringLiteral("^korvane_partial_[0-9a-f]{8}_"));
    return head.match(name).hasMatch() &&
           name.mid(PartialHeadLength) == fitted(database, MostNameBytes - PartialHeadLength);
}

// Drops the databases that runs making a new database left unfinished when they died. One still in
// use (its run is alive, or its dead client's last statement is still ending on the server) cannot
// be dropped and stays for a later run; so does one of another user.
void dropLeftovers(PGconn* maintenance, const QString& database) {
    ResultPtr r(PQexec(maintenance, "SELECT datname FROM pg_catalog.pg_database WHERE datname "
                                    "LIKE 'korvane\\_partial\\_%'"),
                PQclear);
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK)
        return;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        const QString name = QString::fromUtf8(PQgetvalue(r.get(), row, 0));
        if (!isPartialOf(name, database))
            continue;
        if (const QByteArray quoted = quotedName(maintenance, name); !quoted.isEmpty())
            (void)execPlain(maintenance, "DROP DATABASE " + quoted);
    }
}

Status dropDatabase(const QString& url, const QString& database) {
    const Attempt attempt = connect(withDatabase(url, QStringLiteral("postgres")));
    if (!attempt.conn)
        return loginError(url, attempt);
    const QByteArray quoted = quotedName(attempt.conn, database);
    Status dropped = !quoted.isEmpty()
                         ? execPlain(attempt.conn, QByteArray("DROP DATABASE IF EXISTS ") + quoted)
                         : Error{serverText(attempt.conn)};
    PQfinish(attempt.conn);
    return dropped;
}

} // namespace

namespace postgres {

Result<std::unique_ptr<EngineConnection>> open(const QString& name) {
    auto address = server::parse(name);
    if (!address)
        return address.takeError();
    const QString url = server::url(*address);
    auto conn = connectOrTake(url);
    if (!conn)
        return conn.takeError();
    auto session = std::make_shared<Session>();
    session->conn = *conn;
    session->url = url;
    return std::unique_ptr<EngineConnection>(std::make_unique<Connection>(std::move(session)));
}

Result<NewPlace> prepareNew(const QString& name) {
    auto address = server::parse(name);
    if (!address)
        return address.takeError();
    const QString url = server::url(*address);
    const Attempt attempt = connect(url);
    if (attempt.conn) {
        pool().put(url, attempt.conn);
        return NewPlace{url, url, {}};
    }
    if (attempt.login != server::Login::Connected ||
        !attempt.failure.contains(QLatin1String("does not exist")))
        return loginError(url, attempt);

    const QString maintenance = withDatabase(url, QStringLiteral("postgres"));
    server::rememberPassword(maintenance, server::rememberedPassword(url));
    const Attempt admin = connect(maintenance);
    if (!admin.conn)
        return loginError(maintenance, admin);
    dropLeftovers(admin.conn, address->database);
    const QString temporary = partialName(address->database);
    const QByteArray quoted = quotedName(admin.conn, temporary);
    const Status made = !quoted.isEmpty()
                            ? execPlain(admin.conn, "CREATE DATABASE " + quoted +
                                                        " ENCODING 'UTF8' TEMPLATE template0")
                            : Error{serverText(admin.conn)};
    PQfinish(admin.conn);
    if (!made)
        return Error{QStringLiteral("The database \"%1\" does not exist on the server and could "
                                    "not be made.\n\n%2")
                         .arg(address->database, made.error())};
    const QString work = withDatabase(url, temporary);
    server::rememberPassword(work, server::rememberedPassword(url));
    return NewPlace{work, url, temporary};
}

Status publishNew(const NewPlace& place) {
    if (place.temporaryName.isEmpty())
        return {};
    auto address = server::parse(place.target);
    if (!address)
        return address.takeError();
    // A database with a connection open cannot be renamed, and connections are kept for later.
    pool().closeFor(place.url);
    const QString maintenance = withDatabase(place.target, QStringLiteral("postgres"));
    const Attempt admin = connect(maintenance);
    if (!admin.conn)
        return loginError(maintenance, admin);
    const QByteArray from = quotedName(admin.conn, place.temporaryName);
    const QByteArray to = quotedName(admin.conn, address->database);
    const Status renamed =
        !from.isEmpty() && !to.isEmpty()
            ? execPlain(admin.conn, "ALTER DATABASE " + from + " RENAME TO " + to)
            : Error{serverText(admin.conn)};
    PQfinish(admin.conn);
    if (!renamed)
        return Error{QStringLiteral("The new database could not be given the name \"%1\"; "
                                    "nothing was written.\n\n%2")
                         .arg(address->database, renamed.error())};
    return {};
}

void abandonNew(const NewPlace& place) {
    if (place.temporaryName.isEmpty())
        return;
    pool().closeFor(place.url);
    (void)dropDatabase(place.target, place.temporaryName);
}

Status drop(const QString& name) {
    auto address = server::parse(name);
    if (!address)
        return address.takeError();
    // Connections kept for later use would hold the database open.
    pool().closeAll();
    return dropDatabase(server::url(*address), address->database);
}

} // namespace postgres

namespace server {

Result<Login> tryLogin(const QString& name) {
    auto address = parse(name);
    if (!address)
        return address.takeError();
    const QString url = server::url(*address);
    if (PGconn* kept = pool().take(url)) {
        pool().put(url, kept);
        return Login::Connected;
    }
    const Attempt attempt = connect(url);
    if (attempt.conn) {
        pool().put(url, attempt.conn);
        return Login::Connected;
    }
    if (attempt.login != Login::Connected)
        return attempt.login;
    return loginError(url, attempt);
}

void closeIdleConnections() {
    pool().closeAll();
}

} // namespace server

} // namespace korvane
