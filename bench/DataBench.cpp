// Reading every tank of one location holding 10,000 tanks: through the recordset layer (open
// the database, open the recordset, read every field of every row) against the bare SQLite
// query of the same rows reading every column, in the same process.

#include "RatioReporter.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

namespace {

using namespace korvane;

constexpr int TankCount = 10000;
constexpr int LocationID = 7;

QString benchDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("bench.mdb"));
        if (!Database::create(file))
            std::abort();
        auto db = Database::open(file);
        if (!db)
            std::abort();
        const Status filled = db->transaction([&]() -> Status {
            auto rs = db->openRecordset(Select::from(QStringLiteral("Tank")));
            if (!rs)
                return rs.takeError();
            for (int i = 0; i < TankCount; ++i) {
                if (auto s = rs->addNew(); !s)
                    return s;
                // Every field holds a value, as in a fully described tank.
                for (const QString& field : rs->fieldNames()) {
                    const auto type = rs->fieldType(field);
                    QVariant v;
                    switch (type) {
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
        });
        if (!filled)
            std::abort();
        return file;
    }();
    return path;
}

void BM_BareSqliteQuery(benchmark::State& state) {
    const QByteArray path = benchDatabase().toUtf8();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM Tank WHERE LocationID = ?", -1, &stmt, nullptr);
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
        if (rows != TankCount)
            state.SkipWithError("wrong row count");
    }
}

void BM_RecordsetRead(benchmark::State& state) {
    const QString path = benchDatabase();
    for (auto _ : state) {
        auto db = Database::open(path);
        auto rs = db->openRecordset(
            Select::from(QStringLiteral("Tank")).where(QStringLiteral("LocationID"), LocationID));
        if (!rs) {
            state.SkipWithError("recordset failed");
            break;
        }
        const QStringList fields = rs->fieldNames();
        long long rows = 0;
        qsizetype touched = 0;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            for (const QString& f : fields)
                touched += rs->value(f).isValid();
            ++rows;
        }
        benchmark::DoNotOptimize(touched);
        if (rows != TankCount)
            state.SkipWithError("wrong row count");
    }
}

BENCHMARK(BM_BareSqliteQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsetRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchDatabase(); // built once, outside the measured runs
    return korvane::bench::runWithRatios(argc, argv, {{"BM_RecordsetRead", "BM_BareSqliteQuery"}});
}
