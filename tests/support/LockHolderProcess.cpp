#include "support/LockHolderProcess.h"

namespace korvane::test {

LockHolderProcess::LockHolderProcess(const QString& program, const QString& database, qint32 tank)
    : LockHolderProcess(program, database, QString::number(tank)) {}

LockHolderProcess::LockHolderProcess(const QString& program, const QString& database,
                                     const QString& target) {
    process_.start(program, {database, target});
}

LockHolderProcess::~LockHolderProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

QString LockHolderProcess::waitForLine() {
    while (!process_.canReadLine())
        if (!process_.waitForReadyRead(30000))
            return QStringLiteral("(no answer: %1)")
                .arg(QString::fromLocal8Bit(process_.readAllStandardError()));
    return QString::fromLocal8Bit(process_.readLine()).trimmed();
}

void LockHolderProcess::finishEdit() {
    process_.write("done\n");
    process_.closeWriteChannel();
    process_.waitForFinished(30000);
}

void LockHolderProcess::crash() {
    process_.kill(); // SIGKILL: no clean-up runs in the holder
    process_.waitForFinished(30000);
}

} // namespace korvane::test
