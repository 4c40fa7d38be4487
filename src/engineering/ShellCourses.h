#pragma once

#include "engineering/MinWall.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace korvane::courses {

// The shell courses of a tank as the Tank Information window keeps them: how many there are,
// the height of each and its minimum required thickness. The window asks the questions and
// shows the grid; these are the rules it follows.
//
// Course heights are kept as they were entered: whole inches when the program works in US
// units, whole centimetres in metric units. Minimum thicknesses are always inches.

inline constexpr const char* AdjustmentsTitle = "Course Adjustments";
inline constexpr const char* HeightDataTitle = "Insufficient Height Data";
inline constexpr const char* HeightMissingText = "Necessary information is missing!";
inline constexpr const char* CountPrompt = "Enter the number of courses.";
inline constexpr const char* ConfirmCountText =
    "Are you sure you want to change the number of courses?";

// A shell lower than this many inches cannot be divided into courses.
inline constexpr int MinimumShellHeightIn = 10;

// The course data of one tank; slot 0 is the bottom course.
struct CourseData {
    QString count; // the number of courses as stored or answered; "" = never given
    std::array<qint16, MaxShellCourses> heights{};
    std::array<float, MaxShellCourses> minWall{};

    // The number of courses the slots are used for: the count read as a number, within 0..10.
    int courses() const;
    // Empties the slots above the number of courses.
    void clearUnusedSlots();
};

// The answer to "Enter the number of courses.".
struct CountAnswer {
    enum class Kind {
        Accepted,  // `count` is the number of courses, 0 to 10
        Cancelled, // no answer: nothing changes
        Refused,   // `message` says why; nothing changes
    };
    Kind kind = Kind::Cancelled;
    int count = 0;
    QString message;
};
CountAnswer readCourseCount(const QString& answer);

// Whether an accepted count differs from the one the tank has, so the user must confirm it.
bool countDiffers(const QString& current, int answered);

// The total the course heights share: the shell height in whole inches (US), or in whole
// centimetres (metric), rounded half to even.
int totalHeight(int shellHeightIn, bool unitsUS);

// Heights of n courses sharing the total evenly, each rounded half to even.
void setUniformHeights(CourseData& data, int total);

// The question for the height of a course (1 = bottom). The first says that 0 gives uniform
// heights; the others put the course number after two blanks.
QString heightPrompt(int course, bool unitsUS);

// Asks one question (prompt, default answer) and gives the answer; empty means cancelled.
using Ask = std::function<QString(const QString& prompt, const QString& defaultText)>;
// Shows a refusal and returns once the user has read it.
using Tell = std::function<void(const QString& message)>;

// Asks the height of each course from the bottom, offering what is left of the total after the
// courses answered so far. 0 for the bottom course shares the total evenly instead. Cancelling
// ends the questions and leaves the courses not yet answered as they were. Answers are rounded
// half to even; one that is not a number, or lies outside 0 to 32767, is refused with a message
// and the same question is asked again.
void askCourseHeights(CourseData& data, int total, bool unitsUS, const Ask& ask, const Tell& tell);

// The question offering to raise a strength below the least the rule accepts, and what the box
// then shows and holds.
struct StrengthOffer {
    QString question;
    QString boxText; // psi (US) or KPa
    qint32 psi = 0;
};
StrengthOffer yieldOffer(bool unitsUS);
StrengthOffer tensileOffer(bool unitsUS);

// The course grid: the row captions, the column captions ("Floor", "Course 1" .. "Course 10",
// "Roof") and the cells. A height of 10 or less and a thickness below 0.1 in leave the cell
// empty; thicknesses show "0.000" in inches or "#0.00" in mm.
QString heightRowCaption(bool unitsUS);
inline constexpr const char* MinWallRowCaption = "Min. Wall";
QStringList gridColumnCaptions();
QString gridToolTip(bool unitsUS);

// Stored course heights carry no unit: they are whole inches or whole centimetres, as they were
// entered. A set of heights is in inches when its sum lies nearer (in ratio) the tank's shell
// height in inches than in centimetres, in centimetres otherwise (see StoredUnit.h); without a
// shell height, or without any height, the unit cannot be told.
enum class HeightUnit { Inches, Centimetres, Unknown };
HeightUnit storedHeightUnit(const CourseData& data, int shellHeightIn);
// A stored height in the units of the preferences: inches to centimetres by 2.5399986, back by
// 0.393701; as stored when the unit is unknown or already the one shown.
double shownHeight(qint16 stored, HeightUnit unit, bool unitsUS);
// The grid's cell for a stored height (empty for 10 or less, as stored), "#00.00" converted.
QString heightCellText(qint16 stored, HeightUnit unit, bool unitsUS);
QString minWallCellText(float inches, bool unitsUS);
QString coursesLabel(const QString& count);

// Whether the minimums a tank holds agree with those its data works out to (bottom course
// first), as the grid shows them in the units of the preferences: empty when they do, else a
// sentence naming the first course that differs.
QString staleMinimumsText(const CourseData& held, const std::vector<float>& workedOut,
                          bool unitsUS);

// The course choices of the maximum fill record: "", "Floor", "Course 1" .. "Course n".
QStringList maxFillCourseEntries(int courses);

// Tank fields of course i (1 .. 10).
QString heightField(int course);
QString minWallField(int course);

} // namespace korvane::courses
