#include "shell/RecentDatabases.h"

#include <QFileInfo>
#include <QSettings>

namespace korvane {

namespace {

const QString Key = QStringLiteral("RecentDatabases");

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList RecentDatabases::paths() const {
    QStringList paths = settings_.value(Key).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, Kept);
}

void RecentDatabases::add(const QString& path) {
    QStringList paths = this->paths();
    paths.removeAll(absolute(path));
    paths.prepend(absolute(path));
    store(paths.mid(0, Kept));
}

void RecentDatabases::remove(const QString& path) {
    QStringList paths = this->paths();
    paths.removeAll(absolute(path));
    store(paths);
}

void RecentDatabases::store(const QStringList& paths) {
    settings_.setValue(Key, paths);
    settings_.sync();
}

} // namespace korvane
