#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace korvane {

// What a command writes, so that an earlier file of its own may be written over: a name for
// messages ("a PDF file") and a test of a file's first bytes. Without a test an existing file is
// never written over (a new database).
struct OutputKind {
    QString name;
    std::function<bool(const QByteArray& head)> isOwn;
};

// A file a command reads, named as the messages name it ("the database").
struct InputFile {
    QString path;
    QString role;
};

// Whether a command may write its output at path. Never over a file the command reads, however
// it is named (another spelling, "./", a symbolic or hard link, another letter case where names
// ignore it: the same file is the same file), nor over a folder. An existing file is written over
// only when it is empty or already this kind of output, or when replace is given. Server
// databases among the inputs are no files and are passed over.
Status checkOutputFile(const QString& path, const std::vector<InputFile>& inputs,
                       const OutputKind& kind, bool replace);

// Only the first test of checkOutputFile: path is none of the inputs.
Status checkNotAnInput(const QString& path, const std::vector<InputFile>& inputs);

// Whether two names name one existing file.
bool isSameFile(const QString& a, const QString& b);

// The kinds the command-line tool writes: a PDF, and a CSV file known by its header line.
OutputKind pdfOutput();
OutputKind csvOutput(const QString& name, const QString& headerLine);

} // namespace korvane
