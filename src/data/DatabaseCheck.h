#pragma once

#include "common/Result.h"

#include <QString>

namespace korvane {

enum class DatabaseFileKind {
    Korvane,    // a database of this program
    NotKorvane, // a database, but not one of ours
    Access,     // a Microsoft Access (Jet or ACE) file, which is not opened directly
};

// Looks at a database the user chose to work on: an Access file is told by its header; any other
// file (or a server database, named by its URL) is opened, a file with the damage check, and it is
// ours when the table at position 1 of its tables in name order is exactly "Company". The file is
// never changed. An error carries the engine's message (not a database, damaged, locked,
// unreadable, vanished).
Result<DatabaseFileKind> checkDatabaseFile(const QString& path);

} // namespace korvane
