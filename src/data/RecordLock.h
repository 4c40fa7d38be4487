#pragma once

#include "common/Result.h"

#include <QString>

#include <functional>

namespace korvane {

// An exclusive claim on one record, seen by every program that opens the same database, and
// dropped when the holder ends or crashes: a lock is never left behind. Each engine makes its
// own kind (see EngineConnection::lock); the claim is given up on release or destruction.
class RecordLock {
public:
    RecordLock() = default;
    explicit RecordLock(std::function<void()> release) : release_(std::move(release)) {}
    ~RecordLock();
    RecordLock(RecordLock&& other) noexcept;
    RecordLock& operator=(RecordLock&& other) noexcept;
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

    // Claims (table, key) in the database file at path: an open-file-description lock on a byte
    // far beyond SQLite's own lock bytes, so it does not disturb the engine's locking. Fails
    // with `busyMessage` when another program, or another window of this one, holds it.
    static Result<RecordLock> acquireInFile(const QString& path, const QString& table, qint64 key,
                                            const QString& busyMessage);

    bool isHeld() const { return static_cast<bool>(release_); }
    // Gives the record up; also done on destruction.
    void release();

private:
    std::function<void()> release_;
};

} // namespace korvane
