#include "data/Recordset.h"

#include "EachEngine.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

class RecordsetTest : public test::EachEngine {};

const QString Tank = QStringLiteral("Tank");

Recordset openOrFail(const Database& db, const Select& query) {
    auto rs = db.openRecordset(query);
    EXPECT_TRUE(rs.ok()) << (rs.ok() ? std::string() : rs.error().toStdString());
    return rs.ok() ? std::move(rs.value()) : Recordset();
}

TEST_P(RecordsetTest, AddNewAssignsTheKeyAtOnce) {
    test::TestDatabase file(GetParam());
    Database db = file.open();
    Recordset rs = openOrFail(db, Select::from(QStringLiteral("Company")));
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.recordCount(), 0);
    QList<int> keys;
    for (const char* name : {"Acme Oil", "Bayou Storage"}) {
        ASSERT_TRUE(rs.addNew().ok());
        keys << rs.value(QStringLiteral("CompanyID")).toInt();
        ASSERT_TRUE(rs.setValue(QStringLiteral("Company"), QString::fromLatin1(name)).ok());
        ASSERT_TRUE(rs.update().ok());
        // The new row is the current one, with the key it was given.
        EXPECT_EQ(rs.value(QStringLiteral("CompanyID")).toInt(), keys.back());
    }
    EXPECT_EQ(keys, (QList<int>{1, 2}));
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), 2,
                         QStringLiteral("Company")),
              QVariant(QStringLiteral("Bayou Storage")));

    // A key once handed out is not handed out again, even after its row is deleted.
    rs.moveLast();
    ASSERT_TRUE(rs.deleteRecord().ok());
    ASSERT_TRUE(rs.addNew().ok());
    EXPECT_EQ(rs.value(QStringLiteral("CompanyID")).toInt(), 3);
    rs.cancelUpdate();
    EXPECT_EQ(file.count(QStringLiteral("Company")), 1);
}

// Values read back as they were stored, whatever form the engine sends them in: texts outside
// ASCII, short and long; whole numbers at the end of their range; a number that a short decimal
// text would round; Null. A column of a type the layout never declares reads too.
TEST_P(RecordsetTest, ValuesReadBackAsStored) {
    test::TestDatabase file(GetParam());
    const qint32 location =
        file.addLocation(file.addCompany(QStringLiteral("Acme")), QStringLiteral("Farm"));
    Database db = file.open();
    const QString accented = QStringLiteral("Gr\u00f6\u00dfe \u00d8 \u2013 \u03a9");
    const QString longText = QString(40, QChar(0x00e9)) + QStringLiteral("tail");
    ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO \"Tank\" (\"LocationID\", \"Name\", "
                                       "\"PhysLoc\", \"Capacity\", \"Course1_Height\", "
                                       "\"Strapped\") VALUES (?, ?, ?, ?, ?, ?)"),
                        {location, accented, longText, 0.1 + 0.2, -32768, 1})
                    .ok());
    ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO \"Tank\" (\"LocationID\", \"Name\") "
                                       "VALUES (?, 'plain')"),
                        {location})
                    .ok());
    ASSERT_TRUE(
        db.exec(QStringLiteral("ALTER TABLE \"Tank\" ADD COLUMN \"Extra\" numeric(10,3)")).ok());
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE \"Tank\" SET \"Extra\" = 12.345 WHERE \"Name\" = "
                                       "'plain'"))
                    .ok());

    Recordset rs = openOrFail(db, Select::from(Tank).where(QStringLiteral("LocationID"), location));
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.value(QStringLiteral("Name")).toString(), accented);
    EXPECT_EQ(rs.value(QStringLiteral("PhysLoc")).toString(), longText);
    EXPECT_EQ(rs.value(QStringLiteral("Capacity")).toDouble(), 0.1 + 0.2);
    EXPECT_EQ(rs.value(QStringLiteral("Course1_Height")).toInt(), -32768);
    EXPECT_EQ(rs.value(QStringLiteral("Strapped")), QVariant(true));
    EXPECT_FALSE(rs.value(QStringLiteral("Extra")).isValid());
    rs.moveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Name")).toString(), QStringLiteral("plain"));
    EXPECT_FALSE(rs.value(QStringLiteral("Capacity")).isValid());
    EXPECT_DOUBLE_EQ(rs.value(QStringLiteral("Extra")).toDouble(), 12.345);
}

// Two programs adding rows at once: a file predicts the key, so the second save is refused
// rather than overwriting the first; a server hands out a different key to each, and both save.
TEST_P(RecordsetTest, TwoNewRowsAtOnceNeverOverwriteEachOther) {
    test::TestDatabase file(GetParam());
    Database first = file.open();
    Database second = file.open();
    Recordset a = openOrFail(first, Select::from(QStringLiteral("Company")));
    Recordset b = openOrFail(second, Select::from(QStringLiteral("Company")));
    ASSERT_TRUE(a.addNew().ok());
    ASSERT_TRUE(b.addNew().ok());
    const int keyA = a.value(QStringLiteral("CompanyID")).toInt();
    const int keyB = b.value(QStringLiteral("CompanyID")).toInt();
    EXPECT_EQ(keyA == keyB, !onServer());
    ASSERT_TRUE(a.setValue(QStringLiteral("Company"), QStringLiteral("Acme")).ok());
    ASSERT_TRUE(b.setValue(QStringLiteral("Company"), QStringLiteral("Bayou")).ok());
    ASSERT_TRUE(a.update().ok());
    const Status late = b.update();
    if (onServer()) {
        ASSERT_TRUE(late.ok()) << late.error().toStdString();
        EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), keyB,
                             QStringLiteral("Company")),
                  QVariant(QStringLiteral("Bayou")));
    } else {
        ASSERT_FALSE(late.ok());
        EXPECT_TRUE(late.error().startsWith(QStringLiteral("Another user added a record")))
            << late.error().toStdString();
    }
    EXPECT_EQ(file.count(QStringLiteral("Company")), onServer() ? 2 : 1);
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), keyA,
                         QStringLiteral("Company")),
              QVariant(QStringLiteral("Acme")));
}

TEST_P(RecordsetTest, MovesAndEndOfFile) {
    test::TestDatabase file(GetParam());
    const qint32 loc =
        file.addLocation(file.addCompany(QStringLiteral("Acme")), QStringLiteral("North"));
    for (const char* name : {"T-1", "T-2", "T-3"})
        file.addTank(loc, QString::fromLatin1(name));
    Recordset rs =
        openOrFail(file.open(), Select::from(Tank).where(QStringLiteral("LocationID"), loc));
    ASSERT_EQ(rs.recordCount(), 3);
    QStringList names;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("Name"));
    EXPECT_EQ(names, (QStringList{"T-1", "T-2", "T-3"}));
    rs.moveNext(); // past the end stays at the end
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.value(QStringLiteral("Name")).isValid());
    EXPECT_FALSE(rs.edit().ok());
}

TEST_P(RecordsetTest, EditUpdateAndCancel) {
    test::TestDatabase file(GetParam());
    const qint32 id = file.addCompany(QStringLiteral("Acme"));
    Database db = file.open();
    Recordset rs = openOrFail(
        db, Select::from(QStringLiteral("Company")).where(QStringLiteral("CompanyID"), id));
    EXPECT_FALSE(rs.setValue(QStringLiteral("City"), QStringLiteral("Nope")).ok()); // not editing

    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("City"), QStringLiteral("Tulsa")).ok());
    EXPECT_EQ(rs.text(QStringLiteral("City")), QStringLiteral("Tulsa")); // the pending value
    rs.cancelUpdate();
    EXPECT_TRUE(rs.isNull(QStringLiteral("City")));
    EXPECT_FALSE(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), id,
                            QStringLiteral("City"))
                     .isValid());

    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("City"), QStringLiteral("Tulsa")).ok());
    ASSERT_TRUE(rs.update().ok());
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), id,
                         QStringLiteral("City")),
              QVariant(QStringLiteral("Tulsa")));
    EXPECT_EQ(file.value(QStringLiteral("Company"), QStringLiteral("CompanyID"), id,
                         QStringLiteral("Company")),
              QVariant(QStringLiteral("Acme")));

    // A row deleted by someone else since it was read is reported, not silently lost.
    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM \"Company\"")).ok());
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("City"), QStringLiteral("Dallas")).ok());
    const Status lost = rs.update();
    ASSERT_FALSE(lost.ok());
    EXPECT_TRUE(lost.error().contains(QStringLiteral("deleted"))) << lost.error().toStdString();
}

TEST_P(RecordsetTest, EveryFieldTypeRoundTrips) {
    test::TestDatabase file(GetParam());
    struct Case {
        const char* table;
        const char* field;
        QVariant written;
        QVariant read;
    };
    const Case cases[] = {
        {"Tank", "Name", QStringLiteral("T-101 \"Crude\" é"), QStringLiteral("T-101 \"Crude\" é")},
        {"Tank", "LocationID", 2147483647, 2147483647},
        {"Tank", "Course1_Height", QStringLiteral("96"), QVariant::fromValue<qint16>(96)},
        {"Tank", "Course2_Height", -32768, QVariant::fromValue<qint16>(-32768)},
        {"Tank", "Course1_Min", 0.529, QVariant(0.529f)},
        {"Tank", "Diameter", QStringLiteral(" 1446 "), 1446.0},
        {"Tank", "SpecGravity", 0.8765432109, 0.8765432109},
        {"Tank", "Tested", QStringLiteral("5/3/20"), QStringLiteral("05/Mar/2020")},
        {"Tank", "Strapped", QStringLiteral("29/Feb/2000"), QStringLiteral("29/Feb/2000")},
        {"Tank", "Tested", QString(), QVariant()},
        {"SCorrosion", "GraphicType", 255, QVariant::fromValue<quint8>(255)},
        {"EdgeSettle", "StressAnalysis", true, true},
        {"EdgeSettle", "ReadingType", QStringLiteral("False"), false},
        {"IGraphic", "Graphic", QString(QStringLiteral("<svg/>")).repeated(50000),
         QString(QStringLiteral("<svg/>")).repeated(50000)},
    };
    Database db = file.open();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.field);
        Recordset rs = openOrFail(db, Select::from(QString::fromLatin1(c.table)));
        ASSERT_TRUE(rs.addNew().ok());
        const Status set = rs.setValue(QString::fromLatin1(c.field), c.written);
        ASSERT_TRUE(set.ok()) << set.error().toStdString();
        ASSERT_TRUE(rs.update().ok());
        Recordset back = openOrFail(db, Select::from(QString::fromLatin1(c.table)));
        back.moveLast();
        const QVariant got = back.value(QString::fromLatin1(c.field));
        EXPECT_EQ(got.typeId(), c.read.typeId());
        EXPECT_EQ(got, c.read);
        ASSERT_TRUE(back.deleteRecord().ok());
    }
}

TEST_P(RecordsetTest, ValuesThatDoNotFitAreRefused) {
    test::TestDatabase file(GetParam());
    Recordset rs = openOrFail(file.open(), Select::from(Tank));
    ASSERT_TRUE(rs.addNew().ok());
    struct Case {
        const char* field;
        QVariant value;
    };
    const Case cases[] = {
        {"Course1_Height", 32768},
        {"Course1_Height", QStringLiteral("abc")},
        {"LocationID", 1e12},
        {"Tested", QStringLiteral("31/Feb/2001")},
        {"Tested", QStringLiteral("soon")},
        {"TankID", 5},
        {"Diameter", QStringLiteral("12 ft")},
        {"Course1_Min", 1e300},
        {"NoSuchField", 1},
    };
    for (const auto& c : cases) {
        const Status s = rs.setValue(QString::fromLatin1(c.field), c.value);
        EXPECT_FALSE(s.ok()) << c.field << " = " << c.value.toString().toStdString();
        EXPECT_FALSE(s.error().isEmpty());
    }
    ASSERT_TRUE(rs.update().ok()); // the refused values left the pending row as it was
    EXPECT_TRUE(rs.isNull(QStringLiteral("Course1_Height")));
}

TEST_P(RecordsetTest, TypedTextIsOnlyEverAValue) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-1"));
    const QStringList ids{QStringLiteral("O'Brien-3"), QStringLiteral("x' OR '1'='1"),
                          QStringLiteral("A\"; DROP TABLE TML; --")};
    for (const QString& id : ids)
        file.add(QStringLiteral("TML"),
                 {{QStringLiteral("TankID"), tank}, {QStringLiteral("PointID"), id}});
    Database db = file.open();
    for (const QString& id : ids) {
        Recordset rs = openOrFail(db, Select::from(QStringLiteral("TML"))
                                          .where(QStringLiteral("TankID"), tank)
                                          .andWhere(QStringLiteral("PointID"), id));
        ASSERT_EQ(rs.recordCount(), 1) << id.toStdString();
        EXPECT_EQ(rs.text(QStringLiteral("PointID")), id);
    }
    EXPECT_EQ(file.count(QStringLiteral("TML")), 3);
    // Point IDs compare without regard to letter case.
    Recordset lower =
        openOrFail(db, Select::from(QStringLiteral("TML"))
                           .where(QStringLiteral("PointID"), QStringLiteral("o'brien-3")));
    EXPECT_EQ(lower.recordCount(), 1);
}

TEST_P(RecordsetTest, ConditionsJoinedByAndOr) {
    test::TestDatabase file(GetParam());
    for (int loc : {1, 2, 3})
        for (const char* name : {"A", "B"})
            file.addTank(loc, QString::fromLatin1(name));
    Database db = file.open();
    EXPECT_EQ(openOrFail(db, Select::from(Tank)
                                 .where(QStringLiteral("LocationID"), 1)
                                 .orWhere(QStringLiteral("LocationID"), 3))
                  .recordCount(),
              4);
    EXPECT_EQ(openOrFail(db, Select::from(Tank)
                                 .where(QStringLiteral("LocationID"), 2)
                                 .andWhere(QStringLiteral("Name"), QStringLiteral("B")))
                  .recordCount(),
              1);
    EXPECT_EQ(
        openOrFail(db, Select::from(Tank).where(QStringLiteral("LocationID"), 9)).recordCount(), 0);
    const Select query = Select::from(Tank)
                             .where(QStringLiteral("LocationID"), 2)
                             .andWhere(QStringLiteral("Name"), QStringLiteral("O'B"));
    EXPECT_EQ(query.text(),
              QStringLiteral("SELECT * FROM Tank WHERE LocationID = 2 AND Name = 'O'B'"));
    EXPECT_FALSE(query.sql().contains(QStringLiteral("O'B")));
}

// A long list reads only the fields it shows; the rows can still be changed through it.
TEST_P(RecordsetTest, ChosenFieldsOnly) {
    test::TestDatabase file(GetParam());
    const qint32 tank =
        file.add(Tank, {{QStringLiteral("LocationID"), 4},
                        {QStringLiteral("Name"), QStringLiteral("T-1")},
                        {QStringLiteral("Product"), QStringLiteral("Diesel")},
                        {QStringLiteral("ExternalLast"), QStringLiteral("5/3/01")}});
    Database db = file.open();
    const Select query = Select::from(Tank)
                             .where(QStringLiteral("LocationID"), 4)
                             .fields({QStringLiteral("TankID"), QStringLiteral("name"),
                                      QStringLiteral("ExternalLast")});
    EXPECT_EQ(query.text(),
              QStringLiteral("SELECT TankID, name, ExternalLast FROM Tank WHERE LocationID = 4"));
    Recordset rs = openOrFail(db, query);
    EXPECT_EQ(rs.fieldNames(), (QStringList{"TankID", "Name", "ExternalLast"}));
    EXPECT_EQ(rs.value(QStringLiteral("TankID")).toInt(), tank);
    EXPECT_EQ(rs.text(QStringLiteral("Name")), QStringLiteral("T-1"));
    EXPECT_EQ(rs.text(QStringLiteral("ExternalLast")), QStringLiteral("05/Mar/2001"));
    EXPECT_FALSE(rs.hasField(QStringLiteral("Product")));
    // By position, as long lists read them.
    const int name = rs.fieldIndex(QStringLiteral("name"));
    EXPECT_EQ(name, 1);
    EXPECT_EQ(rs.text(name), QStringLiteral("T-1"));
    EXPECT_EQ(rs.text(rs.fieldIndex(QStringLiteral("ExternalLast"))),
              QStringLiteral("05/Mar/2001"));
    EXPECT_EQ(rs.fieldIndex(QStringLiteral("Product")), -1);
    EXPECT_FALSE(rs.value(-1).isValid());
    EXPECT_FALSE(rs.value(3).isValid());

    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Name"), QStringLiteral("T-1A")).ok());
    EXPECT_EQ(rs.text(name), QStringLiteral("T-1A")); // the pending edit
    ASSERT_TRUE(rs.update().ok());
    EXPECT_EQ(file.value(Tank, QStringLiteral("TankID"), tank, QStringLiteral("Name")),
              QVariant(QStringLiteral("T-1A")));
    EXPECT_EQ(file.value(Tank, QStringLiteral("TankID"), tank, QStringLiteral("Product")),
              QVariant(QStringLiteral("Diesel")));

    auto unknown = db.openRecordset(Select::from(Tank).fields({QStringLiteral("Colour")}));
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error(), QStringLiteral("The field Colour does not exist in Tank."));
}

TEST_P(RecordsetTest, LatestReadingOfAPointThroughTheJoin) {
    test::TestDatabase file(GetParam());
    const qint32 tank = file.addTank(1, QStringLiteral("T-1"));
    const qint32 other = file.addTank(1, QStringLiteral("T-2"));
    const auto inspection = [&](qint32 t, const char* date) {
        return file.add(QStringLiteral("Inspection"),
                        {{QStringLiteral("TankID"), t},
                         {QStringLiteral("InspectionDate"), QString::fromLatin1(date)}});
    };
    const auto reading = [&](qint32 insp, const char* point, double value, const char* date) {
        file.add(QStringLiteral("Thickness"),
                 {{QStringLiteral("InspectionID"), insp},
                  {QStringLiteral("PointID"), QString::fromLatin1(point)},
                  {QStringLiteral("Reading"), value},
                  {QStringLiteral("DateTaken"), QString::fromLatin1(date)}});
    };
    const qint32 old = inspection(tank, "02/Sep/2019");
    const qint32 recent = inspection(tank, "15/Jan/2023");
    reading(old, "P1", 0.500, "02/Sep/2019");
    reading(recent, "P1", 0.455, "15/Jan/2023");
    reading(recent, "P2", 0.300, "15/Jan/2023");
    reading(inspection(other, "01/Dec/2024"), "P1", 0.100, "01/Dec/2024");

    Recordset rs = openOrFail(
        file.open(), Select::inspectionsWithThickness()
                         .where(QStringLiteral("Inspection.TankID"), tank)
                         .andWhere(QStringLiteral("Thickness.PointID"), QStringLiteral("P1"))
                         .orderBy(QStringLiteral("DateTaken"), Select::Order::Descending));
    ASSERT_EQ(rs.recordCount(), 2);
    // "15/Jan/2023" sorts after "02/Sep/2019" by calendar, not by its text.
    EXPECT_DOUBLE_EQ(rs.value(QStringLiteral("Reading")).toDouble(), 0.455);
    EXPECT_EQ(rs.text(QStringLiteral("DateTaken")), QStringLiteral("15/Jan/2023"));
    EXPECT_EQ(rs.value(QStringLiteral("Thickness.InspectionID")).toInt(), recent);
    EXPECT_FALSE(rs.edit().ok()); // rows from two tables cannot be changed

    // Chosen fields of either table, by their table's name, in the order asked for.
    Recordset some =
        openOrFail(file.open(), Select::inspectionsWithThickness()
                                    .where(QStringLiteral("Inspection.TankID"), tank)
                                    .orderBy(QStringLiteral("Thickness.PointID"))
                                    .fields({QStringLiteral("Thickness.PointID"),
                                             QStringLiteral("Inspection.InspectionDate")}));
    EXPECT_EQ(some.fieldNames(), (QStringList{"PointID", "InspectionDate"}));
    ASSERT_EQ(some.recordCount(), 3);
    some.moveLast();
    EXPECT_EQ(some.text(0), QStringLiteral("P2"));
    EXPECT_EQ(some.text(1), QStringLiteral("15/Jan/2023"));
    auto unknown = file.open().openRecordset(
        Select::inspectionsWithThickness().fields({QStringLiteral("Thickness.Colour")}));
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error(), QStringLiteral("The field Colour does not exist in Thickness."));
}

TEST_P(RecordsetTest, FindFirstAndNoMatch) {
    test::TestDatabase file(GetParam());
    for (const char* name : {"Acme", "Bayou", "Cactus"})
        file.addCompany(QString::fromLatin1(name));
    Recordset rs = openOrFail(file.open(), Select::from(QStringLiteral("Company")));
    EXPECT_TRUE(rs.findFirst(QStringLiteral("CompanyID"), 2));
    EXPECT_FALSE(rs.noMatch());
    EXPECT_EQ(rs.text(QStringLiteral("Company")), QStringLiteral("Bayou"));
    EXPECT_FALSE(rs.findFirst(QStringLiteral("CompanyID"), 12));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.text(QStringLiteral("Company")), QStringLiteral("Bayou")); // left where it was
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsetTest, test::AllEngines, test::engineName);

} // namespace
} // namespace korvane
