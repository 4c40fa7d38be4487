#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/Engine.h"
#include "data/History.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/DamagedFile.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvane {
namespace {

const QString History = QStringLiteral("History");

// Each way the program reads rows, run on a database whose History cannot be read to its end.
struct Reader {
    const char* name;
    std::function<Status(const Database&, qint32 tank)> read;
};

const Reader Readers[] = {
    {"recordset",
     [](const Database& db, qint32) -> Status {
         auto rs = db.openRecordset(Select::from(History));
         return rs ? Status() : rs.takeError();
     }},
    {"statement",
     [](const Database& db, qint32) -> Status {
         auto q = db.exec(QStringLiteral("SELECT * FROM \"History\""));
         return q ? Status() : q.takeError();
     }},
    {"first value of a whole-table count",
     [](const Database& db, qint32) -> Status {
         auto v = db.firstValue(QStringLiteral("SELECT count(\"NewValue\") FROM \"History\""));
         return v ? Status() : v.takeError();
     }},
    {"history of the tank",
     [](const Database& db, qint32 tank) -> Status {
         auto entries = history::readForTank(db, tank);
         return entries ? Status() : entries.takeError();
     }},
};

// Pages of History overwritten half way through its rows: every read that reaches them fails
// with the engine's words, none ends as if the rows before the damage were all there are; the
// check of a chosen file refuses it.
TEST(ReadError, DamagedPagesPartWayThroughAFileAreAnErrorForEveryReader) {
    test::TestDatabase file;
    const qint32 tank = test::addTankWithLongHistory(file);
    const qint64 rows = file.count(History);
    auto readBefore = test::damageMiddleOfTable(file.path(), History);
    ASSERT_TRUE(readBefore.ok()) << readBefore.error().toStdString();
    ASSERT_GT(*readBefore, 0);
    ASSERT_LT(*readBefore, rows);

    auto db = Database::open(file.path());
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    for (const Reader& reader : Readers) {
        const Status read = reader.read(*db, tank);
        ASSERT_FALSE(read.ok()) << reader.name;
        EXPECT_TRUE(read.error().contains(QStringLiteral("database disk image is malformed")))
            << reader.name << ": " << read.error().toStdString();
    }
    auto checked = checkDatabaseFile(file.path());
    ASSERT_FALSE(checked.ok());
    EXPECT_TRUE(checked.error().contains(QStringLiteral("damaged")))
        << checked.error().toStdString();
}

// On a server a statement that fails after rows were sent (the server streams rows as it makes
// them) is an error, for both ways of reading; so is the history of a tank whose History rows
// cannot all be read.
TEST(ReadError, AServerStatementThatFailsPartWayIsAnError) {
    KORVANE_REQUIRE_SERVER();
    test::TestDatabase server(test::Engine::Server);
    const qint32 tank = test::addTankWithLongHistory(server);
    Database db = server.open();
    const QString failing = QStringLiteral(
        "SELECT g FROM generate_series(1, 100000) g WHERE 1 / (50000 - g) IS NOT NULL");
    auto statement = db.exec(failing);
    ASSERT_FALSE(statement.ok());
    EXPECT_TRUE(statement.error().contains(QStringLiteral("division by zero")));
    auto whole = db.engine()->readRows(failing, {}, 1, false);
    ASSERT_FALSE(whole.ok());
    EXPECT_TRUE(whole.error().contains(QStringLiteral("division by zero")));

    // History becomes a view of its rows that fails on the older half of them.
    auto middle = db.firstValue(QStringLiteral("SELECT min(\"HistoryID\") + count(*) / 2 FROM "
                                               "\"History\""));
    ASSERT_TRUE(middle.ok() && middle->isValid());
    for (const QString& sql :
         {QStringLiteral("ALTER TABLE \"History\" RENAME TO \"HistoryRows\""),
          QStringLiteral("CREATE VIEW \"History\" AS SELECT * FROM \"HistoryRows\" WHERE "
                         "1 / (\"HistoryID\" - %1) IS NOT NULL")
              .arg(middle->toLongLong())})
        ASSERT_TRUE(db.exec(sql).ok()) << sql.toStdString();
    for (const Reader& reader : Readers) {
        const Status read = reader.read(db, tank);
        ASSERT_FALSE(read.ok()) << reader.name;
        EXPECT_TRUE(read.error().contains(QStringLiteral("division by zero")))
            << reader.name << ": " << read.error().toStdString();
    }
}

} // namespace
} // namespace korvane
