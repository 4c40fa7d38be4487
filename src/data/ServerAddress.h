#pragma once

#include "common/Result.h"

#include <QList>
#include <QPair>
#include <QString>

namespace korvane::server {

// A database on a PostgreSQL server is named by a connection URL, as libpq writes them:
//   postgresql://user@host:port/database
//   postgresql://user@/database?host=/run/postgresql   (a Unix socket folder)
// Everywhere a database file name goes (the session's DatabaseName, the recent list, the command
// line), such a URL may go instead. A password is never part of the name the program keeps.
struct Address {
    QString host; // a host name, an address, or a socket folder (starts with '/')
    int port = 0; // 0: the server's default
    QString database;
    QString user; // empty: the login name
    // Other connection settings of the URL (sslmode=require ...), in their order, kept as
    // written and handed to libpq.
    QList<QPair<QString, QString>> options = {};
};

// True for a name that starts with postgresql:// or postgres://.
bool isServerName(const QString& name);

// The parts of a server URL. A password written into the URL is taken out and remembered for
// this run (see rememberPassword); it never reaches the returned parts.
Result<Address> parse(const QString& url);
// The URL of an address, without any password.
QString url(const Address& address);
// The URL as the program keeps it: parsed and written again, without any password; a name
// that is no server URL is returned as it stands.
QString normalized(const QString& name);

// What the caption and the recent list show: "database on host" for a server database (with
// ":port" when one is given, "this computer" for a socket folder), the file name for a file.
QString displayName(const QString& name);

// Passwords typed by the user are kept in memory for the run, per URL, never written anywhere.
// libpq also reads ~/.pgpass by itself.
void rememberPassword(const QString& url, const QString& password);
QString rememberedPassword(const QString& url);
void forgetPassword(const QString& url);

// One attempt to log in to the server with what is known (the remembered password, ~/.pgpass).
enum class Login { Connected, NeedsPassword, WrongPassword };
// An error for a server that cannot be reached or refuses for another reason, with its words.
Result<Login> tryLogin(const QString& url);

// Closes the server connections this program keeps open between operations (they are kept so
// that each operation need not log in again). Done before a database is dropped, and at exit.
void closeIdleConnections();

} // namespace korvane::server
