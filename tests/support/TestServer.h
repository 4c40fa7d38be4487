#pragma once

#include "support/QtPrinters.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace korvane::test {

// The throwaway PostgreSQL server of a test run. scripts/test starts one and names its
// maintenance database in KORVANE_TEST_SERVER (postgresql://postgres@/postgres?host=<socket
// folder>); without it the tests of the server engine are skipped.
QString serverUrl();
bool serverAvailable();

// Skips the rest of the test (or, in a fixture's SetUp, the whole test) when no server is
// available.
#define KORVANE_REQUIRE_SERVER()                                                                   \
    do {                                                                                           \
        if (!::korvane::test::serverAvailable())                                                   \
            GTEST_SKIP() << "no test PostgreSQL server (run the tests through scripts/test)";      \
    } while (0)

// A new, empty database on the test server with a name of its own (korvane_t_<pid>_<n>, n counting
// up from 0 in each test process), dropped when the object goes, even while connections to it
// are still open. Failures fail the test.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // False when the database could not be made (the test has failed then).
    bool isValid() const { return created_; }
    QString name() const { return name_; }
    // The database's URL, in the form of the maintenance URL with the database name changed;
    // empty without a server.
    QString url() const;
    // The same URL with another user name.
    QString urlAs(const QString& user) const;

private:
    QString name_;
    bool created_ = false;
};

// Runs one SQL statement through libpq on the database of url, apart from our data layer, and
// returns the rows it gives, each as its cells joined by '|', a NULL cell as "NULL". A statement
// that gives no rows gives an empty list; an error fails the test.
QStringList serverRows(const QString& url, const QString& sql);

} // namespace korvane::test
