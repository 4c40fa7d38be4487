#include "reports/ReportData.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/Units.h"
#include "data/Database.h"
#include "data/Layout.h"
#include "data/PreferencesRow.h"
#include "due/DueRecords.h"
#include "engineering/Dimension.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/InspectionTypes.h"
#include "engineering/MaxFill.h"
#include "engineering/ShellCourses.h"
#include "engineering/ShellSettlement.h"
#include "engineering/TankLists.h"
#include "engineering/ThicknessRules.h"
#include "engineering/UnitEntry.h"
#include "storage/AssessmentRecords.h"
#include "storage/ShellSurveyRecords.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

// The data tree. Texts are shown as the program's windows show them, in the units of the
// options; a "...Value" beside a text is its number in the same units, unrounded ("" when there
// is none). Every object sets all of its names, so that a template never picks up a name of an
// enclosing object by mistake.
//
//   printed            today, "dd/Mmm/yyyy"
//   usUnits            bool
//   units              { system "US"|"SI", thickness "in."|"mm", length "ft"|"m",
//                        courseHeight "in."|"cm", strength "psi"|"KPa", rate "in/yr"|"mm/yr" }
//   tankCount          number of tanks in the report
//   companies [        by name
//     { name contact address city state zip phone fax comments tankCount
//       locations [    by name
//         { name contact address city state zip phone fax comments company tankCount
//           tanks [    by Tank ID
//             { tankId (the key)  name (the "Tank ID")  first (the report's first tank)
//               company location place serial stateNumber product manufacturer year code
//               tested strapped comments
//               diameter height designLevel (+Value)  capacity (+Value, bbls. or gals.)
//               yield tensile (+Value)  jointEfficiency specificGravity
//               shellConstruction bottomType roofType
//               cpsInstalled cpsManufacturer cpsType vdeInstalled vdeManufacturer
//               courseCount hasCourses
//               courses [ { number height heightValue minimum minimumValue } ]
//               schedule [ { kind frequency frequencyValue last next due } ]
//               external internal primarySeal secondarySeal ultrasonic  (the same objects)
//               dueCount anyDue
//               maxFill { product specificGravity course date any
//                         criticalReading corrosionAllowance designLevel (each with its unit,
//                         "0.312 in." "34.16 ft", or "... (unit not recorded)") }
//               custom [ { number label kind value } ]  hasCustom
//
//               inspections only:
//               inspectionCount hasInspections
//               inspections [  by date
//                 { inspectionId date number type typeCode inspectedBy reason results first
//                   readingCount hasReadings belowCount anyBelow
//                   readings [ by point, then date
//                     { point course courseCode date takenBy reading readingValue
//                       minimum minimumValue below } ]
//                   survey false, or
//                     { number date takenBy comments points analysed missing
//                       rSquared rSquaredValue fitWarning allowance allowanceValue
//                       rows [ { point angle actual outOfPlane deflection (+Value)
//                                allowed ("Yes"/"No") notAllowed } ] } } ]
//
//               tmls only:
//               tmlCount hasTmls
//               tmls [ by point
//                 { point page x xValue y yValue hasReading reading readingValue
//                   date course minimum minimumValue below } ]
//
//               assessment only (the corrosion assessment; years "0.0", rates "0.0000" in/yr
//               or "0.000" mm/yr, each with its ...Value):
//               shortestLife hasShortestLife governingPoint allowedUt allowedExternal scheduledUt
//               scheduledExternal (+Value)  utTooLong externalTooLong anyTooLong
//               pointCount hasReadings
//               points [ worst first, then by point
//                 { point course courseCode first firstDate previous previousDate latest
//                   latestDate minimum longTermRate shortTermRate rate rca remainingLife
//                   utInterval externalInterval (+Value)  scatter status severity
//                   belowMinimum lifeShort red } ] } ] } ] } ]
//
//   due only (the "Due and at Risk" list of the tanks chosen, worst first):
//   due { horizonDays tankCount attentionCount any
//         tanks [ { company location tank product
//                   external internal primarySeal secondarySeal ultrasonic
//                     (each { next overdue soon })
//                   life point below survey lastInspection reasons
//                   lifeShort belowMinimum surveyRed surveyAmber red amber attention } ] }
namespace korvane::reports {

namespace {

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// ---------------------------------------------------------------------------------------------
// Reading cells

QString cellText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// A Single field: the float the program holds, widened again.
double singleValue(const QVariant& v) {
    return static_cast<double>(static_cast<float>(v.toDouble()));
}

// Dates are kept as yyyy-mm-dd; one that is not such a text is shown as it stands. The same
// dates come back again and again (every reading of an inspection has its date), so each is
// worked out once per report.
struct DateCell {
    QString text;
    QDate date;
};

class DateTexts {
public:
    DateCell operator()(const QVariant& v) {
        if (v.isNull())
            return {};
        const QString stored = v.toString();
        if (const auto known = cells_.constFind(stored); known != cells_.constEnd())
            return *known;
        const QDate date = QDate::fromString(stored, Qt::ISODate);
        const DateCell cell = date.isValid()
                                  ? DateCell{formatDate(date), date}
                                  : DateCell{stored, parseDate(stored).value_or(QDate())};
        cells_.insert(stored, cell);
        return cell;
    }

    // A date worked out for the report (the next due date of an inspection), as it is shown.
    QString shown(const QDate& date) {
        if (!date.isValid())
            return {};
        const auto known = shown_.constFind(date.toJulianDay());
        if (known != shown_.constEnd())
            return *known;
        return *shown_.insert(date.toJulianDay(), formatDate(date));
    }

private:
    QHash<QString, DateCell> cells_;
    QHash<qint64, QString> shown_;
};

// A number of the tree: the value, or "" when there is none.
QVariant numberOrBlank(double value, bool present = true) {
    return present && std::isfinite(value) ? QVariant(value) : QVariant(QString());
}

// The rows of one query with its columns found by name once.
class Rows {
public:
    static Result<Rows> run(const Database& db, const QString& sql, const QVariantList& values) {
        auto query = db.exec(sql, values);
        if (!query)
            return query.takeError();
        return Rows(std::move(query.value()));
    }

    bool next() { return query_.next(); }
    int column(const QString& name) const { return query_.columnIndex(name); }
    QVariant at(int column) const { return column < 0 ? QVariant() : query_.value(column); }

private:
    explicit Rows(QueryResult query) : query_(std::move(query)) {}
    QueryResult query_;
};

// ---------------------------------------------------------------------------------------------
// The selection

// The condition in parentheses, for use inside a larger one; empty for every row.
QString condition(const Selection& selection) {
    return selection.isEmpty() ? QString() : QLatin1Char('(') + selection.sql + QLatin1Char(')');
}

QString whereClause(const QString& condition) {
    return condition.isEmpty() ? QString() : QLatin1String(" WHERE ") + condition;
}

QVariantList bindingsOf(const QString& condition, const Selection& selection) {
    return condition.isEmpty() ? QVariantList() : selection.bindings;
}

Status checkTables(DataKind kind, const Selection& selection) {
    const bool tmls = kind == DataKind::Tmls;
    for (const QString& table : selection.tables) {
        const bool tank = table.compare(QLatin1String("Tank"), Qt::CaseInsensitive) == 0;
        const bool tml = table.compare(QLatin1String("TML"), Qt::CaseInsensitive) == 0;
        if (tank || (tmls && tml))
            continue;
        return Error{tmls ? QStringLiteral("The selection of this report may name only {TML.…} "
                                           "and {Tank.…} fields.")
                          : QStringLiteral("The selection of this report may name only {Tank.…} "
                                           "fields.")};
    }
    return {};
}

bool namesTml(const Selection& selection) {
    for (const QString& table : selection.tables)
        if (table.compare(QLatin1String("TML"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// What every tank needs besides its own row

struct UnitTexts {
    QString thickness;
    QString length;
    QString courseHeight;
    QString strength;
    QString rate;
};

UnitTexts unitTexts(bool unitsUS) {
    if (unitsUS)
        return {QStringLiteral("in."), QStringLiteral("ft"), QStringLiteral("in."),
                QStringLiteral("psi"), QStringLiteral("in/yr")};
    return {QStringLiteral("mm"), QStringLiteral("m"), QStringLiteral("cm"), QStringLiteral("KPa"),
            QStringLiteral("mm/yr")};
}

// A thickness in inches as a number in the units shown.
double thicknessNumber(double inches, bool unitsUS) {
    return unitsUS ? inches : inches * units::MillimetresPerInch;
}

struct CustomField {
    int number = 0;
    QString label;
    QString kind;
    bool named = false; // by the Preferences, rather than "Custom Field n"
};

// The custom fields the Preferences show, by their names and kinds; hidden ones are left out.
Result<std::vector<CustomField>> readCustomFields(const Database& db) {
    auto rows = Rows::run(db, QStringLiteral("SELECT * FROM \"Preferences\" LIMIT 1"), {});
    if (!rows)
        return rows.takeError();
    const bool found = rows->next();
    const QStringList& kinds = preferences::customKindNames();
    std::vector<CustomField> fields;
    for (int i = 1; i <= layout::CustomFieldCount; ++i) {
        const QVariant type =
            found ? rows->at(rows->column(QStringLiteral("Custom%1_Type").arg(i))) : QVariant();
        const int code = type.toInt();
        if (code == static_cast<int>(layout::CustomKind::Hidden))
            continue;
        const QString name =
            found ? cellText(rows->at(rows->column(QStringLiteral("Custom%1_Label").arg(i))))
                  : QString();
        // A new database names its fields "Custom Field 1" and so on; that is no name given.
        const QString unnamed = preferences::defaultCustomLabel(i);
        const bool named = !name.trimmed().isEmpty() && name.trimmed() != unnamed;
        fields.push_back({i, named ? name : unnamed,
                          code >= 0 && code < kinds.size() - 1 ? kinds[code] : kinds[0], named});
    }
    return fields;
}

// ---------------------------------------------------------------------------------------------
// Tanks

struct Context {
    bool us = true;
    QDate today;
    std::vector<CustomField> custom;
    DateTexts dates;
    std::function<bool()> keepGoing;
    qint64 rowsRead = 0;

    // The entries of the maximum fill's course list for a tank of that many courses, made once.
    const QStringList& maxFillCourses(int courseCount) {
        auto known = maxFillCourseLists.find(courseCount);
        if (known == maxFillCourseLists.end())
            known =
                maxFillCourseLists.insert(courseCount, courses::maxFillCourseEntries(courseCount));
        return *known;
    }
    QHash<int, QStringList> maxFillCourseLists;

    // Counts a row read; true when the reading is to stop.
    bool stopAfterRow() {
        constexpr qint64 AskEvery = 1024;
        return ++rowsRead % AskEvery == 0 && keepGoing && !keepGoing();
    }
};

Error stopped() {
    return Error{QStringLiteral("The reading of the report's data was stopped.")};
}

// A field of a row and the name its value goes by in the tree.
struct NamedColumn {
    int column = -1;
    QString name;
};

// The positions of the Tank fields a report reads, found once per query, and the names of the
// tree they are shown under, made once rather than for every tank.
struct TankColumns {
    explicit TankColumns(const Rows& rows) {
        const auto at = [&rows](const char* field) {
            return rows.column(latin(field));
        };
        const auto named = [&at](std::initializer_list<std::pair<const char*, const char*>> list) {
            std::vector<NamedColumn> columns;
            for (const auto& [field, name] : list)
                columns.push_back({at(field), latin(name)});
            return columns;
        };
        texts = named({{"Name", "name"},
                       {"PhysLoc", "place"},
                       {"SerialNum", "serial"},
                       {"StateNum", "stateNumber"},
                       {"Product", "product"},
                       {"Manufacturer", "manufacturer"},
                       {"MfgYear", "year"},
                       {"MfgCode", "code"},
                       {"Comments", "comments"},
                       {"VDEMfgBy", "vdeManufacturer"},
                       {"CPSMfgBy", "cpsManufacturer"},
                       {"CPSType", "cpsType"},
                       // as stored: what the bound boxes of the Design Info tab show
                       {"JointEff", "jointEfficiency"},
                       {"SpecGravity", "specificGravity"}});
        dates = named({{"Tested", "tested"},
                       {"Strapped", "strapped"},
                       {"VDEInstalled", "vdeInstalled"},
                       {"CPSInstalled", "cpsInstalled"}});
        maxFillTexts = named({{"MFProduct", "product"}, {"MFSGravity", "specificGravity"}});
        key = at("TankID");
        location = at("LocationID");
        capacity = at("Capacity");
        diameter = at("Diameter");
        height = at("Height");
        level = at("DesignLevel");
        yield = at("Yield");
        tensile = at("Tensile");
        courses = at("Courses");
        for (int i = 1; i <= MaxShellCourses; ++i) {
            courseHeight[static_cast<std::size_t>(i - 1)] = rows.column(courses::heightField(i));
            courseMin[static_cast<std::size_t>(i - 1)] = rows.column(courses::minWallField(i));
        }
        mfgType = at("MfgType");
        bottomType = at("BottomType");
        roofType = at("RoofType");
        static constexpr std::array<const char*, schedule::Kinds.size()> names{
            "external", "internal", "primarySeal", "secondarySeal", "ultrasonic"};
        for (std::size_t k = 0; k < schedule::Kinds.size(); ++k)
            schedule[k] = {at(schedule::Kinds[k].freqField), at(schedule::Kinds[k].lastField),
                           latin(schedule::Kinds[k].label), latin(names[k])};
        mfCourse = at("MFCourse");
        mfDate = at("MFDate");
        mfReading = at("MFCReading");
        mfAllowance = at("MFCAllowance");
        mfLevel = at("MFDesignLevel");
        mfUnits = at(maxfill::UnitsField); // -1 in a file made before the field existed
        for (int i = 1; i <= layout::CustomFieldCount; ++i)
            custom[static_cast<std::size_t>(i - 1)] =
                rows.column(QStringLiteral("Custom%1").arg(i));
    }

    std::vector<NamedColumn> texts;
    std::vector<NamedColumn> dates;
    std::vector<NamedColumn> maxFillTexts;
    int key = -1, location = -1, capacity = -1, diameter = -1, height = -1, level = -1;
    int yield = -1, tensile = -1, courses = -1;
    std::array<int, MaxShellCourses> courseHeight{};
    std::array<int, MaxShellCourses> courseMin{};
    int mfgType = -1, bottomType = -1, roofType = -1;
    struct Scheduled {
        int frequency = -1;
        int last = -1;
        QString kind;
        QString name; // the name the entry also goes by beside the list
    };
    std::array<Scheduled, schedule::Kinds.size()> schedule;
    int mfCourse = -1, mfDate = -1, mfReading = -1, mfAllowance = -1, mfLevel = -1, mfUnits = -1;
    std::array<int, layout::CustomFieldCount> custom{};
};

struct Tank {
    qint32 id = 0;
    qint32 locationId = 0;
    QVariantMap data;
    thickness::Minimums minimums{};
    settlement::TankValues survey;
};

QVariantMap scheduleEntry(const Rows& rows, const TankColumns::Scheduled& c, Context& cx) {
    const QVariant frequency = rows.at(c.frequency);
    const DateCell last = cx.dates(rows.at(c.last));
    const QDate next = schedule::nextDueDate(last.date, frequency.toDouble());
    return {{QStringLiteral("kind"), c.kind},
            {QStringLiteral("frequency"),
             frequency.isNull() ? QString() : unitentry::frequencyShown(frequency.toDouble()).text},
            {QStringLiteral("frequencyValue"),
             numberOrBlank(frequency.toDouble(), !frequency.isNull())},
            {QStringLiteral("last"), last.text},
            {QStringLiteral("next"), cx.dates.shown(next)},
            {QStringLiteral("due"), schedule::isDue(next, cx.today)}};
}

// A dimension kept in whole inches: nothing for 0 or none, as the Design Info tab shows it.
void putDimension(QVariantMap& tank, const QString& name, const QString& valueName,
                  const QVariant& stored, bool us) {
    const double inches = stored.toDouble();
    const bool shown = inches != 0;
    tank.insert(name, shown ? dimension::displayText(inches, us) : QString());
    tank.insert(valueName,
                numberOrBlank(inches / (us ? units::InchesPerFoot : units::InchesPerMetre), shown));
}

// A number of the maximum fill record with its unit ("34.16 ft", "0.312 in."), converted from
// the unit it is stored in; one whose unit cannot be told (an older record on a tank without a
// shell height) as stored, saying so.
QString maxFillPrinted(const QVariant& stored, maxfill::RecordUnits units, bool level, bool us) {
    if (stored.isNull())
        return {};
    const double value = stored.toDouble();
    if (units == maxfill::RecordUnits::Unknown)
        return numberText(value) + QStringLiteral(" (unit not recorded)");
    if (level)
        return maxfill::levelShown(maxfill::storedLevelFeet(value, units), us) +
               (us ? QStringLiteral(" ft") : QStringLiteral(" m"));
    return formatThickness(maxfill::storedThicknessInches(value, units), us) +
           (us ? QStringLiteral(" in.") : QStringLiteral(" mm"));
}

// A strength kept in psi, shown in psi or KPa; nothing for 0 or none.
void putStrength(QVariantMap& tank, const QString& name, const QString& valueName,
                 const QVariant& stored, bool us) {
    const double psi = stored.toDouble();
    const bool shown = psi != 0;
    tank.insert(name, shown ? unitentry::strengthText(psi, us) : QString());
    tank.insert(valueName, numberOrBlank(us ? psi : psi * units::KPaPerPsi, shown));
}

// The tank's courses: the heights in the report's units (converted from the unit they were
// entered in, told by their sum against the shell height), the minimums in inches, which also
// become the minimums its readings are held against.
QVariantList courseList(const Rows& rows, const TankColumns& c, courses::CourseData data,
                        Tank& tank, bool us) {
    const int count = data.courses();
    for (int i = 1; i <= count; ++i)
        data.heights[static_cast<std::size_t>(i - 1)] =
            static_cast<qint16>(rows.at(c.courseHeight[static_cast<std::size_t>(i - 1)]).toInt());
    const auto unit = courses::storedHeightUnit(data, rows.at(c.height).toInt());
    QVariantList list;
    list.reserve(count);
    for (int i = 1; i <= count; ++i) {
        const auto slot = static_cast<std::size_t>(i - 1);
        const qint16 height = data.heights[slot];
        const double minimum = singleValue(rows.at(c.courseMin[slot]));
        tank.minimums[static_cast<std::size_t>(thickness::courseCode(i))] = minimum;
        const QString heightText = courses::heightCellText(height, unit, us);
        const QString minimumText = courses::minWallCellText(static_cast<float>(minimum), us);
        list.append(QVariantMap{
            {QStringLiteral("number"), i},
            {QStringLiteral("height"), heightText},
            {QStringLiteral("heightValue"),
             numberOrBlank(courses::shownHeight(height, unit, us), !heightText.isEmpty())},
            {QStringLiteral("minimum"), minimumText},
            {QStringLiteral("minimumValue"),
             numberOrBlank(thicknessNumber(minimum, us), !minimumText.isEmpty())}});
    }
    return list;
}

// A custom field is listed when the Preferences name it or the tank holds a value in it.
QVariantList customList(const Rows& rows, const TankColumns& c, const Context& cx) {
    QVariantList list;
    for (const CustomField& field : cx.custom) {
        const QString value =
            cellText(rows.at(c.custom[static_cast<std::size_t>(field.number - 1)]));
        if (value.isEmpty() && !field.named)
            continue;
        list.append(QVariantMap{{QStringLiteral("number"), field.number},
                                {QStringLiteral("label"), field.label},
                                {QStringLiteral("kind"), field.kind},
                                {QStringLiteral("value"), value}});
    }
    return list;
}

Tank readTank(const Rows& rows, const TankColumns& c, Context& cx) {
    Tank tank;
    tank.id = rows.at(c.key).toInt();
    tank.locationId = rows.at(c.location).toInt();
    QVariantMap& t = tank.data;
    t.insert(QStringLiteral("tankId"), tank.id);
    t.insert(QStringLiteral("first"), false);
    for (const NamedColumn& text : c.texts)
        t.insert(text.name, cellText(rows.at(text.column)));
    for (const NamedColumn& date : c.dates)
        t.insert(date.name, cx.dates(rows.at(date.column)).text);

    const QVariant diameter = rows.at(c.diameter);
    const QVariant height = rows.at(c.height);
    const QVariant yield = rows.at(c.yield);
    putDimension(t, QStringLiteral("diameter"), QStringLiteral("diameterValue"), diameter, cx.us);
    putDimension(t, QStringLiteral("height"), QStringLiteral("heightValue"), height, cx.us);
    putDimension(t, QStringLiteral("designLevel"), QStringLiteral("designLevelValue"),
                 rows.at(c.level), cx.us);
    putStrength(t, QStringLiteral("yield"), QStringLiteral("yieldValue"), yield, cx.us);
    putStrength(t, QStringLiteral("tensile"), QStringLiteral("tensileValue"), rows.at(c.tensile),
                cx.us);
    const QVariant capacity = rows.at(c.capacity);
    t.insert(QStringLiteral("capacity"),
             capacity.isNull() ? QString()
                               : unitentry::capacityShown(capacity.toDouble()).text.trimmed());
    t.insert(QStringLiteral("capacityValue"),
             numberOrBlank(std::fabs(capacity.toDouble()), !capacity.isNull()));
    t.insert(QStringLiteral("shellConstruction"),
             tanklists::entryText(tanklists::shellConstructions(), rows.at(c.mfgType)));
    t.insert(QStringLiteral("bottomType"),
             tanklists::entryText(tanklists::bottomTypes(), rows.at(c.bottomType)));
    t.insert(QStringLiteral("roofType"),
             tanklists::entryText(tanklists::roofTypes(), rows.at(c.roofType)));

    courses::CourseData courseData;
    courseData.count = cellText(rows.at(c.courses));
    const int courseCount = courseData.courses();
    t.insert(QStringLiteral("courseCount"), courseCount);
    t.insert(QStringLiteral("hasCourses"), courseCount > 0);
    t.insert(QStringLiteral("courses"), courseList(rows, c, courseData, tank, cx.us));

    QVariantList scheduleList;
    int dueCount = 0;
    for (const TankColumns::Scheduled& kind : c.schedule) {
        const QVariantMap entry = scheduleEntry(rows, kind, cx);
        dueCount += entry.value(QStringLiteral("due")).toBool() ? 1 : 0;
        t.insert(kind.name, entry);
        scheduleList.append(entry);
    }
    t.insert(QStringLiteral("schedule"), scheduleList);
    t.insert(QStringLiteral("dueCount"), dueCount);
    t.insert(QStringLiteral("anyDue"), dueCount > 0);

    const QString fillDate = cx.dates(rows.at(c.mfDate)).text;
    const QString fillCourse =
        tanklists::entryText(cx.maxFillCourses(courseCount), rows.at(c.mfCourse));
    QVariantMap maxFill{{QStringLiteral("date"), fillDate}, {QStringLiteral("course"), fillCourse}};
    bool anyFill = !fillDate.isEmpty() || !fillCourse.isEmpty();
    for (const NamedColumn& text : c.maxFillTexts) {
        const QString value = cellText(rows.at(text.column));
        anyFill = anyFill || !value.isEmpty();
        maxFill.insert(text.name, value);
    }
    const QVariant mark = rows.at(c.mfUnits);
    const QVariant fillLevel = rows.at(c.mfLevel);
    const maxfill::RecordUnits fillUnits =
        maxfill::recordUnits(mark.isNull() ? std::nullopt : std::optional<bool>(mark.toBool()),
                             fillLevel.toDouble(), height.toInt());
    for (const auto& [name, stored, level] :
         {std::tuple{"criticalReading", rows.at(c.mfReading), false},
          std::tuple{"corrosionAllowance", rows.at(c.mfAllowance), false},
          std::tuple{"designLevel", fillLevel, true}}) {
        const QString value = maxFillPrinted(stored, fillUnits, level, cx.us);
        anyFill = anyFill || !value.isEmpty();
        maxFill.insert(latin(name), value);
    }
    maxFill.insert(QStringLiteral("any"), anyFill);
    t.insert(QStringLiteral("maxFill"), maxFill);

    const QVariantList custom = customList(rows, c, cx);
    t.insert(QStringLiteral("hasCustom"), !custom.isEmpty());
    t.insert(QStringLiteral("custom"), custom);

    // Diameter and height are kept in whole inches.
    tank.survey.diameterFt = diameter.toDouble() / units::InchesPerFoot;
    tank.survey.heightFt = height.toDouble() / units::InchesPerFoot;
    tank.survey.yieldPsi = yield.toDouble();
    return tank;
}

// ---------------------------------------------------------------------------------------------
// Companies and locations

QVariantMap addressData(const Rows& rows, const char* nameField) {
    QVariantMap data{{QStringLiteral("name"), cellText(rows.at(rows.column(latin(nameField))))}};
    for (const char* field :
         {"Contact", "Address", "City", "State", "Zip", "Phone", "Fax", "Comments"}) {
        QString name = latin(field);
        const QVariant value = rows.at(rows.column(name));
        name[0] = name[0].toLower();
        data.insert(name, cellText(value));
    }
    return data;
}

struct Place {
    qint32 id = 0;
    qint32 companyId = 0;
    QVariantMap data;
};

Result<std::vector<Place>> readPlaces(const Database& db, const char* table, const char* keyField,
                                      const char* nameField) {
    auto rows = Rows::run(db,
                          QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"%2\", \"%3\"")
                              .arg(latin(table), latin(nameField), latin(keyField)),
                          {});
    if (!rows)
        return rows.takeError();
    const int key = rows->column(latin(keyField));
    const int company = rows->column(QStringLiteral("CompanyID"));
    std::vector<Place> places;
    while (rows->next())
        places.push_back(
            {rows->at(key).toInt(), rows->at(company).toInt(), addressData(*rows, nameField)});
    return places;
}

// ---------------------------------------------------------------------------------------------
// Inspections, readings and surveys

// A reading and the minimum of its course, as the Thickness tab shows them; gives whether the
// reading lies below that minimum.
bool putReading(QVariantMap& data, const QVariant& stored, int course, const Tank& tank, bool us) {
    const double inches = stored.isNull() ? std::nan("") : stored.toDouble();
    const double minimum = course >= 0 && course <= thickness::RoofCode
                               ? tank.minimums[static_cast<std::size_t>(course)]
                               : 0.0;
    const bool below = thickness::belowMinimum(inches, course, tank.minimums, us);
    data.insert(QStringLiteral("course"), thickness::courseText(course));
    data.insert(QStringLiteral("courseCode"), course);
    data.insert(QStringLiteral("reading"), thickness::shownThickness(inches, us));
    data.insert(QStringLiteral("readingValue"), numberOrBlank(thicknessNumber(inches, us)));
    data.insert(QStringLiteral("minimum"),
                minimum > 0 ? thickness::shownThickness(minimum, us) : QString());
    data.insert(QStringLiteral("minimumValue"),
                numberOrBlank(thicknessNumber(minimum, us), minimum > 0));
    data.insert(QStringLiteral("below"), below);
    return below;
}

QVariantMap surveyData(const Rows& rows, const Tank& tank, Context& cx) {
    const bool us = cx.us;
    // The count is stored as a floating-point number and used as a whole one.
    const auto count = toInt32(rows.at(rows.column(QStringLiteral("SurveyPoints"))).toDouble());
    const int points = count ? *count : 0;
    std::vector<double> readings;
    if (points >= 1 && points <= settlement::MaximumPoints)
        for (int i = 1; i <= points; ++i)
            readings.push_back(singleValue(rows.at(rows.column(settleField(i)))));
    const settlement::Analysis analysis = settlement::analyse(readings, tank.survey);
    const bool shown = analysis.analysed;
    const auto length = [us, shown](double inches, bool always = false) {
        return always || shown ? formatThickness(inches, us) : QString();
    };
    const auto lengthValue = [us, shown](double inches, bool always = false) {
        return numberOrBlank(thicknessNumber(inches, us), always || shown);
    };
    QVariantList rowList;
    for (const settlement::SurveyRow& row : analysis.rows)
        rowList.append(QVariantMap{
            {QStringLiteral("point"), row.point},
            {QStringLiteral("angle"), settlement::angleText(row.angle)},
            {QStringLiteral("actual"), length(row.actual, true)},
            {QStringLiteral("actualValue"), lengthValue(row.actual, true)},
            {QStringLiteral("outOfPlane"), length(row.outOfPlane)},
            {QStringLiteral("outOfPlaneValue"), lengthValue(row.outOfPlane)},
            {QStringLiteral("deflection"), length(row.deflection)},
            {QStringLiteral("deflectionValue"), lengthValue(row.deflection)},
            {QStringLiteral("allowed"),
             shown ? (row.allowed ? QStringLiteral("Yes") : QStringLiteral("No")) : QString()},
            {QStringLiteral("notAllowed"), shown && !row.allowed}});
    return {
        {QStringLiteral("number"), cellText(rows.at(rows.column(QStringLiteral("InspectionNum"))))},
        {QStringLiteral("date"), cx.dates(rows.at(rows.column(QStringLiteral("DateTaken")))).text},
        {QStringLiteral("takenBy"), cellText(rows.at(rows.column(QStringLiteral("TakenBy"))))},
        {QStringLiteral("comments"), cellText(rows.at(rows.column(QStringLiteral("Comments"))))},
        {QStringLiteral("points"), points},
        {QStringLiteral("analysed"), shown},
        {QStringLiteral("missing"), shown ? QString() : analysis.missing},
        {QStringLiteral("rSquared"), shown ? formatNumber(analysis.rSquared, u"0.000") : QString()},
        {QStringLiteral("rSquaredValue"), numberOrBlank(analysis.rSquared, shown)},
        {QStringLiteral("fitWarning"), shown && analysis.rSquared < settlement::SoundFit},
        {QStringLiteral("allowance"), length(analysis.allowanceIn)},
        {QStringLiteral("allowanceValue"), lengthValue(analysis.allowanceIn)},
        {QStringLiteral("rows"), rowList}};
}

// The condition choosing rows whose tank column is one of the selected tanks.
QString tankFilter(const QString& tankColumn, const QString& tankCondition) {
    if (tankCondition.isEmpty())
        return {};
    return tankColumn + QLatin1String(" IN (SELECT \"Tank\".\"TankID\" FROM \"Tank\" WHERE ") +
           tankCondition + QLatin1Char(')');
}

// Gives every tank its list from byTank (an empty one when it has none), with its count and
// whether it has any.
void giveEachTank(QHash<qint32, Tank>& tanks, QHash<qint32, QVariantList>& byTank,
                  const QString& listName, const QString& countName, const QString& anyName) {
    for (auto it = tanks.begin(); it != tanks.end(); ++it) {
        const QVariantList list = byTank.take(it.key());
        it->data.insert(countName, list.size());
        it->data.insert(anyName, !list.isEmpty());
        it->data.insert(listName, list);
    }
}

Status addInspections(const Database& db, const QString& tankCondition, const Selection& selection,
                      QHash<qint32, Tank>& tanks, Context& cx) {
    const QVariantList bindings = bindingsOf(tankCondition, selection);
    const QString inspectionFilter =
        tankFilter(QStringLiteral("\"Inspection\".\"TankID\""), tankCondition);

    // Surveys and readings first, by inspection; then the inspections, each taking its own.
    QHash<qint32, QVariantMap> surveys;
    {
        auto rows = Rows::run(
            db,
            QStringLiteral("SELECT \"ShellSurvey\".*, \"Inspection\".\"TankID\" AS \"OwnerTank\" "
                           "FROM \"ShellSurvey\" JOIN \"Inspection\" ON "
                           "\"Inspection\".\"InspectionID\" = \"ShellSurvey\".\"InspectionID\"") +
                whereClause(inspectionFilter),
            bindings);
        if (!rows)
            return rows.takeError();
        const int inspection = rows->column(QStringLiteral("InspectionID"));
        const int owner = rows->column(QStringLiteral("OwnerTank"));
        while (rows->next()) {
            if (cx.stopAfterRow())
                return stopped();
            const qint32 id = rows->at(inspection).toInt();
            const auto tank = tanks.constFind(rows->at(owner).toInt());
            if (tank != tanks.constEnd() && !surveys.contains(id))
                surveys.insert(id, surveyData(*rows, *tank, cx));
        }
    }

    struct Readings {
        QVariantList list;
        int below = 0;
    };
    QHash<qint32, Readings> readings;
    {
        auto rows = Rows::run(
            db,
            QStringLiteral("SELECT \"Thickness\".\"InspectionID\", \"Inspection\".\"TankID\", "
                           "\"Thickness\".\"PointID\", \"Thickness\".\"Course\", "
                           "\"Thickness\".\"Reading\", \"Thickness\".\"DateTaken\", "
                           "\"Thickness\".\"TakenBy\" FROM \"Thickness\" JOIN \"Inspection\" ON "
                           "\"Inspection\".\"InspectionID\" = \"Thickness\".\"InspectionID\"") +
                whereClause(inspectionFilter) +
                QStringLiteral(" ORDER BY \"Thickness\".\"PointID\", \"Thickness\".\"DateTaken\", "
                               "\"Thickness\".\"ThicknessID\""),
            bindings);
        if (!rows)
            return rows.takeError();
        while (rows->next()) {
            if (cx.stopAfterRow())
                return stopped();
            const auto tank = tanks.constFind(rows->at(1).toInt());
            if (tank == tanks.constEnd())
                continue;
            QVariantMap reading{{QStringLiteral("point"), cellText(rows->at(2))},
                                {QStringLiteral("date"), cx.dates(rows->at(5)).text},
                                {QStringLiteral("takenBy"), cellText(rows->at(6))}};
            const bool below = putReading(reading, rows->at(4), rows->at(3).toInt(), *tank, cx.us);
            Readings& r = readings[rows->at(0).toInt()];
            r.list.append(reading);
            r.below += below ? 1 : 0;
        }
    }

    auto rows =
        Rows::run(db,
                  QStringLiteral(
                      "SELECT \"InspectionID\", \"TankID\", \"InspectionDate\", \"InspectionNum\", "
                      "\"InspectionType\", \"InspectedBy\", \"InspectionReason\", \"Results\" "
                      "FROM \"Inspection\"") +
                      whereClause(inspectionFilter) +
                      QStringLiteral(" ORDER BY \"InspectionDate\", \"InspectionID\""),
                  bindings);
    if (!rows)
        return rows.takeError();
    QHash<qint32, QVariantList> byTank;
    while (rows->next()) {
        if (cx.stopAfterRow())
            return stopped();
        const qint32 id = rows->at(0).toInt();
        const qint32 tankId = rows->at(1).toInt();
        if (!tanks.contains(tankId))
            continue;
        const int type = rows->at(4).toInt();
        const Readings r = readings.take(id);
        QVariantList& list = byTank[tankId];
        list.append(
            QVariantMap{{QStringLiteral("inspectionId"), id},
                        {QStringLiteral("first"), list.isEmpty()},
                        {QStringLiteral("date"), cx.dates(rows->at(2)).text},
                        {QStringLiteral("number"), cellText(rows->at(3))},
                        {QStringLiteral("type"), inspectiontype::gridText(type)},
                        {QStringLiteral("typeCode"), type},
                        {QStringLiteral("inspectedBy"), cellText(rows->at(5))},
                        {QStringLiteral("reason"), cellText(rows->at(6))},
                        {QStringLiteral("results"), cellText(rows->at(7))},
                        {QStringLiteral("readingCount"), r.list.size()},
                        {QStringLiteral("hasReadings"), !r.list.isEmpty()},
                        {QStringLiteral("belowCount"), r.below},
                        {QStringLiteral("anyBelow"), r.below > 0},
                        {QStringLiteral("readings"), r.list},
                        {QStringLiteral("survey"),
                         surveys.contains(id) ? QVariant(surveys.value(id)) : QVariant(false)}});
    }
    giveEachTank(tanks, byTank, QStringLiteral("inspections"), QStringLiteral("inspectionCount"),
                 QStringLiteral("hasInspections"));
    return {};
}

// ---------------------------------------------------------------------------------------------
// Thickness measurement locations

// A reading told apart by tank and point, as point IDs compare: without regard to case.
QString pointKey(qint32 tankId, const QString& point) {
    return QString::number(tankId) + QLatin1Char('|') + point.toCaseFolded();
}

Status addTmls(const Database& db, const Selection& selection, QHash<qint32, Tank>& tanks,
               Context& cx) {
    const QString selected = condition(selection);
    const QVariantList bindings = bindingsOf(selected, selection);
    const QString tmlJoin =
        QStringLiteral(" FROM \"TML\" JOIN \"Tank\" ON \"Tank\".\"TankID\" = \"TML\".\"TankID\"");

    // The latest reading of every point that is a TML: the readings oldest first, each
    // replacing the one before.
    struct Latest {
        QVariant reading;
        QVariant date;
        int course = 0;
    };
    QHash<QString, Latest> latest;
    {
        // Driven by the TMLs, so that each reading is matched through an index of them.
        const QString sql =
            QStringLiteral("SELECT \"TML\".\"TankID\", \"TML\".\"PointID\", "
                           "\"Thickness\".\"Reading\", \"Thickness\".\"DateTaken\", "
                           "\"Thickness\".\"Course\"") +
            tmlJoin +
            QStringLiteral(" JOIN \"Inspection\" ON \"Inspection\".\"TankID\" = \"TML\".\"TankID\" "
                           "JOIN \"Thickness\" ON \"Thickness\".\"InspectionID\" = "
                           "\"Inspection\".\"InspectionID\" AND \"Thickness\".\"PointID\" = "
                           "\"TML\".\"PointID\"") +
            whereClause(selected) +
            QStringLiteral(" ORDER BY \"Thickness\".\"DateTaken\", \"Thickness\".\"ThicknessID\"");
        auto rows = Rows::run(db, sql, bindings);
        if (!rows)
            return rows.takeError();
        while (rows->next()) {
            if (cx.stopAfterRow())
                return stopped();
            latest.insert(pointKey(rows->at(0).toInt(), cellText(rows->at(1))),
                          {rows->at(2), rows->at(3), rows->at(4).toInt()});
        }
    }

    auto rows = Rows::run(db,
                          QStringLiteral("SELECT \"TML\".\"TankID\", \"TML\".\"PointID\", "
                                         "\"TML\".\"GraphicType\", \"TML\".\"XCoordinate\", "
                                         "\"TML\".\"YCoordinate\"") +
                              tmlJoin + whereClause(selected) +
                              QStringLiteral(" ORDER BY \"TML\".\"PointID\", \"TML\".rowid"),
                          bindings);
    if (!rows)
        return rows.takeError();
    QHash<qint32, QVariantList> byTank;
    while (rows->next()) {
        if (cx.stopAfterRow())
            return stopped();
        const qint32 tankId = rows->at(0).toInt();
        const auto tank = tanks.constFind(tankId);
        if (tank == tanks.constEnd())
            continue;
        const QString point = cellText(rows->at(1));
        const int page = rows->at(2).toInt();
        const double x = rows->at(3).toDouble();
        const double y = rows->at(4).toDouble();
        const auto found = latest.constFind(pointKey(tankId, point));
        const bool read = found != latest.constEnd();
        QVariantMap tml{{QStringLiteral("point"), point},
                        {QStringLiteral("page"), page},
                        {QStringLiteral("x"), formatNumber(x, u"0.00")},
                        {QStringLiteral("xValue"), x},
                        {QStringLiteral("y"), formatNumber(y, u"0.00")},
                        {QStringLiteral("yValue"), y},
                        {QStringLiteral("hasReading"), read && !found->reading.isNull()},
                        {QStringLiteral("date"), read ? cx.dates(found->date).text : QString()}};
        putReading(tml, read ? found->reading : QVariant(), read ? found->course : 0, *tank, cx.us);
        byTank[tankId].append(tml);
    }
    giveEachTank(tanks, byTank, QStringLiteral("tmls"), QStringLiteral("tmlCount"),
                 QStringLiteral("hasTmls"));
    return {};
}

// ---------------------------------------------------------------------------------------------
// Corrosion assessment

// A value of the assessment and its number, in the units shown: "" for both when there is none.
template <typename Shown>
void putAssessed(QVariantMap& data, const QString& name, std::optional<double> value,
                 const Shown& shown, double factor = 1) {
    data.insert(name, value ? shown(*value) : QString());
    data.insert(name + QLatin1String("Value"),
                numberOrBlank(value.value_or(0) * factor, value.has_value()));
}

// A reading of a point: its thickness and the day it was taken.
void putAssessedReading(QVariantMap& data, const QString& name,
                        const std::optional<assessment::Reading>& reading, bool us) {
    const auto shown = [us](double inches) {
        return thickness::shownThickness(inches, us);
    };
    putAssessed(data, name, reading ? std::optional(reading->inches) : std::nullopt, shown,
                thicknessNumber(1, us));
    data.insert(name + QLatin1String("Date"), reading ? formatDate(reading->date) : QString());
}

QVariantMap assessedPoint(const assessment::PointAssessment& p, bool us) {
    using PointStatus = decltype(assessment::PointAssessment::status);
    const auto thicknessText = [us](double inches) {
        return thickness::shownThickness(inches, us);
    };
    const auto rateText = [us](double inchesPerYear) {
        return us ? formatNumber(inchesPerYear, u"0.0000")
                  : formatNumber(inchesPerYear * units::MillimetresPerInch, u"0.000");
    };
    const auto years = [](double value) {
        return formatNumber(value, u"0.0");
    };
    const double perInch = thicknessNumber(1, us);
    QVariantMap point{{QStringLiteral("point"), p.pointId},
                      {QStringLiteral("course"), thickness::courseText(p.course)},
                      {QStringLiteral("courseCode"), p.course},
                      {QStringLiteral("scatter"), p.scatter},
                      {QStringLiteral("status"), assessment::statusText(p.status)},
                      {QStringLiteral("severity"), assessment::severity(p.status)},
                      {QStringLiteral("belowMinimum"), p.status == PointStatus::BelowMinimum},
                      {QStringLiteral("lifeShort"), p.status == PointStatus::LifeShorterThanUt},
                      {QStringLiteral("red"), p.status == PointStatus::BelowMinimum ||
                                                  p.status == PointStatus::LifeShorterThanUt}};
    putAssessedReading(point, QStringLiteral("first"), p.first, us);
    putAssessedReading(point, QStringLiteral("previous"), p.previous, us);
    putAssessedReading(point, QStringLiteral("latest"), p.latest, us);
    putAssessed(point, QStringLiteral("minimum"), p.minimum, thicknessText, perInch);
    putAssessed(point, QStringLiteral("longTermRate"), p.longTermRate, rateText, perInch);
    putAssessed(point, QStringLiteral("shortTermRate"), p.shortTermRate, rateText, perInch);
    putAssessed(point, QStringLiteral("rate"), p.rate, rateText, perInch);
    putAssessed(point, QStringLiteral("rca"), p.rca, thicknessText, perInch);
    putAssessed(point, QStringLiteral("remainingLife"), p.remainingLife, years);
    putAssessed(point, QStringLiteral("utInterval"), p.utInterval, years);
    putAssessed(point, QStringLiteral("externalInterval"), p.externalInterval, years);
    return point;
}

// Every tank assessed as the Thickness tab assesses it, from its own readings, minimums and
// schedule.
Status addAssessments(const QString& databaseName, QHash<qint32, Tank>& tanks, const Context& cx) {
    const auto years = [](double value) {
        return formatNumber(value, u"0.0");
    };
    for (auto it = tanks.begin(); it != tanks.end(); ++it) {
        if (cx.keepGoing && !cx.keepGoing()) // each tank is a query and a calculation of its own
            return stopped();
        auto assessed = assessment::readAssessment(databaseName, it.key());
        if (!assessed)
            return assessed.takeError();
        std::vector<assessment::PointAssessment>& points = assessed->points;
        // Worst first; the points come in point ID order, which a stable sort keeps within a
        // status.
        std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) {
            return assessment::severity(a.status) < assessment::severity(b.status);
        });
        QVariantList list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const assessment::PointAssessment& p : points)
            list.append(assessedPoint(p, cx.us));

        QVariantMap& t = it->data;
        putAssessed(t, QStringLiteral("shortestLife"), assessed->shortestLife, years);
        t.insert(QStringLiteral("hasShortestLife"), assessed->shortestLife.has_value());
        t.insert(QStringLiteral("governingPoint"), assessed->governingPoint);
        putAssessed(t, QStringLiteral("allowedUt"), assessed->utInterval, years);
        putAssessed(t, QStringLiteral("allowedExternal"), assessed->externalInterval, years);
        putAssessed(t, QStringLiteral("scheduledUt"), assessed->utFrequency, years);
        putAssessed(t, QStringLiteral("scheduledExternal"), assessed->externalFrequency, years);
        t.insert(QStringLiteral("utTooLong"), assessed->utTooLong);
        t.insert(QStringLiteral("externalTooLong"), assessed->externalTooLong);
        t.insert(QStringLiteral("anyTooLong"), assessed->utTooLong || assessed->externalTooLong);
        t.insert(QStringLiteral("pointCount"), list.size());
        t.insert(QStringLiteral("hasReadings"), !list.isEmpty());
        t.insert(QStringLiteral("points"), list);
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Due and at Risk

// The list of the tanks chosen, as the Due and at Risk window shows it.
Result<QVariantMap> dueList(const QString& databaseName, const QHash<qint32, Tank>& chosen,
                            const DataOptions& options) {
    due::Options dueOptions;
    dueOptions.today = options.today;
    dueOptions.horizonDays = options.horizonDays;
    auto rows = due::readDueList(databaseName, dueOptions, options.keepGoing);
    if (!rows)
        return rows.takeError();
    static const char* const kinds[] = {"external", "internal", "primarySeal", "secondarySeal",
                                        "ultrasonic"};
    static_assert(std::size(kinds) == schedule::Kinds.size());
    QVariantList tanks;
    int attention = 0;
    for (const due::TankRow& row : *rows) {
        if (!chosen.contains(row.tankId) || (options.attentionOnly && !row.needsAttention()))
            continue;
        attention += row.needsAttention() ? 1 : 0;
        QVariantMap t{{QStringLiteral("company"), row.company},
                      {QStringLiteral("location"), row.location},
                      {QStringLiteral("tank"), row.tank},
                      {QStringLiteral("product"), row.product},
                      {QStringLiteral("life"), due::lifeText(row.shortestLife)},
                      {QStringLiteral("point"), row.governingPoint},
                      {QStringLiteral("below"),
                       row.pointCount > 0 ? QString::number(row.belowMinimum) : QString()},
                      {QStringLiteral("survey"), due::surveyText(row.survey)},
                      {QStringLiteral("lastInspection"), formatDate(row.lastInspection)},
                      {QStringLiteral("reasons"), row.reasons()},
                      {QStringLiteral("lifeShort"), row.lifeShort > 0},
                      {QStringLiteral("belowMinimum"), row.belowMinimum > 0},
                      {QStringLiteral("surveyRed"), row.survey.beyond > 0},
                      {QStringLiteral("surveyAmber"), row.survey.beyond == 0 && row.survey.poorFit},
                      {QStringLiteral("red"), row.worst() == due::Mark::Red},
                      {QStringLiteral("amber"), row.worst() == due::Mark::Amber},
                      {QStringLiteral("attention"), row.needsAttention()}};
        for (std::size_t k = 0; k < schedule::Kinds.size(); ++k)
            t.insert(
                QLatin1String(kinds[k]),
                QVariantMap{{QStringLiteral("next"), formatDate(row.schedule[k].next)},
                            {QStringLiteral("overdue"), row.schedule[k].mark == due::Mark::Red},
                            {QStringLiteral("soon"), row.schedule[k].mark == due::Mark::Amber}});
        tanks.append(t);
    }
    return QVariantMap{{QStringLiteral("horizonDays"), options.horizonDays},
                       {QStringLiteral("tankCount"), tanks.size()},
                       {QStringLiteral("attentionCount"), attention},
                       {QStringLiteral("any"), !tanks.isEmpty()},
                       {QStringLiteral("tanks"), tanks}};
}

// ---------------------------------------------------------------------------------------------
// The tree

// Companies > locations > tanks, each level by name; tanks whose location or company is not in
// the database come last, under empty names.
QVariantList groupTanks(const std::vector<Place>& companies, const std::vector<Place>& locations,
                        const std::vector<qint32>& tankOrder, QHash<qint32, Tank>& tanks) {
    QHash<qint32, QVariantList> byLocation;
    for (qint32 id : tankOrder) {
        Tank& tank = tanks[id];
        byLocation[tank.locationId].append(std::move(tank.data));
    }
    QHash<qint32, QVariantList> locationsByCompany;
    const auto addLocation = [&](qint32 companyId, QVariantMap place, QVariantList list) {
        place.insert(QStringLiteral("tankCount"), list.size());
        place.insert(QStringLiteral("tanks"), std::move(list));
        locationsByCompany[companyId].append(std::move(place));
    };
    for (const Place& location : locations)
        if (auto found = byLocation.find(location.id); found != byLocation.end()) {
            addLocation(location.companyId, location.data, std::move(*found));
            byLocation.erase(found);
        }

    QVariantList result;
    const auto addCompany = [&](QVariantMap place, const QVariantList& list) {
        int count = 0;
        for (const QVariant& location : list)
            count += location.toMap().value(QStringLiteral("tankCount")).toInt();
        place.insert(QStringLiteral("tankCount"), count);
        place.insert(QStringLiteral("locations"), list);
        result.append(std::move(place));
    };
    for (const Place& company : companies)
        if (auto found = locationsByCompany.find(company.id); found != locationsByCompany.end()) {
            addCompany(company.data, *found);
            locationsByCompany.erase(found);
        }

    // What is left has no company or no location in the database.
    const QVariantMap unnamed{
        {QStringLiteral("name"), QString()},    {QStringLiteral("contact"), QString()},
        {QStringLiteral("address"), QString()}, {QStringLiteral("city"), QString()},
        {QStringLiteral("state"), QString()},   {QStringLiteral("zip"), QString()},
        {QStringLiteral("phone"), QString()},   {QStringLiteral("fax"), QString()},
        {QStringLiteral("comments"), QString()}};
    QVariantList orphans;
    for (const QVariantList& list : std::as_const(locationsByCompany))
        orphans += list;
    for (auto it = byLocation.begin(); it != byLocation.end(); ++it) {
        QVariantMap place = unnamed;
        place.insert(QStringLiteral("tankCount"), it->size());
        place.insert(QStringLiteral("tanks"), *it);
        orphans.append(place);
    }
    if (!orphans.isEmpty())
        addCompany(unnamed, orphans);
    return result;
}

// Marks the first tank of the report, which starts the first page rather than a new one.
void markFirstTank(QVariantList& companies) {
    if (companies.isEmpty())
        return;
    QVariantMap company = companies.first().toMap();
    QVariantList locations = company.value(QStringLiteral("locations")).toList();
    QVariantMap location = locations.first().toMap();
    QVariantList tanks = location.value(QStringLiteral("tanks")).toList();
    QVariantMap tank = tanks.first().toMap();
    tank.insert(QStringLiteral("first"), true);
    tanks.first() = tank;
    location.insert(QStringLiteral("tanks"), tanks);
    locations.first() = location;
    company.insert(QStringLiteral("locations"), locations);
    companies.first() = company;
}

} // namespace

Result<QVariantMap> buildReportData(const QString& databaseName, DataKind kind,
                                    const Selection& selection, const DataOptions& options) {
    if (auto checked = checkTables(kind, selection); !checked)
        return checked.takeError();
    auto db = Database::open(databaseName);
    if (!db)
        return db.takeError();

    Context cx;
    cx.us = options.unitsUS;
    cx.today = options.today;
    cx.keepGoing = options.keepGoing;
    auto custom = readCustomFields(*db);
    if (!custom)
        return custom.takeError();
    cx.custom = std::move(custom.value());
    auto companies = readPlaces(*db, "Company", "CompanyID", "Company");
    if (!companies)
        return companies.takeError();
    auto locations = readPlaces(*db, "Location", "LocationID", "Location");
    if (!locations)
        return locations.takeError();
    QHash<qint32, QString> companyNames;
    for (const Place& company : *companies)
        companyNames.insert(company.id, company.data.value(QStringLiteral("name")).toString());
    QHash<qint32, std::pair<QString, QString>> placeNames;
    for (Place& location : *locations) {
        const QString companyName = companyNames.value(location.companyId);
        location.data.insert(QStringLiteral("company"), companyName);
        placeNames.insert(location.id,
                          {companyName, location.data.value(QStringLiteral("name")).toString()});
    }

    // The tanks the selection chooses; for TMLs chosen by their own fields, the tanks that have
    // such TMLs.
    QString tankCondition = condition(selection);
    if (kind == DataKind::Tmls && namesTml(selection))
        tankCondition = QStringLiteral("EXISTS (SELECT 1 FROM \"TML\" WHERE \"TML\".\"TankID\" = "
                                       "\"Tank\".\"TankID\" AND ") +
                        tankCondition + QLatin1Char(')');
    auto rows = Rows::run(*db,
                          QStringLiteral("SELECT * FROM \"Tank\"") + whereClause(tankCondition) +
                              QStringLiteral(" ORDER BY \"Name\", \"TankID\""),
                          bindingsOf(tankCondition, selection));
    if (!rows)
        return rows.takeError();
    const TankColumns columns(*rows);
    QHash<qint32, Tank> tanks;
    std::vector<qint32> order;
    while (rows->next()) {
        if (cx.stopAfterRow())
            return stopped();
        Tank tank = readTank(*rows, columns, cx);
        const auto names = placeNames.value(tank.locationId);
        tank.data.insert(QStringLiteral("company"), names.first);
        tank.data.insert(QStringLiteral("location"), names.second);
        order.push_back(tank.id);
        tanks.insert(tank.id, std::move(tank));
    }

    if (kind == DataKind::Inspections)
        if (auto added = addInspections(*db, tankCondition, selection, tanks, cx); !added)
            return added.takeError();
    if (kind == DataKind::Tmls)
        if (auto added = addTmls(*db, selection, tanks, cx); !added)
            return added.takeError();
    if (kind == DataKind::Assessment)
        if (auto added = addAssessments(databaseName, tanks, cx); !added)
            return added.takeError();

    QVariantMap dueData;
    if (kind == DataKind::Due) {
        auto listed = dueList(databaseName, tanks, options);
        if (!listed)
            return listed.takeError();
        dueData = std::move(listed.value());
    }

    QVariantList tree = groupTanks(*companies, *locations, order, tanks);
    markFirstTank(tree);
    const UnitTexts u = unitTexts(cx.us);
    return QVariantMap{
        {QStringLiteral("printed"), formatDate(options.today)},
        {QStringLiteral("usUnits"), cx.us},
        {QStringLiteral("units"), QVariantMap{{QStringLiteral("system"),
                                               cx.us ? QStringLiteral("US") : QStringLiteral("SI")},
                                              {QStringLiteral("thickness"), u.thickness},
                                              {QStringLiteral("length"), u.length},
                                              {QStringLiteral("courseHeight"), u.courseHeight},
                                              {QStringLiteral("strength"), u.strength},
                                              {QStringLiteral("rate"), u.rate}}},
        {QStringLiteral("tankCount"), static_cast<int>(order.size())},
        {QStringLiteral("due"), dueData},
        {QStringLiteral("companies"), tree}};
}

} // namespace korvane::reports
