#include "support/TestDatabase.h"

#include "data/Recordset.h"
#include "data/Select.h"

#include <QFile>

#include <gtest/gtest.h>

namespace korvane::test {

namespace {

// KORVANE_TEST_ENGINE=server makes every test that does not choose an engine use the test
// server: a developer's way to run the whole suite on the server engine. Tests that look at
// the file itself then fail, as they should.
Engine defaultEngine() {
    return qEnvironmentVariable("KORVANE_TEST_ENGINE").compare(QLatin1String("server"),
                                                               Qt::CaseInsensitive) == 0 &&
                   serverAvailable()
               ? Engine::Server
               : Engine::File;
}

} // namespace

TestDatabase::TestDatabase(const QString& fileName) : TestDatabase(defaultEngine(), fileName) {}

TestDatabase::TestDatabase(Engine engine, const QString& fileName) : engine_(engine) {
    if (engine == Engine::Server) {
        server_ = std::make_unique<ServerDatabase>();
        // Without a database on the server nothing is created, least of all a file named
        // like one.
        if (!server_->isValid())
            return;
        path_ = server_->url();
    } else {
        path_ = dir_.filePath(fileName);
    }
    const Status created = Database::create(path_);
    EXPECT_TRUE(created.ok()) << path_.toStdString() << ": " << created.error().toStdString();
}

bool TestDatabase::available(Engine engine) {
    return engine == Engine::File || serverAvailable();
}

Database TestDatabase::open() const {
    auto db = Database::open(path_);
    EXPECT_TRUE(db.ok()) << (db.ok() ? std::string() : db.error().toStdString());
    return db.ok() ? std::move(db.value()) : Database();
}

qint32 TestDatabase::add(const QString& table, const QVariantMap& values) const {
    Database db = open();
    auto rs = db.openRecordset(Select::from(table));
    EXPECT_TRUE(rs.ok()) << (rs.ok() ? std::string() : rs.error().toStdString());
    if (!rs)
        return 0;
    const Status started = rs->addNew();
    EXPECT_TRUE(started.ok()) << started.error().toStdString();
    for (auto it = values.begin(); it != values.end(); ++it) {
        const Status set = rs->setValue(it.key(), it.value());
        EXPECT_TRUE(set.ok()) << set.error().toStdString();
    }
    const layout::TableDef* def = layout::table(table);
    const qint32 key = def && def->key() ? rs->value(def->key()->name).toInt() : 0;
    const Status saved = rs->update();
    EXPECT_TRUE(saved.ok()) << saved.error().toStdString();
    return key;
}

qint32 TestDatabase::addCompany(const QString& name) const {
    return add(QStringLiteral("Company"), {{QStringLiteral("Company"), name}});
}

qint32 TestDatabase::addLocation(qint32 companyId, const QString& name) const {
    return add(QStringLiteral("Location"),
               {{QStringLiteral("CompanyID"), companyId}, {QStringLiteral("Location"), name}});
}

qint32 TestDatabase::addTank(qint32 locationId, const QString& name) const {
    return add(QStringLiteral("Tank"),
               {{QStringLiteral("LocationID"), locationId}, {QStringLiteral("Name"), name}});
}

QVariant TestDatabase::value(const QString& table, const QString& keyField, const QVariant& key,
                             const QString& field) const {
    Database db = open();
    auto rs = db.openRecordset(Select::from(table).where(keyField, key));
    EXPECT_TRUE(rs.ok()) << (rs.ok() ? std::string() : rs.error().toStdString());
    if (!rs || rs->eof())
        return {};
    return rs->value(field);
}

qint64 TestDatabase::count(const QString& table) const {
    auto n = open().recordCount(table);
    EXPECT_TRUE(n.ok());
    return n.ok() ? *n : -1;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace korvane::test
