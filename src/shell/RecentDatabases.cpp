#include "shell/RecentDatabases.h"

#include "data/ServerAddress.h"

#include <QFileInfo>
#include <QSettings>

namespace korvane {

namespace {

const QString Key = QStringLiteral("RecentDatabases");

// The one spelling an entry is kept under, so that a database opened again moves up.
QString kept(const QString& path) {
    return server::isServerName(path) ? server::normalized(path)
                                      : QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList RecentDatabases::paths() const {
    QStringList paths = settings_.value(Key).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, Kept);
}

void RecentDatabases::add(const QString& path) {
    QStringList paths = this->paths();
    paths.removeAll(kept(path));
    paths.prepend(kept(path));
    store(paths.mid(0, Kept));
}

void RecentDatabases::remove(const QString& path) {
    QStringList paths = this->paths();
    paths.removeAll(kept(path));
    store(paths);
}

QString RecentDatabases::displayName(const QString& path) {
    return server::isServerName(path) ? server::displayName(path) : QFileInfo(path).fileName();
}

void RecentDatabases::store(const QStringList& paths) {
    settings_.setValue(Key, paths);
    settings_.sync();
}

} // namespace korvane
