#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace korvane {

// The number a text begins with, as the program reads typed and stored values.
//
// Leading spaces and tabs are skipped, then the longest leading number is taken: an optional
// sign, digits with an optional decimal point (".5" and "5." both count), and an optional
// exponent (e or E, optional sign) that is used only when digits follow it. Everything after the
// number is ignored: "12.5 ft" is 12.5, "1,000" is 1, "1e" is 1. A text that does not begin with
// a number gives 0. Only the ASCII digits count, and the decimal point is always '.', whatever
// the system locale says.
//
// A number too large for a double gives the largest finite double of its sign, never an
// infinity, so whatever uses the value can still compare and report it. A number too small to
// be told from zero gives zero.
double numericValue(QStringView text);

// Whether the text begins with a number as numericValue reads it ("12 ft" and " .5" do; "ft",
// "-" and "" do not), so that a typed 0 can be told from a text that holds no number at all.
bool beginsWithNumber(QStringView text);
// The value of a text that is a number and nothing else (blanks around it allowed), read as
// numericValue reads it; no value for "12 ft", "1,000", "" or any other text.
std::optional<double> plainNumber(QStringView text);

// The text with letter case folded away, as QString::toCaseFolded gives it, and as IDs are
// compared. An ASCII text (nearly every point ID) is folded by lowering A to Z, many times
// quicker, and one with nothing to fold is shared, not copied.
QString foldedCase(const QString& text);

} // namespace korvane
