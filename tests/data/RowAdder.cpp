// Second program for the tests of programs adding rows at once: adds COUNT inspections to a
// tank, each in a transaction of its own as the windows save, and prints each new key on a
// line. Exits 1 when a row could not be added (the message on its error output).
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Select.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: row_adder DATABASE TANKID COUNT\n");
        return 2;
    }
    using namespace korvane;
    const int tank = QByteArray(argv[2]).toInt();
    const int count = QByteArray(argv[3]).toInt();
    auto db = Database::open(QString::fromLocal8Bit(argv[1]));
    if (!db) {
        std::fprintf(stderr, "%s\n", qPrintable(db.error()));
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        qint64 key = 0;
        // A database busy past the wait of every connection is tried again, as its message asks
        // a user to: on a loaded machine another program's commit may outlast that wait.
        const auto addOne = [&]() -> Status {
            return db->transaction([&]() -> Status {
                auto rs = db->openRecordset(
                    Select::from(QStringLiteral("Inspection")).where(QStringLiteral("TankID"), -1));
                if (!rs)
                    return rs.takeError();
                if (auto s = rs->addNew(); !s)
                    return s;
                key = rs->value(QStringLiteral("InspectionID")).toLongLong();
                if (auto s = rs->setValue(QStringLiteral("TankID"), tank); !s)
                    return s;
                if (auto s = rs->setValue(
                        QStringLiteral("InspectionNum"),
                        QStringLiteral("P%1-%2").arg(QCoreApplication::applicationPid()).arg(i));
                    !s)
                    return s;
                return rs->update();
            });
        };
        Status added = addOne();
        for (int retry = 0; retry < 20 && !added &&
                            added.error().contains(QStringLiteral("in use by another program"));
             ++retry)
            added = addOne();
        if (!added) {
            std::fprintf(stderr, "%s\n", qPrintable(added.error()));
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(key));
    }
    return 0;
}
