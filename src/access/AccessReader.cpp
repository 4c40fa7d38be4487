#include "access/AccessReader.h"

#include "data/Layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <new>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace korvane::access {

ReadLimits ReadLimits::fromEnvironment() {
    ReadLimits limits;
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("KORVANE_IMPORT_TIME_LIMIT", &ok);
    if (ok && seconds > 0)
        limits.seconds = seconds;
    return limits;
}

QString readerProgram() {
    const QString name = QStringLiteral("korvane-mdb-reader");
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {bin.filePath(name), bin.filePath(QStringLiteral(KORVANE_MDB_READER_FROM_BIN))}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QStringLiteral(KORVANE_MDB_READER_BUILD_PATH);
}

AccessReadJob::AccessReadJob(QString path, ReadLimits limits, QObject* parent)
    : QObject(parent), path_(std::move(path)), limits_(limits) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        stop(Error{QStringLiteral("Reading \"%1\" stopped after %2 seconds: the file is probably "
                                  "damaged.")
                       .arg(path_)
                       .arg(limits_.seconds)});
    });
    connect(&process_, &QProcess::readyReadStandardOutput, this, &AccessReadJob::readAvailable);
    connect(&process_, &QProcess::finished, this, &AccessReadJob::childEnded);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(Error{QStringLiteral("The reader of Access files (%1) cannot be started: %2")
                             .arg(process_.program(), process_.errorString())});
    });
}

AccessReadJob::~AccessReadJob() {
    process_.disconnect(this);
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(-1);
    }
}

void AccessReadJob::start() {
    // The first page is looked at here: an encrypted file is refused without starting anything.
    // finished() comes from the event loop in every case, never from within start().
    if (Status readable = checkAccessHeader(path_); !readable) {
        QMetaObject::invokeMethod(
            this, [this, error = readable.takeError()] { finish(error); }, Qt::QueuedConnection);
        return;
    }
    process_.setProgram(readerProgram());
    process_.setArguments({QStringLiteral("--memory-mb"), QString::number(limits_.memoryMegabytes),
                           QFileInfo(path_).absoluteFilePath()});
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardInputFile(QProcess::nullDevice());
    timer_.start(limits_.seconds * 1000);
    process_.start(QIODevice::ReadOnly);
}

void AccessReadJob::cancel() {
    if (isFinished())
        return;
    cancelled_ = true;
    stop(Error{QStringLiteral("The import was cancelled; nothing was written.")});
}

void AccessReadJob::readAvailable() {
    if (isFinished())
        return;
    received_ += process_.bytesAvailable();
    // What the reader sends is kept until the import; a reader that sends without end is
    // stopped like one that grows without end.
    if (received_ > limits_.memoryMegabytes * 1024 * 1024) {
        stop(Error{QStringLiteral("Reading \"%1\" stopped when it had read more than %2 MB: the "
                                  "file is probably damaged.")
                       .arg(path_)
                       .arg(limits_.memoryMegabytes)});
        return;
    }
    const auto state = parser_.take(process_);
    if (state == stream::Parser::State::Failed) {
        stop(Error{parser_.failure()});
        return;
    }
    emit progress(parser_.progressText());
}

void AccessReadJob::childEnded(int exitCode, QProcess::ExitStatus status) {
    readAvailable();
    if (isFinished())
        return;
    if (parser_.state() == stream::Parser::State::Done && status == QProcess::NormalExit &&
        exitCode == 0) {
        finish(std::move(parser_.contents()));
        return;
    }
    if (status == QProcess::NormalExit && exitCode == ReaderOutOfMemory)
        finish(Error{QStringLiteral("Reading \"%1\" stopped when it needed more than %2 MB of "
                                    "memory: the file is probably damaged.")
                         .arg(path_)
                         .arg(limits_.memoryMegabytes)});
    else
        finish(Error{QStringLiteral("Reading \"%1\" stopped before the end: the file is probably "
                                    "damaged.")
                         .arg(path_)});
}

void AccessReadJob::stop(Error error) {
    if (isFinished())
        return;
    process_.disconnect(this);
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(-1);
    }
    finish(std::move(error));
}

void AccessReadJob::finish(Result<AccessContents> result) {
    if (isFinished())
        return;
    timer_.stop();
    result_.emplace(std::move(result));
    emit finished();
}

Result<AccessContents> readAccessFile(const QString& path, const ReadLimits& limits) {
    QEventLoop loop;
    AccessReadJob job(path, limits);
    QObject::connect(&job, &AccessReadJob::finished, &loop, &QEventLoop::quit);
    job.start();
    if (!job.isFinished())
        loop.exec();
    return job.takeResult();
}

// The reader process.

namespace {

[[noreturn]] void outOfMemory() {
    _exit(ReaderOutOfMemory);
}

// GLib ends a program whose allocation failed with an error message; the reader ends with the
// status that tells the importing program why.
void glibMessage(const gchar*, GLogLevelFlags level, const gchar* message, gpointer) {
    if ((level & G_LOG_LEVEL_ERROR) != 0) {
        if (message && std::strstr(message, "allocate"))
            outOfMemory();
        _exit(1);
    }
}

// The address space in use now, which is large already under the sanitizers.
rlim_t addressSpaceInUse() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

void limitMemory(qint64 megabytes) {
    std::set_new_handler(outOfMemory);
    g_log_set_default_handler(glibMessage, nullptr);
    g_log_set_handler(nullptr, GLogLevelFlags(G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL), glibMessage,
                      nullptr);
    g_log_set_handler("GLib", GLogLevelFlags(G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL), glibMessage,
                      nullptr);
    const rlim_t limit = addressSpaceInUse() + static_cast<rlim_t>(megabytes) * 1024 * 1024;
    const rlimit value{limit, limit};
    setrlimit(RLIMIT_AS, &value);
}

// For the tests: KORVANE_MDB_READER_TEST makes the reader behave as on a file that makes libmdb
// loop ("hang": after the first row of a table it waits without end) or grow ("grow").
void simulateDamage(QFile& out) {
    const QByteArray how = qgetenv("KORVANE_MDB_READER_TEST");
    if (how == "hang") {
        stream::writeHeader(out);
        stream::writeTable(out, QStringLiteral("Tank"), 2,
                           {{QStringLiteral("TankID"), ColumnKind::LongInteger}}, true);
        stream::writeRow(out, {1});
        out.flush();
        for (;;)
            pause();
    }
    if (how == "grow") {
        static std::vector<char*> kept;
        for (;;) {
            kept.push_back(new char[16 << 20]);
            std::memset(kept.back(), 1, 16 << 20);
        }
    }
}

} // namespace

int runReader(int argc, char** argv) {
    // libmdb and Qt say what troubles them on the standard error; the importing program says
    // what matters in its own words.
    if (const int null = open("/dev/null", O_WRONLY); null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // A reader whose program is gone stops too.
    prctl(PR_SET_PDEATHSIG, SIGKILL);

    qint64 megabytes = ReadLimits().memoryMegabytes;
    QString path;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--memory-mb" && i + 1 < argc)
            megabytes = QByteArray(argv[++i]).toLongLong();
        else
            path = QFile::decodeName(arg);
    }
    if (path.isEmpty() || megabytes <= 0)
        return 2;
    limitMemory(megabytes);

    QFile out;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return 1;
    simulateDamage(out);
    const bool written = stream::writeContents(
        path, out, [](const QString& table) { return layout::table(table) != nullptr; });
    return written && out.flush() ? 0 : 1;
}

} // namespace korvane::access
