#pragma once

#include <QProcess>
#include <QString>

namespace korvane::test {

// Runs the lock_holder program of tests/data: a second program that opens a tank row for
// editing with record locks on, says "locked", and holds the row until told to finish.
class LockHolderProcess {
public:
    LockHolderProcess(const QString& program, const QString& database, qint32 tank);
    // target: a TankID, or "Preferences" for the one Preferences row.
    LockHolderProcess(const QString& program, const QString& database, const QString& target);
    ~LockHolderProcess();
    LockHolderProcess(const LockHolderProcess&) = delete;
    LockHolderProcess& operator=(const LockHolderProcess&) = delete;

    // The next line the holder writes ("locked", or why it could not lock).
    QString waitForLine();
    // Ends the edit and the program cleanly.
    void finishEdit();
    // Kills the program, so that none of its clean-up runs.
    void crash();

private:
    QProcess process_;
};

} // namespace korvane::test
