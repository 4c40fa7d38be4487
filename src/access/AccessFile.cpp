#include "access/AccessFile.h"

#include "data/DatabaseCheck.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts do not compile.
#include <glib.h>
#include <mdbtools.h>

namespace korvane::access {

namespace {

// Closes libmdb's objects when they go out of scope.
struct TableCloser {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

struct GFreer {
    void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFreer>;

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

template <class T> T* element(GPtrArray* array, unsigned i) {
    return static_cast<T*>(array->pdata[i]);
}

ColumnKind kindOf(int columnType) {
    switch (columnType) {
    case MDB_BOOL:
        return ColumnKind::Boolean;
    case MDB_BYTE:
        return ColumnKind::Byte;
    case MDB_INT:
        return ColumnKind::Integer;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return ColumnKind::LongInteger;
    case MDB_MONEY:
        return ColumnKind::Currency;
    case MDB_FLOAT:
        return ColumnKind::Single;
    case MDB_DOUBLE:
        return ColumnKind::Double;
    case MDB_NUMERIC:
        return ColumnKind::Decimal;
    case MDB_DATETIME:
        return ColumnKind::DateTime;
    case MDB_TEXT:
        return ColumnKind::Text;
    case MDB_MEMO:
        return ColumnKind::Memo;
    case MDB_REPID:
        return ColumnKind::Guid;
    default: // OLE, fixed binary and anything newer than this reader
        return ColumnKind::Binary;
    }
}

// Access keeps a date and time as days since 30 December 1899; the fraction is the time of day,
// counted forward from midnight also for days before 1899. Rounded to the second, as Access
// shows it.
QDateTime dateTimeFromDays(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return {};
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)), Qt::UTC);
}

// The bytes a value of a column type takes at least in a row.
int fixedSize(int columnType) {
    switch (columnType) {
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case MDB_FLOAT:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
        return 8;
    case MDB_MEMO:
    case MDB_OLE:
        return MDB_MEMO_OVERHEAD;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 1;
    }
}

// RC4, with which Access masks part of its first page under a key every file shares.
void rc4(const unsigned char* key, int keyLength, unsigned char* data, int length) {
    unsigned char state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % keyLength]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + state[i]) & 0xFF;
        std::swap(state[i], state[j]);
        data[n] ^= state[(state[i] + state[j]) & 0xFF];
    }
}

QString guidText(const unsigned char* b) {
    const QUuid uuid(qFromLittleEndian<quint32>(b), qFromLittleEndian<quint16>(b + 4),
                     qFromLittleEndian<quint16>(b + 6), b[8], b[9], b[10], b[11], b[12], b[13],
                     b[14], b[15]);
    return uuid.toString(QUuid::WithBraces).toUpper();
}

} // namespace

TableSource::~TableSource() = default;

struct AccessFile::Handle {
    MdbHandle* mdb = nullptr;
    std::size_t bindSize = MDB_BIND_SIZE;

    ~Handle() {
        if (mdb)
            mdb_close(mdb);
    }

    // The catalog entry of a user table, by its exact name or else regardless of letter case.
    MdbCatalogEntry* entry(const QString& name) const {
        MdbCatalogEntry* caseless = nullptr;
        for (unsigned i = 0; i < mdb->catalog->len; ++i) {
            auto* e = element<MdbCatalogEntry>(mdb->catalog, i);
            if (e->object_type != MDB_TABLE || !mdb_is_user_table(e))
                continue;
            const QString entryName = fromUtf8(e->object_name);
            if (entryName == name)
                return e;
            if (!caseless && entryName.compare(name, Qt::CaseInsensitive) == 0)
                caseless = e;
        }
        return caseless;
    }

    Result<TablePtr> openTable(const QString& name) const {
        MdbCatalogEntry* e = entry(name);
        if (!e)
            return Error{QStringLiteral("The Access file has no table \"%1\".").arg(name)};
        TablePtr table(mdb_read_table(e));
        if (!table || !mdb_read_columns(table.get()))
            return Error{QStringLiteral("The table \"%1\" of the Access file cannot be read; the "
                                        "file may be damaged.")
                             .arg(name)};
        return table;
    }

    // Text of a text or memo column. libmdb converts it into a buffer of its bind size, so the
    // size is raised for a long memo to keep it whole.
    QString text(MdbColumn* col, std::size_t rawLength) {
        const std::size_t wanted = std::max<std::size_t>(bindSize, rawLength * 3 + 64);
        mdb_set_bind_size(mdb, wanted);
        const GText converted(mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start,
                                                col->col_type, col->cur_value_len));
        mdb_set_bind_size(mdb, bindSize);
        return converted ? fromUtf8(converted.get()) : QString();
    }

    // The value of a column of the row just fetched, which is in the page buffer.
    QVariant value(MdbColumn* col) {
        // Booleans live in the row's null flags: libmdb sets the length to 1 for False.
        if (col->col_type == MDB_BOOL)
            return QVariant(col->cur_value_len == 0);
        const int length = col->cur_value_len;
        if (length <= 0)
            return {}; // Null, and an empty text, which libmdb does not tell apart
        const int start = col->cur_value_start;
        if (start < 0 || length < fixedSize(col->col_type) ||
            start + length > static_cast<int>(sizeof mdb->pg_buf))
            return {}; // a damaged row
        unsigned char* at = mdb->pg_buf + start;
        switch (col->col_type) {
        case MDB_BYTE:
            return QVariant(static_cast<int>(at[0]));
        case MDB_INT:
            return QVariant(static_cast<int>(qFromLittleEndian<qint16>(at)));
        case MDB_LONGINT:
        case MDB_COMPLEX:
            return QVariant(static_cast<int>(qFromLittleEndian<qint32>(at)));
        case MDB_MONEY:
            return QVariant(static_cast<double>(qFromLittleEndian<qint64>(at)) / 10000.0);
        case MDB_FLOAT: {
            float f = 0;
            std::memcpy(&f, at, sizeof f);
            return QVariant(f);
        }
        case MDB_DOUBLE:
            return QVariant(mdb_get_double(mdb->pg_buf, start));
        case MDB_DATETIME:
            return dateTimeFromDays(mdb_get_double(mdb->pg_buf, start));
        case MDB_NUMERIC: {
            const GText text(mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec));
            bool ok = false;
            const double d = text ? QByteArray(text.get()).toDouble(&ok) : 0.0;
            return ok ? QVariant(d) : QVariant();
        }
        case MDB_TEXT:
            return text(col, static_cast<std::size_t>(length));
        case MDB_MEMO: {
            // The memo's own length is in the low bits of its 12-byte header; a length past
            // any memo of ours is damage, and is not allocated.
            const std::size_t memoLength = qFromLittleEndian<quint32>(at) & 0x3FFFFFFF;
            return text(col, std::min<std::size_t>(memoLength, 64 << 20));
        }
        case MDB_REPID:
            return guidText(at);
        case MDB_OLE: {
            // mdb_ole_read_full follows the object over its pages from the header bound in
            // bind_ptr, and gives a buffer of malloc.
            std::size_t size = 0;
            void* bytes = mdb_ole_read_full(mdb, col, &size);
            QByteArray result(static_cast<const char*>(bytes), static_cast<qsizetype>(size));
            std::free(bytes);
            return result;
        }
        default:
            return QByteArray(reinterpret_cast<const char*>(at), length);
        }
    }
};

AccessFile::AccessFile(QString path, std::unique_ptr<Handle> handle)
    : path_(std::move(path)), handle_(std::move(handle)) {}

AccessFile::~AccessFile() = default;

Result<std::unique_ptr<AccessFile>> AccessFile::open(const QString& path) {
    if (Status readable = checkAccessHeader(path); !readable)
        return readable.takeError();
    const QFileInfo info(path);
    auto handle = std::make_unique<Handle>();
    // MDB_NOFLAGS opens the file for reading only.
    handle->mdb = mdb_open(QFile::encodeName(info.absoluteFilePath()).constData(), MDB_NOFLAGS);
    if (!handle->mdb)
        return Error{
            QStringLiteral("The Access file \"%1\" cannot be read; it may be damaged, or of a "
                           "kind this program does not know.")
                .arg(path)};
    if (!mdb_read_catalog(handle->mdb, MDB_TABLE))
        return Error{
            QStringLiteral("The list of tables of the Access file \"%1\" cannot be read; the file "
                           "may be damaged.")
                .arg(path)};
    mdb_set_bind_size(handle->mdb, handle->bindSize);
    return std::unique_ptr<AccessFile>(new AccessFile(info.absoluteFilePath(), std::move(handle)));
}

Result<QStringList> AccessFile::tableNames() {
    QStringList names;
    MdbHandle* mdb = handle_->mdb;
    for (unsigned i = 0; i < mdb->catalog->len; ++i) {
        auto* e = element<MdbCatalogEntry>(mdb->catalog, i);
        if (e->object_type == MDB_TABLE && mdb_is_user_table(e))
            names << fromUtf8(e->object_name);
    }
    return names;
}

std::vector<LinkedTable> AccessFile::linkedTables() {
    // The links are rows of the file's own list of objects, which names the other file in
    // Database (an Access file) or Connect (any other source). libmdb keeps neither, so the
    // list is read here like a table; it starts on page 2 of every file.
    MdbHandle* mdb = handle_->mdb;
    MdbCatalogEntry list{};
    list.mdb = mdb;
    list.object_type = MDB_TABLE;
    list.table_pg = 2;
    std::strcpy(list.object_name, "MSysObjects");
    TablePtr table(mdb_read_table(&list));
    std::vector<LinkedTable> links;
    if (!table || !mdb_read_columns(table.get()))
        return links;
    const std::size_t size = handle_->bindSize + 1;
    std::vector<char> name(size), type(size), database(size), connect(size);
    gchar nameColumn[] = "Name", typeColumn[] = "Type", databaseColumn[] = "Database",
          connectColumn[] = "Connect";
    if (mdb_bind_column_by_name(table.get(), nameColumn, name.data(), nullptr) < 0 ||
        mdb_bind_column_by_name(table.get(), typeColumn, type.data(), nullptr) < 0)
        return links;
    const bool hasDatabase =
        mdb_bind_column_by_name(table.get(), databaseColumn, database.data(), nullptr) >= 0;
    const bool hasConnect =
        mdb_bind_column_by_name(table.get(), connectColumn, connect.data(), nullptr) >= 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        // 6 is a table of another Access file, 4 one reached through ODBC. Forms, reports and
        // the like have the high bit set (-32764 is a report), so the type is taken whole.
        const int kind = std::atoi(type.data());
        if (kind != 4 && kind != 6)
            continue;
        QString backEnd = hasDatabase ? fromUtf8(database.data()) : QString();
        if (backEnd.isEmpty() && hasConnect)
            backEnd = fromUtf8(connect.data());
        links.push_back({fromUtf8(name.data()), backEnd});
        database[0] = connect[0] = '\0';
    }
    return links;
}

Result<qint64> AccessFile::storedRowCount(const QString& table) {
    auto opened = handle_->openTable(table);
    if (!opened)
        return opened.takeError();
    return static_cast<qint64>((*opened)->num_rows);
}

Result<std::vector<SourceColumn>> AccessFile::columns(const QString& table) {
    auto opened = handle_->openTable(table);
    if (!opened)
        return opened.takeError();
    std::vector<SourceColumn> result;
    for (unsigned i = 0; i < (*opened)->num_cols; ++i) {
        auto* col = element<MdbColumn>((*opened)->columns, i);
        result.push_back({fromUtf8(col->name), kindOf(col->col_type)});
    }
    return result;
}

Status AccessFile::readRows(const QString& table, const RowHandler& each) {
    auto opened = handle_->openTable(table);
    if (!opened)
        return opened.takeError();
    MdbTableDef* t = opened->get();
    // Only OLE columns are bound: libmdb leaves their 12-byte header in the bound buffer for
    // mdb_ole_read_full, which also reads the object's pages into it, a page at a time. The
    // other columns are read from the page buffer where each row leaves them.
    std::vector<std::vector<char>> oleBuffers;
    for (unsigned i = 0; i < t->num_cols; ++i) {
        auto* col = element<MdbColumn>(t->columns, i);
        if (col->col_type == MDB_OLE) {
            oleBuffers.emplace_back(MDB_BIND_SIZE + MDB_PGSIZE, '\0');
            mdb_bind_column(t, static_cast<int>(i) + 1, oleBuffers.back().data(), nullptr);
        }
    }
    mdb_rewind_table(t);
    QVariantList values;
    while (mdb_fetch_row(t)) {
        values.clear();
        for (unsigned i = 0; i < t->num_cols; ++i)
            values << handle_->value(element<MdbColumn>(t->columns, i));
        if (Status status = each(values); !status)
            return status;
    }
    return {};
}

bool isAccessFile(const QString& path) {
    const auto kind = checkDatabaseFile(path);
    return kind && *kind == DatabaseFileKind::Access;
}

Status checkAccessHeader(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Error{QStringLiteral("The file \"%1\" was not found.").arg(path)};
    if (info.isDir())
        return Error{QStringLiteral("\"%1\" is a folder, not an Access file.").arg(path)};
    if (const auto kind = checkDatabaseFile(path); !kind || *kind != DatabaseFileKind::Access) {
        if (kind && *kind == DatabaseFileKind::Korvane)
            return Error{QStringLiteral("\"%1\" is already a Korvane 2000 database; it needs no "
                                        "import.")
                             .arg(path)};
        return Error{QStringLiteral("\"%1\" is not a Microsoft Access database file.").arg(path)};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("\"%1\" cannot be read: %2").arg(path, file.errorString())};
    // Bytes 0x18 on of the first page are masked with RC4 under a fixed key; unmasked, the four
    // bytes at 0x3E are the file's encoding key, zero in a file that is not encoded. Jet files
    // are encoded with that key alone, which libmdb undoes; Access 2007 and later encrypt with
    // the password, which this program never has.
    QByteArray head = file.read(0x18 + 128);
    if (head.size() < 0x18 + 128)
        return Error{
            QStringLiteral("The Access file \"%1\" is cut short; it is damaged.").arg(path)};
    const unsigned char maskKey[] = {0xC7, 0xDA, 0x39, 0x6B};
    const int version = static_cast<unsigned char>(head.at(0x14));
    rc4(maskKey, 4, reinterpret_cast<unsigned char*>(head.data()) + 0x18, version == 0 ? 126 : 128);
    const quint32 encodingKey = qFromLittleEndian<quint32>(head.constData() + 0x3E);
    if (version >= 2 && encodingKey != 0)
        return Error{QStringLiteral("\"%1\" is an encrypted Access database: its records cannot "
                                    "be read without its password. Open it in Microsoft Access, "
                                    "remove the password (File > Info > Decrypt Database) and "
                                    "import the decrypted file.")
                         .arg(path)};
    return {};
}

} // namespace korvane::access
