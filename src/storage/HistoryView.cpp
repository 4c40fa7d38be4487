#include "storage/HistoryView.h"

#include "common/DateText.h"
#include "common/NumberFormat.h"
#include "data/Database.h"
#include "data/PreferencesRow.h"
#include "engineering/Dimension.h"
#include "engineering/InspectionSchedule.h"
#include "engineering/InspectionTypes.h"
#include "engineering/ShellCourses.h"
#include "engineering/TankLists.h"
#include "engineering/ThicknessRules.h"
#include "engineering/UnitEntry.h"
#include "storage/AreaRecords.h"
#include "storage/GraphicStorage.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace korvane::history {

using layout::FieldType;

namespace {

// How the value of a field is shown, beyond what its type says.
enum class Shown {
    ByType,         // dates, booleans and drawings by their type; everything else as stored
    Dimension,      // whole inches, shown as feet or metres
    Feet,           // feet, shown as feet or metres
    Strength,       // psi, shown as psi or KPa
    Capacity,       // barrels, or gallons when negative
    Frequency,      // years, or months when negative
    Thickness,      // inches, shown as inches or millimetres
    AreaLength,     // inches, the length, width or radius of a marked area
    AreaDepth,      // inches, the depth of a marked area
    ShellType,      // positions in the tank's construction lists
    BottomType,     //
    RoofType,       //
    MaxFillCourse,  // position in the course list of the maximum fill record
    InspectionKind, // the code of the kind of inspection
    CourseCode,     // the code of where a thickness reading was taken
    CustomKind,     // the kind of a custom field, as the Preferences window lists it
    EdgeOrFloor,    // the kind of a settled area
    CorrosionOrPit, // the kind of a corroded area
    Page,           // a drawing's page file name, shown as its tab calls the page
};

struct FieldRule {
    QString caption;
    Shown shown = Shown::ByType;
};

QString key(const QString& table, const QString& field) {
    return table.toLower() + QLatin1Char('.') + field.toLower();
}

// The captions and the way of showing of the fields that are not shown by their name and type
// alone. The captions are those of the windows' boxes.
const QHash<QString, FieldRule>& fieldRules() {
    static const QHash<QString, FieldRule> rules = [] {
        QHash<QString, FieldRule> r;
        const auto add = [&r](const char* table, const char* field, const char* caption,
                              Shown shown = Shown::ByType) {
            r.insert(key(QString::fromLatin1(table), QString::fromLatin1(field)),
                     {QString::fromLatin1(caption), shown});
        };
        add("Tank", "Name", "Tank ID");
        add("Tank", "PhysLoc", "Physical Location");
        add("Tank", "SerialNum", "Serial No.");
        add("Tank", "StateNum", "State No.");
        add("Tank", "MfgYear", "Year Built");
        add("Tank", "MfgCode", "Construction Code");
        add("Tank", "Capacity", "Capacity", Shown::Capacity);
        add("Tank", "Diameter", "Diameter", Shown::Dimension);
        add("Tank", "Height", "Shell Height", Shown::Dimension);
        add("Tank", "DesignLevel", "Design Level", Shown::Dimension);
        add("Tank", "SpecGravity", "Specific Gravity");
        add("Tank", "Yield", "Yield Strength", Shown::Strength);
        add("Tank", "Tensile", "Tensile Strength", Shown::Strength);
        add("Tank", "JointEff", "Joint Efficiency");
        add("Tank", "Courses", "Number of Courses");
        add("Tank", "MfgType", "Shell Construction", Shown::ShellType);
        add("Tank", "BottomType", "Bottom Type", Shown::BottomType);
        add("Tank", "RoofType", "Roof Type", Shown::RoofType);
        add("Tank", "Strapped", "Date Strapped");
        add("Tank", "Tested", "Date Hydro'd");
        add("Tank", "VDEInstalled", "Vapor Detection Installed");
        add("Tank", "VDEMfgBy", "Vapor Detection Manufacturer");
        add("Tank", "CPSInstalled", "Cathodic Protection Installed");
        add("Tank", "CPSMfgBy", "Cathodic Protection Manufacturer");
        add("Tank", "CPSType", "Cathodic Protection Type");
        add("Tank", "MFCourse", "Max. Fill Course", Shown::MaxFillCourse);
        add("Tank", "MFProduct", "Max. Fill Product");
        add("Tank", "MFDesignLevel", "Max. Fill NEW Design Level", Shown::Feet);
        add("Tank", "MFSGravity", "Max. Fill Specific Gravity");
        add("Tank", "MFCAllowance", "Max. Fill Corrosion Allowance", Shown::Thickness);
        add("Tank", "MFCReading", "Max. Fill Critical Reading", Shown::Thickness);
        add("Tank", "MFUnitsUS", "Max. Fill in Feet and Inches");
        add("Tank", "MFDate", "Max. Fill Date");
        for (const schedule::InspectionKind& kind : schedule::Kinds) {
            const QString label = QString::fromLatin1(kind.label);
            r.insert(key(QStringLiteral("Tank"), QString::fromLatin1(kind.freqField)),
                     {label + QStringLiteral(" Frequency"), Shown::Frequency});
            r.insert(key(QStringLiteral("Tank"), QString::fromLatin1(kind.lastField)),
                     {label + QStringLiteral(" Last Inspection"), Shown::ByType});
        }
        add("Inspection", "InspectionNum", "Inspection No.");
        add("Inspection", "InspectionType", "Inspection Type", Shown::InspectionKind);
        add("Inspection", "InspectionReason", "Reason");
        add("Thickness", "PointID", "Point ID");
        add("Thickness", "Course", "Course", Shown::CourseCode);
        add("Thickness", "Reading", "Thickness", Shown::Thickness);
        add("Thickness", "Checks", "Checks Failed");
        add("ShellSurvey", "InspectionNum", "Survey No.");
        add("EdgeSettle", "AreaID", "Area ID");
        add("EdgeSettle", "ReadingType", "Reading Type", Shown::EdgeOrFloor);
        add("EdgeSettle", "Radius", "Radius", Shown::AreaLength);
        add("EdgeSettle", "Length", "Length", Shown::AreaLength);
        add("EdgeSettle", "BReading", "Actual 'B'", Shown::AreaDepth);
        add("EdgeSettle", "StressAnalysis", "Stress Analysis Req'd");
        add("RFCorrosion", "AreaID", "Area ID");
        add("RFCorrosion", "ReadingType", "Reading Type", Shown::CorrosionOrPit);
        add("RFCorrosion", "Length", "Length", Shown::AreaLength);
        add("RFCorrosion", "Width", "Width", Shown::AreaLength);
        add("RFCorrosion", "Reading", "Reading", Shown::AreaDepth);
        add("SCorrosion", "AreaID", "Area ID");
        add("SCorrosion", "GraphicType", "Shell Page");
        add("SCorrosion", "Length", "Length", Shown::AreaLength);
        add("SCorrosion", "Width", "Width", Shown::AreaLength);
        add("SCorrosion", "Reading", "Reading", Shown::AreaDepth);
        add("SCorrosion", "DataTaken", "Date Taken");
        add("TGraphic", "GraphicLabel", "Page", Shown::Page);
        add("TGraphic", "GraphicType", "Page Kind");
        add("TGraphic", "Graphic", "Drawing");
        add("IGraphic", "GraphicLabel", "Page", Shown::Page);
        add("IGraphic", "GraphicType", "Page Kind");
        add("IGraphic", "Graphic", "Drawing");
        add("TML", "PointID", "Point ID");
        add("TML", "GraphicType", "Page");
        add("Preferences", "USUnits", "US Units");
        add("Preferences", "GaugeTolerance", "Gauge Tolerance", Shown::Thickness);
        add("Preferences", "PlausibleRate", "Plausible Corrosion Rate (per year)",
            Shown::Thickness);
        return r;
    }();
    return rules;
}

// Fields numbered by course, survey point or custom field.
const QRegularExpression& numberedField() {
    static const QRegularExpression pattern(
        QStringLiteral("^(Course|Point|Custom)0*(\\d+)(_Height|_Min|_Settle|_Label|_Type)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

struct Numbered {
    QString kind;   // "course", "point", "custom"
    QString suffix; // "_height", ... or ""
    int number = 0;
};

std::optional<Numbered> numbered(const QString& field) {
    // Most fields are not numbered: they are told apart without the pattern.
    const QChar first = field.isEmpty() ? QChar() : field.front().toLower();
    if (first != QLatin1Char('c') && first != QLatin1Char('p'))
        return std::nullopt;
    const auto match = numberedField().match(field);
    if (!match.hasMatch())
        return std::nullopt;
    return Numbered{match.captured(1).toLower(), match.captured(3).toLower(),
                    match.captured(2).toInt()};
}

// The caption and the way of showing of a field, with the custom labels of the context.
FieldRule ruleFor(const QString& table, const QString& field, const DisplayContext& context) {
    if (auto found = fieldRules().constFind(key(table, field)); found != fieldRules().cend())
        return *found;
    const QString t = table.toLower();
    if (const auto n = numbered(field)) {
        const QString number = QString::number(n->number);
        if (t == QLatin1String("tank") && n->kind == QLatin1String("course")) {
            if (n->suffix == QLatin1String("_height"))
                return {QStringLiteral("Course %1 Height").arg(number)};
            if (n->suffix == QLatin1String("_min"))
                return {QStringLiteral("Course %1 Min. Thickness").arg(number), Shown::Thickness};
        }
        if (t == QLatin1String("tank") && n->kind == QLatin1String("custom") &&
            n->suffix.isEmpty() && n->number >= 1 && n->number <= layout::CustomFieldCount) {
            const QString& label = context.customLabels[static_cast<std::size_t>(n->number - 1)];
            return {label.trimmed().isEmpty() ? preferences::defaultCustomLabel(n->number) : label};
        }
        if (t == QLatin1String("shellsurvey") && n->kind == QLatin1String("point") &&
            n->suffix == QLatin1String("_settle"))
            return {QStringLiteral("Point %1 Settlement").arg(number), Shown::Thickness};
        if (t == QLatin1String("preferences") && n->kind == QLatin1String("custom")) {
            if (n->suffix == QLatin1String("_label"))
                return {QStringLiteral("Custom Field %1 Label").arg(number)};
            if (n->suffix == QLatin1String("_type"))
                return {QStringLiteral("Custom Field %1 Kind").arg(number), Shown::CustomKind};
        }
    }
    // Split into words: "InspectionDate" "Inspection Date", "MFCReading" "MFC Reading",
    // "XCoordinate" "X Coordinate", "Course3_Min" "Course 3 Min".
    QString words;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c == QLatin1Char('_')) {
            if (!words.endsWith(QLatin1Char(' ')))
                words += QLatin1Char(' ');
            continue;
        }
        if (i > 0 && !words.endsWith(QLatin1Char(' '))) {
            const QChar before = field[i - 1];
            const bool next = i + 1 < field.size() && field[i + 1].isLower();
            const bool split = (c.isUpper() && (before.isLower() || before.isDigit())) ||
                               (c.isUpper() && before.isUpper() && next) ||
                               (c.isDigit() && before.isLetter()) ||
                               (c.isLetter() && before.isDigit());
            if (split)
                words += QLatin1Char(' ');
        }
        words += c;
    }
    return {words.trimmed()};
}

const layout::FieldDef* fieldDef(const QString& table, const QString& field) {
    const layout::TableDef* def = layout::table(table);
    return def ? def->field(field) : nullptr;
}

// Keys and links to the owning row: numbers the windows never show, left out of the values of a
// row added or deleted (the Record column names the row).
bool isKey(const QString& table, const QString& field) {
    const layout::FieldDef* f = fieldDef(table, field);
    return f && (f->type == FieldType::Counter ||
                 (f->type == FieldType::Int32 && f->name.endsWith(QLatin1String("ID"))));
}

// A number with its unit. The boxes' patterns leave out a lone zero before the point (".50");
// among other words it is put back, so that the figure reads as one.
QString withUnit(const QString& text, bool unitsUS, const char* us, const char* metric) {
    QString figure = text;
    if (figure.startsWith(QLatin1Char('.')) || figure.startsWith(QLatin1String("-.")))
        figure.insert(figure.indexOf(QLatin1Char('.')), QLatin1Char('0'));
    return figure + QLatin1Char(' ') + QString::fromLatin1(unitsUS ? us : metric);
}

// A list entry for a stored position or code; the stored text when the list has none for it.
QString listed(const QString& entry, const QString& stored) {
    return entry.isEmpty() && stored != QLatin1String("0") ? stored : entry;
}

QString shownValue(Shown shown, FieldType type, const QString& stored, bool us) {
    bool isNumber = false;
    const double n = stored.toDouble(&isNumber);
    switch (shown) {
    case Shown::ByType:
        break;
    case Shown::Dimension:
        if (isNumber)
            return withUnit(dimension::displayText(n, us), us, "ft.", "meters");
        break;
    case Shown::Feet:
        if (isNumber)
            return withUnit(dimension::displayText(n * 12, us), us, "ft.", "meters");
        break;
    case Shown::Strength:
        if (isNumber) {
            const QString text = unitentry::strengthText(n, us);
            return withUnit(text.isEmpty() ? QStringLiteral("0") : text, us, "psi", "KPa");
        }
        break;
    case Shown::Capacity:
        if (isNumber)
            return unitentry::capacityShown(n).text.trimmed();
        break;
    case Shown::Frequency:
        if (isNumber)
            return unitentry::frequencyShown(n).text;
        break;
    case Shown::Thickness:
        if (isNumber)
            return withUnit(formatThickness(n, us), us, "in.", "mm");
        break;
    case Shown::AreaLength:
    case Shown::AreaDepth:
        if (isNumber)
            return withUnit(areas::measureText(n, shown == Shown::AreaDepth, us), us, "in.", "mm");
        break;
    case Shown::ShellType:
        return listed(tanklists::entryText(tanklists::shellConstructions(), stored), stored);
    case Shown::BottomType:
        return listed(tanklists::entryText(tanklists::bottomTypes(), stored), stored);
    case Shown::RoofType:
        return listed(tanklists::entryText(tanklists::roofTypes(), stored), stored);
    case Shown::MaxFillCourse:
        return listed(
            tanklists::entryText(courses::maxFillCourseEntries(layout::MaxCourses), stored),
            stored);
    case Shown::InspectionKind:
        if (isNumber)
            return listed(inspectiontype::gridText(static_cast<int>(n)), stored);
        break;
    case Shown::CourseCode:
        if (isNumber)
            return listed(thickness::courseText(static_cast<int>(n)), stored);
        break;
    case Shown::CustomKind: {
        const QStringList& kinds = preferences::customKindNames();
        if (isNumber && n >= 0 && n < kinds.size())
            return kinds[static_cast<qsizetype>(n)];
        break;
    }
    case Shown::Page:
        return graphicpages::pageCaption(stored);
    case Shown::EdgeOrFloor:
    case Shown::CorrosionOrPit:
        if (isNumber) {
            const bool first = n != 0;
            if (shown == Shown::EdgeOrFloor)
                return first ? QStringLiteral("Edge") : QStringLiteral("Floor");
            return first ? QStringLiteral("Corrosion") : QStringLiteral("Pitting");
        }
        break;
    }
    if (shown != Shown::ByType)
        return stored;
    switch (type) {
    case FieldType::Date:
        if (const QDate date = QDate::fromString(stored, Qt::ISODate); date.isValid())
            return formatDate(date);
        return stored;
    case FieldType::Boolean:
        if (isNumber)
            return n != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
        return stored;
    default:
        return stored;
    }
}

QString recordText(const Entry& e) {
    const QString t = e.table.toLower();
    QString label = e.rowLabel;
    if (!label.isEmpty() && (t == QLatin1String("tgraphic") || t == QLatin1String("igraphic")))
        label = graphicpages::pageCaption(label);
    if (label.isEmpty() && e.rowKey)
        return QStringLiteral("key %1").arg(*e.rowKey);
    return label;
}

// The values of a row added or deleted that are shown: keys left out, captions given.
std::vector<std::pair<QString, QString>> shownValues(const Entry& e,
                                                     const DisplayContext& context) {
    std::vector<std::pair<QString, QString>> shown;
    for (const auto& [field, stored] : e.values) {
        if (isKey(e.table, field))
            continue;
        shown.emplace_back(fieldCaption(e.table, field, context),
                           valueText(e.table, field, stored, context));
    }
    return shown;
}

QString joined(const std::vector<std::pair<QString, QString>>& values) {
    QStringList parts;
    for (const auto& [caption, value] : values)
        parts << caption + QStringLiteral(": ") + value;
    return parts.join(QStringLiteral("; "));
}

QStringList sortedUnique(QStringList list) {
    list.removeAll(QString());
    list.removeDuplicates();
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    return list;
}

} // namespace

Result<DisplayContext> readDisplayContext(const Database& db) {
    auto rs = preferences::openFirstRow(db);
    if (!rs)
        return rs.takeError();
    DisplayContext context;
    const QString units = QStringLiteral("USUnits");
    context.unitsUS = rs->hasField(units) ? rs->value(units).toBool() : true;
    for (int i = 1; i <= layout::CustomFieldCount; ++i) {
        const QString field = QStringLiteral("Custom%1_Label").arg(i);
        if (rs->hasField(field))
            context.customLabels[static_cast<std::size_t>(i - 1)] = rs->text(field);
    }
    return context;
}

const QStringList& columnTitles() {
    static const QStringList titles{
        QStringLiteral("When"),  QStringLiteral("Who"),    QStringLiteral("Computer"),
        QStringLiteral("Table"), QStringLiteral("Record"), QStringLiteral("Action"),
        QStringLiteral("Field"), QStringLiteral("Before"), QStringLiteral("After")};
    return titles;
}

QString tableCaption(const QString& table) {
    static const QHash<QString, QString> captions{
        {QStringLiteral("tank"), QStringLiteral("Tank")},
        {QStringLiteral("inspection"), QStringLiteral("Inspection")},
        {QStringLiteral("thickness"), QStringLiteral("Reading for Thickness")},
        {QStringLiteral("shellsurvey"), QStringLiteral("Shell Survey")},
        {QStringLiteral("bottomsurvey"), QStringLiteral("Bottom Survey")},
        {QStringLiteral("edgesettle"), QStringLiteral("Edge Settlement")},
        {QStringLiteral("rfcorrosion"), QStringLiteral("Roof/Floor Corrosion")},
        {QStringLiteral("scorrosion"), QStringLiteral("Shell Corrosion")},
        {QStringLiteral("tgraphic"), QStringLiteral("Tank Drawing")},
        {QStringLiteral("igraphic"), QStringLiteral("Inspection Drawing")},
        {QStringLiteral("tml"), QStringLiteral("TML Point")},
        {QStringLiteral("company"), QStringLiteral("Company")},
        {QStringLiteral("location"), QStringLiteral("Location")},
        {QStringLiteral("preferences"), QStringLiteral("Preferences")},
    };
    return captions.value(table.toLower(), table);
}

QString fieldCaption(const QString& table, const QString& field, const DisplayContext& context) {
    return ruleFor(table, field, context).caption;
}

QString valueText(const QString& table, const QString& field, const QString& stored,
                  const DisplayContext& context) {
    if (stored.isEmpty())
        return {};
    const layout::FieldDef* def = fieldDef(table, field);
    const FieldType type = def ? def->type : FieldType::Text;
    return shownValue(ruleFor(table, field, context).shown, type, stored, context.unitsUS);
}

QString whenText(const QDateTime& utc, const QTimeZone& zone) {
    if (!utc.isValid())
        return {};
    const QDateTime local = utc.toTimeZone(zone);
    return formatDate(local.date()) + QLatin1Char(' ') +
           local.time().toString(QStringLiteral("hh:mm:ss"));
}

QString whoText(const Entry& entry) {
    if (entry.databaseUser.isEmpty() || entry.databaseUser == entry.userName)
        return entry.userName;
    if (entry.userName.isEmpty())
        return entry.databaseUser;
    return QStringLiteral("%1 (%2)").arg(entry.userName, entry.databaseUser);
}

std::vector<Row> displayRows(const std::vector<Entry>& entries, const DisplayContext& context,
                             const Filter& filter) {
    std::vector<Row> rows;
    for (const Entry& e : entries) {
        const QString who = whoText(e);
        if (!filter.person.isEmpty() && who != filter.person)
            continue;
        Row row;
        row.when = e.when;
        auto& cells = row.cells;
        cells[column::When] = whenText(e.when, context.zone);
        cells[column::Who] = who;
        cells[column::Computer] = e.computer;
        cells[column::Table] = tableCaption(e.table);
        cells[column::Record] = recordText(e);
        cells[column::Action] = actionText(e.action);
        if (e.action == Action::Changed) {
            const QString caption = fieldCaption(e.table, e.field, context);
            if (!filter.field.isEmpty() && caption != filter.field)
                continue;
            cells[column::Field] = caption;
            const layout::FieldDef* def = fieldDef(e.table, e.field);
            if (def && def->type == FieldType::LongText) {
                // Drawings are not kept in the history: only that one changed.
                cells[column::After] = QStringLiteral("drawing changed");
            } else {
                cells[column::Before] = valueText(e.table, e.field, e.before, context);
                cells[column::After] = valueText(e.table, e.field, e.after, context);
            }
        } else {
            auto values = shownValues(e, context);
            if (!filter.field.isEmpty()) {
                std::erase_if(values, [&](const auto& v) { return v.first != filter.field; });
                if (values.empty())
                    continue;
                cells[column::Field] = filter.field;
            }
            const QString text = values.size() == 1 && !filter.field.isEmpty()
                                     ? values.front().second
                                     : joined(values);
            cells[e.action == Action::Added ? column::After : column::Before] = text;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList fieldCaptions(const std::vector<Entry>& entries, const DisplayContext& context) {
    QStringList captions;
    for (const Entry& e : entries) {
        if (e.action == Action::Changed) {
            captions << fieldCaption(e.table, e.field, context);
            continue;
        }
        for (const auto& value : shownValues(e, context))
            captions << value.first;
    }
    return sortedUnique(captions);
}

QStringList people(const std::vector<Entry>& entries) {
    QStringList who;
    for (const Entry& e : entries)
        who << whoText(e);
    return sortedUnique(who);
}

sheet::Sheet sheet(const std::vector<Row>& rows) {
    sheet::Sheet out;
    out.name = QStringLiteral("History");
    out.header = columnTitles();
    out.header.insert(column::When + 1, QStringLiteral("When (UTC)"));
    out.rows.reserve(rows.size());
    for (const Row& row : rows) {
        QStringList texts(row.cells.begin(), row.cells.end());
        texts.insert(column::When + 1,
                     row.when.isValid() ? row.when.toUTC().toString(Qt::ISODateWithMs) : QString());
        std::vector<sheet::Cell>& cells = out.rows.emplace_back();
        for (const QString& text : texts)
            cells.push_back(sheet::Cell::ofText(text));
    }
    return out;
}

QString csv(const std::vector<Row>& rows) {
    return sheet::csv(sheet(rows));
}

} // namespace korvane::history
