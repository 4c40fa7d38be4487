#include "data/Recordset.h"

#include "data/Engine.h"
#include "data/Select.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace korvane {

using layout::FieldType;

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

Result<Recordset> Recordset::open(const Database& db, const Select& asked, bool lockEdits) {
    EngineConnection* engine = db.engine();
    if (!engine)
        return Error{QStringLiteral("The database is not open.")};
    // Tables of the layout by their own spelling, whatever letter case the caller wrote.
    const auto layoutTable = [](const QString& name) {
        const layout::TableDef* def = layout::table(name);
        return def ? def->name : QString();
    };
    const Select tablesSpelled =
        asked.spelled(layoutTable, [](const QString&) { return QString(); });

    Recordset rs;
    rs.db_ = db;
    rs.table_ = tablesSpelled.updatableTable();
    rs.lockEdits_ = lockEdits;

    // Field names and kinds come from the tables themselves, so a database with a column the
    // layout does not know still reads; the layout's kind wins where it names the field.
    std::vector<TableInfo> infos;
    QHash<QString, QString> spelling; // lower-case bare and qualified names: Table.Field
    for (const QString& table : tablesSpelled.tables()) {
        // The fields alone: counting the table's rows would cost a full scan on a server.
        auto fields = engine->tableFields(table);
        if (!fields)
            return fields.takeError();
        if (fields->empty())
            return Error{
                QStringLiteral("The table \"%1\" does not exist in this database.").arg(table)};
        TableInfo info{table, std::move(fields.value()), 0};
        for (const auto& f : info.fields) {
            const QString qualified = info.name + QLatin1Char('.') + f.name;
            spelling.insert(qualified.toLower(), qualified);
            if (!spelling.contains(f.name.toLower()))
                spelling.insert(f.name.toLower(), qualified);
        }
        infos.push_back(std::move(info));
    }
    const Select query = tablesSpelled.spelled(
        layoutTable, [&](const QString& f) { return spelling.value(f.toLower()); });
    const auto addColumn = [&rs](const TableInfo& info, const layout::FieldDef& f) {
        const layout::TableDef* def = layout::table(info.name);
        const layout::FieldDef* known = def ? def->field(f.name) : nullptr;
        rs.columns_.push_back(
            {f.name, info.name + QLatin1Char('.') + f.name, known ? known->type : f.type});
    };
    if (query.fieldList().isEmpty()) {
        for (const TableInfo& info : infos)
            for (const auto& f : info.fields)
                addColumn(info, f);
    }
    for (const QString& name : query.fieldList()) {
        // "Table.Field" names a field of either table of a join; a bare name is of the first.
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        const QString tableName = dot < 0 ? infos.front().name : name.left(dot);
        const QString fieldName = dot < 0 ? name : name.mid(dot + 1);
        const TableInfo* info = nullptr;
        const layout::FieldDef* field = nullptr;
        for (const TableInfo& i : infos)
            if (i.name.compare(tableName, Qt::CaseInsensitive) == 0)
                info = &i;
        for (std::size_t f = 0; info && !field && f < info->fields.size(); ++f)
            if (info->fields[f].name.compare(fieldName, Qt::CaseInsensitive) == 0)
                field = &info->fields[f];
        if (!field)
            return Error{
                QStringLiteral("The field %1 does not exist in %2.").arg(fieldName, tableName)};
        addColumn(*info, *field);
    }

    for (int c = static_cast<int>(rs.columns_.size()) - 1; c >= 0; --c) {
        const Column& col = rs.columns_[static_cast<std::size_t>(c)];
        for (const QString& key :
             {col.name, col.qualified, col.name.toLower(), col.qualified.toLower()})
            rs.columnByName_.insert(key, c); // walking backwards leaves the first column of a name
    }

    // The columns are named one by one, so the rows hold exactly the fields found above.
    QStringList all;
    for (const Column& col : rs.columns_)
        all << col.qualified;
    Select named = query;
    named.fields(all);
    auto read = engine->readRows(named.sql(engine->dialect()), named.bindings(),
                                 static_cast<int>(rs.columns_.size()), !rs.table_.isEmpty());
    if (!read)
        return read.takeError();
    rs.read_ = std::move(read.value());
    const int count = rs.read_->count();
    rs.rows_.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        rs.rows_.emplace_back(row);
    if (!rs.table_.isEmpty()) {
        rs.rowids_.reserve(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            rs.rowids_.push_back(rs.read_->rowid(row));
    }
    return rs;
}

void Recordset::close() {
    cancelUpdate();
    db_.close();
    columns_.clear();
    columnByName_.clear();
    rows_.clear();
    read_.reset();
    rowids_.clear();
    current_ = 0;
}

void Recordset::moveFirst() {
    current_ = 0;
}
void Recordset::moveNext() {
    if (current_ < recordCount())
        ++current_;
}
void Recordset::movePrevious() {
    if (current_ >= 0)
        --current_;
}
void Recordset::moveLast() {
    current_ = rows_.empty() ? 0 : recordCount() - 1;
}
void Recordset::setAbsolutePosition(int row) {
    current_ = std::clamp(row, 0, recordCount());
}

QStringList Recordset::fieldNames() const {
    QStringList names;
    for (const auto& c : columns_)
        names << c.name;
    return names;
}

QVariant Recordset::stored(int row, int column) const {
    const auto& r = rows_[static_cast<std::size_t>(row)];
    if (const int* read = std::get_if<int>(&r))
        return read_->cell(*read, column);
    return std::get<Row>(r)[static_cast<std::size_t>(column)];
}

Recordset::Row Recordset::storedRow(int row) const {
    const auto& r = rows_[static_cast<std::size_t>(row)];
    if (const Row* written = std::get_if<Row>(&r))
        return *written;
    Row values;
    values.reserve(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c)
        values.push_back(read_->cell(std::get<int>(r), static_cast<int>(c)));
    return values;
}

int Recordset::columnIndex(const QString& name) const {
    // Rows are mostly read field after field in table order: try the column after the last one
    // asked for before hashing the name.
    const int next = lastColumn_ + 1;
    if (next < static_cast<int>(columns_.size()) &&
        columns_[static_cast<std::size_t>(next)].name == name)
        return lastColumn_ = next;
    auto it = columnByName_.constFind(name);
    const int found =
        it != columnByName_.constEnd() ? *it : columnByName_.value(name.toLower(), -1);
    if (found >= 0)
        lastColumn_ = found;
    return found;
}

FieldType Recordset::fieldType(const QString& name) const {
    const int c = columnIndex(name);
    return c >= 0 ? columns_[static_cast<std::size_t>(c)].type : FieldType::Text;
}

int Recordset::keyColumn() const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].type == FieldType::Counter)
            return static_cast<int>(i);
    return -1;
}

QVariant Recordset::value(const QString& field) const {
    return value(columnIndex(field));
}

QString Recordset::text(const QString& field) const {
    return text(columnIndex(field));
}

QVariant Recordset::value(int c) const {
    if (c < 0 || c >= fieldCount())
        return {};
    const FieldType type = columns_[static_cast<std::size_t>(c)].type;
    if (mode_ != EditMode::None)
        return fieldvalue::fromStored(buffer_[static_cast<std::size_t>(c)], type);
    if (current_ < 0 || current_ >= recordCount())
        return {};
    const auto& r = rows_[static_cast<std::size_t>(current_)];
    if (const int* read = std::get_if<int>(&r))
        return read_->value(*read, c, type);
    return fieldvalue::fromStored(std::get<Row>(r)[static_cast<std::size_t>(c)], type);
}

QString Recordset::text(int column) const {
    const QVariant v = value(column);
    return v.isValid() ? v.toString() : QString();
}

Status Recordset::setValue(const QString& field, const QVariant& value) {
    if (mode_ == EditMode::None)
        return Error{
            QStringLiteral("The record is not being edited; %1 was not changed.").arg(field)};
    const int c = columnIndex(field);
    if (c < 0)
        return Error{QStringLiteral("The field %1 does not exist in %2.").arg(field, table_)};
    auto stored = fieldvalue::toStored(value, columns_[static_cast<std::size_t>(c)].type,
                                       columns_[static_cast<std::size_t>(c)].name);
    if (!stored)
        return stored.takeError();
    buffer_[static_cast<std::size_t>(c)] = std::move(stored.value());
    changed_[static_cast<std::size_t>(c)] = true;
    return {};
}

Status Recordset::requireTable() const {
    if (!db_.isOpen())
        return Error{QStringLiteral("The recordset is closed.")};
    if (table_.isEmpty())
        return Error{QStringLiteral("These rows come from two tables and cannot be changed here.")};
    return {};
}

QString Recordset::recordDescription() const {
    const auto name = [&](const char* field) {
        const int c = columnIndex(QString::fromLatin1(field));
        return c >= 0 ? buffer_[static_cast<std::size_t>(c)].toString() : QString();
    };
    const int key = keyColumn();
    const QString id =
        key >= 0 ? QStringLiteral("%1 %2").arg(columns_[static_cast<std::size_t>(key)].name,
                                               buffer_[static_cast<std::size_t>(key)].toString())
                 : QStringLiteral("row %1").arg(rowids_[static_cast<std::size_t>(current_)]);
    QString label;
    if (table_.compare(QLatin1String("Tank"), Qt::CaseInsensitive) == 0)
        label = name("Name");
    else if (table_.compare(QLatin1String("Inspection"), Qt::CaseInsensitive) == 0)
        label = name("InspectionNum");
    return label.isEmpty() ? QStringLiteral("%1 record %2").arg(table_, id)
                           : QStringLiteral("%1 \"%2\" (%3)").arg(table_, label, id);
}

Status Recordset::addNew() {
    if (auto ok = requireTable(); !ok)
        return ok;
    cancelUpdate();
    buffer_.assign(columns_.size(), QVariant());
    changed_.assign(columns_.size(), false);
    const int key = keyColumn();
    if (key >= 0) {
        auto next = db_.engine()->nextKey(table_, columns_[static_cast<std::size_t>(key)].name);
        if (!next)
            return next.takeError();
        buffer_[static_cast<std::size_t>(key)] = static_cast<qlonglong>(*next);
        changed_[static_cast<std::size_t>(key)] = true;
    }
    mode_ = EditMode::AddNew;
    return {};
}

Status Recordset::edit() {
    if (auto ok = requireTable(); !ok)
        return ok;
    if (eof())
        return Error{QStringLiteral("There is no current record to edit.")};
    if (mode_ == EditMode::Edit)
        return {};
    cancelUpdate();
    buffer_ = storedRow(current_);
    changed_.assign(columns_.size(), false);
    if (lockEdits_) {
        const int key = keyColumn();
        const qint64 id = key >= 0 ? buffer_[static_cast<std::size_t>(key)].toLongLong()
                                   : rowids_[static_cast<std::size_t>(current_)];
        const QString busy =
            QStringLiteral("%1 is being edited by another Korvane 2000 user or window. It can be "
                           "changed when that edit is finished.")
                .arg(recordDescription());
        auto lock = db_.engine()->lock(table_, id, busy);
        if (!lock) {
            buffer_.clear();
            changed_.clear();
            return lock.takeError();
        }
        lock_ = std::move(lock.value());
    }
    mode_ = EditMode::Edit;
    return {};
}

Status Recordset::update() {
    if (auto ok = requireTable(); !ok)
        return ok;
    if (mode_ == EditMode::None)
        return Error{QStringLiteral("There is no pending change to save.")};
    QStringList names;
    QVariantList values;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (!changed_[c])
            continue;
        names << columns_[c].name;
        values << buffer_[c];
    }
    if (mode_ == EditMode::AddNew) {
        auto rowid = db_.insertRow(table_, names, values);
        if (!rowid)
            return rowid.takeError();
        rowids_.push_back(*rowid);
        rows_.push_back(buffer_);
        current_ = recordCount() - 1;
    } else {
        auto found =
            db_.updateRow(table_, rowids_[static_cast<std::size_t>(current_)], names, values);
        if (!found)
            return found.takeError();
        if (!*found)
            return Error{QStringLiteral("%1 no longer exists; it was deleted by another user.")
                             .arg(recordDescription())};
        rows_[static_cast<std::size_t>(current_)] = buffer_;
    }
    mode_ = EditMode::None;
    buffer_.clear();
    changed_.clear();
    lock_.release();
    return {};
}

void Recordset::cancelUpdate() {
    mode_ = EditMode::None;
    buffer_.clear();
    changed_.clear();
    lock_.release();
}

Status Recordset::deleteRecord() {
    if (auto ok = requireTable(); !ok)
        return ok;
    if (eof())
        return Error{QStringLiteral("There is no current record to delete.")};
    // A row claimed by edit() stays claimed through its deletion, until the recordset edits
    // again or is closed: no other program starts changing it while the deletion is committed.
    RecordLock claimed = std::move(lock_);
    cancelUpdate();
    lock_ = std::move(claimed);
    auto deleted = db_.deleteRow(table_, rowids_[static_cast<std::size_t>(current_)]);
    if (!deleted)
        return deleted.takeError();
    rows_.erase(rows_.begin() + current_);
    rowids_.erase(rowids_.begin() + current_);
    return {};
}

bool Recordset::findFirst(const QString& field, const QVariant& value) {
    noMatch_ = true;
    const int c = columnIndex(field);
    if (c < 0)
        return false;
    const FieldType type = columns_[static_cast<std::size_t>(c)].type;
    // Keys are compared like any other whole number.
    auto wanted =
        fieldvalue::toStored(value, type == FieldType::Counter ? FieldType::Int32 : type, field);
    if (!wanted)
        return false;
    for (int row = 0; row < recordCount(); ++row) {
        const QVariant v = stored(row, c);
        const bool equal =
            type == FieldType::Text || type == FieldType::LongText || type == FieldType::Date
                ? v.toString() == wanted->toString()
                : !v.isNull() && v.toDouble() == wanted->toDouble();
        if (equal) {
            current_ = row;
            noMatch_ = false;
            return true;
        }
    }
    return false;
}

} // namespace korvane
