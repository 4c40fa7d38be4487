#pragma once

#include "data/Engine.h"

#include <memory>

namespace korvane::postgres {

// Opens a database on a PostgreSQL server named by its URL. Connections are kept open between
// operations and used again, so an operation does not log in anew.
Result<std::unique_ptr<EngineConnection>> open(const QString& url);
// Where the tables and rows of a new Korvane database on a server are written (NewDatabase.h).
// An existing database takes them in one transaction, so a run that dies leaves nothing in it.
// A missing database is made, when the user may make databases, under a name of its own
// (temporaryName), filled, and renamed when it is complete; databases of that kind that dead runs
// left for the same name are dropped first.
struct NewPlace {
    QString url;           // the database the tables and rows go into
    QString target;        // the URL the finished database is known by
    QString temporaryName; // the name it has until then, when it was made for them
};
Result<NewPlace> prepareNew(const QString& url);
// Gives a database made under a temporary name its own; nothing for an existing database.
Status publishNew(const NewPlace& place);
// Drops a database made under a temporary name, as a failed run leaves nothing.
void abandonNew(const NewPlace& place);
// Drops a server database.
Status drop(const QString& url);

} // namespace korvane::postgres
