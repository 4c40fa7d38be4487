#include "access/AccessContents.h"

#include <QDataStream>

#include <algorithm>

namespace korvane::access {

namespace {

constexpr quint32 Magic = 0x4B4D5244; // "KMRD"
constexpr quint16 Version = 1;

// The kinds of record after the header.
enum Record : quint8 {
    TableRecord = 1, // name, stored rows, columns, whether its rows follow
    LinkRecord = 2,  // name, back-end file
    RowRecord = 3,   // the values of one row of the table last named
    TableEndRecord = 4,
    FailedRecord = 5, // the message
    DoneRecord = 6,
};

constexpr int StreamVersion = QDataStream::Qt_6_4;

// A stream in the version both ends read.
struct Stream : QDataStream {
    explicit Stream(QIODevice& device) : QDataStream(&device) { setVersion(StreamVersion); }
};

bool written(const QDataStream& s) {
    return s.status() == QDataStream::Ok;
}

QString recordsText(qint64 n) {
    return n == 1 ? QStringLiteral("record") : QStringLiteral("records");
}

} // namespace

QStringList AccessContents::losses() const {
    QStringList lines;
    for (const TableContents& t : tables) {
        if (!t.rowsRead || t.storedRows < 0)
            continue;
        const auto read = static_cast<qint64>(t.rows.size());
        if (read < t.storedRows)
            lines << QStringLiteral("%1: %2 of %3 records read")
                         .arg(t.name)
                         .arg(read)
                         .arg(t.storedRows);
        else if (read > t.storedRows)
            lines << QStringLiteral("%1: %2 %3 read where the file counts %4")
                         .arg(t.name)
                         .arg(read)
                         .arg(recordsText(read))
                         .arg(t.storedRows);
    }
    return lines;
}

const TableContents* ContentsSource::find(const QString& table) const {
    const auto it = std::find_if(contents_.tables.begin(), contents_.tables.end(),
                                 [&](const TableContents& t) { return t.name == table; });
    return it == contents_.tables.end() ? nullptr : &*it;
}

Result<QStringList> ContentsSource::tableNames() {
    QStringList names;
    for (const TableContents& t : contents_.tables)
        names << t.name;
    return names;
}

Result<std::vector<SourceColumn>> ContentsSource::columns(const QString& table) {
    if (const TableContents* t = find(table))
        return t->columns;
    return Error{QStringLiteral("The Access file has no table \"%1\".").arg(table)};
}

Status ContentsSource::readRows(const QString& table, const RowHandler& each) {
    const TableContents* t = find(table);
    if (!t || !t->rowsRead)
        return Error{QStringLiteral("The rows of the table \"%1\" were not read.").arg(table)};
    for (const QVariantList& row : t->rows)
        if (Status status = each(row); !status)
            return status;
    return {};
}

namespace stream {

bool writeHeader(QIODevice& out) {
    Stream s(out);
    s << Magic << Version;
    return written(s);
}

bool writeTable(QIODevice& out, const QString& name, qint64 storedRows,
                const std::vector<SourceColumn>& columns, bool rowsFollow) {
    Stream s(out);
    s << quint8(TableRecord) << name << storedRows << quint32(columns.size());
    for (const SourceColumn& c : columns)
        s << c.name << qint32(c.kind);
    s << rowsFollow;
    return written(s);
}

bool writeRow(QIODevice& out, const QVariantList& values) {
    Stream s(out);
    s << quint8(RowRecord) << values;
    return written(s);
}

namespace {

bool writeFailure(QIODevice& out, const QString& message) {
    Stream s(out);
    s << quint8(FailedRecord) << message;
    return written(s);
}

bool writeRecord(QIODevice& out, Record record) {
    Stream s(out);
    s << quint8(record);
    return written(s);
}

} // namespace

bool writeContents(const QString& path, QIODevice& out,
                   const std::function<bool(const QString& table)>& wantsRows) {
    if (!writeHeader(out))
        return false;
    auto file = AccessFile::open(path);
    if (!file)
        return writeFailure(out, file.error());
    for (const LinkedTable& link : (*file)->linkedTables()) {
        Stream s(out);
        s << quint8(LinkRecord) << link.name << link.backEnd;
        if (!written(s))
            return false;
    }
    auto names = (*file)->tableNames();
    if (!names)
        return writeFailure(out, names.error());
    for (const QString& name : *names) {
        if (!wantsRows(name)) {
            // A table of no use to us is only named; its columns are not even read.
            if (!writeTable(out, name, -1, {}, false))
                return false;
            continue;
        }
        auto columns = (*file)->columns(name);
        if (!columns)
            return writeFailure(out, columns.error());
        auto stored = (*file)->storedRowCount(name);
        if (!stored)
            return writeFailure(out, stored.error());
        if (!writeTable(out, name, *stored, *columns, true))
            return false;
        bool outOk = true;
        const Status read = (*file)->readRows(name, [&](const QVariantList& values) -> Status {
            if (!writeRow(out, values)) {
                outOk = false;
                return Error{};
            }
            return {};
        });
        if (!outOk)
            return false;
        if (!read)
            return writeFailure(out, read.error());
        if (!writeRecord(out, TableEndRecord))
            return false;
    }
    return writeRecord(out, DoneRecord);
}

Parser::State Parser::fail(const QString& why) {
    failure_ = why;
    reading_ = nullptr;
    return state_ = State::Failed;
}

Parser::State Parser::take(QIODevice& in) {
    Stream s(in);
    while (state_ == State::Reading) {
        s.startTransaction();
        if (!headerRead_) {
            quint32 magic = 0;
            quint16 version = 0;
            s >> magic >> version;
            if (!s.commitTransaction())
                break;
            if (magic != Magic || version != Version)
                return fail(QStringLiteral("The reader of Access files answered in a form this "
                                           "program does not know."));
            headerRead_ = true;
            continue;
        }
        quint8 record = 0;
        s >> record;
        switch (record) {
        case TableRecord: {
            TableContents table;
            quint32 count = 0;
            s >> table.name >> table.storedRows >> count;
            // Columns are read one by one: a count from a broken stream is not trusted to size
            // anything.
            for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
                SourceColumn column{{}, ColumnKind::Text};
                qint32 kind = 0;
                s >> column.name >> kind;
                if (kind < 0 || kind > qint32(ColumnKind::Guid)) {
                    s.abortTransaction();
                    return fail(QStringLiteral("The reader of Access files sent a column of an "
                                               "unknown kind."));
                }
                column.kind = ColumnKind(kind);
                table.columns.push_back(std::move(column));
            }
            s >> table.rowsRead;
            if (!s.commitTransaction())
                break;
            contents_.tables.push_back(std::move(table));
            reading_ = contents_.tables.back().rowsRead ? &contents_.tables.back() : nullptr;
            continue;
        }
        case LinkRecord: {
            LinkedTable link;
            s >> link.name >> link.backEnd;
            if (!s.commitTransaction())
                break;
            contents_.linked.push_back(std::move(link));
            continue;
        }
        case RowRecord: {
            QVariantList values;
            s >> values;
            if (!s.commitTransaction())
                break;
            if (!reading_ || values.size() != qsizetype(reading_->columns.size()))
                return fail(QStringLiteral("The reader of Access files sent a row that belongs "
                                           "to no table."));
            reading_->rows.push_back(std::move(values));
            continue;
        }
        case TableEndRecord:
            if (!s.commitTransaction())
                break;
            reading_ = nullptr;
            continue;
        case FailedRecord: {
            QString message;
            s >> message;
            if (!s.commitTransaction())
                break;
            return fail(message);
        }
        case DoneRecord:
            if (!s.commitTransaction())
                break;
            reading_ = nullptr;
            return state_ = State::Done;
        default:
            if (!s.commitTransaction())
                break; // not even the kind has arrived
            return fail(QStringLiteral("The reader of Access files answered in a form this "
                                       "program does not know."));
        }
        break; // a record cut short: wait for the rest
    }
    return state_;
}

QString Parser::progressText() const {
    if (!reading_)
        return contents_.tables.empty()
                   ? QStringLiteral("Reading the list of tables")
                   : QStringLiteral("Read %1 tables").arg(contents_.tables.size());
    const auto read = static_cast<qint64>(reading_->rows.size());
    if (reading_->storedRows >= 0)
        return QStringLiteral("%1: %2 of %3 records read")
            .arg(reading_->name)
            .arg(read)
            .arg(reading_->storedRows);
    return QStringLiteral("%1: %2 %3 read").arg(reading_->name).arg(read).arg(recordsText(read));
}

} // namespace stream

} // namespace korvane::access
