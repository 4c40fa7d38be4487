#include "access/AccessImport.h"

#include "common/DateText.h"
#include "data/DatabaseCheck.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane::access {
namespace {

using namespace Qt::StringLiterals;

const QString jet3File = QStringLiteral(KORVANE_ACCESS_TESTDATA "/nwind.mdb");
const QString jet4File = QStringLiteral(KORVANE_ACCESS_TESTDATA "/DateTestDatabase.mdb");

QString runMdbTool(const QString& tool, const QStringList& args) {
    const QString program = QStandardPaths::findExecutable(tool);
    EXPECT_FALSE(program.isEmpty()) << qPrintable(tool) << " is missing (package mdbtools)";
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(60000)) << qPrintable(tool);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// mdb-export's CSV as rows of cells, a quoted cell marked "Q:" and a bare one "U:".
std::vector<QStringList> parseCsv(const QString& csv) {
    static const QRegularExpression cell(uR"(("(?:[^"]++|"")*+"|[^,\n"]*+)([,\n]))"_s);
    std::vector<QStringList> rows(1);
    for (const auto& m : cell.globalMatch(csv)) {
        const QString text = m.captured(1);
        rows.back() << (text.startsWith(u'"')
                            ? u"Q:"_s + text.mid(1, text.size() - 2).replace(u"\"\""_s, u"\""_s)
                            : u"U:"_s + text);
        if (m.captured(2) == u"\n"_s)
            rows.emplace_back();
    }
    rows.pop_back();
    return rows;
}

// mdb-export converts dates from 30 Dec 1899 to a million days on; others it prints as day 0.
bool mdbExportPrintsDate(const QDateTime& t) {
    const qint64 days = QDate(1899, 12, 30).daysTo(t.date());
    return days >= 0 && days <= 1000000;
}

// A value as mdb-export prints it with the options of the test below; booleans as 1 and 0.
QString asExported(const QVariant& v, ColumnKind kind) {
    using enum ColumnKind;
    if (!v.isValid() || (v.typeId() == QMetaType::QString && v.toString().isEmpty()))
        return u"U:"_s;
    if (kind == DateTime)
        return mdbExportPrintsDate(v.toDateTime())
                   ? u"Q:"_s + v.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss")
                   : u"Q:1900-01-00 00:00:00"_s;
    if (kind == Binary)
        return u"Q:"_s + QString::fromLatin1(v.toByteArray().toHex().toUpper());
    if (kind == Text || kind == Memo || kind == Guid)
        return u"Q:"_s + v.toString();
    if (kind == Single || kind == Double || kind == Decimal)
        return QString::asprintf(kind == Single ? "U:%.8g" : "U:%.16g", v.toDouble());
    if (kind == Currency)
        return u"U:"_s + QString::number(v.toDouble(), 'f', 4);
    return u"U:"_s + QString::number(v.toLongLong());
}

class AccessFileReads : public testing::TestWithParam<QString> {};

// Every table, column and value of the file as mdb-export prints them; OLE objects as the
// hexadecimal of -b hex.
TEST_P(AccessFileReads, EveryTableAndValueAsMdbExportPrintsIt) {
    const QByteArray before = test::fileBytes(GetParam());
    auto file = AccessFile::open(GetParam());
    ASSERT_TRUE(file.ok()) << file.error().toStdString();
    auto tables = (*file)->tableNames();
    ASSERT_TRUE(tables.ok());
    EXPECT_EQ(*tables,
              runMdbTool(u"mdb-tables"_s, {u"-1"_s, GetParam()}).split(u'\n', Qt::SkipEmptyParts));
    const QString dates = u"%Y-%m-%d %H:%M:%S"_s;
    qint64 values = 0;
    for (const QString& table : *tables) {
        const auto exported =
            parseCsv(runMdbTool(u"mdb-export"_s, {u"-D"_s, dates, u"-T"_s, dates, u"-b"_s, u"hex"_s,
                                                  GetParam(), table}));
        auto columns = (*file)->columns(table);
        ASSERT_TRUE(columns.ok() && !exported.empty());
        QStringList header;
        for (const auto& c : *columns)
            header << u"U:"_s + c.name;
        EXPECT_EQ(exported.front(), header);
        std::size_t row = 1;
        const Status read = (*file)->readRows(table, [&](const QVariantList& rowValues) -> Status {
            QStringList cells;
            for (qsizetype i = 0; i < rowValues.size(); ++i)
                cells << asExported(rowValues[i], (*columns)[static_cast<std::size_t>(i)].kind);
            EXPECT_EQ(cells, row < exported.size() ? exported[row] : QStringList())
                << qPrintable(table) << " row " << row;
            ++row;
            values += rowValues.size();
            return {};
        });
        EXPECT_TRUE(read.ok()) << read.error().toStdString();
        EXPECT_EQ(row, exported.size()) << qPrintable(table);
    }
    EXPECT_GT(values, 0);
    file->reset();
    EXPECT_EQ(test::fileBytes(GetParam()), before);
}

INSTANTIATE_TEST_SUITE_P(Jet3AndJet4, AccessFileReads, testing::Values(jet3File, jet4File));

// The rows of the Jet 4 file whose dates mdb-export cannot print tell their years in a memo:
// "Year 9999", "Pre-1900 years", "Pre-1000 years".
TEST(AccessFile, DatesMdbExportCannotPrintReadAsTheirRowsDescribe) {
    auto file = AccessFile::open(jet4File);
    ASSERT_TRUE(file.ok()) << file.error().toStdString();
    int checked = 0;
    const Status read = (*file)->readRows(u"DateTest"_s, [&](const QVariantList& row) -> Status {
        const QString said = row.at(4).toString();
        for (int column = 1; column <= 3; ++column) {
            const QDateTime t = row.at(column).toDateTime();
            if (mdbExportPrintsDate(t) || !++checked)
                continue;
            if (said.startsWith(u"Year "_s))
                EXPECT_EQ(t.date().year(), said.mid(5).toInt()) << qPrintable(said);
            else
                EXPECT_LT(t.date().year(), said.mid(4, 4).toInt()) << qPrintable(said);
        }
        return {};
    });
    EXPECT_TRUE(read.ok() && checked > 0);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// Tables made in the test; reading fails after the first row of failAfter.
struct MemorySource : TableSource {
    struct Table {
        QString name;
        std::vector<SourceColumn> columns;
        std::vector<QVariantList> rows;
    };
    std::vector<Table> tables;
    QString failAfter;
    std::vector<LinkedTable> links;

    std::vector<LinkedTable> linkedTables() override { return links; }
    Result<QStringList> tableNames() override {
        QStringList names;
        for (const auto& t : tables)
            names << t.name;
        return names;
    }
    Result<std::vector<SourceColumn>> columns(const QString& name) override {
        return find(name).columns;
    }
    Status readRows(const QString& name, const RowHandler& each) override {
        for (const QVariantList& row : find(name).rows)
            if (Status status = each(row); !status || name == failAfter)
                return status ? Status(Error{u"The disk was removed."_s}) : status;
        return {};
    }
    Table& find(const QString& name) {
        return *std::find_if(tables.begin(), tables.end(), [&](auto& t) { return t.name == name; });
    }
};

const QString memo = u"Ölwanne geprüft – Boden\r\nzweite Zeile, «Riß» ✓\n"_s.repeated(5000);
const QDateTime lastInspected(QDate(2001, 3, 5), QTime(14, 30), Qt::UTC);
constexpr int tankKey = 41;

// A plant with names in other letter cases, and a field and a table our layout lacks.
MemorySource plantSource() {
    using K = ColumnKind;
    MemorySource s;
    s.tables = {
        {u"COMPANY"_s,
         {{u"companyid"_s, K::LongInteger}, {u"Company"_s, K::Text}, {u"Founded"_s, K::DateTime}},
         {{7, u"Gulf Storage"_s, lastInspected}, {12, u"Delta Terminals"_s, QVariant()}}},
        {u"location"_s,
         {{u"LocationID"_s, K::LongInteger},
          {u"CompanyID"_s, K::LongInteger},
          {u"LOCATION"_s, K::Text}},
         {{3, 12, u"North Farm"_s}}},
        {u"Tank"_s,
         {{u"TankID"_s, K::LongInteger},
          {u"LocationID"_s, K::LongInteger},
          {u"Comments"_s, K::Memo},
          {u"externallast"_s, K::DateTime},
          {u"Course1_Height"_s, K::Integer}},
         {{tankKey, 3, memo, lastInspected, 8}}},
        {u"Preferences"_s,
         {{u"USUnits"_s, K::Boolean}, {u"Custom1_Label"_s, K::Text}},
         {{false, u"Inspector"_s}}},
        {u"Switchboard Items"_s, {{u"ItemNumber"_s, K::Integer}}, {{1}}},
    };
    return s;
}

TEST(AccessImport, CopiesOurTablesKeepingKeysDatesAndWholeTexts) {
    test::TempDir dir;
    const QString target = dir.filePath(u"plant.mdb"_s);
    MemorySource source = plantSource();
    const auto report = importTables(source, target);
    ASSERT_TRUE(report.ok()) << report.error().toStdString();
    EXPECT_EQ(report->tablesLeftOut, QStringList{u"Switchboard Items"_s});
    EXPECT_EQ(report->fieldsLeftOut, QStringList{u"COMPANY.Founded"_s});
    QStringList imported;
    for (const auto& t : report->imported)
        imported << u"%1:%2"_s.arg(t.name).arg(t.rows);
    EXPECT_EQ(imported.join(u' '), u"Company:2 Location:1 Preferences:1 Tank:1"_s);
    EXPECT_TRUE(report->text().contains(u"COMPANY.Founded"_s) &&
                report->text().contains(u"Switchboard Items"_s));
    EXPECT_EQ(filesIn(dir.path()), QStringList{u"plant.mdb"_s});

    EXPECT_EQ(checkDatabaseFile(target).value(), DatabaseFileKind::Korvane);
    auto db = Database::open(target, Database::Check::Integrity);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    const auto field = [&](const QString& table, const QString& name, int row = 0) {
        auto rs = db->openRecordset(Select::from(table));
        EXPECT_TRUE(rs.ok());
        rs->setAbsolutePosition(row);
        return rs->value(name);
    };
    EXPECT_EQ(field(u"Company"_s, u"CompanyID"_s, 1), 12);
    EXPECT_EQ(field(u"Location"_s, u"CompanyID"_s), 12);
    EXPECT_EQ(field(u"Tank"_s, u"Comments"_s), memo);
    EXPECT_EQ(field(u"Tank"_s, u"ExternalLast"_s), formatDate(lastInspected.date()));
    EXPECT_EQ(db->recordCount(u"Preferences"_s).value(), 1);
    EXPECT_EQ(field(u"Preferences"_s, u"USUnits"_s), false);
    auto tanks = db->openRecordset(Select::from(u"Tank"_s));
    ASSERT_TRUE(tanks.ok() && tanks->addNew().ok());
    EXPECT_EQ(tanks->value(u"TankID"_s), tankKey + 1);
}

// Tank comes after Company, Location and Preferences, which are written by then.
TEST(AccessImport, AFailureHalfWayLeavesNoFile) {
    const QVariantList good = plantSource().find(u"Tank"_s).rows[0];
    QVariantList noDate = good, tooShort = good;
    noDate[3] = u"next spring"_s;
    tooShort.removeLast();
    QVariantList damagedText = good;
    damagedText[3] = QString(QChar(0)) + u"next\nspring"_s;
    const struct {
        QString said;
        std::vector<QVariantList> tanks;
        QString failAfter;
    } cases[] = {
        {u"70000"_s, {good, {tankKey + 1, 3, QString(), QVariant(), 70000}}, {}},
        {u"next spring"_s, {noDate}, {}},
        {u"TankID 41"_s, {good, good}, {}},
        {u"has 4 fields"_s, {tooShort}, {}},
        // Rows are named by key, and a damaged text is shown whole, its control characters
        // (a zero among them) marked rather than cutting the message short.
        {u"The record with TankID 41 of the table Tank cannot be stored: "
         u"\"\uFFFDnext\uFFFDspring\" "
         "is not a date"_s,
         {damagedText},
         {}},
        {u"disk was removed"_s, {good}, u"Tank"_s},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        MemorySource source = plantSource();
        source.find(u"Tank"_s).rows = c.tanks;
        source.failAfter = c.failAfter;
        const auto report = importTables(source, dir.filePath(u"plant.mdb"_s));
        ASSERT_FALSE(report.ok()) << qPrintable(c.said);
        EXPECT_TRUE(report.error().contains(c.said)) << report.error().toStdString();
        EXPECT_TRUE(filesIn(dir.path()).isEmpty()) << qPrintable(c.said);
    }
}

// What is stored otherwise than read, or left out, is listed in the report: numbers rounded into
// whole-number fields, blank texts in fields of other kinds, USUnits added to a Preferences
// table from before the choice of units (as US units, as opening such a database does), a table
// of ours none of whose fields match, a linked table of no use.
TEST(AccessImport, ReportListsWhatWasChangedOrLeftOut) {
    using K = ColumnKind;
    MemorySource source = plantSource();
    auto& tank = source.find(u"Tank"_s);
    tank.columns.push_back({u"Capacity"_s, K::Text});
    tank.rows = {tank.rows[0] << u"  "_s, {tankKey + 1, 3, QString(), QVariant(), 8.6, u"1200"_s}};
    source.find(u"Preferences"_s) = {
        u"Preferences"_s, {{u"Custom1_Label"_s, K::Text}}, {{u"Inspector"_s}}};
    source.tables.push_back({u"Thickness"_s,
                             {{u"Value"_s, K::Double}, {u"Spot"_s, K::Text}},
                             {{0.25, u"A"_s}, {0.3, u"B"_s}}});
    source.links = {{u"Switchboard Links"_s, uR"(C:\Plant\plant_be.mdb)"_s}};
    test::TempDir dir;
    const QString target = dir.filePath(u"plant.mdb"_s);
    const auto report = importTables(source, target);
    ASSERT_TRUE(report.ok()) << report.error().toStdString();
    EXPECT_EQ(report->text(), uR"(Imported:
  Company: 2 records
  Location: 1 record
  Preferences: 1 record
  Tank: 2 records
Stored otherwise than in the old database:
  Preferences.USUnits: not in the old database, so set to US units
  Tank.Course1_Height: 1 number rounded to whole numbers
  Tank.Capacity: 1 empty text stored as no value
Left out: the table Thickness (2 records), as none of its fields is a field of that table in a Korvane 2000 database.
Not imported, as a Korvane 2000 database has no place for them:
  table Switchboard Links (a link to a table of C:\Plant\plant_be.mdb)
  table Switchboard Items
  field COMPANY.Founded)"_s);

    auto db = Database::open(target);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    auto prefs = db->openRecordset(Select::from(u"Preferences"_s));
    ASSERT_TRUE(prefs.ok() && prefs->recordCount() == 1);
    EXPECT_EQ(prefs->value(u"USUnits"_s), true);
    EXPECT_EQ(prefs->value(u"Custom1_Label"_s), u"Inspector"_s);
    auto tanks = db->openRecordset(Select::from(u"Tank"_s).orderBy(u"TankID"_s));
    ASSERT_TRUE(tanks.ok() && tanks->recordCount() == 2);
    EXPECT_FALSE(tanks->value(u"Capacity"_s).isValid());
    tanks->moveNext();
    EXPECT_EQ(tanks->value(u"Course1_Height"_s), 9);
    EXPECT_EQ(tanks->value(u"Capacity"_s), 1200.0);
    EXPECT_EQ(db->recordCount(u"Thickness"_s).value(), 0);
}

// A front-end file whose tables of ours are links is refused, naming the file that holds the
// records.
TEST(AccessImport, LinkedTablesOfOursNameTheFileToImport) {
    MemorySource source = plantSource();
    source.links = {{u"Inspection"_s, uR"(C:\Plant\plant_be.mdb)"_s},
                    {u"TML"_s, uR"(C:\Plant\plant_be.mdb)"_s}};
    test::TempDir dir;
    const auto report = importTables(source, dir.filePath(u"plant.mdb"_s));
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(
        report.error(),
        uR"(The tables Inspection, TML of the old database are links to tables of C:\Plant\plant_be.mdb; their records are kept there, not in this file. Import C:\Plant\plant_be.mdb instead. Nothing was imported.)"_s);
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}

} // namespace
} // namespace korvane::access
