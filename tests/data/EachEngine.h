#pragma once

#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane::test {

// A suite whose tests run once on a database file and once on a server database:
//   class RecordsetTest : public test::EachEngine {};
//   TEST_P(RecordsetTest, ...) { test::TestDatabase file(GetParam()); ... }
//   INSTANTIATE_TEST_SUITE_P(Engines, RecordsetTest, test::AllEngines, test::engineName);
// The server runs are skipped when the run has no test server.
class EachEngine : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override { KORVANE_REQUIRE_ENGINE(GetParam()); }
    bool onServer() const { return GetParam() == Engine::Server; }
    layout::Dialect dialect() const {
        return onServer() ? layout::Dialect::Postgres : layout::Dialect::Sqlite;
    }
};

} // namespace korvane::test
