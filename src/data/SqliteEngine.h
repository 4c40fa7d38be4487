#pragma once

#include "data/Database.h"
#include "data/Engine.h"

#include <memory>

namespace korvane::sqlite {

// Opens an existing database file (never creates one); with Check::Integrity the file is also
// checked for damage.
Result<std::unique_ptr<EngineConnection>> open(const QString& path, Database::Check check);
// Writes a new, empty database file of the current layout with its one Preferences row.
Status create(const QString& path);

} // namespace korvane::sqlite
