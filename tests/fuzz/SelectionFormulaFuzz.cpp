#include "data/Layout.h"
#include "reports/SelectionFormula.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sqlite3.h>

namespace {

// An empty database of the program's layout in memory, for proving that every condition the
// parser lets through is one SQLite accepts.
sqlite3* database = nullptr;

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    check(sqlite3_open(":memory:", &database) == SQLITE_OK);
    for (const auto& table : korvane::layout::tables())
        check(sqlite3_exec(database, korvane::layout::createTableSql(table).toUtf8().constData(),
                           nullptr, nullptr, nullptr) == SQLITE_OK);
    return 0;
}

// Reads any bytes as a selection formula. A refusal must say what and where; a condition must
// read the same twice, bind one value for each ?, name only tables of the layout, each once,
// and prepare and run inside a subquery of the kind the report engine wraps it in.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString formula =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto selection = korvane::reports::parseSelection(formula);
    if (!selection) {
        check(selection.error().endsWith(u'.'));
        return 0;
    }
    const auto again = korvane::reports::parseSelection(formula);
    check(again && again->sql == selection->sql && again->bindings == selection->bindings &&
          again->tables == selection->tables);
    if (selection->isEmpty()) {
        check(selection->bindings.isEmpty() && selection->tables.isEmpty());
        return 0;
    }
    check(!selection->tables.isEmpty());
    QStringList from;
    for (const QString& table : selection->tables) {
        check(korvane::layout::table(table) && korvane::layout::table(table)->name == table);
        check(selection->tables.count(table) == 1);
        from << QLatin1Char('"') + table + QLatin1Char('"');
    }

    const QByteArray sql = (QLatin1String("SELECT 1 FROM \"Tank\" WHERE \"TankID\" IN "
                                          "(SELECT 1 FROM ") +
                            from.join(QLatin1String(", ")) + QLatin1String(" WHERE (") +
                            selection->sql + QLatin1String(") AND 1 = ?)"))
                               .toUtf8();
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(database, sql.constData(), static_cast<int>(sql.size()), &statement,
                             nullptr) == SQLITE_OK);
    check(sqlite3_bind_parameter_count(statement) == selection->bindings.size() + 1);
    int index = 1;
    for (const QVariant& value : selection->bindings) {
        int rc = SQLITE_ERROR;
        if (value.typeId() == QMetaType::LongLong)
            rc = sqlite3_bind_int64(statement, index, value.toLongLong());
        else if (value.typeId() == QMetaType::Double)
            rc = sqlite3_bind_double(statement, index, value.toDouble());
        else if (value.typeId() == QMetaType::QString) {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(statement, index, text.constData(),
                                   static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        check(rc == SQLITE_OK);
        ++index;
    }
    check(sqlite3_bind_int64(statement, index, 1) == SQLITE_OK);
    check(sqlite3_step(statement) == SQLITE_DONE);
    sqlite3_finalize(statement);
    return 0;
}
