#include "support/TestServer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <memory>

namespace korvane {
namespace {

struct ConnectionCloser {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;

// A connection of our own, with the password given (or none), never one from ~/.pgpass: the
// password file named is one that cannot exist, which libpq passes over in silence.
Connection connectWith(const QString& url, const char* password) {
    const QByteArray name = url.toUtf8();
    const char* const keywords[] = {"dbname", "passfile", password ? "password" : nullptr, nullptr};
    const char* const values[] = {name.constData(), "/dev/null/none", password, nullptr};
    return Connection(PQconnectdbParams(keywords, values, 1));
}

QString thisProcessDatabases() {
    return QStringLiteral(
               "SELECT count(*) FROM pg_database WHERE datname LIKE 'korvane\\_t\\_%1\\_%'")
        .arg(QCoreApplication::applicationPid());
}

TEST(TestServer, EachDatabaseIsNewSeparateAndDroppedEvenWhileInUse) {
    KORVANE_REQUIRE_SERVER();
    Connection held;
    {
        test::ServerDatabase first;
        test::ServerDatabase second;
        ASSERT_TRUE(first.isValid());
        ASSERT_TRUE(second.isValid());
        EXPECT_NE(first.name(), second.name());
        EXPECT_EQ(first.url(), QStringLiteral("postgresql://postgres@/") + first.name() +
                                   QStringLiteral("?host=") +
                                   qEnvironmentVariable("KORVANE_TEST_SERVER_SOCKET"));

        test::serverRows(first.url(), QStringLiteral("CREATE TABLE Tank (Name text, Course int)"));
        test::serverRows(first.url(), QStringLiteral("INSERT INTO Tank VALUES ('T-1', 3), "
                                                     "('Tänk 2', NULL), (NULL, 5)"));
        EXPECT_EQ(test::serverRows(first.url(),
                                   QStringLiteral("SELECT current_database(), Name, Course FROM "
                                                  "Tank ORDER BY Name NULLS LAST")),
                  (QStringList{first.name() + QStringLiteral("|T-1|3"),
                               first.name() + QStringLiteral("|Tänk 2|NULL"),
                               first.name() + QStringLiteral("|NULL|5")}));
        EXPECT_EQ(test::serverRows(second.url(), QStringLiteral("SELECT count(*) FROM pg_tables "
                                                                "WHERE schemaname = 'public'")),
                  QStringList{QStringLiteral("0")});

        held = connectWith(first.url(), nullptr);
        ASSERT_EQ(PQstatus(held.get()), CONNECTION_OK) << PQerrorMessage(held.get());
        EXPECT_EQ(test::serverRows(test::serverUrl(), thisProcessDatabases()),
                  QStringList{QStringLiteral("2")});
    }
    EXPECT_EQ(test::serverRows(test::serverUrl(), thisProcessDatabases()),
              QStringList{QStringLiteral("0")});
}

TEST(TestServer, DatabaseLeftOverUnderTheSameNameIsReplacedByAnEmptyOne) {
    KORVANE_REQUIRE_SERVER();
    test::ServerDatabase before;
    ASSERT_TRUE(before.isValid());
    // Names count up within a process; a crashed earlier process with the same id may have left
    // the next one behind, with tables in it.
    const qsizetype counterStart = before.name().lastIndexOf(QLatin1Char('_')) + 1;
    const QString leftOver = before.name().left(counterStart) +
                             QString::number(before.name().mid(counterStart).toInt() + 1);
    test::serverRows(test::serverUrl(), QStringLiteral("CREATE DATABASE ") + leftOver);
    const QString leftOverUrl = QString(before.url()).replace(before.name(), leftOver);
    test::serverRows(leftOverUrl, QStringLiteral("CREATE TABLE Tank (Name text)"));

    test::ServerDatabase next;
    ASSERT_TRUE(next.isValid());
    ASSERT_EQ(next.name(), leftOver);
    EXPECT_EQ(test::serverRows(next.url(), QStringLiteral("SELECT count(*) FROM pg_tables "
                                                          "WHERE schemaname = 'public'")),
              QStringList{QStringLiteral("0")});
}

// The password prompt road needs a role the server asks a password of, while the tests'
// superuser logs in without one.
TEST(TestServer, LoginRoleMustGiveItsPasswordWhileTheSuperuserIsTrusted) {
    KORVANE_REQUIRE_SERVER();
    test::ServerDatabase db;
    ASSERT_TRUE(db.isValid());
    const QString url = db.urlAs(QStringLiteral("korvane_login"));
    EXPECT_EQ(url, QString(db.url()).replace(QStringLiteral("//postgres@"),
                                             QStringLiteral("//korvane_login@")));

    const Connection none = connectWith(url, nullptr);
    EXPECT_EQ(PQstatus(none.get()), CONNECTION_BAD);
    EXPECT_TRUE(PQconnectionNeedsPassword(none.get()));

    const Connection wrong = connectWith(url, "korvane-secreT");
    EXPECT_EQ(PQstatus(wrong.get()), CONNECTION_BAD);
    EXPECT_TRUE(QString::fromUtf8(PQerrorMessage(wrong.get()))
                    .contains(QStringLiteral("password authentication failed")))
        << PQerrorMessage(wrong.get());

    const Connection right = connectWith(url, "korvane-secret");
    ASSERT_EQ(PQstatus(right.get()), CONNECTION_OK) << PQerrorMessage(right.get());
    PGresult* who = PQexec(right.get(), "SELECT current_user, current_database()");
    ASSERT_EQ(PQresultStatus(who), PGRES_TUPLES_OK);
    EXPECT_STREQ(PQgetvalue(who, 0, 0), "korvane_login");
    EXPECT_EQ(QString::fromUtf8(PQgetvalue(who, 0, 1)), db.name());
    PQclear(who);

    EXPECT_EQ(test::serverRows(db.url(), QStringLiteral("SELECT current_user")),
              QStringList{QStringLiteral("postgres")});
}

} // namespace
} // namespace korvane
