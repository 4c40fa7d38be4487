#pragma once

#include "data/Database.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvane::test {

// Where a test database lives: a file, or a database on the test PostgreSQL server.
enum class Engine { File, Server };

// A new, empty Korvane database, removed when the test ends, with shortcuts for adding and
// reading rows. Failures fail the test. Every database has a folder of its own for the test's
// other files; a file database lies in it.
class TestDatabase {
public:
    explicit TestDatabase(const QString& fileName = QStringLiteral("plant.mdb"));
    // A server database is made by Database::create on its URL, as a file is on its path; check
    // available() first (KORVANE_REQUIRE_ENGINE) so that the test is skipped without a server.
    explicit TestDatabase(Engine engine, const QString& fileName = QStringLiteral("plant.mdb"));

    static bool available(Engine engine);

    Engine engine() const { return engine_; }
    // The file's path or the server database's URL: what Database::open takes.
    QString path() const { return path_; }
    QString folder() const { return dir_.path(); }
    // The server database, or null for a file.
    const ServerDatabase* server() const { return server_.get(); }
    Database open() const;

    // Adds a row with the given field values and returns its counter key (0 for keyless tables).
    qint32 add(const QString& table, const QVariantMap& values) const;
    qint32 addCompany(const QString& name) const;
    qint32 addLocation(qint32 companyId, const QString& name) const;
    qint32 addTank(qint32 locationId, const QString& name) const;

    // One field of the row whose keyField equals key, or an invalid QVariant when there is none.
    QVariant value(const QString& table, const QString& keyField, const QVariant& key,
                   const QString& field) const;
    qint64 count(const QString& table) const;

private:
    Engine engine_;
    TempDir dir_;
    std::unique_ptr<ServerDatabase> server_;
    QString path_;
};

// Skips the rest of the test, or the whole test from a fixture's SetUp, when the engine cannot be
// tested in this run.
#define KORVANE_REQUIRE_ENGINE(engine)                                                             \
    do {                                                                                           \
        if ((engine) == ::korvane::test::Engine::Server)                                           \
            KORVANE_REQUIRE_SERVER();                                                              \
    } while (0)

// For suites that run the same tests on both engines:
//   class X : public testing::TestWithParam<test::Engine> {
//       void SetUp() override { KORVANE_REQUIRE_ENGINE(GetParam()); db.emplace(GetParam()); }
//       std::optional<test::TestDatabase> db;
//   };
//   INSTANTIATE_TEST_SUITE_P(Engines, X, test::AllEngines, test::engineName);
inline const auto AllEngines = testing::Values(Engine::File, Engine::Server);

inline std::string engineName(const testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::File ? "File" : "Server";
}

// The bytes of a file, to prove an operation left it untouched.
QByteArray fileBytes(const QString& path);

} // namespace korvane::test
