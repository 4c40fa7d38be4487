#pragma once

#include "common/Result.h"
#include "due/DueList.h"

#include <QString>

#include <functional>
#include <vector>

namespace korvane::due {

// Reads every tank of the database with its schedule, readings, inspections and shell surveys in
// a few queries over whole tables (not one per tank), and gives the rows of the list worst first.
// `keepGoing`, when given, is asked between blocks of readings; false stops with an error.
Result<std::vector<TankRow>> readDueList(const QString& databaseName, const Options& options,
                                         const std::function<bool()>& keepGoing = {});

} // namespace korvane::due
