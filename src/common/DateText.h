#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace korvane {

// Reads a date as a person types it: day, month, year in that order ("05/Mar/2021", "5/3/21",
// "5-mar-2021", "5 MAR 1999"), or year, month, day when the year comes first with four digits
// ("2021-03-05").
//
// - The three parts are separated by '/', '-' or blanks (spaces or tabs). A separator is a run
//   of blanks, or one '/' or '-' with optional blanks around it; the two separators may differ.
//   Blanks before and after the date are ignored; anything else around it is not.
// - The day has one or two digits.
// - The month has one or two digits (1 to 12), or is an English month name in any case, either
//   its first three letters ("Mar") or in full ("March").
// - The year has four digits (1753 to 9999, taken as written) or two digits, completed by a
//   fixed window: 00-29 are 2000-2029 and 30-99 are 1930-1999. A year of one or three digits is
//   refused: it is a year not finished typing ("5/3/2" on its way to "5/3/2021"). A year that
//   comes first has four digits, so "2021-03-05" is 5 March 2021 and never a day 20.
// - A day the month does not have (31/Feb/2001, 29/Feb/2001, 0/Jan/2001) is refused.
//
// Gives no value when the text is not such a date.
std::optional<QDate> parseDate(QStringView text);
bool readsAsDate(QStringView text);

// The date as "dd/Mmm/yyyy", e.g. "05/Mar/2001", with the English month abbreviation whatever
// the system locale. An invalid date gives "".
QString formatDate(const QDate& date);
// The date as "yyyy-mm-dd", as Qt::ISODate writes it (an invalid date, or a year outside 0 to
// 9999, gives ""), many times quicker: lists of thousands of dates are written as texts.
QString isoDate(const QDate& date);

// The date moved by whole years or months. When the day does not exist in the month reached,
// the result is that month's last day: 31/Aug/2000 plus 18 months is 28/Feb/2002, and 29/Feb/2000
// plus one year is 28/Feb/2001. An invalid date, or a result outside the years 1 to 9999, gives
// an invalid QDate.
QDate addYears(const QDate& date, int years);
QDate addMonths(const QDate& date, int months);

} // namespace korvane
