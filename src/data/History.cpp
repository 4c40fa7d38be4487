#include "data/History.h"

#include "data/ChangeRecorder.h"
#include "data/Database.h"
#include "data/Engine.h"
#include "data/Select.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSysInfo>
#include <QTimeZone>

#include <algorithm>
#include <numeric>
#include <pwd.h>
#include <unistd.h>

namespace korvane::history {

using layout::FieldType;

namespace {

const QString Table = QString::fromLatin1(TableName);

// The History fields a change writes, in this order.
const QStringList& writtenColumns() {
    static const QStringList columns{
        QStringLiteral("ChangedAt"),   QStringLiteral("UserName"),  QStringLiteral("DatabaseUser"),
        QStringLiteral("Computer"),    QStringLiteral("TableName"), QStringLiteral("RowKey"),
        QStringLiteral("RowLabel"),    QStringLiteral("Action"),    QStringLiteral("FieldName"),
        QStringLiteral("OldValue"),    QStringLiteral("NewValue"),  QStringLiteral("TankID"),
        QStringLiteral("InspectionID")};
    return columns;
}

// The field whose value names a row of a table to people.
QString labelField(const QString& table) {
    static const QHash<QString, QString> fields{
        {QStringLiteral("company"), QStringLiteral("Company")},
        {QStringLiteral("location"), QStringLiteral("Location")},
        {QStringLiteral("tank"), QStringLiteral("Name")},
        {QStringLiteral("inspection"), QStringLiteral("InspectionNum")},
        {QStringLiteral("thickness"), QStringLiteral("PointID")},
        {QStringLiteral("shellsurvey"), QStringLiteral("InspectionNum")},
        {QStringLiteral("edgesettle"), QStringLiteral("AreaID")},
        {QStringLiteral("rfcorrosion"), QStringLiteral("AreaID")},
        {QStringLiteral("scorrosion"), QStringLiteral("AreaID")},
        {QStringLiteral("igraphic"), QStringLiteral("GraphicLabel")},
        {QStringLiteral("tgraphic"), QStringLiteral("GraphicLabel")},
        {QStringLiteral("tml"), QStringLiteral("PointID")},
    };
    return fields.value(table.toLower());
}

// Who makes the changes of this program: the operating system's user and the computer.
struct Author {
    QString user;
    QString computer;
};

const Author& author() {
    static const Author who = [] {
        QString user;
        if (const passwd* entry = getpwuid(geteuid()))
            user = QString::fromLocal8Bit(entry->pw_name);
        if (user.isEmpty())
            user = qEnvironmentVariable("USER");
        return Author{user, QSysInfo::machineHostName()};
    }();
    return who;
}

// The shortest text that reads back as the same float.
QString floatText(float value) {
    for (int digits = 1; digits < 9; ++digits) {
        const QString text = QString::number(static_cast<double>(value), 'g', digits);
        if (static_cast<float>(text.toDouble()) == value)
            return text;
    }
    return QString::number(static_cast<double>(value), 'g', 9);
}

bool isFractional(const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

// True when two stored values are certainly the same, without writing them as texts: a save
// writes back every field of a row, and most of them are as they were.
bool surelySame(const QVariant& a, const QVariant& b, FieldType type) {
    if (!a.isValid() || !b.isValid())
        return !a.isValid() && !b.isValid();
    switch (type) {
    case FieldType::Text:
    case FieldType::LongText:
    case FieldType::Date:
        return a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString &&
               a.toString() == b.toString();
    case FieldType::Single:
        return a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double &&
               static_cast<float>(a.toDouble()) == static_cast<float>(b.toDouble());
    case FieldType::Double:
        return a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double &&
               a.toDouble() == b.toDouble();
    default:
        return !isFractional(a) && !isFractional(b) && a.toLongLong() == b.toLongLong();
    }
}

// The values of a row that hold one, drawings left out, as a JSON object of stored texts.
// What a character is written as inside a JSON string: itself (0), a backslash and a letter, or
// a \u escape (u).
char16_t jsonEscape(char16_t c) {
    switch (c) {
    case u'"':
        return u'"';
    case u'\\':
        return u'\\';
    case u'\b':
        return u'b';
    case u'\f':
        return u'f';
    case u'\n':
        return u'n';
    case u'\r':
        return u'r';
    case u'\t':
        return u't';
    default:
        return c < 0x20 ? u'u' : 0;
    }
}

// The length of a text written as a JSON string, quotes included.
qsizetype jsonLength(QStringView text) {
    qsizetype length = text.size() + 2;
    for (const QChar c : text)
        if (const char16_t e = jsonEscape(c.unicode()); e != 0)
            length += e == u'u' ? 5 : 1;
    return length;
}

// Writes a text as a JSON string where `at` points and moves past it.
void writeJson(char16_t*& at, QStringView text) {
    static constexpr char16_t Hex[] = u"0123456789abcdef";
    *at++ = u'"';
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        const char16_t e = jsonEscape(c);
        if (e == 0) {
            *at++ = c;
            continue;
        }
        *at++ = u'\\';
        *at++ = e;
        if (e == u'u') {
            *at++ = u'0';
            *at++ = u'0';
            *at++ = Hex[c >> 4];
            *at++ = Hex[c & 0xF];
        }
    }
    *at++ = u'"';
}

// The places of a table's fields in the order of their names.
std::vector<std::size_t> byName(const std::vector<layout::FieldDef>& fields) {
    std::vector<std::size_t> order(fields.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return fields[a].name < fields[b].name; });
    return order;
}

// The values of a row as one JSON object of texts, its names in the order of `fieldOrder` (from
// byName), long texts and Null left out, as QJsonDocument writes it compactly; written by hand
// into a text of the right length, since an import writes thousands at once.
QString valuesText(const RowImage& row, const std::vector<std::size_t>& fieldOrder) {
    std::vector<std::pair<QStringView, QString>> written; // name and value
    written.reserve(fieldOrder.size());
    qsizetype length = 2;
    for (const std::size_t i : fieldOrder) {
        const layout::FieldDef& f = (*row.fields)[i];
        if (f.type == FieldType::LongText || !row.values[i].isValid())
            continue;
        const auto& [name, value] = written.emplace_back(f.name, storedText(row.values[i], f.type));
        length += (written.size() > 1 ? 1 : 0) + jsonLength(name) + 1 + jsonLength(value);
    }
    QString out(length, Qt::Uninitialized);
    char16_t* at = reinterpret_cast<char16_t*>(out.data());
    *at++ = u'{';
    for (std::size_t n = 0; n < written.size(); ++n) {
        if (n > 0)
            *at++ = u',';
        writeJson(at, written[n].first);
        *at++ = u':';
        writeJson(at, written[n].second);
    }
    *at++ = u'}';
    return out;
}

// The values of an added or deleted row read back, in the order of the table's fields.
std::vector<std::pair<QString, QString>> parseValues(const QString& table, const QString& text) {
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    std::vector<std::pair<QString, QString>> values;
    QStringList left = object.keys();
    if (const layout::TableDef* def = layout::table(table))
        for (const auto& f : def->fields)
            if (object.contains(f.name)) {
                values.emplace_back(f.name, object.value(f.name).toString());
                left.removeOne(f.name);
            }
    for (const QString& name : left) // fields the layout does not know
        values.emplace_back(name, object.value(name).toString());
    return values;
}

std::optional<Action> parseAction(const QString& text) {
    for (Action a : {Action::Added, Action::Changed, Action::Deleted})
        if (actionText(a) == text)
            return a;
    return std::nullopt;
}

std::optional<qint32> optionalId(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    return static_cast<qint32>(v.toLongLong());
}

// Whether the database has the History table; a database made before it has not.
Result<bool> hasTable(EngineConnection& engine) {
    auto fields = engine.tableFields(Table);
    if (!fields)
        return fields.takeError();
    return !fields->empty();
}

// Makes the History table and its indexes, in the transaction under way.
Status makeTable(EngineConnection& engine) {
    for (const QString& sql :
         layout::createTableStatements(*layout::table(Table), engine.dialect()))
        if (auto made = engine.exec(sql, {}); !made)
            return made.takeError();
    return {};
}

Result<std::vector<Entry>> readWhere(const Database& db, const QString& field, qint32 id) {
    if (!db.engine())
        return Error{QStringLiteral("The database is not open.")};
    auto present = hasTable(*db.engine());
    if (!present)
        return present.takeError();
    if (!*present)
        return std::vector<Entry>{}; // nothing recorded yet
    QStringList columns{quoteIdentifier(QStringLiteral("HistoryID"))};
    for (const QString& c : writtenColumns())
        columns << quoteIdentifier(c);
    auto rows = db.exec(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY \"HistoryID\" DESC")
            .arg(columns.join(QLatin1String(", ")), quoteIdentifier(Table), quoteIdentifier(field)),
        {id});
    if (!rows)
        return rows.takeError();
    std::vector<Entry> entries;
    while (rows->next()) {
        const auto text = [&](int column) {
            return rows->value(column).toString();
        };
        const auto action = parseAction(text(8));
        if (!action)
            continue; // not a change this program knows how to show
        Entry e;
        e.id = rows->value(0).toLongLong();
        e.when = QDateTime::fromString(text(1), Qt::ISODateWithMs);
        e.when.setTimeSpec(Qt::UTC);
        e.userName = text(2);
        e.databaseUser = text(3);
        e.computer = text(4);
        e.table = text(5);
        if (rows->value(6).isValid())
            e.rowKey = rows->value(6).toLongLong();
        e.rowLabel = text(7);
        e.action = *action;
        e.field = text(9);
        if (e.action == Action::Added)
            e.values = parseValues(e.table, text(11));
        else if (e.action == Action::Deleted)
            e.values = parseValues(e.table, text(10));
        else {
            e.before = text(10);
            e.after = text(11);
        }
        e.tankId = optionalId(rows->value(12));
        e.inspectionId = optionalId(rows->value(13));
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace

QString actionText(Action action) {
    switch (action) {
    case Action::Added:
        return QStringLiteral("added");
    case Action::Changed:
        return QStringLiteral("changed");
    case Action::Deleted:
        return QStringLiteral("deleted");
    }
    return {};
}

QString storedText(const QVariant& stored, FieldType type) {
    if (!stored.isValid() || stored.isNull())
        return {};
    bool ok = false;
    switch (type) {
    case FieldType::Counter:
    case FieldType::Int32:
    case FieldType::Int16:
    case FieldType::Byte:
    case FieldType::Boolean: {
        if (isFractional(stored))
            break; // a fraction kept in a whole-number field is shown as the number it is
        if (stored.typeId() == QMetaType::Int)
            return QString::number(*static_cast<const int*>(stored.constData()));
        if (stored.typeId() == QMetaType::LongLong)
            return QString::number(*static_cast<const qlonglong*>(stored.constData()));
        const qlonglong n = stored.toLongLong(&ok);
        if (ok)
            return QString::number(n);
        return stored.toString();
    }
    case FieldType::Single: {
        const double d = stored.toDouble(&ok);
        return ok ? floatText(static_cast<float>(d)) : stored.toString();
    }
    case FieldType::Double:
        break;
    case FieldType::Date:
    case FieldType::Text:
    case FieldType::LongText:
        return stored.toString();
    }
    const double d = stored.toDouble(&ok);
    return ok ? QString::number(d, 'g', QLocale::FloatingPointShortest) : stored.toString();
}

Result<std::vector<Entry>> readForTank(const Database& db, qint32 tankId) {
    return readWhere(db, QStringLiteral("TankID"), tankId);
}

Result<std::vector<Entry>> readForInspection(const Database& db, qint32 inspectionId) {
    return readWhere(db, QStringLiteral("InspectionID"), inspectionId);
}

Status ensureTable(Database& db) {
    if (!db.engine())
        return Error{QStringLiteral("The database is not open.")};
    auto present = hasTable(*db.engine());
    if (!present)
        return present.takeError();
    if (*present)
        return {};
    return db.transaction([&] { return makeTable(*db.engine()); });
}

// ---------------------------------------------------------------------------------------------

int RowImage::indexOf(const QString& field) const {
    if (!fields)
        return -1;
    for (std::size_t i = 0; i < fields->size(); ++i)
        if ((*fields)[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

QVariant RowImage::value(const QString& field) const {
    const int i = indexOf(field);
    return i >= 0 ? values[static_cast<std::size_t>(i)] : QVariant();
}

ChangeRecorder::ChangeRecorder(EngineConnection& engine) : engine_(engine) {}

bool ChangeRecorder::records(const QString& table) {
    return table.compare(Table, Qt::CaseInsensitive) != 0;
}

void ChangeRecorder::forgetFields() {
    fields_.clear();
    written_ = {};
}

Result<const ChangeRecorder::TableFields*> ChangeRecorder::fieldsOf(const QString& table) {
    auto found = fields_.find(table);
    if (found == fields_.end()) {
        auto fields = engine_.tableFields(table);
        if (!fields)
            return fields.takeError();
        if (fields->empty())
            return Error{
                QStringLiteral("The table \"%1\" does not exist in this database.").arg(table)};
        // A server reports every number as double and every text as text: the layout's kind
        // wins where it names the field, as it does for a recordset.
        QStringList columns;
        const layout::TableDef* def = layout::table(table);
        for (auto& f : *fields) {
            if (const layout::FieldDef* known = def ? def->field(f.name) : nullptr)
                f.type = known->type;
            columns << quoteIdentifier(f.name);
        }
        const QString readRow = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                    .arg(columns.join(QLatin1String(", ")), quoteIdentifier(table));
        found = fields_.emplace(table, TableFields{std::move(fields.value()), readRow}).first;
    }
    return &found->second;
}

Result<RowImage> ChangeRecorder::read(const QString& table, qint64 rowid) {
    auto known = fieldsOf(table);
    if (!known)
        return known.takeError();
    const auto columns = static_cast<int>((*known)->fields.size());
    auto rows = engine_.readRows((*known)->readRow, {rowid}, columns, false);
    if (!rows)
        return rows.takeError();
    return image(**known, **rows);
}

Result<RowImage> ChangeRecorder::written(const QString& table, qint64 rowid,
                                         const QStringList& fields, const QVariantList& values) {
    if (engine_.dialect() != layout::Dialect::Sqlite)
        return read(table, rowid);
    auto known = fieldsOf(table);
    if (!known)
        return known.takeError();
    // In a file the counter key is the rowid, and a field not written holds Null (the layout
    // gives no field a default): the row is what was written.
    RowImage image;
    image.fields = &(*known)->fields;
    image.values.resize(image.fields->size());
    const std::vector<int>& places = placesOf(**known, fields);
    for (std::size_t i = 0; i < image.fields->size(); ++i) {
        if ((*image.fields)[i].type == FieldType::Counter)
            image.values[i] = rowid;
        else if (const int at = places[i]; at >= 0 && at < values.size() && !values[at].isNull())
            image.values[i] = values[at];
    }
    return image;
}

const std::vector<int>& ChangeRecorder::placesOf(const TableFields& table,
                                                 const QStringList& names) {
    if (written_.table == &table && written_.names == names)
        return written_.places;
    written_ = {&table, names, std::vector<int>(table.fields.size(), -1)};
    for (std::size_t i = 0; i < table.fields.size(); ++i)
        for (qsizetype at = 0; at < names.size(); ++at)
            if (names[at].compare(table.fields[i].name, Qt::CaseInsensitive) == 0) {
                written_.places[i] = static_cast<int>(at);
                break;
            }
    return written_.places;
}

RowImage ChangeRecorder::image(const TableFields& table, const StoredRows& rows) {
    RowImage image;
    if (rows.count() == 0)
        return image;
    image.fields = &table.fields;
    const auto columns = static_cast<int>(table.fields.size());
    image.values.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        image.values.push_back(rows.cell(0, c));
    return image;
}

Status ChangeRecorder::added(const QString& table, const RowImage& after) {
    if (!after.exists())
        return {};
    return write(table, after,
                 {{actionText(Action::Added), {}, {}, valuesText(after, byName(*after.fields))}});
}

Status ChangeRecorder::addedRows(const QString& table, const std::vector<RowImage>& rows) {
    std::vector<std::pair<const RowImage*, Line>> lines;
    lines.reserve(rows.size());
    const std::vector<layout::FieldDef>* fields = nullptr; // those the order is of
    std::vector<std::size_t> order;
    for (const RowImage& row : rows) {
        if (!row.exists())
            continue;
        if (row.fields != fields) {
            fields = row.fields;
            order = byName(*fields);
        }
        lines.emplace_back(&row, Line{actionText(Action::Added), {}, {}, valuesText(row, order)});
    }
    return write(table, lines);
}

Status ChangeRecorder::deleted(const QString& table, const RowImage& before) {
    if (!before.exists())
        return {};
    return write(
        table, before,
        {{actionText(Action::Deleted), {}, valuesText(before, byName(*before.fields)), {}}});
}

Status ChangeRecorder::changed(const QString& table, const RowImage& before,
                               const QStringList& fields, const QVariantList& values) {
    if (!before.exists())
        return {};
    RowImage after = before;
    std::vector<Line> lines;
    int at = -1;
    for (int i = 0; i < fields.size(); ++i) {
        // A save writes the fields in the table's order: the next field is tried first.
        const std::size_t next = static_cast<std::size_t>(at + 1);
        at = next < before.fields->size() && (*before.fields)[next].name == fields[i]
                 ? static_cast<int>(next)
                 : before.indexOf(fields[i]);
        if (at < 0)
            continue; // not a field of the table: the statement itself fails
        const layout::FieldDef& f = (*before.fields)[static_cast<std::size_t>(at)];
        const QVariant& old = before.values[static_cast<std::size_t>(at)];
        const QVariant& now = values[i];
        after.values[static_cast<std::size_t>(at)] = now;
        if (f.type == FieldType::LongText) {
            // A drawing changed: its text is not copied into the history.
            if (old.toString() != now.toString())
                lines.push_back({actionText(Action::Changed), f.name, {}, {}});
            continue;
        }
        if (surelySame(old, now, f.type))
            continue;
        const QString was = storedText(old, f.type);
        const QString is = storedText(now, f.type);
        if (was != is)
            lines.push_back({actionText(Action::Changed), f.name, was, is});
    }
    return write(table, after, lines);
}

Result<std::optional<qint32>> ChangeRecorder::tankOfInspection(qint32 inspectionId) {
    if (auto known = inspectionTanks_.constFind(inspectionId); known != inspectionTanks_.cend())
        return std::optional<qint32>(*known);
    auto q = engine_.exec(
        QStringLiteral("SELECT \"TankID\" FROM \"Inspection\" WHERE \"InspectionID\" = ?"),
        {inspectionId});
    if (!q)
        return q.takeError();
    if (!q->next() || !q->value(0).isValid())
        return std::optional<qint32>();
    const auto tank = static_cast<qint32>(q->value(0).toLongLong());
    inspectionTanks_.insert(inspectionId, tank);
    return std::optional<qint32>(tank);
}

Status ChangeRecorder::requireTable() {
    if (tableChecked_)
        return {};
    auto present = hasTable(engine_);
    if (!present)
        return present.takeError();
    if (*present) {
        tableChecked_ = true;
        return {};
    }
    // A database from before the history gains the table in the transaction of its first
    // change; it is looked for again next time, since that transaction may yet be undone.
    return makeTable(engine_);
}

Status ChangeRecorder::write(const QString& table, const RowImage& row,
                             const std::vector<Line>& lines) {
    std::vector<std::pair<const RowImage*, Line>> all;
    all.reserve(lines.size());
    for (const Line& line : lines)
        all.emplace_back(&row, line);
    return write(table, all);
}

Status ChangeRecorder::write(const QString& table,
                             const std::vector<std::pair<const RowImage*, Line>>& lines) {
    if (lines.empty())
        return {};
    if (auto ok = requireTable(); !ok)
        return ok;

    const QString labelName = labelField(table);
    const auto idValue = [](const std::optional<qint32>& id) {
        return id ? QVariant(*id) : QVariant();
    };
    const auto textValue = [](const QVariant& v) {
        return v.toString().isEmpty() ? QVariant() : QVariant(v.toString());
    };

    const QString when = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const Author& who = author();
    const QVariant databaseUser = textValue(engine_.userName());
    QStringList columns;
    for (const QString& c : writtenColumns())
        columns << quoteIdentifier(c);
    // What every row of a change shares (when, who, where and the table) is bound once, as
    // ?1 to ?5, and named again in each row.
    const QVariantList shared{when, who.user, databaseUser, who.computer, table};
    QStringList rowMarks;
    for (qsizetype c = 0; c < columns.size(); ++c)
        rowMarks << (c < shared.size() ? QStringLiteral("?%1").arg(c + 1) : QStringLiteral("?"));
    const QString marks = QLatin1Char('(') + rowMarks.join(QLatin1Char(',')) + QLatin1Char(')');
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                               .arg(quoteIdentifier(Table), columns.join(QLatin1String(", ")));
    // Where the fields a history row names are in the rows of one table.
    struct Positions {
        Positions() = default;
        Positions(const RowImage& row, const QString& labelName)
            : fields(row.fields), label(labelName.isEmpty() ? -1 : row.indexOf(labelName)),
              tank(row.indexOf(QStringLiteral("TankID"))),
              inspection(row.indexOf(QStringLiteral("InspectionID"))) {
            for (std::size_t f = 0; f < fields->size(); ++f)
                if ((*fields)[f].type == FieldType::Counter)
                    key = static_cast<int>(f);
        }
        const std::vector<layout::FieldDef>* fields = nullptr;
        int key = -1;
        int label = -1;
        int tank = -1;
        int inspection = -1;
    } positions;
    // A few hundred rows to a statement keeps within every engine's limit of bound values.
    constexpr std::size_t RowsPerStatement = 200;
    for (std::size_t first = 0; first < lines.size(); first += RowsPerStatement) {
        const std::size_t last = std::min(lines.size(), first + RowsPerStatement);
        QVariantList values = shared;
        values.reserve(shared.size() +
                       static_cast<qsizetype>(last - first) * (columns.size() - shared.size()));
        for (std::size_t i = first; i < last; ++i) {
            const RowImage& row = *lines[i].first;
            const Line& line = lines[i].second;
            if (row.fields != positions.fields)
                positions = Positions(row, labelName);
            const auto at = [&row](int place) {
                return place < 0 ? QVariant() : row.values[static_cast<std::size_t>(place)];
            };
            const QVariant key = at(positions.key);
            const QString label = at(positions.label).toString();
            std::optional<qint32> tank = optionalId(at(positions.tank));
            const std::optional<qint32> inspection = optionalId(at(positions.inspection));
            if (!tank && inspection) {
                auto owner = tankOfInspection(*inspection);
                if (!owner)
                    return owner.takeError();
                tank = *owner;
            }
            values << (key.isValid() ? QVariant(key.toLongLong()) : QVariant()) << textValue(label)
                   << line.action << textValue(line.field) << textValue(line.before)
                   << textValue(line.after) << idValue(tank) << idValue(inspection);
        }
        const QString statement =
            insert +
            QStringList(static_cast<qsizetype>(last - first), marks).join(QLatin1String(", "));
        if (auto written = engine_.execute(statement, values); !written)
            return written.takeError();
    }
    return {};
}

} // namespace korvane::history
