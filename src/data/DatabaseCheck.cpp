#include "data/DatabaseCheck.h"

#include "data/Database.h"

#include <QFile>

namespace korvane {

namespace {

// Access files carry their engine's name at byte 4 of the first page.
bool hasAccessHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.size() >= 19 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

} // namespace

Result<DatabaseFileKind> checkDatabaseFile(const QString& path) {
    if (hasAccessHeader(path))
        return DatabaseFileKind::Access;
    auto db = Database::open(path, Database::Check::Integrity);
    if (!db)
        return db.takeError();
    auto names = db->tableNames();
    if (!names)
        return names.takeError();
    if (names->size() > 1 && names->at(1) == QLatin1String("Company"))
        return DatabaseFileKind::Korvane;
    return DatabaseFileKind::NotKorvane;
}

} // namespace korvane
