#pragma once

#include <QChar>
#include <QString>

#include <functional>

namespace korvane::dimension {

// The tank's diameter, shell height and design liquid level are kept in whole inches, whatever
// units the user works in. The user types a number of feet (or metres) into the box and presses
// a unit key; two questions then ask for the feet and inches (or metres and centimetres), and
// the box shows the result as decimal feet (or metres).

inline constexpr const char* ConversionTitle = "Value Conversion";
inline constexpr const char* FeetPrompt = "Enter the no. of feet for this dimension.";
inline constexpr const char* InchesPrompt = "Now enter the no. of inches for this dimension.";
inline constexpr const char* MetresPrompt = "Enter the no. of meters for this dimension.";
inline constexpr const char* CentimetresPrompt =
    "Now enter the no. of centimeters for this dimension.";

// The keys that start a conversion: ' F f M m. The key itself is not typed into the box.
bool isUnitKey(QChar key);

// Asks one question (prompt, default answer) and gives the answer; empty means cancelled.
using Ask = std::function<QString(const QString& prompt, const QString& defaultText)>;

struct Outcome {
    enum class Kind {
        Converted, // `inches` holds the new whole-inch value
        Cancelled, // the first question was cancelled: the entry ends, nothing changes
        Refused,   // `message` says why; nothing changes
    };
    Kind kind = Kind::Cancelled;
    qint16 inches = 0;
    QString message;
};

// Converts what the box holds (`typed`, read for its leading number) into whole inches:
// - the first question offers the typed number rounded half to even ("12.5" offers "12");
// - feet x 12 + inches, or the metres x 39.3701 and the centimetres x 0.393701 each rounded
//   half to even, are added and rounded to a whole number of inches (12 m 20 cm: 472 + 8 = 480);
// - an empty answer to the second question counts as 0;
// - an answer that is not a number, a negative total, or a total beyond the 32767 inches a
//   dimension field holds is refused with a message, and nothing is changed.
Outcome convert(const QString& typed, bool unitsUS, const Ask& ask);

// A whole-inch dimension as the box shows it: feet (US) or metres, "###.00" ("120.50").
QString displayText(double inches, bool unitsUS);

} // namespace korvane::dimension
