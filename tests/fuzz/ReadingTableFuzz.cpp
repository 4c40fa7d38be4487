#include "readingfile/ReadingMapping.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

// A gauge's file of any bytes, as CSV, and as a workbook when it is a zip archive: the reader
// never fails on it, gives a line for every row, and every row it gives maps to a reading or an
// error under the mapping guessed for it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane::readingfile;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto table = bytes.startsWith("PK") ? [&] {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fuzz.xlsx"));
        QFile file(path);
        check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        return readTableFile(path);
    }()
                                        : readCsv(bytes);
    if (!table)
        return 0;
    check(table->rows.size() == table->lines.size());
    const Mapping mapping = guessMapping(*table);
    const auto rows = mapRows(*table, mapping,
                              {QDate(2024, 3, 5), QStringLiteral("fuzz"), 4, QDate(2024, 6, 15)});
    for (const auto& row : rows)
        check(!row.error.isEmpty() || (row.inches && *row.inches > 0 && row.date.isValid()));
    return 0;
}
