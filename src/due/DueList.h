#pragma once

#include "engineering/CorrosionAssessment.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/ShellSettlement.h"
#include "spreadsheet/Sheet.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// "Due and at Risk": one row per tank of the whole database, with what an integrity manager asks
// first each morning. For each of the five scheduled inspections its next due date, overdue or due
// within a horizon of days; from the corrosion assessment of the tank's readings the shortest
// remaining life, its point and the points below their minimum or short of life before the next
// ultrasonic inspection; the verdict of the tank's last shell settlement survey; and the date of
// its last inspection of any kind. Every figure comes from the same calculations the tank's own
// windows use.
namespace korvane::due {

inline constexpr int DefaultHorizonDays = 90;
inline constexpr int MaxHorizonDays = 3650;

// How a value is marked: red for what is overdue or beyond a limit now, amber for what comes due
// within the horizon or is close to a limit, none for the rest.
enum class Mark { None, Amber, Red };

struct Options {
    QDate today;
    int horizonDays = DefaultHorizonDays;
};

// A due date against today and the horizon: Red before today, Amber from today to the horizon's
// last day, None after it or for no date.
Mark dueMark(const QDate& next, const QDate& today, int horizonDays);

// One scheduled inspection of a tank.
struct Scheduled {
    double frequency = 0; // as stored: years > 0, months < 0, 0 none
    QDate last;           // invalid when none or not a date
    QDate next;           // invalid when the inspection is not scheduled
    Mark mark = Mark::None;
};

// The tank's last shell settlement survey.
struct Survey {
    bool taken = false; // the tank has a survey at all
    QDate date;         // of the inspection it belongs to
    qint32 inspectionId = 0;
    bool analysed = false;
    QString missing; // why it could not be analysed
    int points = 0;
    int beyond = 0;       // points whose deflection goes beyond the allowance
    double rSquared = 1;  // the fit of the cosine curve
    bool poorFit = false; // rSquared below settlement::SoundFit
};

struct TankRow {
    qint32 tankId = 0;
    qint32 locationId = 0;
    qint32 companyId = 0;
    QString company, location, tank, product;
    std::array<Scheduled, schedule::Kinds.size()> schedule; // in the order of schedule::Kinds
    // The corrosion assessment.
    int pointCount = 0;
    std::optional<double> shortestLife; // years
    QString governingPoint;
    int belowMinimum = 0; // points whose latest reading is below their minimum
    int lifeShort = 0;    // points whose life ends before the next ultrasonic inspection
    Survey survey;
    QDate lastInspection; // of any kind; invalid when none

    int redCount() const;
    int amberCount() const;
    bool needsAttention() const { return redCount() + amberCount() > 0; }
    Mark worst() const;
    // What needs attention, in words ("External overdue; 2 points below minimum"); empty when
    // nothing does.
    QString reasons() const;
};

// What a tank is made of, as the database holds it, for rowFor.
struct TankInput {
    qint32 tankId = 0;
    qint32 locationId = 0;
    qint32 companyId = 0;
    QString company, location, tank, product;
    std::array<double, schedule::Kinds.size()> frequencies{}; // as stored; 0 for a Null
    std::array<QDate, schedule::Kinds.size()> lasts;          // invalid when none or no date
    thickness::Minimums minimums{};
    settlement::TankValues values;
    QDate lastInspection;
};

// The last survey's stored readings, for rowFor; none when the tank has no survey.
struct SurveyInput {
    QDate date;
    qint32 inspectionId = 0;
    int points = 0;
    std::vector<double> readingsIn; // empty when points is outside 1 .. 48
};

// The row of one tank from its stored values, its readings (any order) and its last survey.
TankRow rowFor(const TankInput& tank, const std::vector<TankReading>& readings,
               const std::optional<SurveyInput>& survey, const Options& options);

// Marks the rows' due dates again for other options (another horizon, another day) and puts
// them worst first again; nothing is read again.
void applyOptions(std::vector<TankRow>& rows, const Options& options);

// Worst first: more red marks, then more amber marks, then the earliest due date, then the
// shortest life; then by company, location and tank.
void sortWorstFirst(std::vector<TankRow>& rows);

// The survey's verdict in words: "" when none, "Within allowance", "2 points beyond allowance",
// with "; R² 0.843 below 0.90" when the fit is poor, or "Not analysed: ...".
QString surveyText(const Survey& survey);
// The shortest life in years as shown ("12.3"), empty when none.
QString lifeText(const std::optional<double>& years);

// The column titles of the list, in order.
QStringList columnTitles();
inline constexpr int FirstScheduleColumn = 4;
enum Column {
    CompanyColumn,
    LocationColumn,
    TankColumn,
    ProductColumn,
    LifeColumn = FirstScheduleColumn + static_cast<int>(schedule::Kinds.size()),
    PointColumn,
    BelowColumn,
    SurveyColumn,
    LastInspectionColumn,
    AttentionColumn,
    ColumnCount
};

// The colour a mark is shown in: 0xRRGGBB, none for Mark::None.
std::optional<quint32> markColour(Mark mark);
// The mark of one cell of a row (the schedule's dates, the life, the points below minimum and the
// survey carry marks; the others none).
Mark cellMark(const TankRow& row, int column);

// The rows as a sheet (CSV and .xlsx), each cell as the window shows it, marked in its colour.
sheet::Sheet toSheet(const std::vector<TankRow>& rows);

} // namespace korvane::due
