#include "common/DateEntry.h"

#include "common/DateText.h"

namespace korvane::dateentry {

namespace {

bool isBlankText(QStringView text) {
    for (const QChar c : text)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

} // namespace

std::optional<QString> standardText(QStringView text) {
    const auto date = parseDate(text);
    if (!date)
        return std::nullopt;
    QString formatted = formatDate(*date);
    if (formatted == text)
        return std::nullopt;
    return formatted;
}

LeaveCheck checkOnLeave(QStringView text, const QDate& today) {
    if (isBlankText(text))
        return {Verdict::Empty, {}};
    const auto date = parseDate(text);
    if (!date)
        return {Verdict::NotADate, {}};
    if (today.isValid() && *date > today)
        return {Verdict::BeyondToday, {}};
    return {Verdict::Accepted, formatDate(*date)};
}

QString refusalText(Verdict verdict) {
    switch (verdict) {
    case Verdict::NotADate:
        return QString::fromLatin1(InvalidDateText);
    case Verdict::BeyondToday:
        return QString::fromLatin1(BeyondTodayText);
    case Verdict::Empty:
    case Verdict::Accepted:
        break;
    }
    return {};
}

} // namespace korvane::dateentry
