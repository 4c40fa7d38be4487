#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <array>

namespace korvane::schedule {

// The five recurring inspections of a tank. Each has a frequency, stored as one signed number
// (n > 0: every n years; n < 0: every |n| months; 0 or empty: no schedule), and the date of the
// last one. The next one is due that many years or months after the last.

struct InspectionKind {
    const char* label;     // caption on the General Info tab
    const char* freqField; // Tank fields
    const char* lastField;
    const char* freqBox; // boxes of the Tank Information window
    const char* lastBox;
    const char* nextBox;
};

// In the order of the General Info tab.
inline constexpr std::array<InspectionKind, 5> Kinds{{
    {"External", "ExternalFreq", "ExternalLast", "Text_Ext_Freq", "Text_Ext_Last", "Text_Ext_Next"},
    {"Internal", "InternalFreq", "InternalLast", "Text_Int_Freq", "Text_Int_Last", "Text_Int_Next"},
    {"Primary Seal", "PriSealFreq", "PriSealLast", "Text_Pri_Freq", "Text_Pri_Last",
     "Text_Pri_Next"},
    {"Secondary Seal", "SecSealFreq", "SecSealLast", "Text_Sec_Freq", "Text_Sec_Last",
     "Text_Sec_Next"},
    {"Ultrasonic", "UTFreq", "UTLast", "Text_UT_Freq", "Text_UT_Last", "Text_UT_Next"},
}};

// The last date moved by n years or n months, with month-end clamping (31/Aug/2000 plus 18
// months is 28/Feb/2002). Invalid when the last date is, or when the result leaves the years
// 1 to 9999.
QDate nextDate(const QDate& last, qint64 n, bool years);

// The next due date from a stored frequency: positive years, negative months of its absolute
// value, rounded half to even to whole units. Invalid for 0, for a frequency too large to count
// and for an invalid last date.
QDate nextDueDate(const QDate& last, double storedFrequency);

// Due this calendar year or earlier: the year of today less the year of the next date is 0 or
// more. An invalid next date is never due.
bool isDue(const QDate& next, const QDate& today);

// One inspection as the tank row stores it: the frequency (Null reads as 0) and the last date
// as the database gives it back ("dd/Mmm/yyyy", or whatever text was stored).
struct StoredInspection {
    double frequency = 0;
    QStringView last;
};

// Whether any inspection with a frequency other than 0 and a last date that reads as a date
// falls due this calendar year or earlier.
bool anyDue(const std::array<StoredInspection, Kinds.size()>& inspections, const QDate& today);

} // namespace korvane::schedule
