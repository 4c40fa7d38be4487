#include "shell/RecentDatabases.h"

#include "data/ServerAddress.h"

#include <QDir>
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

QStringList RecentDatabases::displayNames(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names << displayName(path);
    const QString home = QDir::homePath();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (server::isServerName(paths[i]))
            continue;
        const auto sameName = [&](qsizetype j) {
            return j != i && !server::isServerName(paths[j]) &&
                   displayName(paths[j]) == displayName(paths[i]);
        };
        bool shared = false;
        for (qsizetype j = 0; j < paths.size() && !shared; ++j)
            shared = sameName(j);
        if (!shared)
            continue;
        // The home folder as "~", which keeps the folder short and still tells folders apart.
        QString folder = QFileInfo(paths[i]).absolutePath();
        if (folder == home)
            folder = QStringLiteral("~");
        else if (folder.startsWith(home + QLatin1Char('/')) && home != QDir::rootPath())
            folder = QStringLiteral("~") + folder.mid(home.size());
        names[i] += QStringLiteral(" in ") + QDir::toNativeSeparators(folder);
    }
    return names;
}

void RecentDatabases::store(const QStringList& paths) {
    settings_.setValue(Key, paths);
    settings_.sync();
}

} // namespace korvane
