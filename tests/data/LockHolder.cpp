// Second program for the record-lock tests: opens a tank row, a row of another table named as
// TABLE:KEY ("Inspection:7"), or the Preferences row for editing
// with locks on, says "locked" on its output, then waits. A line on its input cancels the edit and
// ends it; the test may also kill it to show that a crashed holder leaves no lock behind.
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lock_holder DATABASE TANKID|TABLE:KEY|Preferences\n");
        return 2;
    }
    using namespace korvane;
    auto db = Database::open(QString::fromLocal8Bit(argv[1]));
    if (!db) {
        std::fprintf(stderr, "%s\n", qPrintable(db.error()));
        return 1;
    }
    // A tank by its key, a row of another table by its counter key, or the one Preferences row.
    const QString target = QString::fromLocal8Bit(argv[2]);
    const QString table = target.contains(QLatin1Char(':')) ? target.section(QLatin1Char(':'), 0, 0)
                                                            : QStringLiteral("Tank");
    const int key = target.section(QLatin1Char(':'), -1).toInt();
    const Select query = target == QLatin1String("Preferences")
                             ? Select::from(target)
                             : Select::from(table).where(table + QLatin1String("ID"), key);
    auto rs = db->openRecordset(query, true);
    if (!rs || rs->eof()) {
        std::fprintf(stderr, "no such row\n");
        return 1;
    }
    if (auto edit = rs->edit(); !edit) {
        std::printf("refused: %s\n", qPrintable(edit.error()));
        std::fflush(stdout);
        return 3;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    rs->cancelUpdate();
    return 0;
}
