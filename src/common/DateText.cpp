#include "common/DateText.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace korvane {

namespace {

constexpr std::array<const char16_t*, 12> MonthNames = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

constexpr int EarliestYear = 1753;
constexpr int LatestYear = 9999;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Walks the text part by part. Every step consumes what it accepts and reports a failure by
// returning an empty view or false; the scanner never goes backwards, so the work is linear in
// the length of the text, and digit runs are measured before any of them is turned into a number.
class Scanner {
public:
    explicit Scanner(QStringView text) : text_(text) {}

    void skipBlanks() {
        while (at_ < text_.size() && isBlank(text_[at_]))
            ++at_;
    }

    QStringView take(bool (*accepts)(QChar)) {
        const qsizetype start = at_;
        while (at_ < text_.size() && accepts(text_[at_]))
            ++at_;
        return text_.sliced(start, at_ - start);
    }

    // A run of blanks, or a '/' or '-' with optional blanks on either side.
    bool separator() {
        const qsizetype start = at_;
        skipBlanks();
        if (at_ < text_.size() && (text_[at_] == u'/' || text_[at_] == u'-')) {
            ++at_;
            skipBlanks();
            return true;
        }
        return at_ > start;
    }

    bool atEnd() const { return at_ == text_.size(); }

private:
    QStringView text_;
    qsizetype at_ = 0;
};

// The value of a run of one to four ASCII digits, or -1 for any other length.
int smallNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 4)
        return -1;
    int value = 0;
    for (const QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

// The month, 1 to 12, of a three-letter or full English month name, or 0.
int monthFromName(QStringView name) {
    for (int month = 1; month <= 12; ++month) {
        const QStringView full(MonthNames[month - 1]);
        if ((name.size() == 3 || name.size() == full.size()) &&
            name.compare(full.first(name.size()), Qt::CaseInsensitive) == 0)
            return month;
    }
    return 0;
}

int monthFrom(QStringView part) {
    if (part.size() <= 2 && isDigit(part.front()))
        return smallNumber(part);
    return monthFromName(part);
}

// The full year of a two- or four-digit year, or 0 when it is not acceptable.
int yearFrom(QStringView digits) {
    const int written = smallNumber(digits);
    if (digits.size() == 2)
        return written < 30 ? 2000 + written : 1900 + written;
    if (digits.size() == 4 && written >= EarliestYear && written <= LatestYear)
        return written;
    return 0;
}

// Counted in 64 bits so that no count of months or years can overflow, and limited to the
// years 1 to 9999, where the calendar has no gap for a year zero.
QDate moveByMonths(const QDate& date, qint64 months) {
    if (!date.isValid() || date.year() < 1 || date.year() > LatestYear)
        return {};
    const qint64 monthIndex = qint64{date.year()} * 12 + (date.month() - 1) + months;
    const qint64 year = monthIndex / 12;
    if (monthIndex < 0 || year < 1 || year > LatestYear)
        return {};
    const QDate first(static_cast<int>(year), static_cast<int>(monthIndex % 12) + 1, 1);
    return first.addDays(std::min(date.day(), first.daysInMonth()) - 1);
}

} // namespace

std::optional<QDate> parseDate(QStringView text) {
    Scanner scan(text);
    scan.skipBlanks();
    const QStringView first = scan.take(isDigit);
    if (first.isEmpty() || !scan.separator())
        return std::nullopt;
    QStringView month = scan.take(isDigit);
    if (month.isEmpty())
        month = scan.take(isLetter);
    if (month.isEmpty() || !scan.separator())
        return std::nullopt;
    const QStringView last = scan.take(isDigit);
    scan.skipBlanks();
    if (!scan.atEnd())
        return std::nullopt;

    // No day has four digits, so a four-digit first part is the year of yyyy-mm-dd.
    const bool yearFirst = first.size() == 4;
    const QStringView day = yearFirst ? last : first;
    const QStringView year = yearFirst ? first : last;
    if (day.isEmpty() || day.size() > 2)
        return std::nullopt;
    const int monthNumber = monthFrom(month);
    const int yearNumber = yearFrom(year);
    if (monthNumber < 1 || monthNumber > 12 || yearNumber == 0)
        return std::nullopt;
    // QDate refuses days the month does not have, including 29 February in common years.
    const QDate date(yearNumber, monthNumber, smallNumber(day));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

bool readsAsDate(QStringView text) {
    return parseDate(text).has_value();
}

namespace {

// Writes a number of `width` digits, zeros in front, where `at` points, and moves past them.
void putDigits(char16_t*& at, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10)
        at[i] = static_cast<char16_t>(u'0' + value % 10);
    at += width;
}

} // namespace

QString isoDate(const QDate& date) {
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 0 || year > 9999)
        return {};
    QString text(10, Qt::Uninitialized);
    char16_t* at = reinterpret_cast<char16_t*>(text.data());
    putDigits(at, year, 4);
    *at++ = u'-';
    putDigits(at, month, 2);
    *at++ = u'-';
    putDigits(at, day, 2);
    return text;
}

QString formatDate(const QDate& date) {
    if (!date.isValid())
        return {};
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (year >= 0 && year <= 9999) {
        QString text(11, Qt::Uninitialized);
        char16_t* at = reinterpret_cast<char16_t*>(text.data());
        putDigits(at, day, 2);
        *at++ = u'/';
        std::copy_n(MonthNames[month - 1], 3, at);
        at += 3;
        *at++ = u'/';
        putDigits(at, year, 4);
        return text;
    }
    const QChar zero(u'0');
    return QStringLiteral("%1/%2/%3%4")
        .arg(day, 2, 10, zero)
        .arg(QString::fromUtf16(MonthNames[month - 1], 3))
        .arg(year < 0 ? QStringLiteral("-") : QString())
        .arg(std::abs(year), 4, 10, zero);
}

QDate addYears(const QDate& date, int years) {
    return moveByMonths(date, qint64{years} * 12);
}
QDate addMonths(const QDate& date, int months) {
    return moveByMonths(date, months);
}

} // namespace korvane
