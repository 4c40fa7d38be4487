#include "support/DamagedFile.h"

#include "data/Recordset.h"
#include "data/Select.h"

#include <QFile>

#include <sqlite3.h>
#include <vector>

namespace korvane::test {

namespace {

// The page size and the root page of a table, read through SQLite itself.
Result<std::pair<int, int>> pageSizeAndRoot(const QString& path, const QString& table) {
    sqlite3* db = nullptr;
    const QByteArray file = path.toUtf8();
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return Error{QStringLiteral("%1 cannot be opened").arg(path)};
    }
    const auto first = [db](const QByteArray& sql, const QByteArray& bound) {
        sqlite3_stmt* stmt = nullptr;
        int value = 0;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
            if (!bound.isEmpty())
                sqlite3_bind_text(stmt, 1, bound.constData(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW)
                value = sqlite3_column_int(stmt, 0);
        }
        sqlite3_finalize(stmt);
        return value;
    };
    const int pageSize = first("PRAGMA page_size", {});
    const int root = first("SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = ?",
                           table.toUtf8());
    sqlite3_close(db);
    if (pageSize <= 0 || root <= 0)
        return Error{QStringLiteral("%1 has no table %2").arg(path, table)};
    return std::pair{pageSize, root};
}

// Steps through every row of the table: the rows read, and whether the read ended in an error.
std::pair<int, bool> plainRead(const QString& path, const QString& table) {
    sqlite3* db = nullptr;
    const QByteArray file = path.toUtf8();
    int rows = 0;
    int rc = SQLITE_ERROR;
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + '"';
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                ++rows;
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return {rows, rc != SQLITE_DONE};
}

quint32 bigEndian(const QByteArray& bytes, qsizetype at, int width) {
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

} // namespace

Result<int> damageMiddleOfTable(const QString& path, const QString& table) {
    auto layout = pageSizeAndRoot(path, table);
    if (!layout)
        return layout.takeError();
    const auto [pageSize, root] = *layout;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Error{file.errorString()};
    const qint64 rootAt = static_cast<qint64>(root - 1) * pageSize;
    if (!file.seek(rootAt))
        return Error{file.errorString()};
    const QByteArray page = file.read(pageSize);
    const qsizetype header = root == 1 ? 100 : 0; // page 1 begins with the file header
    constexpr char InteriorTablePage = 0x05;
    if (page.size() != pageSize || page.at(header) != InteriorTablePage)
        return Error{QStringLiteral("%1 has too few rows to span pages").arg(table)};
    // The children of the root: the page number at the start of each cell, then the rightmost.
    std::vector<quint32> children;
    const auto cells = static_cast<int>(bigEndian(page, header + 3, 2));
    for (int i = 0; i < cells; ++i)
        children.push_back(bigEndian(page, bigEndian(page, header + 12 + 2 * i, 2), 4));
    children.push_back(bigEndian(page, header + 8, 4));
    const quint32 middle = children[children.size() / 2];
    if (!file.seek(static_cast<qint64>(middle - 1) * pageSize) ||
        file.write(QByteArray(pageSize, '\0')) != pageSize || !file.flush())
        return Error{file.errorString()};
    file.close();
    const auto [rows, failed] = plainRead(path, table);
    if (!failed)
        return Error{QStringLiteral("the damaged %1 still reads to its end").arg(table)};
    return rows;
}

qint32 addTankWithLongHistory(const TestDatabase& file) {
    const qint32 tank = file.addTank(
        file.addLocation(file.addCompany(QStringLiteral("Acme")), QStringLiteral("Farm")),
        QStringLiteral("T-1"));
    Database db = file.open();
    auto rs = db.openRecordset(
        Select::from(QStringLiteral("Tank")).where(QStringLiteral("TankID"), tank));
    EXPECT_TRUE(rs.ok());
    for (int i = 0; rs.ok() && i < 80; ++i) {
        EXPECT_TRUE(rs->edit().ok());
        EXPECT_TRUE(
            rs->setValue(QStringLiteral("Name"), QStringLiteral("T-%1 ").arg(i).repeated(60)).ok());
        EXPECT_TRUE(rs->update().ok());
    }
    return tank;
}

} // namespace korvane::test
