#include "BenchDatabase.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"
#include "data/ServerAddress.h"

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace korvane::bench {

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "cannot build the benchmark database: %s\n", qPrintable(why));
    std::exit(1);
}

Status addTanks(Database& db, int count, int location) {
    auto rs = db.openRecordset(Select::from(QStringLiteral("Tank")));
    if (!rs)
        return rs.takeError();
    for (int i = 0; i < count; ++i) {
        if (auto s = rs->addNew(); !s)
            return s;
        for (const QString& field : rs->fieldNames()) {
            QVariant v;
            switch (rs->fieldType(field)) {
            case layout::FieldType::Counter:
                continue;
            case layout::FieldType::Text:
            case layout::FieldType::LongText:
                v = QStringLiteral("%1 value of tank T-%2").arg(field).arg(i);
                break;
            case layout::FieldType::Date:
                v = QStringLiteral("15/Jun/2021");
                break;
            case layout::FieldType::Boolean:
                v = (i % 2) == 0;
                break;
            default:
                v = (i % 97) + 1;
            }
            if (field == QLatin1String("LocationID"))
                v = location;
            if (auto s = rs->setValue(field, v); !s)
                return s;
        }
        if (auto s = rs->update(); !s)
            return s;
    }
    return {};
}

// The company and its location (LocationID) the benchmark tanks stand at.
Status addCompanyAndLocation(Database& db) {
    // Names quoted, so that a server (which folds bare names to lower case) reads them too.
    if (auto q = db.exec(QStringLiteral("INSERT INTO \"Company\" (\"CompanyID\", \"Company\") "
                                        "VALUES (1, 'Bench Refining')"));
        !q)
        return q.takeError();
    if (auto q = db.exec(QStringLiteral("INSERT INTO \"Location\" (\"LocationID\", "
                                        "\"CompanyID\", \"Location\") VALUES (?, 1, 'Tank Farm')"),
                         {LocationID});
        !q)
        return q.takeError();
    return {};
}

// Runs one statement of the benchmark's own (its names as SQLite reads them), values bound.
Status execute(Database& db, const char* sql, const QVariantList& values = {}) {
    if (auto q = db.exec(QString::fromLatin1(sql), values); !q)
        return q.takeError();
    return {};
}

// A new, empty database of the layout, open.
Database newDatabase(const QString& file) {
    if (auto created = Database::create(file); !created)
        fail(created.error());
    auto db = Database::open(file);
    if (!db)
        fail(db.error());
    return std::move(db.value());
}

// Adds `perInspection` readings to each inspection (key and date), straight through SQLite.
void addReadings(const QString& file, const std::vector<std::pair<int, QDate>>& inspections,
                 int perInspection) {
    const QByteArray name = file.toUtf8();
    sqlite3* raw = nullptr;
    sqlite3_stmt* stmt = nullptr;
    bool ok =
        sqlite3_open_v2(name.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(raw,
                           "INSERT INTO Thickness (InspectionID, PointID, DateTaken, "
                           "TakenBy, Course, Reading) VALUES (?, ?, ?, 'UT tech', ?, ?)",
                           -1, &stmt, nullptr) == SQLITE_OK;
    for (std::size_t i = 0; ok && i < inspections.size(); ++i) {
        const auto& [inspection, day] = inspections[i];
        const QByteArray date = day.toString(Qt::ISODate).toLatin1();
        for (int p = 0; ok && p < perInspection; ++p) {
            const QByteArray point =
                QStringLiteral("P-%1").arg(p, 4, 10, QLatin1Char('0')).toLatin1();
            sqlite3_bind_int(stmt, 1, inspection);
            sqlite3_bind_text(stmt, 2, point.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 3, date.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(stmt, 4, 1 + p % 12);
            sqlite3_bind_double(stmt, 5, 0.2 + (p % 17) * 0.01 - static_cast<double>(i) * 0.0005);
            ok = sqlite3_step(stmt) == SQLITE_DONE && sqlite3_reset(stmt) == SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    ok = ok && sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        fail(QString::fromUtf8(sqlite3_errmsg(raw)));
    sqlite3_close(raw);
}

// The company, its location and TankCount tanks there, in one transaction.
void fillBenchDatabase(Database& db) {
    const Status filled = db.transaction([&]() -> Status {
        if (auto s = addCompanyAndLocation(db); !s)
            return s;
        return addTanks(db, TankCount, LocationID);
    });
    if (!filled)
        fail(filled.error());
}

} // namespace

QString benchDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("bench.mdb"));
        Database db = newDatabase(file);
        fillBenchDatabase(db);
        return file;
    }();
    return path;
}

long long bareQuery(const char* sql) {
    return bareQuery(benchDatabase(), sql, LocationID);
}

long long bareQuery(const QString& database, const char* sql, long long parameter) {
    const QByteArray path = database.toUtf8();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_bind_int64(stmt, 1, parameter);
    long long rows = 0;
    double sum = 0;
    std::size_t textBytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                sum += static_cast<double>(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                sum += sqlite3_column_double(stmt, c);
                break;
            case SQLITE_TEXT:
                sqlite3_column_text(stmt, c);
                textBytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, c));
                break;
            default:
                break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(textBytes);
    return rows;
}

QString readingsDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("readings.mdb"));
        Database db = newDatabase(file);
        const Status filled = db.transaction([&]() -> Status {
            const auto run = [&](const char* sql, const QVariantList& values = {}) {
                return execute(db, sql, values);
            };
            Status s = run("INSERT INTO Company (CompanyID, Company) VALUES (1, 'Bench')");
            if (s)
                s = run("INSERT INTO Location (LocationID, CompanyID, Location) VALUES (1, 1, "
                        "'Farm')");
            if (s)
                s = run("INSERT INTO Tank (TankID, LocationID, Name, Courses, Course1_Min, "
                        "Course2_Min, Course3_Min, Course4_Min) VALUES (?, 1, 'T-1', 4, 0.3, "
                        "0.28, 0.25, 0.2)",
                        {ReadingsTankID});
            if (s)
                s = run("INSERT INTO Tank (TankID, LocationID, Name) VALUES (9, 1, 'T-9')");
            // Inspections of another tank, interleaved, so the query must pick by tank.
            for (int i = 1; s && i <= InspectionCount; ++i) {
                s = run("INSERT INTO Inspection (InspectionID, TankID, InspectionNum, "
                        "InspectionDate) VALUES (?, ?, ?, ?)",
                        {2 * i - 1, ReadingsTankID, QStringLiteral("I-%1").arg(i),
                         QDate(1990, 1, 1).addMonths(i).toString(Qt::ISODate)});
                if (s)
                    s = run("INSERT INTO Inspection (InspectionID, TankID, InspectionNum) VALUES "
                            "(?, 9, 'other')",
                            {2 * i});
            }
            return s;
        });
        if (!filled)
            fail(filled.error());
        // The readings go in through SQLite itself, for speed.
        std::vector<std::pair<int, QDate>> inspections;
        for (int i = 1; i <= InspectionCount; ++i)
            inspections.emplace_back(2 * i - 1, QDate(1990, 1, 1).addMonths(i));
        addReadings(file, inspections, ReadingsPerInspection);
        return file;
    }();
    return path;
}

namespace {

// An inspection of a tank, numbered after its key.
Status addInspection(Database& db, int id, int tank, const QDate& date) {
    auto q = db.exec(QStringLiteral("INSERT INTO Inspection (InspectionID, TankID, InspectionNum, "
                                    "InspectionDate, InspectionType) VALUES (?, ?, ?, ?, 4)"),
                     {id, tank, QStringLiteral("I-%1").arg(id), date.toString(Qt::ISODate)});
    if (!q)
        return q.takeError();
    return {};
}

} // namespace

QString importPointId(int i) {
    return QStringLiteral("C%1-%2").arg(i % 3 + 1).arg(i, 5, 10, QLatin1Char('0'));
}

QString importDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("import.mdb"));
        Database db = newDatabase(file);
        const Status filled = db.transaction([&]() -> Status {
            const auto run = [&](const char* sql, const QVariantList& values = {}) {
                return execute(db, sql, values);
            };
            Status s = addCompanyAndLocation(db);
            if (s)
                s = run("INSERT INTO Tank (TankID, LocationID, Name, Courses, Course1_Min, "
                        "Course2_Min, Course3_Min) VALUES (?, ?, 'T-1', 3, 0.3, 0.28, 0.25)",
                        {ImportTankID, LocationID});
            for (int id : {1, ImportInspectionID})
                if (s)
                    s = addInspection(db, id, ImportTankID, QDate(2021, 3, 1));
            for (int i = 0; s && i < ImportReadingCount; ++i)
                s = run("INSERT INTO Thickness (InspectionID, PointID, Course, Reading, "
                        "DateTaken, TakenBy) VALUES (1, ?, ?, 0.4, '2021-03-01', 'R. Diaz')",
                        {importPointId(i), i % 3 + 2});
            return s;
        });
        if (!filled)
            fail(filled.error());
        return file;
    }();
    return path;
}

QString reportDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("report.mdb"));
        Database db = newDatabase(file);
        std::vector<std::pair<int, QDate>> inspections;
        const Status filled = db.transaction([&]() -> Status {
            if (auto s = addCompanyAndLocation(db); !s)
                return s;
            if (auto s = addTanks(db, ReportTankCount, LocationID); !s)
                return s;
            for (int tank = 1; tank <= ReportTankCount; ++tank) {
                for (int k = 0; k < InspectionsPerTank; ++k) {
                    const int id = (tank - 1) * InspectionsPerTank + k + 1;
                    const QDate date = QDate(2000, 1, 1).addYears(2 * k);
                    inspections.emplace_back(id, date);
                    if (auto added = addInspection(db, id, tank, date); !added)
                        return added;
                }
            }
            return {};
        });
        if (!filled)
            fail(filled.error());
        addReadings(file, inspections, ReadingsPerReportInspection);
        return file;
    }();
    return path;
}

QString fleetDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("fleet.mdb"));
        Database db = newDatabase(file);
        std::vector<std::pair<int, QDate>> inspections;
        const Status filled = db.transaction([&]() -> Status {
            if (auto s = addCompanyAndLocation(db); !s)
                return s;
            if (auto s = addTanks(db, FleetTankCount, LocationID); !s)
                return s;
            for (int tank = 1; tank <= FleetTankCount; ++tank) {
                for (int k = 0; k < FleetInspectionsPerTank; ++k) {
                    const int id = (tank - 1) * FleetInspectionsPerTank + k + 1;
                    const QDate date = QDate(2012, 1, 1).addYears(6 * k).addDays(tank % 300);
                    inspections.emplace_back(id, date);
                    if (auto added = addInspection(db, id, tank, date); !added)
                        return added;
                }
                if (tank % 10 != 0)
                    continue;
                QStringList fields{QStringLiteral("InspectionID"), QStringLiteral("SurveyPoints")};
                QVariantList values{tank * FleetInspectionsPerTank, 24};
                for (int i = 1; i <= 24; ++i) {
                    fields << QStringLiteral("Point%1_Settle").arg(i, 2, 10, QLatin1Char('0'));
                    values << 1.0 + 0.5 * std::cos(i * 0.2618) + (i == 7 ? -0.3 : 0.0);
                }
                if (auto q = db.exec(
                        QStringLiteral("INSERT INTO ShellSurvey (%1) VALUES (%2)")
                            .arg(fields.join(u','),
                                 QStringList(fields.size(), QStringLiteral("?")).join(u',')),
                        values);
                    !q)
                    return q.takeError();
            }
            return {};
        });
        if (!filled)
            fail(filled.error());
        addReadings(file, inspections, FleetReadingsPerInspection);
        return file;
    }();
    return path;
}

namespace {

struct ServerConnectionCloser {
    void operator()(PGconn* conn) const { PQfinish(conn); }
};
using ServerConnection = std::unique_ptr<PGconn, ServerConnectionCloser>;

struct ServerResultClearer {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ServerResult = std::unique_ptr<PGresult, ServerResultClearer>;

// The server benchmark database and the connection bareServerQuery keeps open to it.
struct ServerBench {
    QString name; // empty until the database is made, and again once it is dropped
    ServerConnection bare;
};

ServerBench& serverBench() {
    static ServerBench state;
    return state;
}

// A libpq connection to the database of url, with the password remembered for it if any; null
// after saying why on stderr.
ServerConnection connectServer(const QString& url) {
    const QByteArray name = url.toUtf8();
    const QByteArray password = server::rememberedPassword(url).toUtf8();
    std::vector<const char*> keys{"dbname", "client_encoding"};
    std::vector<const char*> values{name.constData(), "UTF8"};
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    ServerConnection conn(PQconnectdbParams(keys.data(), values.data(), 1));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        std::fprintf(stderr, "cannot connect to %s: %s\n", qPrintable(url),
                     PQerrorMessage(conn.get()));
        return nullptr;
    }
    // "database ... does not exist, skipping" and the like would only clutter the output.
    PQsetNoticeProcessor(
        conn.get(), [](void*, const char*) {}, nullptr);
    return conn;
}

// Runs one statement on the maintenance database naming the benchmark database; the server's
// words when it fails.
QString onMaintenance(const QByteArray& before, const QByteArray& after) {
    ServerConnection conn = connectServer(benchServer());
    if (!conn)
        return QStringLiteral("cannot connect to the bench server");
    const QByteArray name = serverBench().name.toUtf8();
    char* quoted =
        PQescapeIdentifier(conn.get(), name.constData(), static_cast<std::size_t>(name.size()));
    if (!quoted)
        return QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
    const QByteArray sql = before + quoted + after;
    PQfreemem(quoted);
    const ServerResult result(PQexec(conn.get(), sql.constData()));
    return PQresultStatus(result.get()) == PGRES_COMMAND_OK
               ? QString()
               : QString::fromUtf8(PQresultErrorMessage(result.get())).trimmed();
}

// Drops the server benchmark database, at the end of the program. The program's own kept
// connections and the bare query's are closed first; WITH (FORCE) ends any other.
void dropServerBenchDatabase() {
    ServerBench& state = serverBench();
    if (state.name.isEmpty())
        return;
    server::closeIdleConnections();
    state.bare.reset();
    if (const QString why = onMaintenance("DROP DATABASE IF EXISTS ", " WITH (FORCE)");
        !why.isEmpty())
        std::fprintf(stderr, "cannot drop the server benchmark database %s: %s\n",
                     qPrintable(state.name), qPrintable(why));
    state.name.clear();
}

} // namespace

QString benchServer() {
    return qEnvironmentVariable("KORVANE_TEST_SERVER");
}

bool withBenchServer() {
    if (!benchServer().isEmpty())
        return true;
    std::fprintf(stderr, "KORVANE_TEST_SERVER is not set: the server benchmarks are left out "
                         "(scripts/test-server starts a server).\n");
    return false;
}

QString serverBenchDatabase() {
    static const QString url = [] {
        auto address = server::parse(benchServer());
        if (!address)
            fail(address.error());
        const QString password = server::rememberedPassword(server::url(*address));
        ServerBench& state = serverBench();
        state.name = QStringLiteral("korvane_bench_%1").arg(QCoreApplication::applicationPid());
        // One left over from an earlier run of the same process id that did not end cleanly.
        if (const QString why = onMaintenance("DROP DATABASE IF EXISTS ", " WITH (FORCE)");
            !why.isEmpty())
            fail(why);
        if (const QString why = onMaintenance("CREATE DATABASE ", ""); !why.isEmpty()) {
            state.name.clear();
            fail(why);
        }
        // The connection pool is brought into being before the drop is registered, so that it
        // still exists when the drop runs at exit (exit handlers and statics end in reverse
        // order).
        server::closeIdleConnections();
        std::atexit(dropServerBenchDatabase);
        address->database = state.name;
        const QString database = server::url(*address);
        if (!password.isEmpty())
            server::rememberPassword(database, password);

        if (auto created = Database::create(database); !created)
            fail(created.error());
        auto db = Database::open(database);
        if (!db)
            fail(db.error());
        fillBenchDatabase(*db);
        // Statistics for the planner, as a database in use has them.
        if (auto analyzed = db->exec(QStringLiteral("ANALYZE")); !analyzed)
            fail(analyzed.error());
        return database;
    }();
    return url;
}

long long bareServerQuery(const char* sql) {
    ServerBench& state = serverBench();
    if (!state.bare)
        state.bare = connectServer(serverBenchDatabase());
    if (!state.bare)
        return -1;
    const QByteArray location = QByteArray::number(LocationID);
    const char* const values[] = {location.constData()};
    const ServerResult result(
        PQexecParams(state.bare.get(), sql, 1, nullptr, values, nullptr, nullptr, 0));
    const PGresult* r = result.get();
    if (PQresultStatus(r) != PGRES_TUPLES_OK)
        return -1;
    const int rows = PQntuples(r);
    const int columns = PQnfields(r);
    std::size_t textBytes = 0;
    unsigned firstBytes = 0;
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(r, row, c))
                continue;
            const char* text = PQgetvalue(r, row, c);
            textBytes += static_cast<std::size_t>(PQgetlength(r, row, c));
            firstBytes += static_cast<unsigned char>(text[0]);
        }
    }
    benchmark::DoNotOptimize(textBytes);
    benchmark::DoNotOptimize(firstBytes);
    return rows;
}

} // namespace korvane::bench
