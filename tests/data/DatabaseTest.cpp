#include "data/Database.h"

#include "EachEngine.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"
#include "support/TestServer.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class DatabaseTest : public test::EachEngine {};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(Database, FileThatIsNoDatabaseGivesTheEngineMessageAndStaysUntouched) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.mdb"));
    const QByteArray text = QByteArray("These are not tank records.\n").repeated(200);
    writeFile(path, text);
    auto db = Database::open(path, Database::Check::Integrity);
    ASSERT_FALSE(db.ok());
    EXPECT_TRUE(db.error().contains(QStringLiteral("not a database"))) << db.error().toStdString();
    EXPECT_EQ(test::fileBytes(path), text);
}

TEST(Database, DamagedFileIsRefusedOnTheIntegrityCheck) {
    test::TestDatabase file;
    for (int i = 0; i < 40; ++i)
        file.addTank(1, QStringLiteral("T-%1").arg(i));
    QByteArray bytes = test::fileBytes(file.path());
    ASSERT_GT(bytes.size(), 8192);
    // Overwrite the middle of the file, keeping the header intact.
    for (qsizetype i = 4096; i < bytes.size() - 100; i += 7)
        bytes[i] = static_cast<char>(0xA5);
    writeFile(file.path(), bytes);
    auto db = Database::open(file.path(), Database::Check::Integrity);
    ASSERT_FALSE(db.ok());
    EXPECT_TRUE(db.error().contains(QStringLiteral("damaged"))) << db.error().toStdString();
    EXPECT_EQ(test::fileBytes(file.path()), bytes);
}

TEST(Database, MissingFileIsNeverCreated) {
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.mdb"));
    auto db = Database::open(path);
    ASSERT_FALSE(db.ok());
    EXPECT_TRUE(db.error().contains(QStringLiteral("not found")));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(Database::open(dir.path()).ok()); // a folder
    EXPECT_FALSE(Database::open(QStringLiteral(" ")).ok());
}

TEST(Database, CreateRefusesToOverwrite) {
    test::TestDatabase file;
    file.addCompany(QStringLiteral("Keep Me"));
    const QByteArray before = test::fileBytes(file.path());
    const Status again = Database::create(file.path());
    EXPECT_FALSE(again.ok());
    EXPECT_EQ(test::fileBytes(file.path()), before);
}

// Changes the city of a company and returns what the save said, with the edit left as it is.
Status changeCity(Database& db, qint32 company, Recordset& rs) {
    auto opened = db.openRecordset(
        Select::from(QStringLiteral("Company")).where(QStringLiteral("CompanyID"), company));
    if (!opened)
        return opened.takeError();
    rs = std::move(opened.value());
    if (auto s = rs.edit(); !s)
        return s;
    if (auto s = rs.setValue(QStringLiteral("City"), QStringLiteral("Tulsa")); !s)
        return s;
    return rs.update();
}

TEST_P(DatabaseTest, WriteRefusedByTheEngineIsExplained) {
    test::TestDatabase file(GetParam());
    const qint32 id = file.addCompany(QStringLiteral("Acme"));
    Database db = file.open();
    ASSERT_TRUE(db.exec(onServer() ? QStringLiteral("SET default_transaction_read_only = on")
                                   : QStringLiteral("PRAGMA query_only = 1"))
                    .ok());
    Recordset rs;
    const Status saved = changeCity(db, id, rs);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(onServer() ? QStringLiteral("does not let this user change")
                                                  : QStringLiteral("read-only")))
        << saved.error().toStdString();
    EXPECT_EQ(rs.editMode(), Recordset::EditMode::Edit); // the edit stays open to retry or cancel
    if (onServer()) { // the connection is used again after the test
        ASSERT_TRUE(db.exec(QStringLiteral("RESET default_transaction_read_only")).ok());
    }
}

TEST(Database, ReadOnlyFileSaysSoWhenWritten) {
    test::TestDatabase file;
    const qint32 id = file.addCompany(QStringLiteral("Acme"));
    QFile::setPermissions(file.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    if (QFileInfo(file.path()).isWritable())
        GTEST_SKIP() << "running as a user who may write any file";
    Database db = file.open();
    Recordset rs;
    const Status saved = changeCity(db, id, rs);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().contains(QStringLiteral("read-only"))) << saved.error().toStdString();
}

TEST_P(DatabaseTest, TableDefinitionsAndAddedField) {
    test::TestDatabase file(GetParam());
    file.addCompany(QStringLiteral("A"));
    file.addCompany(QStringLiteral("B"));
    Database db = file.open();
    auto info = db.tableInfo(QStringLiteral("Company"));
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->recordCount, 2);
    EXPECT_EQ(info->fields.front().name, QStringLiteral("CompanyID"));
    EXPECT_FALSE(db.tableInfo(QStringLiteral("Nowhere")).ok());

    ASSERT_TRUE(db.appendField(QStringLiteral("Company"),
                               {QStringLiteral("Region"), layout::FieldType::Int16})
                    .ok());
    auto rs = db.openRecordset(Select::from(QStringLiteral("Company")));
    ASSERT_TRUE(rs.ok());
    EXPECT_EQ(rs->fieldType(QStringLiteral("Region")), layout::FieldType::Int16);
    EXPECT_TRUE(rs->isNull(QStringLiteral("Region")));
}

TEST_P(DatabaseTest, FailedTransactionLeavesNothingWritten) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    const Status status = db.transaction([&]() -> Status {
        auto rs = db.openRecordset(Select::from(QStringLiteral("Company")));
        if (!rs)
            return rs.takeError();
        for (const char* name : {"First", "Second"}) {
            if (auto s = rs->addNew(); !s)
                return s;
            if (auto s = rs->setValue(QStringLiteral("Company"), QString::fromLatin1(name)); !s)
                return s;
            if (auto s = rs->update(); !s)
                return s;
        }
        return Error{QStringLiteral("the third step failed")};
    });
    EXPECT_EQ(status.error(), QStringLiteral("the third step failed"));
    EXPECT_EQ(file.count(QStringLiteral("Company")), 0);

    const Status good = db.transaction([&]() -> Status {
        auto rs = db.openRecordset(Select::from(QStringLiteral("Company")));
        if (!rs)
            return rs.takeError();
        if (auto s = rs->addNew(); !s)
            return s;
        return rs->update();
    });
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(file.count(QStringLiteral("Company")), 1);
}

// A reader of many rows gets each cell as QueryResult's value of it converts: rounding a real to
// a whole number, a text read as a number, Null as nothing, a number written as text.
TEST_P(DatabaseTest, RowsHandedOverReadAsQueryValuesConvert) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    const QString sql = QStringLiteral(
        "SELECT 42, 12.5, -12.5, 0.1, 1e20, ' 12 ', '12.7', '2.5e1', 'abc', 'Zürich', NULL");
    auto expected = db.exec(sql);
    ASSERT_TRUE(expected.ok() && expected->next());
    int rows = 0;
    const Status read = db.eachRow(sql, {}, [&](const RowView& row) {
        ++rows;
        EXPECT_EQ(row.columnCount(), expected->columnCount());
        for (int c = 0; c < expected->columnCount(); ++c) {
            const QVariant value = expected->value(c);
            SCOPED_TRACE(c);
            EXPECT_EQ(row.isNull(c), value.isNull());
            EXPECT_EQ(row.integer(c), value.toLongLong());
            EXPECT_EQ(row.real(c), value.toDouble());
            EXPECT_EQ(row.text(c), value.toString());
        }
        EXPECT_TRUE(row.isNull(99)); // no such column
        return Status{};
    });
    EXPECT_TRUE(read.ok()) << read.error().toStdString();
    EXPECT_EQ(rows, 1);
}

// Texts are stored as written and read back so, at the edge of ASCII and beyond it: plain, a
// control character, Latin, the euro sign, a character outside the first plane, and an empty one.
TEST_P(DatabaseTest, TextsComeBackAsWritten) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    const QStringList texts{QStringLiteral("T-101"),           QString(QChar(0x7F)) + QChar(0x80),
                            QStringLiteral("Zürich"),          QStringLiteral("5 \u20AC"),
                            QStringLiteral("\U0001F600 tank"), QStringLiteral("")};
    std::vector<QVariantList> rows;
    for (const QString& text : texts)
        rows.push_back({text});
    ASSERT_TRUE(db.insertRows(QStringLiteral("Company"), {QStringLiteral("Company")}, rows));
    QStringList read;
    ASSERT_TRUE(db.eachRow(QStringLiteral("SELECT \"Company\" FROM \"Company\" ORDER BY "
                                          "\"CompanyID\""),
                           {}, [&](const RowView& row) {
                               read << row.text(0);
                               return Status{};
                           }));
    EXPECT_EQ(read, texts);
}

// The handler's error stops the reading there and is its result; the engine's is too.
TEST_P(DatabaseTest, RowsHandedOverStopAtTheFirstError) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    std::vector<qint64> seen;
    const Status stopped =
        db.eachRow(QStringLiteral("SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3"), {},
                   [&](const RowView& row) -> Status {
                       seen.push_back(row.integer(0));
                       if (row.integer(0) == 2)
                           return Error{QStringLiteral("enough")};
                       return {};
                   });
    EXPECT_EQ(stopped.error(), QStringLiteral("enough"));
    EXPECT_EQ(seen, (std::vector<qint64>{1, 2}));
    // The statement is ready to run again from its start.
    seen.clear();
    EXPECT_TRUE(db.eachRow(QStringLiteral("SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3"), {},
                           [&](const RowView& row) {
                               seen.push_back(row.integer(0));
                               return Status{};
                           })
                    .ok());
    EXPECT_EQ(seen, (std::vector<qint64>{1, 2, 3}));
    EXPECT_FALSE(db.eachRow(QStringLiteral("SELECT * FROM \"Nowhere\""), {}, [](const RowView&) {
                       return Status{};
                   }).ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, DatabaseTest, test::AllEngines, test::engineName);

// What a user reads when the server refuses a statement: a sentence saying what happened and what
// to do, chosen by the failure's code, above the server's own words; a failure without such a
// sentence is shown as the server words it.
TEST(Database, ServerFailuresAreExplainedByTheirCode) {
    KORVANE_REQUIRE_SERVER();
    test::TestDatabase file(test::Engine::Server);
    Database db = file.open();
    const QString inUse =
        QStringLiteral("The database is in use by another program. Try again in a moment.");
    const QString notAllowed = QStringLiteral("The server does not let this user change the "
                                              "database, so changes cannot be saved.");
    const QString lost =
        QStringLiteral("The connection to the database server was lost; nothing was saved.");
    const std::pair<const char*, QString> cases[] = {
        {"23505", QStringLiteral("Another user added a record at the same moment, so this one "
                                 "was not saved. Try again.")},
        {"40001", inUse},
        {"40P01", inUse},
        {"55P03", inUse},
        {"55006", inUse},
        {"55000", {}},
        {"25006", notAllowed},
        {"42501", notAllowed},
        {"42601", {}},
        {"53100", QStringLiteral("The database server is out of room; nothing was saved.")},
        {"54000", {}},
        {"08006", lost},
        {"57P01", lost},
        {"57014", {}},
        {"0A000", {}},
    };
    for (const auto& [code, explained] : cases) {
        const QString said = QStringLiteral("failure %1 'quoted' ü").arg(QLatin1String(code));
        auto failed = db.exec(QStringLiteral("DO $$ BEGIN RAISE EXCEPTION USING MESSAGE = "
                                             "'failure %1 ''quoted'' ü', ERRCODE = '%1'; END $$")
                                  .arg(QLatin1String(code)));
        ASSERT_FALSE(failed.ok()) << code;
        EXPECT_EQ(failed.error(),
                  explained.isEmpty()
                      ? said
                      : explained + QStringLiteral("\n\nThe database engine reported: ") + said)
            << code;
    }
}

} // namespace
} // namespace korvane
