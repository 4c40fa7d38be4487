// korvane-db: makes Korvane databases from the command line.
//
//   korvane-db create FILE.mdb   an empty database
//   korvane-db demo FILE.mdb     a database filled with demo records
//
// Exit status: 0 done, 1 the database could not be written (the message says why), 2 the
// command line was not understood.
#include "DemoDatabase.h"
#include "common/Clock.h"
#include "data/Database.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int Failed = 1;
constexpr int BadUsage = 2;

int usage(const QString& problem) {
    if (!problem.isEmpty())
        std::fprintf(stderr, "korvane-db: %s\n", qPrintable(problem));
    std::fputs("usage: korvane-db create FILE.mdb   write an empty Korvane database\n"
               "       korvane-db demo FILE.mdb     write a database of demo records\n"
               "An existing file is never overwritten.\n",
               stderr);
    return BadUsage;
}

int report(const korvane::Status& status, const QString& done) {
    if (!status) {
        std::fprintf(stderr, "korvane-db: %s\n", qPrintable(status.error()));
        return Failed;
    }
    std::printf("%s\n", qPrintable(done));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage({});
    const QString& command = args.first();
    if (command != QLatin1String("create") && command != QLatin1String("demo"))
        return usage(QStringLiteral("unknown command \"%1\"").arg(command));
    if (args.size() < 2 || args.at(1).isEmpty())
        return usage(QStringLiteral("%1 needs the name of the database file").arg(command));
    if (args.size() > 2)
        return usage(QStringLiteral("too many arguments"));

    const QString& path = args.at(1);
    if (command == QLatin1String("create"))
        return report(korvane::Database::create(path),
                      QStringLiteral("Wrote the empty database %1.").arg(path));
    const korvane::SystemClock clock;
    return report(korvane::createDemoDatabase(path, clock.today()),
                  QStringLiteral("Wrote the demo database %1.").arg(path));
}
