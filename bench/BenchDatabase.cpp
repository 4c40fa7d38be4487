#include "BenchDatabase.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace korvane::bench {

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "cannot build the benchmark database: %s\n", qPrintable(why));
    std::exit(1);
}

Status addTanks(Database& db) {
    auto rs = db.openRecordset(Select::from(QStringLiteral("Tank")));
    if (!rs)
        return rs.takeError();
    for (int i = 0; i < TankCount; ++i) {
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
                v = LocationID;
            if (auto s = rs->setValue(field, v); !s)
                return s;
        }
        if (auto s = rs->update(); !s)
            return s;
    }
    return {};
}

} // namespace

QString benchDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("bench.mdb"));
        if (auto created = Database::create(file); !created)
            fail(created.error());
        auto db = Database::open(file);
        if (!db)
            fail(db.error());
        const Status filled = db->transaction([&]() -> Status {
            if (auto q = db->exec(QStringLiteral("INSERT INTO Company (CompanyID, Company) "
                                                 "VALUES (1, 'Bench Refining')"));
                !q)
                return q.takeError();
            if (auto q = db->exec(QStringLiteral("INSERT INTO Location (LocationID, CompanyID, "
                                                 "Location) VALUES (?, 1, 'Tank Farm')"),
                                  {LocationID});
                !q)
                return q.takeError();
            return addTanks(*db);
        });
        if (!filled)
            fail(filled.error());
        return file;
    }();
    return path;
}

long long bareQuery(const char* sql) {
    const QByteArray path = benchDatabase().toUtf8();
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
    sqlite3_bind_int(stmt, 1, LocationID);
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

} // namespace korvane::bench
