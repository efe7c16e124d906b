#include "LogDatabase.h"

#include "DebErrors.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace lodder {

namespace {

const char kSchema[] =
    "create table debby ("
    " deb_id integer primary key autoincrement,"
    " deb_classe varchar(50),"
    " deb_Data_Ora varchar(50),"
    " deb_err_Descrizione varchar(50),"
    " deb_err_Numero integer,"
    " deb_err_Routine varchar(50),"
    " deb_err_Nota varchar(255));"
    "create table deb_accesso (salt blob not null, hash blob not null);";

QByteArray passwordHash(const QByteArray &salt, const QString &password)
{
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
}

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_rc == SQLITE_OK && m_stmt; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bindText(int index, const QString &value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindText(int index, const std::optional<QString> &value)
    {
        if (value)
            bindText(index, *value);
        else
            sqlite3_bind_null(m_stmt, index);
    }
    void bindBlob(int index, const QByteArray &value)
    {
        sqlite3_bind_blob(m_stmt, index, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    QByteArray blob(int column) const
    {
        const void *data = sqlite3_column_blob(m_stmt, column);
        return QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column));
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

} // namespace

QString LogDatabase::classPassword()
{
    return QStringLiteral("MORVELIA");
}

DebStatus LogDatabase::create(const QString &path, const QString &password)
{
    if (QFileInfo::exists(path))
        return DebErrors::database(QStringLiteral("il file %1 esiste già").arg(path));
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return DebErrors::database(detail);
    }
    DebStatus status;
    char *message = nullptr;
    if (sqlite3_exec(db, "begin;", nullptr, nullptr, &message) != SQLITE_OK
        || sqlite3_exec(db, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        status = DebErrors::database(QString::fromUtf8(message));
    } else {
        QByteArray salt(16, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), salt.size() / 4);
        Statement insert(db, "insert into deb_accesso (salt, hash) values (?, ?)");
        if (insert.prepared()) {
            insert.bindBlob(1, salt);
            insert.bindBlob(2, passwordHash(salt, password));
        }
        if (!insert.prepared() || sqlite3_step(insert.get()) != SQLITE_DONE
            || sqlite3_exec(db, "commit;", nullptr, nullptr, &message) != SQLITE_OK)
            status = DebErrors::database(QString::fromUtf8(message ? message : sqlite3_errmsg(db)));
    }
    sqlite3_free(message);
    sqlite3_close(db);
    if (!status.ok())
        QFile::remove(path);
    return status;
}

LogDatabase::~LogDatabase()
{
    close();
}

void LogDatabase::close()
{
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

DebStatus LogDatabase::lastError() const
{
    return DebErrors::database(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

DebStatus LogDatabase::open(const QString &path, const QString &password)
{
    close();
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const DebStatus status = m_db ? lastError() : DebErrors::database(QString::fromUtf8(sqlite3_errstr(rc)));
        close();
        return status;
    }
    // Another program may be writing its own record: wait for it.
    sqlite3_busy_timeout(m_db, 5000);

    Statement query(m_db, "select salt, hash from deb_accesso");
    if (!query.prepared()) {
        const int code = sqlite3_errcode(m_db);
        const DebStatus status = (code == SQLITE_BUSY || code == SQLITE_LOCKED || code == SQLITE_IOERR)
            ? lastError()
            : DebErrors::notALogDatabase();
        close();
        return status;
    }
    const int step = sqlite3_step(query.get());
    if (step != SQLITE_ROW) {
        const DebStatus status = step == SQLITE_DONE ? DebErrors::notALogDatabase() : lastError();
        close();
        return status;
    }
    if (passwordHash(query.blob(0), password) != query.blob(1)) {
        close();
        return DebErrors::wrongPassword();
    }
    return {};
}

namespace {

void bindRecord(Statement &statement, const LogRecord &record)
{
    statement.bindText(1, record.classe);
    statement.bindText(2, record.dataOra);
    statement.bindText(3, record.errDescrizione);
    if (record.errNumero)
        sqlite3_bind_int64(statement.get(), 4, *record.errNumero);
    else
        sqlite3_bind_null(statement.get(), 4);
    statement.bindText(5, record.errRoutine);
    statement.bindText(6, record.nota);
}

std::optional<QString> optionalText(sqlite3_stmt *stmt, int column)
{
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)));
}

} // namespace

DebStatus LogDatabase::insert(const LogRecord &record)
{
    if (!m_db)
        return DebErrors::database(QStringLiteral("database non aperto"));
    Statement insert(m_db,
                     "insert into debby (deb_classe, deb_Data_Ora, deb_err_Descrizione, deb_err_Numero,"
                     " deb_err_Routine, deb_err_Nota) values (?, ?, ?, ?, ?, ?)");
    if (!insert.prepared())
        return lastError();
    bindRecord(insert, record);
    if (sqlite3_step(insert.get()) != SQLITE_DONE)
        return lastError();
    return {};
}

qint64 LogDatabase::lastInsertedId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

DebStatus LogDatabase::ids(std::vector<qint64> &out)
{
    out.clear();
    if (!m_db)
        return DebErrors::database(QStringLiteral("database non aperto"));
    Statement query(m_db, "select deb_id from debby order by deb_id");
    if (!query.prepared())
        return lastError();
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.get())) == SQLITE_ROW)
        out.push_back(sqlite3_column_int64(query.get(), 0));
    return rc == SQLITE_DONE ? DebStatus{} : lastError();
}

DebStatus LogDatabase::read(qint64 id, LogRecord &out, bool &found)
{
    found = false;
    if (!m_db)
        return DebErrors::database(QStringLiteral("database non aperto"));
    Statement query(m_db,
                    "select deb_classe, deb_Data_Ora, deb_err_Descrizione, deb_err_Numero, deb_err_Routine,"
                    " deb_err_Nota from debby where deb_id = ?");
    if (!query.prepared())
        return lastError();
    sqlite3_bind_int64(query.get(), 1, id);
    const int rc = sqlite3_step(query.get());
    if (rc == SQLITE_DONE)
        return {};
    if (rc != SQLITE_ROW)
        return lastError();
    found = true;
    sqlite3_stmt *row = query.get();
    out = LogRecord();
    out.classe = optionalText(row, 0).value_or(QString());
    out.dataOra = optionalText(row, 1).value_or(QString());
    out.errDescrizione = optionalText(row, 2);
    if (sqlite3_column_type(row, 3) != SQLITE_NULL)
        out.errNumero = long(sqlite3_column_int64(row, 3));
    out.errRoutine = optionalText(row, 4);
    out.nota = optionalText(row, 5).value_or(QString());
    return {};
}

DebStatus LogDatabase::update(qint64 id, const LogRecord &record)
{
    if (!m_db)
        return DebErrors::database(QStringLiteral("database non aperto"));
    Statement update(m_db,
                     "update debby set deb_classe = ?, deb_Data_Ora = ?, deb_err_Descrizione = ?,"
                     " deb_err_Numero = ?, deb_err_Routine = ?, deb_err_Nota = ? where deb_id = ?");
    if (!update.prepared())
        return lastError();
    bindRecord(update, record);
    sqlite3_bind_int64(update.get(), 7, id);
    if (sqlite3_step(update.get()) != SQLITE_DONE)
        return lastError();
    return sqlite3_changes(m_db) == 1 ? DebStatus{} : DebErrors::recordDeleted();
}

DebStatus LogDatabase::remove(qint64 id)
{
    if (!m_db)
        return DebErrors::database(QStringLiteral("database non aperto"));
    Statement remove(m_db, "delete from debby where deb_id = ?");
    if (!remove.prepared())
        return lastError();
    sqlite3_bind_int64(remove.get(), 1, id);
    if (sqlite3_step(remove.get()) != SQLITE_DONE)
        return lastError();
    return {};
}

} // namespace lodder
