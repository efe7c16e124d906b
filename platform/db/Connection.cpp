#include "Connection.h"

#include "DatabaseSettings.h"
#include "EngineErrors.h"
#include "FieldCodec.h"
#include "ServerSession.h"
#include "ServerStatement.h"
#include "ShopLock.h"
#include "SqliteStatement.h"
#include "TextFunctions.h"
#include "TextKeys.h"
#include "Translator.h"
#include "WriteGate.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace db {

namespace {
constexpr int maxTranslations = 2000;
constexpr int maxStatements = 300;
}

int RowShape::find(QStringView name) const
{
    const int n = int(columns.size());
    for (int i = 0; i < n; ++i) // the schema's spelling, the usual case
        if (columns[size_t(i)].name == name)
            return i;
    for (int i = 0; i < n; ++i)
        if (columns[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0
            || columns[size_t(i)].fieldName.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    // "table.field", also "[Table Name].field" or an alias.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return -1;
    QStringView qualifier = name.left(dot).trimmed();
    const QStringView field = name.mid(dot + 1).trimmed();
    if (qualifier.startsWith(QLatin1Char('[')) && qualifier.endsWith(QLatin1Char(']')))
        qualifier = qualifier.mid(1, qualifier.size() - 2);
    for (int i = 0; i < n; ++i) {
        const ColumnInfo &c = columns[size_t(i)];
        if (c.table.isEmpty())
            continue;
        const bool sameQualifier = c.table.compare(qualifier, Qt::CaseInsensitive) == 0
                                   || c.qualifier.compare(qualifier, Qt::CaseInsensitive) == 0;
        if (sameQualifier && (c.column.compare(field, Qt::CaseInsensitive) == 0
                              || c.name.compare(field, Qt::CaseInsensitive) == 0))
            return i;
    }
    return -1;
}

Connection::Connection(sqlite3 *handle, pg_conn *server, QString path)
    : m_handle(handle), m_server(server), m_path(std::move(path))
{
}

Connection::~Connection()
{
    clearStatements();
    if (m_handle) {
        // The last connection to close copies the log into the file: not
        // into a file the check has not found sound.
        if (!WriteGate::mayCheckpoint(m_path))
            sqlite3_db_config(m_handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close_v2(m_handle);
        ShopLock::unshare(m_path);
    }
}

void Connection::applyReadSettings(sqlite3 *handle)
{
    // 32 MB of pages of our own. No memory map: it would make a list that
    // joins each sale to its article a third faster, but every page it maps
    // counts as the program's memory, and a failing disk would stop the
    // program with a signal instead of an error it can report.
    sqlite3_exec(handle, "pragma cache_size=-32000", nullptr, nullptr, nullptr);   // as readOnce(false) restores
}

std::shared_ptr<Connection> Connection::open(const QString &path)
{
    const DatabaseSettings settings = DatabaseSettings::beside(path);
    if (settings.onServer())
        return openServer(path, settings);
    // Shared before the file is opened: a restore elsewhere either waits for
    // this program to close it, or has put the new file in place already.
    ShopLock::share(path);
    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = errors::fromSqlite(handle, rc, path);
        sqlite3_close_v2(handle);
        ShopLock::unshare(path);
        throw error;
    }
    std::shared_ptr<Connection> connection(new Connection(handle, nullptr, path));
    sqlite3_commit_hook(handle, &Connection::refuseCommitIfReplaced, connection.get());
    sqlite3_wal_hook(handle, &Connection::checkpointWhenSound, connection.get());
    // Names in double quotes are names, never strings.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(handle, 5000);
    registerTextFunctions(handle);
    // A committed sale must survive a power cut: WAL with a full sync.
    connection->runPlain("pragma journal_mode=wal");
    connection->runPlain("pragma synchronous=full");
    connection->runPlain("pragma foreign_keys=off");
    applyReadSettings(handle);
    connection->m_catalog.load(handle);
    return connection;
}

std::shared_ptr<Connection> Connection::openServer(const QString &path, const DatabaseSettings &settings)
{
    std::vector<const char *> keywords, values;
    for (size_t i = 0; i < settings.keywords().size(); ++i) {
        keywords.push_back(settings.keywords()[i].constData());
        values.push_back(settings.values()[i].constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    pg_conn *server = PQconnectdbParams(keywords.data(), values.data(), 0);
    if (PQstatus(server) != CONNECTION_OK) {
        const DbError error = errors::serverUnreachable(server);
        PQfinish(server);
        throw error;
    }
    auto session = std::make_unique<ServerSession>(server);
    std::shared_ptr<Connection> connection(new Connection(nullptr, server, path));
    connection->m_session = std::move(session);
    connection->m_catalog.loadServer(server);
    return connection;
}

bool Connection::serverInTransaction() const
{
    // A read still sending its rows shows the connection busy: settled
    // first, it shows whether a transaction is open.
    m_session->settle();
    return PQtransactionStatus(m_server) != PQTRANS_IDLE;
}

void Connection::interrupt() const
{
    if (!m_server) {
        sqlite3_interrupt(m_handle);
        return;
    }
    if (PGcancel *request = PQgetCancel(m_server)) {
        char error[256];
        PQcancel(request, error, int(sizeof error));
        PQfreeCancel(request);
    }
}

void Connection::releaseCache()
{
    if (m_handle && !m_server)
        sqlite3_db_release_memory(m_handle);
}

void Connection::readOnce(bool on)
{
    if (m_handle && !m_server)
        sqlite3_exec(m_handle, on ? "pragma cache_size=-2000" : "pragma cache_size=-32000", nullptr, nullptr, nullptr);
}

void Connection::runPlain(const char *sql)
{
    if (m_server) {
        m_session->ready();
        PGresult *result = PQexec(m_server, sql);
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const DbError error = errors::fromServer(m_server, result, QString::fromUtf8(sql));
            PQclear(result);
            throw error;
        }
        PQclear(result);
        return;
    }
    char *message = nullptr;
    const int rc = sqlite3_exec(m_handle, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        throw errors::fromSqlite(m_handle, rc, QString::fromUtf8(sql));
}

void Connection::clearStatements()
{
    ++m_statementGeneration;
    for (Statement *s : std::as_const(m_statements))
        delete s;
    m_statements.clear();
}

void Connection::schemaChanged()
{
    clearStatements();
    m_translations.clear();
    m_recentTexts.fill(TextSlot());
    if (m_server) {
        m_session->ready();
        m_catalog.loadServer(m_server);
    } else {
        m_catalog.load(m_handle);
    }
}

int Connection::refuseCommitIfReplaced(void *connection)
{
    auto *self = static_cast<Connection *>(connection);
    return self->fileReplaced() || WriteGate::refusesCommit(self->m_path, true) ? 1 : 0;
}

int Connection::checkpointWhenSound(void *connection, sqlite3 *handle, const char *database, int frames)
{
    // SQLite's default: a passive checkpoint once the log holds 1000 pages.
    if (frames >= 1000 && WriteGate::mayCheckpoint(static_cast<Connection *>(connection)->m_path))
        sqlite3_wal_checkpoint(handle, database);
    return SQLITE_OK;
}

bool Connection::fileReplaced()
{
    // One stat of the path: the file this connection has open must still be
    // the one under the shop's name, or its writes would go to a file no
    // one will read again.
    if (!m_replaced && m_handle) {
        int moved = 0;
        m_replaced = sqlite3_file_control(m_handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
    }
    return m_replaced;
}

void Connection::refuseIfReplaced() const
{
    if (m_replaced)
        throw errors::fileReplaced();
}

Connection::Translated Connection::translate(const QString &legacy, bool expression, const QString &context)
{
    refuseIfReplaced();
    // The same text again (a lookup repeated, a window reopened) skips even
    // the lexer; a text of the same shape skips the translator. Recent texts
    // sit in a small table indexed by their hash: a miss costs no rehash.
    TextSlot &slot = m_recentTexts[(qHash(legacy) ^ size_t(expression)) % m_recentTexts.size()];
    if (slot.expression == expression && slot.translated.translation && slot.text == legacy
        && slot.context == context)
        return slot.translated;
    Translated out = translateShape(legacy, expression, context);
    slot.text = legacy;
    slot.expression = expression;
    slot.context = context;
    slot.translated = out;
    return out;
}

void Connection::foldLiterals(Translated &translated)
{
    if (translated.translation->foldedLiterals.empty())
        return;
    // What the key's replace() would make of the value: a number becomes
    // its text (SQLite's own rendering), a text its folded key.
    std::vector<Literal> literals = translated.literals;
    for (const int index : translated.translation->foldedLiterals) {
        Literal &literal = literals[size_t(index)];
        if (literal.type == Literal::Type::Integer) {
            literal.text = QString::number(literal.integer);
        } else if (literal.type == Literal::Type::Real) {
            char *text = sqlite3_mprintf("%!.15g", literal.real);
            literal.text = QString::fromUtf8(text);
            sqlite3_free(text);
        } else {
            literal.text = foldedText(literal.text);
        }
        literal.type = Literal::Type::Text;
    }
    translated.literals = LiteralList(std::move(literals));
}

Connection::Translated Connection::translateShape(const QString &legacy, bool expression, const QString &context)
{
    LexedText lexed = LegacyLexer::lex(legacy);
    Translated out;
    out.literals = LiteralList(lexed.literals);
    QString key = lexed.shapeKey;
    key.prepend(expression ? QLatin1Char('E') + context + QLatin1Char('\n') : QStringLiteral("S"));
    const auto it = m_translations.constFind(key);
    if (it != m_translations.cend()) {
        out.translation = *it;
        foldLiterals(out);
        return out;
    }
    const Translator translator(m_catalog, legacy, lexed, context, onServer());
    auto translation = std::make_shared<Translation>(expression ? translator.expression() : translator.statement());
    if (m_translations.size() >= maxTranslations)
        m_translations.clear();
    m_translations.insert(key, translation);
    out.translation = translation;
    foldLiterals(out);
    return out;
}

Statement *Connection::statement(const QString &sql, const QString &legacy)
{
    refuseIfReplaced();
    const auto it = m_statements.constFind(sql);
    if (it != m_statements.cend())
        return *it;
    if (m_statements.size() >= maxStatements)
        clearStatements();
    Statement *prepared = m_server ? static_cast<Statement *>(new ServerStatement(*m_session, m_catalog, sql, legacy))
                                   : SqliteStatement::prepare(m_handle, sql, legacy, true);
    m_statements.insert(sql, prepared);
    return prepared;
}

std::unique_ptr<Statement> Connection::prepareOwn(const QString &sql, const QString &legacy)
{
    refuseIfReplaced();
    if (m_server)
        return std::make_unique<ServerStatement>(*m_session, m_catalog, sql, legacy);
    return std::unique_ptr<Statement>(SqliteStatement::prepare(m_handle, sql, legacy, false));
}

Statement *Connection::insertStatement(const QString &sql, const QString &key, const QString &legacy)
{
    const QString keyed = m_server ? sql + QStringLiteral(" RETURNING ") + key : sql;
    return statement(keyed, legacy.isEmpty() ? keyed : legacy);
}

void Connection::bindLimit(Statement *statement, int parameter, qint64 limit) const
{
    // SQLite reads a negative limit as none; the server wants Null.
    if (limit < 0 && m_server)
        statement->bindNull(parameter);
    else
        statement->bindInteger(parameter, limit);
}

Statement *Connection::statement(const QString &sql, const QString &legacy, CachedStatement &slot)
{
    if (slot.statement && slot.generation == m_statementGeneration && !m_replaced)
        return slot.statement;
    slot.statement = statement(sql, legacy);
    slot.generation = m_statementGeneration;
    return slot.statement;
}

void Connection::bindLiterals(Statement *statement, const std::vector<Literal> &literals, int first, int last,
                              int firstParameter)
{
    int parameter = firstParameter;
    for (int i = first; i < last; ++i, ++parameter) {
        const Literal &literal = literals[size_t(i)];
        switch (literal.type) {
        case Literal::Type::Integer:
            statement->bindInteger(parameter, literal.integer);
            break;
        case Literal::Type::Real:
            statement->bindReal(parameter, literal.real);
            break;
        case Literal::Type::Text:
        case Literal::Type::Date:
            statement->bindText(parameter, literal.text);
            break;
        }
    }
}

const RowShape &Connection::shapeOf(const Translation &translation, Statement *statement)
{
    if (translation.shape)
        return *translation.shape;
    auto shape = std::make_shared<RowShape>();
    shape->totalColumns = statement->columnCount();
    const int visible = shape->totalColumns - translation.keyCount();
    for (int c = 0; c < visible; ++c) {
        ColumnInfo info;
        info.name = statement->columnName(c);
        if (statement->columnOrigin(c, &info.table, &info.column)) {
            if (const TableMeta *meta = m_catalog.table(info.table)) {
                info.table = meta->name;
                if (const ColumnMeta *column = meta->column(info.column)) {
                    info.column = column->name;
                    info.kind = column->kind;
                }
            }
            for (size_t t = 0; t < translation.tables.size(); ++t) {
                if (translation.tables[t].table == info.table) {
                    if (info.tableIndex >= 0) { // the same table twice: which row is meant is unclear
                        info.tableIndex = -1;
                        break;
                    }
                    info.tableIndex = int(t);
                }
            }
            if (info.tableIndex >= 0) {
                QString reference = translation.tables[size_t(info.tableIndex)].reference;
                info.qualifier = reference.mid(1, reference.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
            }
            info.updatable = translation.keyed && info.tableIndex >= 0;
        } else {
            const QString declared = statement->declaredType(c);
            if (!declared.isEmpty())
                info.kind = kindFromDeclaredType(declared, false);
        }
        info.fieldName = info.name;
        shape->columns.push_back(info);
    }
    // Where a join repeats a name, each copy is known as "table.field".
    for (size_t i = 0; i < shape->columns.size(); ++i) {
        for (size_t j = 0; j < shape->columns.size(); ++j) {
            if (i != j && shape->columns[i].name.compare(shape->columns[j].name, Qt::CaseInsensitive) == 0
                && !shape->columns[i].table.isEmpty()) {
                const QString &table = shape->columns[i].qualifier.isEmpty() ? shape->columns[i].table
                                                                            : shape->columns[i].qualifier;
                const QString shown = table.contains(QLatin1Char(' ')) ? QLatin1Char('[') + table + QLatin1Char(']') : table;
                shape->columns[i].fieldName = shown + QLatin1Char('.') + shape->columns[i].name;
                break;
            }
        }
    }
    translation.shape = shape;
    return *shape;
}

int Connection::execute(const QString &legacy)
{
    const Translated translated = translate(legacy, false);
    const Translation &t = *translated.translation;
    if (t.kind == Translation::Kind::Select)
        throw errors::selectNotExecutable();
    if (m_depth == 0 && m_handle)
        WriteGate::beforeWrite(m_path);
    Statement *s = statement(t.sql, legacy);
    int changes = 0;
    {
        StatementUse use(s);
        bindLiterals(s, translated.literals, 0, int(translated.literals.size()), 1);
        s->step(legacy);
        changes = int(s->changes());
    }
    if (!t.counterAdvance.isEmpty() && changes > 0)
        runPlain(t.counterAdvance.toUtf8().constData());
    if (t.kind == Translation::Kind::Schema)
        schemaChanged();
    return t.kind == Translation::Kind::Schema ? 0 : changes;
}

void Connection::beginTrans()
{
    // A transaction SQLite ended on its own (a failed commit rolls back) is
    // not one to nest a savepoint into.
    if (m_depth > 0 && (m_server ? !serverInTransaction() : sqlite3_get_autocommit(m_handle) != 0))
        m_depth = 0;
    if (m_depth == 0 && m_server) {
        m_session->begin();
    } else if (m_depth == 0) {
        // Waits here, before the file's write lock is taken: other tills
        // go on writing meanwhile.
        WriteGate::beforeWrite(m_path);
        runPlain("begin immediate");
        if (fileReplaced()) {
            abandonTransaction();
            throw errors::fileReplaced();
        }
    } else
        runPlain(QStringLiteral("savepoint tarvo_%1").arg(m_depth).toUtf8().constData());
    ++m_depth;
}

void Connection::commitTrans()
{
    if (m_depth == 0)
        throw errors::noTransaction();
    if (m_depth > 1) {
        runPlain(QStringLiteral("release tarvo_%1").arg(m_depth - 1).toUtf8().constData());
        --m_depth;
        return;
    }
    try {
        if (m_server)
            m_session->commit();
        else
            runPlain("commit");
    } catch (const DbError &) {
        // The file refused the commit (disk full, I/O error): nothing of the
        // transaction may stay, and the next one must be a real one again.
        abandonTransaction();
        throw;
    }
    m_depth = 0;
}

void Connection::rollback()
{
    if (m_depth == 0)
        throw errors::noTransaction();
    if (m_depth == 1 || (m_server ? !serverInTransaction() : sqlite3_get_autocommit(m_handle) != 0)) {
        abandonTransaction();
        return;
    }
    const QByteArray name = QStringLiteral("tarvo_%1").arg(m_depth - 1).toUtf8();
    try {
        runPlain(("rollback to " + name).constData());
        runPlain(("release " + name).constData());
    } catch (const DbError &) {
        abandonTransaction();
        throw;
    }
    --m_depth;
}

void Connection::abandonTransaction()
{
    m_depth = 0;
    if (m_server) {
        m_session->ended();
        if (serverInTransaction())   // settles a read still sending its rows
            PQclear(PQexec(m_server, "rollback"));
    } else if (!sqlite3_get_autocommit(m_handle)) {
        sqlite3_exec(m_handle, "rollback", nullptr, nullptr, nullptr);
    }
}

} // namespace db
