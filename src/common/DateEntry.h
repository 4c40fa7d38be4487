#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace korvane::dateentry {

// How every date box of the program treats what is typed into it. Dates are typed freely and
// kept as "dd/Mmm/yyyy" (see parseDate and formatDate); these are the decisions, the DateBox
// widget carries them out.

inline constexpr const char* EntryErrorTitle = "Entry Error";
inline constexpr const char* InvalidDateText = "Invalid Date";
inline constexpr const char* BeyondTodayText = "Date entered is beyond today!";

// While typing: when the text ends in a two- or four-digit year after a slash ("5/3/20",
// "5/3/2001") and reads as a date, the text the box should show instead, such as "05/Mar/2020".
// Nothing for any other text, and nothing when the text already reads that way.
//
// A year of one or three digits after the last slash waits for the next key, so that "15/03/2",
// on its way to "15/03/24", is not taken for the year 2002.
std::optional<QString> reformatWhileTyping(QStringView text);

// On leaving the box.
enum class Verdict {
    Empty,       // nothing but blanks: accepted as no date
    Accepted,    // a date of today or earlier; the box shows `text`
    NotADate,    // "Invalid Date"
    BeyondToday, // "Date entered is beyond today!"
};
struct LeaveCheck {
    Verdict verdict = Verdict::Empty;
    QString text; // the date as "dd/Mmm/yyyy" when accepted
};
LeaveCheck checkOnLeave(QStringView text, const QDate& today);

// The message of a refusal; empty for the verdicts that accept.
QString refusalText(Verdict verdict);

} // namespace korvane::dateentry
