#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace korvane::unitentry {

// Boxes whose value is stored as one signed number, the sign telling the unit: the capacity
// (positive barrels, negative gallons) and the five inspection frequencies (positive years,
// negative months). The user types the number and a letter that chooses the unit; the box keeps
// the choice as a hidden marker beside its text.

inline const QString PositiveUnit = QStringLiteral("0"); // barrels, years
inline const QString NegativeUnit = QStringLiteral("1"); // gallons, months
inline const QString NoUnit = QStringLiteral("2");       // no unit chosen: nothing is stored

// What a typed key does: the marker it sets, and whether the box must not take it.
struct KeyEffect {
    std::optional<QString> marker;
    bool swallow = false;
};
// Capacity: "B"/"b" barrels, "G"/"g" gallons; a comma is swallowed (1,000 cannot be half read).
KeyEffect capacityKey(QChar key);
// Frequency: "Y"/"y" years, "M"/"m" months.
KeyEffect frequencyKey(QChar key);

// Leaving a box without having chosen a unit marks it as having none.
QString markerOnLeave(const QString& marker);

// The value to store: the leading number of the text, negated for the second unit; nothing
// when no unit was chosen.
std::optional<double> storedValue(QStringView text, QStringView marker);

// A stored value as its box shows it, with the marker that goes with it.
struct Shown {
    QString text;
    QString marker;
};
// " 1000 bbls." (0 or more) or " 500 gals." (stored -500).
Shown capacityShown(double stored);
// "5 Year(s)" (0 or more) or "18 Month(s)" (stored -18).
Shown frequencyShown(double stored);

// A frequency box's text on leaving it: its number followed by the unit word of the marker
// ("5y" and years give "5 Year(s)"); unchanged when no unit was chosen.
QString frequencyTextOnLeave(const QString& text, QStringView marker);

// Strength boxes show psi (US) or KPa (metric); their hidden value always holds psi.
// The hidden value for a typed text: the text itself in US units, else the KPa read from it
// divided by 6.894757, written as a number.
QString strengthTag(const QString& typed, bool unitsUS);
// A stored psi value as the box shows it: psi, or psi x 6.894757, formatted "######".
QString strengthText(double psi, bool unitsUS);

} // namespace korvane::unitentry
