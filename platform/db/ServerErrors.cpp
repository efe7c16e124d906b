#include "EngineErrors.h"

#include <libpq-fe.h>

namespace db::errors {

namespace {

// The server lowers the names it was given unquoted: the name as the
// statement wrote it, when it is there.
QString asWritten(const QString &name, const QString &statement)
{
    const qsizetype at = statement.indexOf(name, 0, Qt::CaseInsensitive);
    return at < 0 ? name : statement.mid(at, name.size());
}

// What libpq says of the connection, on one line for the log.
QString libpqText(pg_conn *server)
{
    return QString::fromUtf8(PQerrorMessage(server)).simplified();
}

QString serverMessage(pg_conn *server, const pg_result *result)
{
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return QString::fromUtf8(primary ? primary : PQerrorMessage(server)).trimmed();
}

} // namespace

DbError fromServer(pg_conn *server, const pg_result *result, const QString &statement)
{
    if (PQstatus(server) != CONNECTION_OK)
        return serverUnreachable(server);
    const char *field = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray state = field ? QByteArray(field) : QByteArray();
    const QString message = serverMessage(server, result);
    if (state == "23505")
        return duplicateKey();
    if (state == "23502") {
        const char *column = PQresultErrorField(result, PG_DIAG_COLUMN_NAME);
        return DbError(ErrorKind::General, 3058,
                       QStringLiteral("L'indice o la chiave primaria non può contenere un valore Null (%1).")
                           .arg(QString::fromUtf8(column ? column : "")));
    }
    // Waiting for another till beyond the lock timeout, or two tills
    // waiting for each other.
    if (state == "55P03" || state == "40P01" || state == "40001")
        return DbError(ErrorKind::Busy, 3218,
                       QStringLiteral("Impossibile aggiornare. Il database è bloccato da un altro processo; riprovare più tardi."));
    if (state == "53100")
        return DbError(ErrorKind::Io, 3026, QStringLiteral("Spazio su disco insufficiente."));
    if (state == "25006" || state == "42501")
        return DbError(ErrorKind::Io, 3027, QStringLiteral("Impossibile aggiornare. Il database o l'oggetto è di sola lettura."));
    if (state.startsWith("08") || state.isEmpty())
        return serverUnreachable(server);
    if (state == "42703" && message.contains(QLatin1String("\" of relation \"")))
        return DbError(ErrorKind::UnknownName, 3127,
                       QStringLiteral("L'istruzione INSERT INTO contiene il seguente nome di campo sconosciuto: '%1'. "
                                      "Verificare di aver digitato correttamente il nome e riprovare.")
                           .arg(asWritten(message.section(QLatin1Char('"'), 1, 1), statement)));
    if (state == "42703") {
        const char *column = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
        QString name = QString::fromUtf8(column ? column : "");
        name = asWritten(name.section(QLatin1Char('"'), 1, 1), statement);
        return DbError(ErrorKind::UnknownName, 3061,
                       QStringLiteral("Nome sconosciuto '%1' nell'istruzione '%2'.").arg(name, statement));
    }
    if (state == "42P01")
        return DbError(ErrorKind::UnknownName, 3078,
                       QStringLiteral("Impossibile trovare la tabella o la query di input '%1'. Verificare che esista e che il nome sia stato digitato correttamente.")
                           .arg(asWritten(message.section(QLatin1Char('"'), 1, 1), statement)));
    if (state == "22007" || state == "22008")
        return DbError(ErrorKind::TypeMismatch, 3421,
                       QStringLiteral("Errore di conversione del tipo di dati (%1).").arg(message));
    if (state == "22P02" || state == "42804" || state == "42883")
        return DbError(ErrorKind::TypeMismatch, 3464,
                       QStringLiteral("Tipo di dati non corrispondente nell'espressione criterio."));
    if (state == "42601")
        return syntax(QStringLiteral("operatore mancante"), statement);
    if (state == "42702")
        return syntax(QStringLiteral("nome ambiguo"), statement);
    return DbError(ErrorKind::General, 3000, QStringLiteral("Errore del motore di database: %1.").arg(message));
}

DbError serverUnreachable(pg_conn *server)
{
    return DbError(ErrorKind::Io, 3051,
                   QStringLiteral("Impossibile collegarsi al database sul server. Controllare che il server sia "
                                  "acceso e raggiungibile, poi riprovare."),
                   libpqText(server));
}

DbError serverOutcomeUnknown(pg_conn *server)
{
    return DbError(ErrorKind::Io, 3051,
                   QStringLiteral("Il collegamento con il database sul server si è interrotto durante il salvataggio: "
                                  "non è certo che sia stato registrato. Controllare prima di ripetere l'operazione."),
                   libpqText(server));
}

} // namespace db::errors
