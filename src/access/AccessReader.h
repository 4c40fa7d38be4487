#pragma once

#include "access/AccessContents.h"
#include "common/Result.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace korvane::access {

// How long and how large the reader of an Access file may grow before it is stopped. A damaged
// file can make libmdb loop without end, or eat memory without end; a whole Access database of
// tank records is read in seconds, in a few megabytes.
struct ReadLimits {
    int seconds = 60;
    qint64 memoryMegabytes = 1024; // what the reader may take beyond what it starts with

    // The defaults, or for the tests a shorter time from KORVANE_IMPORT_TIME_LIMIT (seconds).
    static ReadLimits fromEnvironment();
};

// The helper program that reads Access files: beside the running program, in the folder it is
// installed in (libexec), or where the build made it.
QString readerProgram();

// Reads an Access file in a child process, the helper program, so that a file that makes
// libmdb loop or grow without end stops only the child: it is ended when it passes the time or
// the memory limit, or when the user cancels. Runs in the event loop of the thread that made
// it; progress() tells what is being read.
class AccessReadJob final : public QObject {
    Q_OBJECT
public:
    AccessReadJob(QString path, ReadLimits limits, QObject* parent = nullptr);
    ~AccessReadJob() override;

    // Starts the child; finished() follows, also when it cannot start.
    void start();
    // Ends the child; finished() follows with cancelled() true.
    void cancel();

    bool isFinished() const { return result_.has_value(); }
    bool cancelled() const { return cancelled_; }
    // After finished(): what was read, or why nothing was.
    const Result<AccessContents>& result() const { return *result_; }
    Result<AccessContents> takeResult() { return std::move(*result_); }
    QString progressText() const { return parser_.progressText(); }

signals:
    void progress(const QString& text);
    void finished();

private:
    void readAvailable();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    void stop(Error error);
    void finish(Result<AccessContents> result);

    QString path_;
    ReadLimits limits_;
    QProcess process_;
    QTimer timer_;
    stream::Parser parser_;
    qint64 received_ = 0;
    bool cancelled_ = false;
    std::optional<Result<AccessContents>> result_;
};

// Reads an Access file through the reader, waiting for it in an event loop of its own.
Result<AccessContents> readAccessFile(const QString& path,
                                      const ReadLimits& limits = ReadLimits::fromEnvironment());

// The exit status with which the reader tells that it reached its memory limit.
constexpr int ReaderOutOfMemory = 3;

// The reader's own work, for its main(): "korvane-mdb-reader [--memory-mb N] FILE" writes
// what FILE holds to the standard output. Its standard error is closed first: libmdb and Qt
// write their own lines there, which mean nothing to a user.
int runReader(int argc, char** argv);

} // namespace korvane::access
