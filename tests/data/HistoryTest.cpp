#include "data/History.h"

#include "EachEngine.h"
#include "data/Database.h"
#include "data/DatabaseCheck.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/TestDatabase.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace korvane {
namespace {

using history::Action;
using history::Entry;

class HistoryTest : public test::EachEngine {
protected:
    // A tank with one inspection, made before the changes the tests look at.
    void SetUp() override {
        EachEngine::SetUp();
        if (IsSkipped())
            return;
        file_.emplace(GetParam());
        tank_ = file_->addTank(
            file_->addLocation(file_->addCompany(QStringLiteral("Acme")), QStringLiteral("Farm")),
            QStringLiteral("T-101"));
        inspection_ = file_->add(QStringLiteral("Inspection"),
                                 {{QStringLiteral("TankID"), tank_},
                                  {QStringLiteral("InspectionNum"), QStringLiteral("2024-01")}});
        db_ = file_->open();
        auto before = history::readForTank(db_, tank_);
        ASSERT_TRUE(before.ok()) << before.error().toStdString();
        seen_ = before->size();
    }

    // The entries written since SetUp (or the last call), newest first.
    std::vector<Entry> newEntries() {
        auto all = history::readForTank(db_, tank_);
        EXPECT_TRUE(all.ok()) << (all.ok() ? std::string() : all.error().toStdString());
        if (!all.ok())
            return {};
        std::vector<Entry> fresh(all->begin(),
                                 all->begin() + static_cast<std::ptrdiff_t>(all->size() - seen_));
        seen_ = all->size();
        return fresh;
    }

    Recordset open(const Select& query) {
        auto rs = db_.openRecordset(query);
        EXPECT_TRUE(rs.ok()) << (rs.ok() ? std::string() : rs.error().toStdString());
        return rs.ok() ? std::move(rs.value()) : Recordset();
    }

    Recordset openTank() {
        return open(Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tank_));
    }

    std::optional<test::TestDatabase> file_;
    Database db_;
    qint32 tank_ = 0;
    qint32 inspection_ = 0;
    std::size_t seen_ = 0;
};

// An edit writes one entry per field whose value changed, with the stored values before and
// after; a field set to the value it had writes nothing.
TEST_P(HistoryTest, EditWritesOneEntryPerChangedField) {
    Recordset rs = openTank();
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Diameter"), 1440).ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Course1_Min"), 0.1).ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Name"), QStringLiteral("T-101")).ok()); // unchanged
    ASSERT_TRUE(rs.update().ok());

    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Diameter"), 1500).ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("UTLast"), QStringLiteral("05/Mar/2021")).ok());
    ASSERT_TRUE(rs.update().ok());

    const auto entries = newEntries();
    ASSERT_EQ(entries.size(), 4u);
    struct Expected {
        const char* field;
        const char* before;
        const char* after;
    };
    // Newest first; the single-precision minimum keeps the float's own digits.
    const Expected expected[] = {{"UTLast", "", "2021-03-05"},
                                 {"Diameter", "1440", "1500"},
                                 {"Course1_Min", "", "0.1"},
                                 {"Diameter", "", "1440"}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        EXPECT_EQ(e.action, Action::Changed);
        EXPECT_EQ(e.table, QStringLiteral("Tank"));
        EXPECT_EQ(e.rowKey, tank_);
        EXPECT_EQ(e.rowLabel, QStringLiteral("T-101"));
        EXPECT_EQ(e.field, QLatin1String(expected[i].field));
        EXPECT_EQ(e.before, QLatin1String(expected[i].before)) << expected[i].field;
        EXPECT_EQ(e.after, QLatin1String(expected[i].after)) << expected[i].field;
        EXPECT_EQ(e.tankId, tank_);
        EXPECT_FALSE(e.inspectionId.has_value());
        EXPECT_FALSE(e.userName.isEmpty());
        EXPECT_FALSE(e.computer.isEmpty());
        EXPECT_EQ(e.databaseUser.isEmpty(), !onServer());
        EXPECT_LE(qAbs(e.when.secsTo(QDateTime::currentDateTimeUtc())), 600);
    }
}

// A save that writes back every field as it was records nothing, whatever the fields' types; a
// save that then changes one single-precision minimum records that field alone, old and new.
TEST_P(HistoryTest, SaveThatChangesNothingWritesNothing) {
    const std::pair<const char*, QVariant> fields[] = {{"Course1_Min", 0.1},
                                                       {"Course2_Min", 0.3},
                                                       {"Course1_Height", 96},
                                                       {"Diameter", 120.5},
                                                       {"Product", QString("Dies'l")},
                                                       {"UTLast", QStringLiteral("05/Mar/2021")},
                                                       {"Name", QStringLiteral("T-101")}};
    Recordset rs = openTank();
    const auto save = [&](const char* changed, const QVariant& to) {
        ASSERT_TRUE(rs.edit().ok());
        for (const auto& [name, value] : fields)
            ASSERT_TRUE(
                rs.setValue(QLatin1String(name), qstrcmp(name, changed) == 0 ? to : value).ok());
        ASSERT_TRUE(rs.update().ok());
    };
    save("", {});
    EXPECT_EQ(newEntries().size(), std::size(fields) - 1); // all but the name

    save("", {});
    EXPECT_TRUE(newEntries().empty());
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.update().ok());
    EXPECT_TRUE(newEntries().empty());

    save("Course2_Min", 0.35);
    const auto entries = newEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].field, QStringLiteral("Course2_Min"));
    EXPECT_EQ(entries[0].before, QStringLiteral("0.3"));
    EXPECT_EQ(entries[0].after, QStringLiteral("0.35"));
}

// A new reading is one "added" entry with its values, under its inspection and tank; a deleted
// TML point one "deleted" entry with the values it had; a changed drawing names its page and
// keeps none of its text.
TEST_P(HistoryTest, AddedAndDeletedRowsKeepTheirValues) {
    Recordset readings = open(Select::from(QStringLiteral("Thickness")));
    ASSERT_TRUE(readings.addNew().ok());
    const qint64 readingId = readings.value(QStringLiteral("ThicknessID")).toLongLong();
    ASSERT_TRUE(readings.setValue(QStringLiteral("InspectionID"), inspection_).ok());
    ASSERT_TRUE(readings.setValue(QStringLiteral("PointID"), QStringLiteral("A'1")).ok());
    ASSERT_TRUE(readings.setValue(QStringLiteral("Reading"), 0.25).ok());
    ASSERT_TRUE(readings.setValue(QStringLiteral("DateTaken"), QStringLiteral("05/Mar/2024")).ok());
    ASSERT_TRUE(readings.update().ok());

    ASSERT_TRUE(db_.insertRow(QStringLiteral("TML"),
                              {QStringLiteral("TankID"), QStringLiteral("PointID"),
                               QStringLiteral("XCoordinate")},
                              {tank_, QStringLiteral("B2"), 12.5})
                    .ok());
    auto gone = db_.deleteFirstRow(QStringLiteral("TML"),
                                   {QStringLiteral("TankID"), QStringLiteral("PointID")},
                                   {tank_, QStringLiteral("B2")});
    ASSERT_TRUE(gone.ok() && *gone);

    auto page = db_.insertRow(
        QStringLiteral("IGraphic"),
        {QStringLiteral("InspectionID"), QStringLiteral("GraphicLabel"), QStringLiteral("Graphic")},
        {inspection_, QStringLiteral("Shell"), QStringLiteral("<svg/>")});
    ASSERT_TRUE(page.ok());
    ASSERT_TRUE(db_.updateRow(QStringLiteral("IGraphic"), *page, {QStringLiteral("Graphic")},
                              {QStringLiteral("<svg><line/></svg>")})
                    .ok());

    const auto entries = newEntries();
    ASSERT_EQ(entries.size(), 5u);
    const Entry& drawing = entries[0];
    EXPECT_EQ(drawing.action, Action::Changed);
    EXPECT_EQ(drawing.table, QStringLiteral("IGraphic"));
    EXPECT_EQ(drawing.rowLabel, QStringLiteral("Shell"));
    EXPECT_EQ(drawing.field, QStringLiteral("Graphic"));
    EXPECT_TRUE(drawing.before.isEmpty() && drawing.after.isEmpty());
    EXPECT_EQ(entries[1].action, Action::Added);
    for (const auto& [field, value] : entries[1].values)
        EXPECT_NE(field, QStringLiteral("Graphic")) << "the drawing's text was kept";

    const Entry& deleted = entries[2];
    EXPECT_EQ(deleted.action, Action::Deleted);
    EXPECT_EQ(deleted.table, QStringLiteral("TML"));
    EXPECT_EQ(deleted.rowLabel, QStringLiteral("B2"));
    EXPECT_FALSE(deleted.rowKey.has_value());
    using Values = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(deleted.values, (Values{{QStringLiteral("TankID"), QString::number(tank_)},
                                      {QStringLiteral("PointID"), QStringLiteral("B2")},
                                      {QStringLiteral("XCoordinate"), QStringLiteral("12.5")}}));
    EXPECT_EQ(entries[3].action, Action::Added);

    const Entry& added = entries[4];
    EXPECT_EQ(added.action, Action::Added);
    EXPECT_EQ(added.table, QStringLiteral("Thickness"));
    EXPECT_EQ(added.rowKey, readingId);
    EXPECT_EQ(added.rowLabel, QStringLiteral("A'1"));
    EXPECT_EQ(added.tankId, tank_);
    EXPECT_EQ(added.inspectionId, inspection_);
    EXPECT_EQ(added.values, (Values{{QStringLiteral("ThicknessID"), QString::number(readingId)},
                                    {QStringLiteral("InspectionID"), QString::number(inspection_)},
                                    {QStringLiteral("PointID"), QStringLiteral("A'1")},
                                    {QStringLiteral("Reading"), QStringLiteral("0.25")},
                                    {QStringLiteral("DateTaken"), QStringLiteral("2024-03-05")}}));

    // The inspection's history holds its own rows only: the reading and the drawing.
    auto ofInspection = history::readForInspection(db_, inspection_);
    ASSERT_TRUE(ofInspection.ok());
    QStringList tables;
    for (const Entry& e : *ofInspection)
        tables << e.table;
    EXPECT_EQ(tables, (QStringList{QStringLiteral("IGraphic"), QStringLiteral("IGraphic"),
                                   QStringLiteral("Thickness"), QStringLiteral("Inspection")}));
}

// Rows added in one batch have the history of rows added one by one: each its own entry, with
// its key, label, owners and values, texts with quotes, line breaks and accents kept whole.
TEST_P(HistoryTest, RowsAddedTogetherHaveTheHistoryOfRowsAddedOneByOne) {
    const QStringList fields{QStringLiteral("InspectionID"), QStringLiteral("PointID"),
                             QStringLiteral("Course"),       QStringLiteral("Reading"),
                             QStringLiteral("DateTaken"),    QStringLiteral("Checks")};
    const auto row = [&](int n) {
        return QVariantList{inspection_,
                            QStringLiteral("N\u00f6rd \"%1\"\\").arg(n),
                            2,
                            0.25 + n / 1000.0,
                            QStringLiteral("2024-03-05"),
                            n % 2 ? QVariant(QStringLiteral("thicker: a\nb\t\u0001")) : QVariant()};
    };
    ASSERT_TRUE(db_.insertRow(QStringLiteral("Thickness"), fields, row(1)).ok());
    const auto single = newEntries();
    std::vector<QVariantList> rows;
    for (int n = 1; n <= 450; ++n) // more than one statement's worth of history
        rows.push_back(row(n));
    auto added = db_.insertRows(QStringLiteral("Thickness"), fields, rows);
    ASSERT_TRUE(added.ok()) << added.error().toStdString();
    EXPECT_EQ(*added, 450);
    const auto batch = newEntries();
    ASSERT_EQ(single.size(), 1u);
    ASSERT_EQ(batch.size(), 450u);
    const Entry& first = batch.back(); // newest first: the first row added is last
    const auto withoutKey = [](std::vector<std::pair<QString, QString>> values) {
        values.erase(values.begin()); // ThicknessID
        return values;
    };
    EXPECT_EQ(withoutKey(first.values), withoutKey(single[0].values));
    EXPECT_EQ(first.values[2].second, QStringLiteral("N\u00f6rd \"1\"\\"));
    EXPECT_EQ(first.values.back(),
              std::pair(QStringLiteral("Checks"), QStringLiteral("thicker: a\nb\t\u0001")));
    EXPECT_EQ(first.rowLabel, single[0].rowLabel);
    EXPECT_EQ(first.tankId, tank_);
    EXPECT_EQ(first.inspectionId, inspection_);
    EXPECT_EQ(*first.rowKey, *single[0].rowKey + 1);
    EXPECT_EQ(*batch.front().rowKey, *single[0].rowKey + 450);
    EXPECT_EQ(batch.front().values[2].second, QStringLiteral("N\u00f6rd \"450\"\\"));

    // The stored text is the row as QJsonDocument writes it, escapes and all.
    auto stored =
        db_.firstValue(QStringLiteral("SELECT \"NewValue\" FROM \"History\" WHERE \"RowKey\" = ?"),
                       {*first.rowKey});
    ASSERT_TRUE(stored.ok());
    QJsonObject object;
    for (const auto& [name, value] : first.values)
        object.insert(name, value);
    EXPECT_EQ(stored->toString(),
              QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

// The rows of one owner go together, each kept in the history; rows of another owner stay.
TEST_P(HistoryTest, DeletingTheRowsOfAnOwnerKeepsEachInTheHistory) {
    const qint32 other = file_->add(QStringLiteral("Inspection"), {{"TankID", tank_}});
    for (const auto& [owner, point] :
         {std::pair{inspection_, "A-1"}, std::pair{other, "B-1"}, std::pair{inspection_, "A'2"}})
        file_->add(QStringLiteral("Thickness"), {{"InspectionID", owner}, {"PointID", point}});
    newEntries();

    auto gone =
        db_.deleteRows(QStringLiteral("Thickness"), QStringLiteral("InspectionID"), inspection_);
    ASSERT_TRUE(gone.ok()) << gone.error().toStdString();
    EXPECT_EQ(*gone, 2);
    EXPECT_EQ(file_->value(QStringLiteral("Thickness"), QStringLiteral("InspectionID"), other,
                           QStringLiteral("PointID")),
              QStringLiteral("B-1"));
    EXPECT_EQ(file_->count(QStringLiteral("Thickness")), 1);
    QStringList deleted;
    for (const Entry& e : newEntries())
        if (e.action == Action::Deleted && e.inspectionId == inspection_ && e.tankId == tank_)
            deleted << e.rowLabel;
    EXPECT_EQ(deleted, (QStringList{QStringLiteral("A'2"), QStringLiteral("A-1")}));
}

// A change that is not saved leaves no history: a transaction that fails after the row was
// written, and an edit of a row another user deleted meanwhile.
TEST_P(HistoryTest, FailedSaveWritesNothing) {
    Recordset rs = openTank();
    const Status failed = db_.transaction([&]() -> Status {
        if (auto s = rs.edit(); !s)
            return s;
        if (auto s = rs.setValue(QStringLiteral("Height"), 480); !s)
            return s;
        if (auto s = rs.update(); !s)
            return s;
        return Error{QStringLiteral("The course heights do not add up.")};
    });
    ASSERT_FALSE(failed.ok());
    EXPECT_FALSE(file_
                     ->value(QStringLiteral("Tank"), QStringLiteral("TankID"), tank_,
                             QStringLiteral("Height"))
                     .isValid());

    ASSERT_TRUE(db_.exec(QStringLiteral("DELETE FROM \"Tank\" WHERE \"TankID\" = ?"), {tank_}));
    rs.cancelUpdate();
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Height"), 480).ok());
    EXPECT_FALSE(rs.update().ok());
    EXPECT_TRUE(newEntries().empty());
}

// A database made before the history gains the table when it is opened, passes the database
// check, and from then on keeps the history; a change made to it before that makes the table
// in its own transaction.
TEST_P(HistoryTest, OlderDatabaseGainsTheTable) {
    ASSERT_TRUE(db_.exec(QStringLiteral("DROP TABLE \"History\"")).ok());
    auto none = history::readForTank(db_, tank_);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());

    Recordset rs = openTank();
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(rs.setValue(QStringLiteral("Product"), QStringLiteral("Diesel")).ok());
    ASSERT_TRUE(rs.update().ok());
    seen_ = 0;
    EXPECT_EQ(newEntries().size(), 1u);

    ASSERT_TRUE(db_.exec(QStringLiteral("DROP TABLE \"History\"")).ok());
    ASSERT_TRUE(history::ensureTable(db_).ok());
    ASSERT_TRUE(history::ensureTable(db_).ok()); // a second time changes nothing
    auto names = db_.tableNames();
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(names->count(QStringLiteral("History")), 1);
    if (!onServer()) {
        auto kind = checkDatabaseFile(file_->path());
        ASSERT_TRUE(kind.ok()) << kind.error().toStdString();
        EXPECT_EQ(*kind, DatabaseFileKind::Korvane);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, HistoryTest, test::AllEngines, test::engineName);

// Stored values as the history keeps them: shortest exact numbers, floats as floats, whole
// numbers without a fraction, Null as nothing.
TEST(HistoryText, StoredValuesAreShortAndExact) {
    using layout::FieldType;
    const struct {
        QVariant stored;
        FieldType type;
        const char* text;
    } cases[] = {
        {QVariant(0.1 + 0.2), FieldType::Double, "0.30000000000000004"},
        {QVariant(static_cast<double>(0.1F)), FieldType::Single, "0.1"},
        {QVariant(0.375), FieldType::Single, "0.375"},
        {QVariant(static_cast<double>(0.12345678F)), FieldType::Single, "0.12345678"},
        {QVariant(qlonglong{-32768}), FieldType::Int16, "-32768"},
        {QVariant(5.0), FieldType::Int32, "5"},
        {QVariant(qlonglong{1}), FieldType::Boolean, "1"},
        {QVariant(QStringLiteral("2024-03-05")), FieldType::Date, "2024-03-05"},
        {QVariant(QStringLiteral("not a number")), FieldType::Double, "not a number"},
        {QVariant(), FieldType::Text, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(history::storedText(c.stored, c.type), QLatin1String(c.text)) << c.text;
}

} // namespace
} // namespace korvane
