#include "data/RecordLock.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvane {

namespace {

// Locks live at 1 TiB and above; SQLite locks bytes near 1 GiB only.
constexpr long long LockBase = 1LL << 40;

long long lockOffset(const QString& table, qint64 key) {
    // One window of 2^33 bytes per table, chosen by the table name's hash.
    const long long slot = static_cast<long long>(qHash(table.toLower()) % 1024u);
    return LockBase + slot * (1LL << 33) + (key & 0xFFFFFFFFLL);
}

struct flock lockRange(short type, long long offset) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    return fl;
}

QString systemError(int err) {
    return QStringLiteral("The record could not be locked for editing: %1.")
        .arg(QString::fromLocal8Bit(std::strerror(err)));
}

// Closing any descriptor of a file drops every classic POSIX lock the process holds on it,
// SQLite's included. So each database file gets one descriptor for record locks, opened on
// first use and kept until the program ends; locks are taken and given up on it with
// F_OFD_SETLK and never by closing it.
Result<int> lockDescriptor(const QString& path) {
    static QHash<QPair<quint64, quint64>, int> descriptors;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return Error{systemError(errno)};
    const QPair<quint64, quint64> inode{static_cast<quint64>(st.st_dev),
                                        static_cast<quint64>(st.st_ino)};
    if (auto it = descriptors.constFind(inode); it != descriptors.constEnd())
        return *it;
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return Error{systemError(errno)};
    descriptors.insert(inode, fd);
    return fd;
}

// Record locks this program holds, so that a second claim from inside the same program is
// refused too: locks on one description never conflict with each other.
QSet<QPair<int, long long>>& heldLocks() {
    static QSet<QPair<int, long long>> held;
    return held;
}

} // namespace

RecordLock::~RecordLock() {
    release();
}

RecordLock::RecordLock(RecordLock&& other) noexcept : release_(std::exchange(other.release_, {})) {}

RecordLock& RecordLock::operator=(RecordLock&& other) noexcept {
    if (this != &other) {
        release();
        release_ = std::exchange(other.release_, {});
    }
    return *this;
}

void RecordLock::release() {
    if (auto release = std::exchange(release_, {}))
        release();
}

Result<RecordLock> RecordLock::acquireInFile(const QString& path, const QString& table, qint64 key,
                                             const QString& busyMessage) {
    auto fd = lockDescriptor(path);
    if (!fd) {
        // A file we may not write cannot be changed anyway; the save says so in its own words.
        if (QFile::exists(path) && !QFileInfo(path).isWritable())
            return RecordLock();
        return fd.takeError();
    }
    struct flock fl = lockRange(F_WRLCK, lockOffset(table, key));
    const QPair<int, long long> held{*fd, static_cast<long long>(fl.l_start)};
    if (heldLocks().contains(held))
        return Error{busyMessage};
    if (::fcntl(*fd, F_OFD_SETLK, &fl) != 0) {
        const int err = errno;
        if (err == EAGAIN || err == EACCES)
            return Error{busyMessage};
        return Error{systemError(err)};
    }
    heldLocks().insert(held);
    return RecordLock([held] {
        struct flock unlock = lockRange(F_UNLCK, held.second);
        ::fcntl(held.first, F_OFD_SETLK, &unlock);
        heldLocks().remove(held);
    });
}

} // namespace korvane
