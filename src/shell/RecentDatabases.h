#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace korvane {

// The databases opened last, newest first, kept in the user's settings so that File lists them
// from one run of the program to the next: files by their absolute path, server databases by
// their URL without any password.
class RecentDatabases {
public:
    static constexpr int Kept = 4;

    explicit RecentDatabases(QSettings& settings) : settings_(settings) {}

    QStringList paths() const;
    // Puts a database first; a path listed already moves up, and the oldest beyond Kept go.
    void add(const QString& path);
    void remove(const QString& path);
    // What File shows for an entry: the file name, or "database on host" for a server database.
    static QString displayName(const QString& path);
    // What File shows for each of the entries listed together: as displayName, and for a file
    // whose name another file of the list has too, its folder beside the name
    // ("plant.mdb in ~/sites/north"), so the two can be told apart.
    static QStringList displayNames(const QStringList& paths);

private:
    void store(const QStringList& paths);

    QSettings& settings_;
};

} // namespace korvane
