#include "data/SqliteSnapshot.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <memory>
#include <sqlite3.h>

namespace korvane::sqlite {

namespace {

// Pages read under one read lock while writers may still get in between batches.
constexpr int PagesPerBatch = 256;
// Times the copy starts again because another program wrote, before the last attempt reads every
// page at once.
constexpr int Restarts = 3;
// How long a batch waits for a writer to finish committing, as every connection of ours does, and
// how many such waits in a row make the copy give up.
constexpr int BusyTimeoutMs = 5000;
constexpr int MostBusyBatches = 3;

using Handle = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;

Error failure(const QString& what, sqlite3* db, int rc) {
    QString engine = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const int primary = rc & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return Error{QStringLiteral("%1: the database is in use by another program. Try again in a "
                                    "moment.\n\nThe database engine reported: %2")
                         .arg(what, engine)};
    return Error{QStringLiteral("%1.\n\nThe database engine reported: %2").arg(what, engine)};
}

Result<Handle> openFile(const QString& path, int flags, const QString& what) {
    sqlite3* raw = nullptr;
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QByteArray name = uri.toString(QUrl::FullyEncoded).toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &raw, flags | SQLITE_OPEN_URI, nullptr);
    Handle db(raw, &sqlite3_close_v2);
    if (rc != SQLITE_OK)
        return failure(what, db.get(), rc);
    sqlite3_busy_timeout(db.get(), BusyTimeoutMs);
    return db;
}

} // namespace

Status snapshot(const QString& source, const QString& copy) {
    const QString reading = QStringLiteral("The database \"%1\" could not be read").arg(source);
    if (!QFileInfo::exists(source))
        return Error{QStringLiteral("The database file \"%1\" was not found.").arg(source)};
    // Opened for writing as well, never created: a journal left by a program that died is rolled
    // back before the pages are read, as any connection does.
    auto from = openFile(source, SQLITE_OPEN_READWRITE, reading);
    if (!from)
        return from.takeError();
    const QString writing = QStringLiteral("The copy of \"%1\" could not be written").arg(source);
    Status copied = [&]() -> Status {
        auto to = openFile(copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, writing);
        if (!to)
            return to.takeError();
        sqlite3_backup* backup = sqlite3_backup_init(to->get(), "main", from->get(), "main");
        if (!backup)
            return failure(writing, to->get(), sqlite3_errcode(to->get()));
        int restarts = 0;
        int busy = 0; // batches in a row that found a writer committing
        int done = 0; // pages copied of the current attempt
        int rc = SQLITE_OK;
        for (;;) {
            rc = sqlite3_backup_step(backup, restarts < Restarts ? PagesPerBatch : -1);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                // Each batch waits as long as any connection of ours for a commit to end.
                if (++busy == MostBusyBatches)
                    break;
                continue;
            }
            if (rc != SQLITE_OK)
                break;
            busy = 0;
            const int now = sqlite3_backup_pagecount(backup) - sqlite3_backup_remaining(backup);
            // No more pages copied than before: another program wrote, and the copy started
            // again from the first page.
            if (now <= done)
                ++restarts;
            done = now;
        }
        const int finished = sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            return failure(rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? reading : writing,
                           from->get(), rc);
        if (finished != SQLITE_OK)
            return failure(writing, to->get(), finished);
        return {};
    }();
    if (!copied)
        QFile::remove(copy);
    return copied;
}

} // namespace korvane::sqlite
