#pragma once

#include "common/Result.h"

#include <QString>

#include <functional>

namespace korvane {

class Database;

// Told the name of each step of writing a new database as it is reached: "tables" (the tables
// are made, no row is written yet), the steps of what fills it, and "written" (every row is
// written and kept, the database does not have its own name yet). The command-line tool's tests
// stop the tool at a step, as a kill or a power cut would.
using StepWatch = std::function<void(const QString& step)>;

// Writes a new database of the current layout at path (a file, or a server database named by its
// URL): its tables, its one Preferences row and whatever fill writes into it, in one transaction.
// It appears under its own name only complete:
// - a file is written as "NAME.korvane-partial" beside it and renamed, never over a file that
//   appeared meanwhile; "NAME.korvane-lock" keeps two runs for one name apart;
// - a server database that does not exist is made under a name of its own and renamed;
// - the tables and rows of an existing server database are one transaction, which the server
//   rolls back when the run dies.
// A run that fails takes away what it made. A run that dies leaves what the next run for the same
// name recognises and removes: the partial file when it holds this program's mark (anything else
// under that name is refused, never removed), a lock whose program is gone, a server database of
// the temporary kind nobody uses. An existing file is refused, and so is a server database that
// holds Korvane tables.
Status buildDatabase(const QString& path, const std::function<Status(Database&)>& fill = {},
                     const StepWatch& watch = {});

} // namespace korvane
