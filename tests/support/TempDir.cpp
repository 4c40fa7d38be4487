#include "support/TempDir.h"

#include <QDir>

namespace korvane::test {

TempDir::TempDir() : dir_(QDir::tempPath() + QStringLiteral("/korvane-test-XXXXXX")) {}

} // namespace korvane::test
