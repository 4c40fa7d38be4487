#include "data/DataSource.h"

#include "EachEngine.h"
#include "support/TestDatabase.h"

#include <QObject>

#include <gtest/gtest.h>

namespace korvane {
namespace {

class DataSourceTest : public test::EachEngine {};

QString shown(const QObject& box) {
    return box.property("text").toString();
}

TEST_P(DataSourceTest, BoundBoxesFollowTheCurrentRowAndWriteBack) {
    test::TestDatabase file(GetParam());
    const qint32 acme =
        file.add(QStringLiteral("Company"), {{QStringLiteral("Company"), QStringLiteral("Acme")},
                                             {QStringLiteral("City"), QStringLiteral("Tulsa")}});
    file.add(QStringLiteral("Company"), {{QStringLiteral("Company"), QStringLiteral("Bayou")}});

    DataSource source;
    QObject name, city, contact;
    source.bind(&name, QStringLiteral("Company"));
    source.bind(&city, QStringLiteral("City"));
    source.setDatabaseName(file.path());
    source.setRecordSource(QStringLiteral("Company"));
    ASSERT_TRUE(source.refresh().ok());
    EXPECT_EQ(shown(name), QStringLiteral("Acme"));
    EXPECT_EQ(shown(city), QStringLiteral("Tulsa"));

    source.moveNext();
    EXPECT_EQ(shown(name), QStringLiteral("Bayou"));
    EXPECT_EQ(shown(city), QString());

    // The data field of a box can change at run time.
    source.bind(&contact, QStringLiteral("Contact"));
    source.rebind(&city, QStringLiteral("Company"));
    source.moveFirst();
    EXPECT_EQ(shown(city), QStringLiteral("Acme"));
    source.rebind(&city, QStringLiteral("City"));

    ASSERT_TRUE(source.recordset().edit().ok());
    name.setProperty("text", QStringLiteral("Acme Oil & Gas"));
    contact.setProperty("text", QStringLiteral("R. O'Neil"));
    ASSERT_TRUE(source.update().ok());
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), acme,
                         QStringLiteral("Company")),
              QVariant(QStringLiteral("Acme Oil & Gas")));
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), acme,
                         QStringLiteral("Contact")),
              QVariant(QStringLiteral("R. O'Neil")));
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), acme,
                         QStringLiteral("City")),
              QVariant(QStringLiteral("Tulsa")));
}

TEST_P(DataSourceTest, BadBoxTextStopsTheUpdateAndKeepsTheRow) {
    test::TestDatabase file(GetParam());
    const qint32 tank =
        file.add(QStringLiteral("Tank"), {{QStringLiteral("Name"), QStringLiteral("T-1")},
                                          {QStringLiteral("SpecGravity"), 0.85}});
    DataSource source;
    QObject gravity, name;
    source.bind(&gravity, QStringLiteral("SpecGravity"));
    source.bind(&name, QStringLiteral("Name"));
    source.setDatabaseName(file.path());
    source.setRecordSource(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tank));
    ASSERT_TRUE(source.refresh().ok());
    EXPECT_EQ(shown(gravity), QStringLiteral("0.85"));

    ASSERT_TRUE(source.recordset().edit().ok());
    name.setProperty("text", QStringLiteral("T-1 renamed"));
    gravity.setProperty("text", QStringLiteral("heavy"));
    const Status s = source.update();
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.error().contains(QStringLiteral("SpecGravity")));
    EXPECT_EQ(
        file.value(QStringLiteral("Tank"), QStringLiteral("TankID"), tank, QStringLiteral("Name")),
        QVariant(QStringLiteral("T-1")));
    source.cancelUpdate();
    EXPECT_EQ(shown(gravity), QStringLiteral("0.85"));
}

TEST_P(DataSourceTest, FailedRefreshKeepsWhatWasShown) {
    test::TestDatabase file(GetParam());
    file.addCompany(QStringLiteral("Acme"));
    DataSource source;
    QObject name;
    source.bind(&name, QStringLiteral("Company"));
    source.setDatabaseName(file.path());
    source.setRecordSource(QStringLiteral("Company"));
    ASSERT_TRUE(source.refresh().ok());
    source.setDatabaseName(file.folder() + QStringLiteral("/missing.mdb"));
    EXPECT_FALSE(source.refresh().ok());
    EXPECT_EQ(shown(name), QStringLiteral("Acme"));
    EXPECT_EQ(source.recordset().recordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, DataSourceTest, test::AllEngines, test::engineName);

} // namespace
} // namespace korvane
