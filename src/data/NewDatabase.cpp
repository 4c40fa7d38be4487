#include "data/NewDatabase.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Layout.h"
#include "data/PostgresEngine.h"
#include "data/ServerAddress.h"
#include "data/SqliteEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QtEndian>

namespace korvane {

namespace {

// The tables of the layout, the one Preferences row and what fill writes, in one transaction.
Status writeNew(Database& db, const QString& path, const std::function<Status(Database&)>& fill,
                const StepWatch& watch) {
    return db.transaction([&]() -> Status {
        auto names = db.tableNames();
        if (!names)
            return names.takeError();
        for (const QString& table : *names)
            if (layout::table(table))
                return Error{QStringLiteral("The server database %1 already holds Korvane "
                                            "tables; nothing was changed.")
                                 .arg(server::displayName(path))};
        const layout::Dialect dialect = db.engine()->dialect();
        QStringList statements;
        // Texts compare without regard to letter case, as in a database file.
        if (dialect == layout::Dialect::Postgres)
            statements << QStringLiteral("CREATE COLLATION IF NOT EXISTS \"%1\" (provider = icu, "
                                         "locale = 'und-u-ks-level2', deterministic = false)")
                              .arg(QLatin1String(layout::ServerTextCollation));
        for (const auto& table : layout::tables())
            statements << layout::createTableStatements(table, dialect);
        for (const QString& sql : statements)
            if (auto done = db.exec(sql); !done)
                return done.takeError();
        const auto [sql, values] = layout::firstPreferencesRow();
        if (auto done = db.exec(sql, values); !done)
            return done.takeError();
        if (watch)
            watch(QStringLiteral("tables"));
        return fill ? fill(db) : Status();
    });
}

Status alreadyExists(const QString& path) {
    return Error{
        QStringLiteral("The file \"%1\" already exists; it was not overwritten.").arg(path)};
}

// A file under our temporary name is ours when it is empty (made, nothing written yet) or
// starts as a database file that carries this program's mark.
bool isOurPartialFile(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(100);
    if (head.isEmpty())
        return f.size() == 0;
    return head.size() == 100 && head.startsWith(QByteArray("SQLite format 3\0", 16)) &&
           qFromBigEndian<qint32>(head.constData() + 68) == layout::ApplicationId;
}

bool isPowerOfTwoIn(quint32 value, quint32 least, quint32 most) {
    return value >= least && value <= most && (value & (value - 1)) == 0;
}

// A rollback journal: its header starts with the journal's magic number, or with zeros while
// the transaction has not yet written to the database, and names a sector and a page size.
bool isRollbackJournal(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(28);
    if (head.isEmpty())
        return f.size() == 0;
    if (head.size() < 28)
        return false;
    const QByteArray magic = head.left(8);
    if (magic != QByteArray::fromHex("d9d505f920a163d7") && magic != QByteArray(8, '\0'))
        return false;
    return isPowerOfTwoIn(qFromBigEndian<quint32>(head.constData() + 20), 32, 65536) &&
           isPowerOfTwoIn(qFromBigEndian<quint32>(head.constData() + 24), 512, 65536);
}

// Removes what a run for the same name left when it died, under the lock that shows it is dead.
// Refuses to touch a file it does not recognise as ours, and then removes nothing. The journal
// goes first: left without it, the database file is only an unfinished file, while a journal left
// alone would be played back into the next database of that name.
Status removePartial(const QString& partial) {
    const QString journal = partial + QLatin1String("-journal");
    QStringList found;
    for (const QString& file : {journal, partial}) {
        const QFileInfo info(file);
        if (!info.exists() && !info.isSymLink())
            continue;
        const bool ours = !info.isSymLink() && info.isFile() &&
                          (file == journal ? isRollbackJournal(file) : isOurPartialFile(file));
        if (!ours)
            return Error{QStringLiteral("\"%1\" is in the way of the new database, and it was not "
                                        "made by this program; it was left as it is. Move it away "
                                        "and try again.")
                             .arg(file)};
        found << file;
    }
    for (const QString& file : found)
        if (!QFile::remove(file))
            return Error{
                QStringLiteral("\"%1\", left by a run that did not finish, cannot be removed.")
                    .arg(file)};
    return {};
}

Error lockError(const QString& path, const QLockFile& lock) {
    if (lock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, program;
        const QString who =
            lock.getLockInfo(&pid, &host, &program)
                ? QStringLiteral(" (%1, process %2 on %3)").arg(program).arg(pid).arg(host)
                : QString();
        return Error{QStringLiteral("Another program%1 is writing \"%2\"; try again when it is "
                                    "done. If none is, remove \"%3\" and try again.")
                         .arg(who, path, path + QLatin1String(".korvane-lock"))};
    }
    return Error{QStringLiteral("The database \"%1\" cannot be written: its folder cannot be "
                                "written to.")
                     .arg(path)};
}

Status buildFile(const QString& path, const std::function<Status(Database&)>& fill,
                 const StepWatch& watch) {
    if (QFileInfo::exists(path))
        return alreadyExists(path);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return Error{QStringLiteral("The database \"%1\" cannot be written: its folder does not "
                                    "exist.")
                         .arg(path)};
    QLockFile lock(path + QLatin1String(".korvane-lock"));
    // Only a lock whose program is gone is taken over, never one merely old: a copy may run long.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return lockError(path, lock);
    if (QFileInfo::exists(path)) // written by the run that held the lock
        return alreadyExists(path);
    const QString partial = path + QLatin1String(".korvane-partial");
    if (Status cleared = removePartial(partial); !cleared)
        return cleared;
    Status built = [&]() -> Status {
        if (Status made = sqlite::create(partial); !made)
            return made;
        auto db = Database::open(partial);
        if (!db)
            return db.takeError();
        return writeNew(*db, path, fill, watch);
    }(); // every connection to the file is closed here, before it is renamed
    if (built && watch)
        watch(QStringLiteral("written"));
    if (built && !QFile::rename(partial, path))
        built = Error{QStringLiteral("The new database could not be given the name \"%1\"; "
                                     "nothing was written.")
                          .arg(path)};
    if (!built) {
        QFile::remove(partial + QLatin1String("-journal"));
        QFile::remove(partial);
    }
    return built;
}

Status buildOnServer(const QString& url, const std::function<Status(Database&)>& fill,
                     const StepWatch& watch) {
    auto place = postgres::prepareNew(url);
    if (!place)
        return place.takeError();
    Status built = [&]() -> Status {
        auto db = Database::open(place->url);
        if (!db)
            return db.takeError();
        return writeNew(*db, url, fill, watch);
    }();
    if (built && watch)
        watch(QStringLiteral("written"));
    if (built)
        built = postgres::publishNew(*place);
    if (!built)
        postgres::abandonNew(*place);
    return built;
}

} // namespace

Status buildDatabase(const QString& path, const std::function<Status(Database&)>& fill,
                     const StepWatch& watch) {
    return server::isServerName(path) ? buildOnServer(path, fill, watch)
                                      : buildFile(path, fill, watch);
}

} // namespace korvane
