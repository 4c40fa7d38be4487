#include "data/Layout.h"

#include <QStringList>

#include <algorithm>

namespace korvane::layout {

namespace {

using enum FieldType;

void addNumbered(std::vector<FieldDef>& fields, const QString& prefix, int count,
                 const QString& suffix, FieldType type, int digits = 1) {
    for (int i = 1; i <= count; ++i)
        fields.push_back(
            {prefix + QStringLiteral("%1").arg(i, digits, 10, QLatin1Char('0')) + suffix, type});
}

std::vector<FieldDef> addressFields() {
    std::vector<FieldDef> f;
    for (const char* name :
         {"Contact", "Address", "City", "State", "Zip", "Phone", "Fax", "Comments"})
        f.push_back({QString::fromLatin1(name), Text});
    return f;
}

TableDef companyTable() {
    TableDef t{QStringLiteral("Company"),
               {{QStringLiteral("CompanyID"), Counter}, {QStringLiteral("Company"), Text}}};
    auto rest = addressFields();
    t.fields.insert(t.fields.end(), rest.begin(), rest.end());
    return t;
}

TableDef locationTable() {
    TableDef t{QStringLiteral("Location"),
               {{QStringLiteral("LocationID"), Counter},
                {QStringLiteral("CompanyID"), Int32},
                {QStringLiteral("Location"), Text}}};
    auto rest = addressFields();
    t.fields.insert(t.fields.end(), rest.begin(), rest.end());
    return t;
}

TableDef tankTable() {
    TableDef t{QStringLiteral("Tank"), {}};
    auto& f = t.fields;
    f = {{QStringLiteral("TankID"), Counter},     {QStringLiteral("LocationID"), Int32},
         {QStringLiteral("Name"), Text},          {QStringLiteral("PhysLoc"), Text},
         {QStringLiteral("SerialNum"), Text},     {QStringLiteral("StateNum"), Text},
         {QStringLiteral("Product"), Text},       {QStringLiteral("Manufacturer"), Text},
         {QStringLiteral("MfgYear"), Text},       {QStringLiteral("MfgCode"), Text},
         {QStringLiteral("Comments"), Text},      {QStringLiteral("Capacity"), Double},
         {QStringLiteral("Diameter"), Double},    {QStringLiteral("Height"), Double},
         {QStringLiteral("DesignLevel"), Double}, {QStringLiteral("SpecGravity"), Double},
         {QStringLiteral("Yield"), Double},       {QStringLiteral("Tensile"), Double},
         {QStringLiteral("JointEff"), Double},    {QStringLiteral("Courses"), Double}};
    addNumbered(f, QStringLiteral("Course"), MaxCourses, QStringLiteral("_Height"), Int16);
    addNumbered(f, QStringLiteral("Course"), MaxCourses, QStringLiteral("_Min"), Single);
    for (const char* name : {"MfgType", "BottomType", "RoofType"})
        f.push_back({QString::fromLatin1(name), Int16});
    for (const char* name :
         {"ExternalFreq", "UTFreq", "InternalFreq", "PriSealFreq", "SecSealFreq"})
        f.push_back({QString::fromLatin1(name), Double});
    for (const char* name : {"ExternalLast", "UTLast", "InternalLast", "PriSealLast", "SecSealLast",
                             "Strapped", "Tested", "VDEInstalled"})
        f.push_back({QString::fromLatin1(name), Date});
    f.push_back({QStringLiteral("VDEMfgBy"), Text});
    f.push_back({QStringLiteral("CPSInstalled"), Date});
    f.push_back({QStringLiteral("CPSMfgBy"), Text});
    f.push_back({QStringLiteral("CPSType"), Text});
    f.push_back({QStringLiteral("MFCourse"), Int16});
    f.push_back({QStringLiteral("MFProduct"), Text});
    for (const char* name : {"MFDesignLevel", "MFSGravity", "MFCAllowance", "MFCReading"})
        f.push_back({QString::fromLatin1(name), Double});
    f.push_back({QStringLiteral("MFDate"), Date});
    addNumbered(f, QStringLiteral("Custom"), CustomFieldCount, QString(), Text);
    // The units of MFDesignLevel, MFCAllowance and MFCReading: True for feet and inches, which
    // the program writes; Null for numbers kept as they were typed, before the field existed.
    // Last, where adding it to an older table puts it too.
    f.push_back({QStringLiteral("MFUnitsUS"), Boolean});
    return t;
}

TableDef inspectionTable() {
    return {QStringLiteral("Inspection"),
            {{QStringLiteral("InspectionID"), Counter},
             {QStringLiteral("TankID"), Int32},
             {QStringLiteral("InspectionDate"), Date},
             {QStringLiteral("InspectionNum"), Text},
             {QStringLiteral("InspectionType"), Int16},
             {QStringLiteral("InspectedBy"), Text},
             {QStringLiteral("InspectionReason"), Text},
             {QStringLiteral("Results"), Text}}};
}

TableDef thicknessTable() {
    return {QStringLiteral("Thickness"),
            {{QStringLiteral("ThicknessID"), Counter},
             {QStringLiteral("InspectionID"), Int32},
             {QStringLiteral("PointID"), Text},
             {QStringLiteral("Course"), Int16},
             {QStringLiteral("Reading"), Double},
             {QStringLiteral("DateTaken"), Date},
             {QStringLiteral("TakenBy"), Text},
             // The checks the reading failed when it was stored and the user kept it anyway, one
             // "word: reason" line each; Null when it passed them, or was stored before the
             // checks existed. Last, where adding it to an older table puts it too.
             {QStringLiteral("Checks"), Text}}};
}

TableDef shellSurveyTable() {
    TableDef t{QStringLiteral("ShellSurvey"),
               {{QStringLiteral("InspectionID"), Int32},
                {QStringLiteral("InspectionNum"), Text},
                {QStringLiteral("DateTaken"), Date},
                {QStringLiteral("TakenBy"), Text},
                {QStringLiteral("SurveyPoints"), Double}}};
    addNumbered(t.fields, QStringLiteral("Point"), MaxSurveyPoints, QStringLiteral("_Settle"),
                Single, 2);
    t.fields.push_back({QStringLiteral("Comments"), Text});
    return t;
}

// No field of BottomSurvey is read or written by name; it keeps its owner and free notes.
TableDef bottomSurveyTable() {
    return {QStringLiteral("BottomSurvey"),
            {{QStringLiteral("InspectionID"), Int32}, {QStringLiteral("Comments"), Text}}};
}

TableDef edgeSettleTable() {
    return {QStringLiteral("EdgeSettle"),
            {{QStringLiteral("InspectionID"), Int32},
             {QStringLiteral("AreaID"), Text},
             {QStringLiteral("ReadingType"), Boolean},
             {QStringLiteral("Radius"), Double},
             {QStringLiteral("Length"), Double},
             {QStringLiteral("BReading"), Double},
             {QStringLiteral("StressAnalysis"), Boolean},
             {QStringLiteral("DateTaken"), Date},
             {QStringLiteral("TakenBy"), Text}}};
}

TableDef rfCorrosionTable() {
    return {QStringLiteral("RFCorrosion"),
            {{QStringLiteral("InspectionID"), Int32},
             {QStringLiteral("AreaID"), Text},
             {QStringLiteral("ReadingType"), Boolean},
             {QStringLiteral("Length"), Double},
             {QStringLiteral("Width"), Double},
             {QStringLiteral("Reading"), Double},
             {QStringLiteral("DateTaken"), Date},
             {QStringLiteral("TakenBy"), Text}}};
}

// Shell corrosion keeps its date in DataTaken, unlike the other area tables.
TableDef sCorrosionTable() {
    return {QStringLiteral("SCorrosion"),
            {{QStringLiteral("InspectionID"), Int32},
             {QStringLiteral("AreaID"), Text},
             {QStringLiteral("GraphicType"), Byte},
             {QStringLiteral("Length"), Double},
             {QStringLiteral("Width"), Double},
             {QStringLiteral("Reading"), Double},
             {QStringLiteral("DataTaken"), Date},
             {QStringLiteral("TakenBy"), Text}}};
}

TableDef graphicTable(const QString& name, const QString& owner) {
    return {name,
            {{owner, Int32},
             {QStringLiteral("GraphicLabel"), Text},
             {QStringLiteral("GraphicType"), Int16},
             {QStringLiteral("Graphic"), LongText}}};
}

TableDef tmlTable() {
    return {QStringLiteral("TML"),
            {{QStringLiteral("TankID"), Int32},
             {QStringLiteral("PointID"), Text},
             {QStringLiteral("GraphicType"), Byte},
             {QStringLiteral("XCoordinate"), Double},
             {QStringLiteral("YCoordinate"), Double}}};
}

TableDef preferencesTable() {
    TableDef t{QStringLiteral("Preferences"), {}};
    addNumbered(t.fields, QStringLiteral("Custom"), CustomFieldCount, QStringLiteral("_Label"),
                Text);
    addNumbered(t.fields, QStringLiteral("Custom"), CustomFieldCount, QStringLiteral("_Type"),
                Int16);
    t.fields.push_back({QStringLiteral("USUnits"), Boolean});
    // The limits of the checks of a reading: how much thicker than the last reading the gauge
    // may read (inches), and the fastest plausible corrosion (inches per year). Null for the
    // program's defaults, as in a file made before they existed.
    t.fields.push_back({QStringLiteral("GaugeTolerance"), Double});
    t.fields.push_back({QStringLiteral("PlausibleRate"), Double});
    return t;
}

// One row per change to any other table: who changed which row and field, when, and its value
// before and after (or the values of a row added or deleted). TankID and InspectionID name the
// tank and inspection the changed row belongs to, so the history of one is read by index.
TableDef historyTable() {
    TableDef t{QStringLiteral("History"),
               {{QStringLiteral("HistoryID"), Counter},
                {QStringLiteral("ChangedAt"), Text},
                {QStringLiteral("UserName"), Text},
                {QStringLiteral("DatabaseUser"), Text},
                {QStringLiteral("Computer"), Text},
                {QStringLiteral("TableName"), Text},
                {QStringLiteral("RowKey"), Int32},
                {QStringLiteral("RowLabel"), Text},
                {QStringLiteral("Action"), Text},
                {QStringLiteral("FieldName"), Text},
                {QStringLiteral("OldValue"), LongText},
                {QStringLiteral("NewValue"), LongText},
                {QStringLiteral("TankID"), Int32},
                {QStringLiteral("InspectionID"), Int32}}};
    t.indexed = {QStringLiteral("TankID"), QStringLiteral("InspectionID")};
    return t;
}

std::vector<TableDef> buildTables() {
    std::vector<TableDef> all{
        bottomSurveyTable(),
        companyTable(),
        edgeSettleTable(),
        historyTable(),
        graphicTable(QStringLiteral("IGraphic"), QStringLiteral("InspectionID")),
        inspectionTable(),
        locationTable(),
        preferencesTable(),
        rfCorrosionTable(),
        sCorrosionTable(),
        shellSurveyTable(),
        tankTable(),
        graphicTable(QStringLiteral("TGraphic"), QStringLiteral("TankID")),
        thicknessTable(),
        tmlTable()};
    std::sort(all.begin(), all.end(), [](const TableDef& a, const TableDef& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return all;
}

struct TypeName {
    FieldType type;
    const char* declared;
};

// Declared types chosen so that SQLite's type affinity keeps each value as we wrote it: whole
// numbers INTEGER, numbers REAL, texts and dates TEXT.
constexpr TypeName typeNames[] = {
    {Counter, "INTEGER"},     {Text, "TEXT"},          {Int32, "INT32"},   {Int16, "INT16"},
    {Byte, "INT8"},           {Single, "SINGLE REAL"}, {Double, "DOUBLE"}, {Date, "DATE TEXT"},
    {Boolean, "BOOLEAN INT"}, {LongText, "LONG TEXT"},
};

// Server column types: whole numbers as integers of their size (bytes in a smallint, which
// holds 0..255), every number with a fraction as double precision so a value reads back
// exactly as SQLite keeps it, dates as their yyyy-mm-dd text as in a file.
const char* serverType(FieldType type) {
    switch (type) {
    case Counter:
    case Int32:
    case Boolean:
        return "integer";
    case Int16:
    case Byte:
        return "smallint";
    case Single:
    case Double:
        return "double precision";
    case Text:
    case Date:
    case LongText:
        return "text";
    }
    return "text";
}

} // namespace

const FieldDef* TableDef::field(QStringView fieldName) const {
    for (const auto& f : fields)
        if (QStringView(f.name).compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const FieldDef* TableDef::key() const {
    for (const auto& f : fields)
        if (f.type == Counter)
            return &f;
    return nullptr;
}

const std::vector<TableDef>& tables() {
    static const std::vector<TableDef> all = buildTables();
    return all;
}

const TableDef* table(QStringView name) {
    for (const auto& t : tables())
        if (QStringView(t.name).compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString declaredType(FieldType type, Dialect dialect) {
    if (dialect == Dialect::Postgres)
        return QString::fromLatin1(serverType(type));
    for (const auto& tn : typeNames)
        if (tn.type == type)
            return QString::fromLatin1(tn.declared);
    return QStringLiteral("TEXT");
}

FieldType typeFromDeclared(QStringView declared, Dialect dialect) {
    if (dialect == Dialect::Postgres) {
        // As the server names types (format_type): identity keys are told apart by the caller.
        if (declared.startsWith(u"double") || declared == u"real" ||
            declared.startsWith(u"numeric"))
            return Double;
        if (declared == u"smallint")
            return Int16;
        if (declared == u"integer" || declared == u"bigint")
            return Int32;
        if (declared == u"boolean")
            return Boolean;
        return Text;
    }
    for (const auto& tn : typeNames)
        if (declared.compare(QLatin1String(tn.declared), Qt::CaseInsensitive) == 0)
            return tn.type;
    // A column we did not declare ourselves: follow SQLite's affinity rules.
    const QString upper = declared.toString().toUpper();
    if (upper.contains(QLatin1String("INT")))
        return Int32;
    if (upper.contains(QLatin1String("CHAR")) || upper.contains(QLatin1String("CLOB")) ||
        upper.contains(QLatin1String("TEXT")) || upper.isEmpty())
        return Text;
    return Double;
}

Statement firstPreferencesRow() {
    QStringList columns, marks;
    QVariantList values;
    for (int i = 1; i <= CustomFieldCount; ++i) {
        columns << QStringLiteral("\"Custom%1_Label\"").arg(i)
                << QStringLiteral("\"Custom%1_Type\"").arg(i);
        values << QStringLiteral("Custom Field %1").arg(i) << 0;
        marks << QStringLiteral("?") << QStringLiteral("?");
    }
    columns << QStringLiteral("\"USUnits\"");
    values << 1;
    marks << QStringLiteral("?");
    return {QStringLiteral("INSERT INTO \"Preferences\" (%1) VALUES (%2)")
                .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            values};
}

QString createTableSql(const TableDef& table, Dialect dialect) {
    const bool server = dialect == Dialect::Postgres;
    QStringList columns;
    if (server)
        columns << QStringLiteral("rowid bigint GENERATED ALWAYS AS IDENTITY UNIQUE");
    for (const auto& f : table.fields) {
        QString column =
            QLatin1Char('"') + f.name + QLatin1String("\" ") + declaredType(f.type, dialect);
        if (f.type == Counter)
            column += server ? QLatin1String(" GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                             : QLatin1String(" PRIMARY KEY AUTOINCREMENT");
        // Texts compare without regard to letter case, as users expect of point and area IDs.
        if (f.type == Text)
            column +=
                server ? QStringLiteral(" COLLATE \"%1\"").arg(QLatin1String(ServerTextCollation))
                       : QStringLiteral(" COLLATE NOCASE");
        columns << column;
    }
    return QLatin1String("CREATE TABLE \"") + table.name + QLatin1String("\" (") +
           columns.join(QLatin1String(", ")) + QLatin1Char(')');
}

QStringList createTableStatements(const TableDef& table, Dialect dialect) {
    QStringList statements{createTableSql(table, dialect)};
    for (const QString& field : table.indexed)
        statements
            << QStringLiteral("CREATE INDEX \"%1_%2\" ON \"%1\" (\"%2\")").arg(table.name, field);
    return statements;
}

} // namespace korvane::layout
