#pragma once

#include "common/Result.h"

#include <QString>

namespace korvane {

// An exclusive claim on one record, seen by every program that opens the same database file.
// It is an open-file-description lock on a byte far beyond SQLite's own lock bytes, so it does
// not disturb the engine's locking, and the system drops it when the holder ends or crashes:
// a lock is never left behind.
class RecordLock {
public:
    RecordLock() = default;
    ~RecordLock();
    RecordLock(RecordLock&& other) noexcept;
    RecordLock& operator=(RecordLock&& other) noexcept;
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

    // Claims (table, key) in the database at path. Fails with `busyMessage` when another
    // program holds it.
    static Result<RecordLock> acquire(const QString& path, const QString& table, qint64 key,
                                      const QString& busyMessage);

    bool isHeld() const { return fd_ >= 0; }
    // Gives the record up; also done on destruction.
    void release();

private:
    int fd_ = -1; // shared description of the database file; never closed by a lock
    long long offset_ = 0;
};

} // namespace korvane
