#include "common/TextValue.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace korvane {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype at) {
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// Whether an out-of-range number such as "1e400" or "0.0001e-400" is too large rather than too
// small: the power of ten of its first significant digit is estimated from the digits and the
// exponent. Out of range means that power is beyond about 300 either way, so the estimate is
// ample, and it is worked out without ever turning a long digit run into an integer.
bool overflowsUpward(const std::string& number) {
    const auto mark = number.find_first_of("eE");
    const std::string mantissa = number.substr(0, mark);
    const auto point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const auto firstSignificant = whole.find_first_not_of('0');
    long long power = 0;
    if (firstSignificant != std::string::npos) {
        power = static_cast<long long>(whole.size() - firstSignificant);
    } else if (point != std::string::npos) {
        const auto firstInFraction = mantissa.find_first_not_of('0', point + 1);
        power = -static_cast<long long>(firstInFraction - point);
    }
    if (mark != std::string::npos) {
        const bool negative = number[mark + 1] == '-';
        long long exponent = 0;
        for (auto i = number.find_first_of("0123456789", mark); i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000LL);
        power += negative ? -exponent : exponent;
    }
    return power > 0;
}

} // namespace

namespace {

// Where the leading number of a text starts and ends, as numericValue reads it.
struct LeadingNumber {
    qsizetype start = 0; // first digit or point, after blanks and sign
    qsizetype end = 0;
    bool negative = false;
    bool hasDigits = false;
};

LeadingNumber findLeadingNumber(QStringView text) {
    LeadingNumber found;
    qsizetype at = 0;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t'))
        ++at;

    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        found.negative = text[at] == u'-';
        ++at;
    }

    found.start = at;
    at = skipDigits(text, at);
    found.hasDigits = at > found.start;
    if (at < text.size() && text[at] == u'.') {
        const qsizetype fraction = at + 1;
        at = skipDigits(text, fraction);
        found.hasDigits = found.hasDigits || at > fraction;
    }
    if (!found.hasDigits)
        return found;

    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        qsizetype exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == u'+' || text[exponent] == u'-'))
            ++exponent;
        const qsizetype end = skipDigits(text, exponent);
        if (end > exponent)
            at = end;
    }
    found.end = at;
    return found;
}

} // namespace

bool beginsWithNumber(QStringView text) {
    return findLeadingNumber(text).hasDigits;
}

std::optional<double> plainNumber(QStringView text) {
    const LeadingNumber found = findLeadingNumber(text);
    if (!found.hasDigits)
        return std::nullopt;
    for (qsizetype at = found.end; at < text.size(); ++at)
        if (text[at] != u' ' && text[at] != u'\t')
            return std::nullopt;
    return numericValue(text);
}

double numericValue(QStringView text) {
    const LeadingNumber found = findLeadingNumber(text);
    if (!found.hasDigits)
        return 0.0;
    const qsizetype start = found.start;
    const qsizetype at = found.end;
    const bool negative = found.negative;

    // std::from_chars reads the C format whatever the locale, but takes no '+': the sign was
    // consumed above and is applied afterwards.
    const std::string number = text.sliced(start, at - start).toLatin1().toStdString();
    double value = 0.0;
    const auto read = std::from_chars(number.data(), number.data() + number.size(), value);
    if (read.ec == std::errc::result_out_of_range)
        value = overflowsUpward(number) ? std::numeric_limits<double>::max() : 0.0;
    return negative ? -value : value;
}

QString foldedCase(const QString& text) {
    bool upper = false;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return text.toCaseFolded();
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    if (!upper)
        return text;
    QString folded = text;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return folded;
}

} // namespace korvane
