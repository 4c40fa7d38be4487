#pragma once

#include "data/Engine.h"

#include <memory>

namespace korvane::postgres {

// Opens a database on a PostgreSQL server named by its URL. Connections are kept open between
// operations and used again, so an operation does not log in anew.
Result<std::unique_ptr<EngineConnection>> open(const QString& url);
// Makes the Korvane tables in a server database, all or none, making the database first when
// it does not exist and the user may make databases. A database that already holds Korvane
// tables is refused and left as it was.
Status create(const QString& url);
// Drops a server database, as a failed copy takes away the database it made.
Status drop(const QString& url);

} // namespace korvane::postgres
