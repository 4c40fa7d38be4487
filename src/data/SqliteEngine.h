#pragma once

#include "data/Database.h"
#include "data/Engine.h"

#include <memory>

namespace korvane::sqlite {

// Opens an existing database file (never creates one); with Check::Integrity the file is also
// checked for damage.
Result<std::unique_ptr<EngineConnection>> open(const QString& path, Database::Check check);
// Writes a new database file with no tables yet, marked as this program's (application_id,
// layout version) and kept with a rollback journal; an existing file is refused. The tables come
// next, in a transaction of their own (see NewDatabase.h).
Status create(const QString& path);

} // namespace korvane::sqlite
