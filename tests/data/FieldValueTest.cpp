#include "data/FieldValue.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvane {
namespace {

using layout::FieldType;

const FieldType AllTypes[] = {FieldType::Counter, FieldType::Text, FieldType::Int32,
                              FieldType::Int16,   FieldType::Byte, FieldType::Single,
                              FieldType::Double,  FieldType::Date, FieldType::Boolean,
                              FieldType::LongText};

void expectSame(const QVariant& got, const QVariant& wanted) {
    EXPECT_EQ(got.isValid(), wanted.isValid());
    EXPECT_EQ(got.typeId(), wanted.typeId());
    EXPECT_EQ(got, wanted);
}

// A value made straight from what the engine read is the value made from the stored value, for
// every kind of field, including the stored values that do not fit their field.
TEST(FieldValue, ReadStraightFromTheEngineItIsWhatTheStoredValueGives) {
    for (const qint64 n :
         {qint64(0), qint64(1), qint64(-1), qint64(255), qint64(256), qint64(-32769),
          qint64(std::numeric_limits<int>::max()), qint64(std::numeric_limits<int>::min()),
          qint64(std::numeric_limits<int>::max()) + 1, qint64(20200305),
          std::numeric_limits<qint64>::min()})
        for (const FieldType type : AllTypes) {
            SCOPED_TRACE(testing::Message() << n << " as type " << int(type));
            expectSame(fieldvalue::fromStoredInteger(n, type),
                       fieldvalue::fromStored(QVariant(static_cast<qlonglong>(n)), type));
        }
    for (const double d : {
             0.0,
             -0.5,
             0.529,
             2.5,
             1e10,
         })
        for (const FieldType type : AllTypes) {
            SCOPED_TRACE(testing::Message() << d << " as type " << int(type));
            expectSame(fieldvalue::fromStoredReal(d, type),
                       fieldvalue::fromStored(QVariant(d), type));
        }
    for (const char* text :
         {"", "T-101 \"Crude\" \xc3\xa9", "2020-03-05", "2020-13-05", "2020-3-05x", "2020/03/05",
          "99", " 1446 ", "true", "2020-03-0\xc3\xa9", "\xd9\xa2\xd9\xa0\xd9\xa2\xd9\xa0-03-05"})
        for (const FieldType type : AllTypes) {
            SCOPED_TRACE(testing::Message() << text << " as type " << int(type));
            const QByteArray utf8(text);
            expectSame(fieldvalue::fromStoredText(utf8.constData(), utf8.size(), type),
                       fieldvalue::fromStored(QVariant(QString::fromUtf8(utf8)), type));
        }
}

// Many rows of a file, with texts of every length (none, one byte, multi-byte, a long one) and
// Nulls among them, read back through a recordset each as it was written: every row's cells
// are its own, however the rows were laid out in memory.
TEST(FieldValue, EveryRowOfAFileReadsBackItsOwnValues) {
    test::TestDatabase file;
    const qint32 location =
        file.addLocation(file.addCompany(QStringLiteral("Refining")), QStringLiteral("Farm"));
    const auto name = [](int i) {
        return i % 7 == 0
                   ? QVariant()
                   : QVariant(QStringLiteral("T-%1 \u00e9").arg(i).repeated(i % 5 == 0 ? 300 : 1));
    };
    constexpr int Rows = 1500;
    Database db = file.open();
    ASSERT_TRUE(db.transaction([&]() -> Status {
                      for (int i = 0; i < Rows; ++i) {
                          auto added = db.exec(
                              QStringLiteral("INSERT INTO \"Tank\" (\"LocationID\", \"Name\", "
                                             "\"Diameter\", \"Tested\", \"PhysLoc\") VALUES "
                                             "(?, ?, ?, ?, ?)"),
                              {location, name(i), i % 3 == 0 ? QVariant() : QVariant(i * 0.5),
                               QStringLiteral("2001-%1-17").arg(1 + i % 12, 2, 10, QChar(u'0')),
                               i % 2 == 0 ? QStringLiteral("") : QVariant()});
                          if (!added)
                              return added.takeError();
                      }
                      return {};
                  }).ok());

    auto rs =
        db.openRecordset(Select::from(QStringLiteral("Tank")).orderBy(QStringLiteral("TankID")));
    ASSERT_TRUE(rs.ok()) << rs.error().toStdString();
    ASSERT_EQ(rs->recordCount(), Rows);
    static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int i = 0;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext(), ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rs->value(QStringLiteral("LocationID")), QVariant(location));
        expectSame(rs->value(QStringLiteral("Name")), name(i));
        expectSame(rs->value(QStringLiteral("Diameter")),
                   i % 3 == 0 ? QVariant() : QVariant(i * 0.5));
        EXPECT_EQ(rs->text(QStringLiteral("Tested")),
                  QStringLiteral("17/%1/2001").arg(QLatin1String(Months[i % 12])));
        expectSame(rs->value(QStringLiteral("PhysLoc")),
                   i % 2 == 0 ? QVariant(QString()) : QVariant());
        ASSERT_FALSE(HasFailure());
    }
}

} // namespace
} // namespace korvane
