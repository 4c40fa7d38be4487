#include "common/DateEntry.h"
#include "common/DateText.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

// Whatever is typed into a date box: the reader never fails on it, and a text it takes for a date
// is shown in a form it reads back as the same date.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                  static_cast<qsizetype>(size)));
    const auto date = korvane::parseDate(text);
    if (date) {
        check(date->isValid());
        check(korvane::parseDate(korvane::formatDate(*date)) == date);
    }
    const auto leave = korvane::dateentry::checkOnLeave(text, QDate(2026, 12, 9));
    if (leave.verdict == korvane::dateentry::Verdict::Accepted) {
        check(date.has_value());
        check(leave.text == korvane::formatDate(*date));
    }
    return 0;
}
