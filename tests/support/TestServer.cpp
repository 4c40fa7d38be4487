#include "support/TestServer.h"

#include "data/ServerAddress.h"

#include <QCoreApplication>
#include <QUrl>

#include <atomic>
#include <libpq-fe.h>
#include <memory>

namespace korvane::test {
namespace {

struct ConnectionCloser {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;

struct ResultClearer {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Rows = std::unique_ptr<PGresult, ResultClearer>;

std::string message(const char* text) {
    return QString::fromUtf8(text).trimmed().toStdString();
}

// A connection to the database of url, or null after failing the test.
Connection connect(const QString& url) {
    const QByteArray name = url.toUtf8();
    // The URL is expanded into its parts; the keywords after it override what it says.
    const char* const keywords[] = {"dbname", "client_encoding", nullptr};
    const char* const values[] = {name.constData(), "UTF8", nullptr};
    Connection connection(PQconnectdbParams(keywords, values, 1));
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        ADD_FAILURE() << "cannot connect to " << url.toStdString() << ": "
                      << message(PQerrorMessage(connection.get()));
        return nullptr;
    }
    // Notices ("database ... does not exist, skipping") are no failures and would only clutter
    // the test output.
    PQsetNoticeProcessor(
        connection.get(), [](void*, const char*) {}, nullptr);
    return connection;
}

Rows run(PGconn* connection, const QByteArray& sql) {
    return Rows(PQexec(connection, sql.constData()));
}

bool succeeded(const PGresult* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QByteArray quotedName(PGconn* connection, const QString& name) {
    const QByteArray bytes = name.toUtf8();
    char* quoted = PQescapeIdentifier(connection, bytes.constData(), bytes.size());
    const QByteArray result(quoted ? quoted : "");
    PQfreemem(quoted);
    return result;
}

// The parts of a libpq URL, scheme://[user@]hosts/database[?parameters], kept as written.
struct UrlParts {
    QString scheme;     // "postgresql://"
    QString user;       // user info before '@', percent-encoded
    QString hosts;      // host[:port][,...], empty for the default or a socket given as host=
    QString database;   // percent-encoded
    QString parameters; // "?host=...", or empty

    static UrlParts of(const QString& url) {
        UrlParts parts;
        const qsizetype schemeEnd = url.indexOf(QStringLiteral("://"));
        const qsizetype start = schemeEnd < 0 ? 0 : schemeEnd + 3;
        parts.scheme = url.left(start);
        qsizetype end = url.indexOf(QLatin1Char('?'), start);
        if (end < 0)
            end = url.size();
        parts.parameters = url.mid(end);
        const QString middle = url.mid(start, end - start);
        const qsizetype slash = middle.indexOf(QLatin1Char('/'));
        const QString authority = slash < 0 ? middle : middle.left(slash);
        parts.database = slash < 0 ? QString() : middle.mid(slash + 1);
        const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
        parts.user = at < 0 ? QString() : authority.left(at);
        parts.hosts = authority.mid(at + 1);
        return parts;
    }

    QString text() const {
        return scheme + (user.isEmpty() ? QString() : user + QLatin1Char('@')) + hosts +
               QLatin1Char('/') + database + parameters;
    }
};

} // namespace

QString serverUrl() {
    return qEnvironmentVariable("KORVANE_TEST_SERVER");
}

bool serverAvailable() {
    return !serverUrl().isEmpty();
}

ServerDatabase::ServerDatabase() {
    static std::atomic<int> counter{0};
    name_ =
        QStringLiteral("korvane_t_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
    if (!serverAvailable()) {
        ADD_FAILURE() << "no test PostgreSQL server for database " << name_.toStdString()
                      << " (check KORVANE_REQUIRE_SERVER() first)";
        return;
    }
    const Connection connection = connect(serverUrl());
    if (!connection)
        return;
    const QByteArray quoted = quotedName(connection.get(), name_);
    Rows created = run(connection.get(), "CREATE DATABASE " + quoted);
    // A database of this name is left over from an earlier test process that had the same
    // process id and ended before dropping it; nobody uses it any more.
    const char* state = PQresultErrorField(created.get(), PG_DIAG_SQLSTATE);
    if (state && qstrcmp(state, "42P04") == 0) {
        run(connection.get(), "DROP DATABASE " + quoted + " WITH (FORCE)");
        created = run(connection.get(), "CREATE DATABASE " + quoted);
    }
    if (!succeeded(created.get())) {
        ADD_FAILURE() << "cannot create database " << name_.toStdString() << ": "
                      << message(PQresultErrorMessage(created.get()));
        return;
    }
    created_ = true;
}

ServerDatabase::~ServerDatabase() {
    if (!created_)
        return;
    // The program keeps connections open between operations. They are closed first, so that its
    // next use opens a new one instead of meeting one the drop has ended; WITH (FORCE) ends any
    // other connection a test left open.
    server::closeIdleConnections();
    const Connection connection = connect(serverUrl());
    if (!connection)
        return;
    const Rows dropped =
        run(connection.get(),
            "DROP DATABASE IF EXISTS " + quotedName(connection.get(), name_) + " WITH (FORCE)");
    if (!succeeded(dropped.get()))
        ADD_FAILURE() << "cannot drop database " << name_.toStdString() << ": "
                      << message(PQresultErrorMessage(dropped.get()));
}

QString ServerDatabase::url() const {
    if (!serverAvailable())
        return {};
    UrlParts parts = UrlParts::of(serverUrl());
    parts.database = name_;
    return parts.text();
}

QString ServerDatabase::urlAs(const QString& user) const {
    if (!serverAvailable())
        return {};
    UrlParts parts = UrlParts::of(url());
    parts.user = QString::fromUtf8(QUrl::toPercentEncoding(user));
    return parts.text();
}

QStringList serverRows(const QString& url, const QString& sql) {
    const Connection connection = connect(url);
    if (!connection)
        return {};
    const Rows result = run(connection.get(), sql.toUtf8());
    if (!succeeded(result.get())) {
        ADD_FAILURE() << sql.toStdString() << " on " << url.toStdString() << ": "
                      << message(PQresultErrorMessage(result.get()));
        return {};
    }
    QStringList rows;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        QStringList cells;
        for (int column = 0; column < PQnfields(result.get()); ++column)
            cells << (PQgetisnull(result.get(), row, column)
                          ? QStringLiteral("NULL")
                          : QString::fromUtf8(PQgetvalue(result.get(), row, column)));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace korvane::test
