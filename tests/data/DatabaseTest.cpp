#include "data/Database.h"

#include "EachEngine.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

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

INSTANTIATE_TEST_SUITE_P(Engines, DatabaseTest, test::AllEngines, test::engineName);

} // namespace
} // namespace korvane
