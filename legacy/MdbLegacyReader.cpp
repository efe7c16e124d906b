#include "legacy/MdbLegacyReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <optional>

// glib first: mdbtools.h includes it inside its extern "C" block.
#include <glib.h>
#include <mdbtools.h>

namespace legacy {

namespace {

constexpr qint64 pageSize = 4096;
constexpr int rowOffsetMask = 0x1fff;

struct TableHandle {
    MdbTableDef *def = nullptr;
    std::vector<LegacyColumn> columns;
};

LegacyType typeOf(int columnType)
{
    switch (columnType) {
    case MDB_BOOL: return LegacyType::YesNo;
    case MDB_BYTE: return LegacyType::Byte;
    case MDB_INT: return LegacyType::Integer;
    case MDB_LONGINT: return LegacyType::Long;
    case MDB_MONEY: return LegacyType::Currency;
    case MDB_FLOAT: return LegacyType::Single;
    case MDB_DOUBLE: return LegacyType::Double;
    case MDB_DATETIME: return LegacyType::DateTime;
    case MDB_TEXT: return LegacyType::Text;
    case MDB_MEMO: return LegacyType::Memo;
    default: return LegacyType::Other;
    }
}

template <class T>
T little(const unsigned char *buffer, int start)
{
    T value;
    std::memcpy(&value, buffer + start, sizeof value); // the file is little-endian, as this machine
    return value;
}

// The file's own words on what it is, before libmdb reads any further.
void checkHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw LegacyFileError(QStringLiteral("Il file %1 non si apre: %2.").arg(path, file.errorString()));
    const QByteArray head = file.read(pageSize);
    const qint64 size = file.size();
    if (head.startsWith("SQLite format 3"))
        throw LegacyFileError(QStringLiteral("Il file %1 è un archivio di Tarvo, non del programma precedente.")
                                  .arg(QFileInfo(path).fileName()));
    const bool jet = head.mid(4, 16) == QByteArray("Standard Jet DB\0", 16);
    const bool ace = head.mid(4, 16) == QByteArray("Standard ACE DB\0", 16);
    if (!jet && !ace)
        throw LegacyFileError(QStringLiteral("Il file %1 non è un archivio di Access (Jet 4).")
                                  .arg(QFileInfo(path).fileName()));
    const int version = head.size() > 0x14 ? static_cast<unsigned char>(head.at(0x14)) : -1;
    if (version == MDB_VER_JET3)
        throw LegacyFileError(QStringLiteral("Il file %1 è un archivio di Access 97 (Jet 3): si importano solo "
                                             "archivi di Access 2000-2003 (Jet 4).").arg(QFileInfo(path).fileName()));
    if (ace || version != MDB_VER_JET4)
        throw LegacyFileError(QStringLiteral("Il file %1 è un archivio di Access 2007 o successivo: si importano "
                                             "solo archivi di Access 2000-2003 (Jet 4).").arg(QFileInfo(path).fileName()));
    if (size < 3 * pageSize || size % pageSize != 0)
        throw LegacyFileError(QStringLiteral("Il file %1 è incompleto (troncato): la sua lunghezza, %2 byte, non è "
                                             "quella di un archivio di Access.").arg(QFileInfo(path).fileName()).arg(size));
}

// Bytes a value of a fixed-size type takes in its row (0: none, or not fixed).
int fixedSize(int columnType)
{
    switch (columnType) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT:
    case MDB_FLOAT: return 4;
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_MONEY: return 8;
    default: return 0;
    }
}

// A table's columns as libmdb finds each value of a row by them: a damaged
// definition would send it, or us, outside the page.
bool columnsFit(const MdbTableDef *def)
{
    if (!def->columns || def->columns->len != def->num_cols || def->num_cols > MDB_MAX_COLS)
        return false;
    for (unsigned c = 0; c < def->num_cols; ++c) {
        const auto *column = static_cast<const MdbColumn *>(g_ptr_array_index(def->columns, c));
        if (column->col_num < 0 || column->col_num >= MDB_MAX_COLS || column->var_col_num >= MDB_MAX_COLS)
            return false;
        if (column->is_fixed && (column->fixed_offset < 0 || column->col_size < fixedSize(column->col_type)
                                 || column->fixed_offset + column->col_size > pageSize))
            return false;
    }
    return true;
}

// The bytes of text a memo holds, after checking that its header tells the
// truth: libmdb would give an empty or cut text where it lies, and follow a
// chain of pages that loops for ever. Nothing when it lies.
std::optional<size_t> memoBytes(MdbHandle *mdb, const MdbField &field)
{
    const quint32 header = little<quint32>(mdb->pg_buf, field.start);
    if (header & 0x80000000u)   // in the row itself
        return size_t(field.siz - MDB_MEMO_OVERHEAD);
    void *buffer = nullptr;
    int start = 0;
    size_t length = 0;
    qint32 pageRow = little<qint32>(mdb->pg_buf, field.start + 4);
    if (header & 0x40000000u)   // in one row of another page
        return mdb_find_pg_row(mdb, pageRow, &buffer, &start, &length) == 0 ? std::optional(length) : std::nullopt;
    if (header & 0xff000000u)
        return std::nullopt;
    // A chain of rows, each naming the next, that together hold the length
    // the header gives.
    size_t bytes = 0;
    QSet<qint32> visited;
    while (pageRow != 0) {
        if (visited.contains(pageRow) || mdb_find_pg_row(mdb, pageRow, &buffer, &start, &length) != 0
            || length < 4 || start < 0 || start + length > size_t(pageSize))
            return std::nullopt;
        visited.insert(pageRow);
        bytes += length - 4;
        pageRow = little<qint32>(static_cast<const unsigned char *>(buffer), start);
    }
    return bytes == header ? std::optional(bytes) : std::nullopt;
}

// The value of a field of the row on the current page; nothing when the
// row's bytes cannot hold it.
std::optional<LegacyValue> valueOf(MdbHandle *mdb, const MdbColumn &column, const MdbField &field)
{
    if (column.col_type == MDB_BOOL)
        return LegacyValue::yesNo(!field.is_null); // a yes/no is its null bit: set means true
    if (field.is_null)
        return LegacyValue();
    if (field.start < 0 || field.siz < fixedSize(column.col_type) || field.start + field.siz > pageSize)
        return std::nullopt;
    const unsigned char *page = mdb->pg_buf;
    switch (column.col_type) {
    case MDB_BYTE: return LegacyValue::integer(page[field.start]);
    case MDB_INT: return LegacyValue::integer(little<qint16>(page, field.start));
    case MDB_LONGINT: return LegacyValue::integer(little<qint32>(page, field.start));
    case MDB_FLOAT: return LegacyValue::real(little<float>(page, field.start));
    case MDB_DOUBLE: return LegacyValue::real(little<double>(page, field.start));
    case MDB_DATETIME: return LegacyValue::dateFromDays(little<double>(page, field.start));
    case MDB_MONEY: {
        char *text = mdb_money_to_string(mdb, field.start);
        const auto value = LegacyValue::currencyFromText(QString::fromUtf8(text));
        g_free(text);
        return value ? *value : LegacyValue();
    }
    case MDB_TEXT:
    case MDB_MEMO: {
        if (field.siz == 0)
            return LegacyValue::text(QString());
        // libmdb converts a memo into at most its bind size: raise it to what
        // this memo can need (a stored byte may become three of UTF-8), and
        // put it back, since every text conversion allocates that size.
        const size_t bindSize = mdb->bind_size;
        if (column.col_type == MDB_MEMO) {
            const std::optional<size_t> stored = field.siz >= MDB_MEMO_OVERHEAD ? memoBytes(mdb, field) : std::nullopt;
            if (!stored)
                return std::nullopt;
            mdb_set_bind_size(mdb, std::max(bindSize, *stored * 3 + 16));
        }
        char *text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column.col_type, field.siz);
        mdb_set_bind_size(mdb, bindSize);
        const QString value = QString::fromUtf8(text);
        g_free(text);
        return LegacyValue::text(value);
    }
    default:
        return LegacyValue();
    }
}

} // namespace

struct MdbLegacyReader::File {
    QString name;
    MdbHandle *mdb = nullptr;
    QStringList tableNames;
    QHash<QString, TableHandle> tables;

    ~File()
    {
        for (auto &table : tables)
            if (table.def)
                mdb_free_tabledef(table.def);
        if (mdb)
            mdb_close(mdb);
    }

    const TableHandle &table(const QString &name) const
    {
        const auto it = tables.constFind(name);
        if (it == tables.cend())
            throw LegacyFileError(QStringLiteral("L'archivio non ha la tabella %1.").arg(name));
        return *it;
    }

    QString damaged(const QString &what) const
    {
        return QStringLiteral("Il file %1 è danneggiato o troncato: %2.").arg(name, what);
    }

    QString rowDamaged(qint64 row, const QString &table) const
    {
        return damaged(QStringLiteral("la riga %1 della tabella %2 non si legge").arg(row).arg(table));
    }

    // Visits the rows of a table through libmdb, with the fields each holds
    // (never more than the table's columns); checks that all the rows the
    // table declares were read (pages missing from a truncated file are
    // otherwise skipped without a word).
    void scan(MdbTableDef *def, const QString &tableName,
              const std::function<void(MdbField *, int, qint64)> &row) const
    {
        mdb_rewind_table(def);
        std::vector<MdbField> fields(def->num_cols + 1);
        qint64 read = 0;
        while (mdb_fetch_row(def)) {
            ++read;
            if (!row)
                continue;
            int start = 0;
            size_t length = 0;
            if (mdb_find_row(mdb, static_cast<int>(def->cur_row) - 1, &start, &length) != 0)
                throw LegacyFileError(rowDamaged(read, tableName));
            const int count = mdb_crack_row(def, start & rowOffsetMask, length, fields.data());
            if (count < 0)
                throw LegacyFileError(rowDamaged(read, tableName));
            row(fields.data(), std::min(count, int(def->num_cols)), read);
        }
        if (read != def->num_rows)
            throw LegacyFileError(damaged(QStringLiteral("la tabella %1 ha %2 righe leggibili su %3")
                                              .arg(tableName).arg(read).arg(def->num_rows)));
    }
};

MdbLegacyReader::MdbLegacyReader(std::unique_ptr<File> file) : m_file(std::move(file)) {}
MdbLegacyReader::~MdbLegacyReader() = default;

std::unique_ptr<MdbLegacyReader> MdbLegacyReader::open(const QString &path)
{
    checkHeader(path);
    auto file = std::make_unique<File>();
    file->name = QFileInfo(path).fileName();
    file->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!file->mdb)
        throw LegacyFileError(QStringLiteral("Il file %1 non si apre come archivio di Access.").arg(file->name));
    if (!mdb_read_catalog(file->mdb, MDB_ANY))
        throw LegacyFileError(file->damaged(QStringLiteral("il suo catalogo non si legge")));
    bool catalogChecked = false;
    for (unsigned i = 0; i < file->mdb->catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(file->mdb->catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        const bool system = mdb_is_system_table(entry);
        if (system && name.compare(QLatin1String("MSysObjects"), Qt::CaseInsensitive) != 0)
            continue;
        MdbTableDef *def = mdb_read_table(entry);
        if (!def)
            throw LegacyFileError(file->damaged(QStringLiteral("la tabella %1 non si legge").arg(name)));
        if (!mdb_read_columns(def) || !columnsFit(def)) {
            mdb_free_tabledef(def);
            throw LegacyFileError(file->damaged(QStringLiteral("i campi della tabella %1 non si leggono").arg(name)));
        }
        if (system) {
            // The catalog itself whole: a table missing from a cut catalog is no missing table.
            try {
                file->scan(def, name, {});
            } catch (...) {
                mdb_free_tabledef(def);
                throw;
            }
            mdb_free_tabledef(def);
            catalogChecked = true;
            continue;
        }
        TableHandle table;
        table.def = def;
        for (unsigned c = 0; c < def->num_cols; ++c) {
            const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(def->columns, c));
            table.columns.push_back({QString::fromUtf8(column->name), typeOf(column->col_type)});
        }
        file->tableNames.append(name);
        file->tables.insert(name, std::move(table));
    }
    if (!catalogChecked)
        throw LegacyFileError(file->damaged(QStringLiteral("il suo catalogo non si legge")));
    for (const QString &name : std::as_const(file->tableNames))
        file->scan(file->tables.value(name).def, name, {});
    return std::unique_ptr<MdbLegacyReader>(new MdbLegacyReader(std::move(file)));
}

QStringList MdbLegacyReader::tables() const
{
    return m_file->tableNames;
}

std::vector<LegacyColumn> MdbLegacyReader::columns(const QString &table) const
{
    return m_file->table(table).columns;
}

qint64 MdbLegacyReader::rowCount(const QString &table) const
{
    return m_file->table(table).def->num_rows;
}

void MdbLegacyReader::readRows(const QString &table,
                               const std::function<void(const std::vector<LegacyValue> &)> &row)
{
    const TableHandle &handle = m_file->table(table);
    std::vector<LegacyValue> values(handle.columns.size());
    m_file->scan(handle.def, table, [&](MdbField *fields, int count, qint64 number) {
        std::fill(values.begin(), values.end(), LegacyValue());
        for (int i = 0; i < count; ++i) {
            const int colnum = fields[i].colnum;
            if (colnum < 0 || size_t(colnum) >= values.size())
                throw LegacyFileError(m_file->rowDamaged(number, table));
            const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(handle.def->columns, colnum));
            const std::optional<LegacyValue> value = valueOf(m_file->mdb, *column, fields[i]);
            if (!value)
                throw LegacyFileError(m_file->rowDamaged(number, table));
            values[colnum] = *value;
        }
        row(values);
    });
}

} // namespace legacy
