#pragma once

#include "engineering/TankReading.h"
#include "engineering/ThicknessRules.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The checks every thickness reading goes through before it is stored, typed or read from a
// gauge's file: each finds one kind of slip (a reading thicker than before, thinner than
// corrosion could make it, outside what a plate can be, too soon after the last, on a point
// that is not quite one of the tank's, typed in the other unit). A reading that fails a check is
// flagged with the reason; the flags are kept with the reading (Thickness.Checks) as the text
// of flagsText.
//
// Thicknesses are in inches, rates in inches per year. A year is 365.25 days.
namespace korvane::readingcheck {

// Limits the user sets in the Preferences, and their defaults.
inline constexpr double DefaultGaugeTolerance = 0.010; // inches
inline constexpr double DefaultPlausibleRate = 0.050;  // inches per year
// Fixed limits: more than this share of the wall lost at once is a slip; no plate is thicker
// than this; readings closer together than this give no meaningful rate.
inline constexpr double LostShareLimit = 0.30;
inline constexpr double ThickestPlate = 3.0; // inches
inline constexpr int SoonMonths = 6;

struct Settings {
    double gaugeTolerance = DefaultGaugeTolerance;
    double plausibleRate = DefaultPlausibleRate;
};

enum class Kind { Thicker, Thinner, Implausible, TooSoon, SimilarPoint, OtherUnit };

// Red flags ask the user before the reading is stored (and stop the command-line import); amber
// ones are stored with the reading and shown.
enum class Severity { Amber, Red };
Severity severity(Kind kind);

struct Flag {
    Kind kind;
    QString reason;
    // OtherUnit: the inches the reading stands for when it is read in the other unit.
    std::optional<double> convertedInches = std::nullopt;
};
using Flags = std::vector<Flag>;

bool hasRed(const Flags& flags);
// The reasons, one per line.
QString reasons(const Flags& flags);

// The flags as Thickness.Checks keeps them: one line per flag, "word: reason" (thicker, thinner,
// implausible, soon, similar, unit); empty for none. Read back by parseFlags, which skips lines
// it does not know.
QString flagsText(const Flags& flags);
Flags parseFlags(const QString& stored);

// An earlier reading of the same point.
struct Earlier {
    QDate date;
    double inches = 0;
};

// The reading to check. `enteredUS` is the unit it was typed or read in (the other-unit check
// turns it over); `shownUS` the unit the reasons give thicknesses in.
struct Candidate {
    QString pointId;
    QDate date;
    double inches = 0;
    int course = 0;
    bool enteredUS = true;
};

// What the reading is checked against: the point's latest reading on or before its date, the
// minimum of its course, and, for a point the tank has never had, the tank's points that look
// like it.
struct Context {
    std::optional<Earlier> previous;
    std::optional<double> minimum;
    QStringList similarPoints;
};

Flags check(const Candidate& reading, const Context& context, const Settings& settings,
            bool shownUS);

// Whether two point IDs look alike: the same when letter case, blanks and the separators - _ .
// / are ignored and the letters a gauge's keypad or a tired eye mixes up with digits (O and 0;
// I, L and 1) are read as one.
bool looksAlike(const QString& a, const QString& b);

// The readings of a tank by point, grown as readings are added (so that a file's later rows are
// checked against its earlier ones), for building each reading's Context.
class PointHistory {
public:
    PointHistory() = default;
    explicit PointHistory(const std::vector<TankReading>& readings);

    void add(const QString& pointId, const QDate& date, double inches, int course = 0);
    // The point's latest reading dated on or before `date`.
    std::optional<Earlier> previous(const QString& pointId, const QDate& date) const;
    bool knows(const QString& pointId) const;
    // The course of the point's latest reading that names one; 0 when none does.
    int course(const QString& pointId) const;
    // The tank's points that look like this one, when the tank has never had it.
    QStringList similarTo(const QString& pointId) const;

private:
    struct Point {
        QString name;
        std::vector<Earlier> readings; // oldest first
        QDate courseDate;              // of the reading the course was taken from
        int course = 0;
    };
    QHash<QString, Point> points_;   // by case-folded point ID
    std::vector<QString> spellings_; // of each point, in the order they became known
    // The points by looksAlike key, made when first asked for: only a point the tank has never
    // had needs it.
    mutable std::optional<QHash<QString, QStringList>> alike_;
};

// A reading on its way in from a gauge's file: what its row gives, why it cannot be stored (an
// error) or what it is flagged with.
struct Entry {
    int line = 0; // of the file
    QString pointId;
    std::optional<double> inches;
    bool enteredUS = true; // the unit the thickness was given in
    QString typed;         // the thickness as the file gives it
    int course = 0;        // 0 until known: from the point's previous readings
    QDate date;
    QString takenBy;
    QString error; // empty when the row is a reading
    Flags flags;
};

// What readings of one tank are checked against: its course minimums, the user's limits and
// every reading it has.
struct TankFacts {
    int courses = 0;
    thickness::Minimums minimums{};
    Settings settings;
    PointHistory history;
};

// The flags of one reading of the tank, as check gives them, against the facts.
Flags checkReading(const Candidate& reading, const TankFacts& tank, bool shownUS);

// Checks entries in order: an entry without a course takes its point's, or that of a point it
// looks like (an error when there is none), and each entry without an error is flagged against the
// tank and the entries before it, then added to the tank's history.
void checkEntries(std::vector<Entry>& entries, TankFacts& tank, bool shownUS);

} // namespace korvane::readingcheck
