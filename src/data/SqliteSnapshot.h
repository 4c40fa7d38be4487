#pragma once

#include "common/Result.h"

#include <QString>

namespace korvane::sqlite {

// Copies a database file, page by page, into a new file as one consistent state of it, while
// other programs go on writing: the pages are read a batch at a time, each batch under a read
// lock of its own, and when another program writes between two batches the copy starts again.
// When writers keep it from finishing, the last attempt reads every page under one read lock,
// which keeps writers waiting for as long as reading the pages takes, never for longer.
Status snapshot(const QString& source, const QString& copy);

} // namespace korvane::sqlite
