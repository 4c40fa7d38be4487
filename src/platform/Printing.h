#pragma once

#include "common/Result.h"
#include "platform/Services.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace korvane {

// A file name for the PDF of a print job: the title and what it is of ("Tank Thickness Readings
// - Tank 101.pdf"), with the characters a file name cannot hold (folder separators, control
// characters, and those some file systems refuse) replaced by '_', and runs of spaces made one.
QString printFileName(const QString& title, const QString& subject);

// What the user is told after pages were written to a PDF file: where they are.
QString savedMessage(const QString& file);

// The one road every Print of a window takes: asks where the pages go (services.printers), paints
// them through `paint`, says what went wrong under the job's title, and, when the pages went to a
// PDF file, names the file. A failed print leaves no partial file. True when the pages were
// printed; false when the user cancelled or printing failed (the user was told).
bool printPages(Services& services, QWidget& parent, const PrintJob& job,
                const std::function<Status(QPrinter&)>& paint);

} // namespace korvane
