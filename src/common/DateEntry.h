#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace korvane::dateentry {

// How every date box of the program treats what is typed into it. Dates are typed freely, in
// any form parseDate reads, and kept as "dd/Mmm/yyyy" (see formatDate); these are the
// decisions, the DateBox widget carries them out. Nothing is rewritten while the user types: a
// year is read, and a two-digit year completed, only once the box is left.

inline constexpr const char* EntryErrorTitle = "Entry Error";
inline constexpr const char* InvalidDateText = "Invalid Date";
inline constexpr const char* BeyondTodayText = "Date entered is beyond today!";

// The text a date box shows for what was typed, once it is left: the date as "dd/Mmm/yyyy"
// when the text reads as one and is not so already; nothing otherwise. For boxes that hold a
// date without the checks on leaving (custom tank fields of the kind Date/Time).
std::optional<QString> standardText(QStringView text);

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
