#include "EngineErrors.h"
#include "WriteGate.h"

#include <sqlite3.h>

namespace db::errors {

DbError fileNotFound(const QString &path)
{
    return DbError(ErrorKind::FileNotFound, 3024,
                   QStringLiteral("Impossibile trovare il file '%1'.").arg(path));
}

DbError fileReplaced()
{
    return DbError(ErrorKind::Io, 3043,
                   QStringLiteral("Il file del database è stato sostituito o spostato da un altro programma: questo "
                                  "programma non può più usarlo e non vi ha registrato nulla. Chiudere il programma "
                                  "e riaprirlo."));
}

DbError noCurrentRecord()
{
    return DbError(ErrorKind::NoCurrentRecord, 3021, QStringLiteral("Nessun record corrente."));
}

DbError unknownField(const QString &name)
{
    Q_UNUSED(name);
    return DbError(ErrorKind::UnknownName, 3265,
                   QStringLiteral("Elemento non trovato in questo insieme."));
}

DbError notInEditMode()
{
    return DbError(ErrorKind::NotInEditMode, 3020,
                   QStringLiteral("Aggiornamento o Annulla aggiornamento senza AddNew o Edit."));
}

DbError fieldNotUpdatable(const QString &field)
{
    return DbError(ErrorKind::General, 3164,
                   QStringLiteral("Impossibile aggiornare il campo '%1'.").arg(field));
}

DbError readOnlySet()
{
    return DbError(ErrorKind::General, 3027,
                   QStringLiteral("Impossibile aggiornare. Il database o l'oggetto è di sola lettura."));
}

DbError typeMismatch(const QString &field, const QString &value)
{
    return DbError(ErrorKind::TypeMismatch, 3421,
                   QStringLiteral("Errore di conversione del tipo di dati: il valore '%1' non è valido per il campo '%2'.")
                       .arg(value, field));
}

DbError syntax(const QString &detail, const QString &statement)
{
    return DbError(ErrorKind::Syntax, 3075,
                   QStringLiteral("Errore di sintassi (%1) nell'espressione della query '%2'.")
                       .arg(detail, statement));
}

DbError badDate(const QString &literal)
{
    return DbError(ErrorKind::Syntax, 3075,
                   QStringLiteral("Errore di sintassi nella data nell'espressione della query '%1'.")
                       .arg(literal));
}

DbError recordDeleted()
{
    return DbError(ErrorKind::NoCurrentRecord, 3167, QStringLiteral("Il record è stato eliminato."));
}

DbError noTransaction()
{
    return DbError(ErrorKind::General, 3034,
                   QStringLiteral("Si è tentato di eseguire il commit o il rollback di una transazione senza averla prima avviata."));
}

DbError closedObject()
{
    return DbError(ErrorKind::General, 3420, QStringLiteral("Oggetto non valido o non più impostato."));
}

DbError invalidArgument()
{
    return DbError(ErrorKind::General, 3001, QStringLiteral("Argomento non valido."));
}

DbError selectNotExecutable()
{
    return DbError(ErrorKind::General, 3065, QStringLiteral("Impossibile eseguire una query di selezione."));
}

DbError notASelect()
{
    return DbError(ErrorKind::General, 3219, QStringLiteral("Operazione non valida."));
}

DbError alreadyExists(const QString &path)
{
    return DbError(ErrorKind::General, 3204,
                   QStringLiteral("Il database '%1' esiste già.").arg(path));
}

DbError duplicateKey()
{
    // Same length as the legacy engine's text (297 characters), which older
    // grid code recognises by its length.
    return DbError(ErrorKind::DuplicateKey, 3022,
                   QStringLiteral("Impossibile apportare le modifiche richieste alla tabella perché "
                                  "verrebbero creati valori duplicati nell'indice, nella chiave primaria "
                                  "o nella relazione. Modificare i dati nel campo o nei campi che "
                                  "contengono dati duplicati, rimuovere l'indice o ridefinirlo per "
                                  "ammettere voci doppie, e riprovare."));
}

DbError changedByAnotherUser()
{
    return DbError(ErrorKind::ChangedElsewhere, 3197,
                   QStringLiteral("Il record è stato modificato o eliminato da un altro utente dopo che è stato letto. "
                                  "Le modifiche non sono state salvate: rileggere il record e riprovare."));
}

static QString afterPrefix(const QString &message, const QString &prefix)
{
    return message.startsWith(prefix) ? message.mid(prefix.size()) : message;
}

DbError fromSqlite(sqlite3 *handle, int rc, const QString &statement)
{
    const int extended = handle ? sqlite3_extended_errcode(handle) : rc;
    const QString message = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc));
    switch (extended) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_ROWID:
        return duplicateKey();
    case SQLITE_CONSTRAINT_COMMITHOOK: // the only hook: Connection's check of the file
        if (handle && WriteGate::refusesCommit(QString::fromUtf8(sqlite3_db_filename(handle, "main"))))
            return WriteGate::refusal(QString::fromUtf8(sqlite3_db_filename(handle, "main")));
        return fileReplaced();
    case SQLITE_CONSTRAINT_NOTNULL:
        return DbError(ErrorKind::General, 3058,
                       QStringLiteral("L'indice o la chiave primaria non può contenere un valore Null (%1).")
                           .arg(afterPrefix(message, QStringLiteral("NOT NULL constraint failed: "))));
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(ErrorKind::Busy, 3218,
                       QStringLiteral("Impossibile aggiornare. Il database è bloccato da un altro processo; riprovare più tardi."));
    case SQLITE_FULL:
        return DbError(ErrorKind::Io, 3026, QStringLiteral("Spazio su disco insufficiente."));
    case SQLITE_READONLY:
        return DbError(ErrorKind::Io, 3027,
                       QStringLiteral("Impossibile aggiornare. Il database o l'oggetto è di sola lettura."));
    case SQLITE_IOERR:
        return DbError(ErrorKind::Io, 3043, QStringLiteral("Errore di rete o del disco."));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError(ErrorKind::Io, 3343, QStringLiteral("Formato di database non riconosciuto."));
    case SQLITE_CANTOPEN:
        return DbError(ErrorKind::Io, 3051,
                       QStringLiteral("Impossibile aprire il file. Il file potrebbe essere già in uso o mancano le autorizzazioni necessarie."));
    case SQLITE_MISMATCH:
        return DbError(ErrorKind::TypeMismatch, 3464,
                       QStringLiteral("Tipo di dati non corrispondente nell'espressione criterio."));
    case SQLITE_TOOBIG:
        return DbError(ErrorKind::General, 3163,
                       QStringLiteral("Il campo è troppo piccolo per la quantità di dati che si è tentato di inserire."));
    default:
        break;
    }
    if (message.startsWith(QLatin1String("no such column: ")))
        return DbError(ErrorKind::UnknownName, 3061,
                       QStringLiteral("Nome sconosciuto '%1' nell'istruzione '%2'.")
                           .arg(afterPrefix(message, QStringLiteral("no such column: ")), statement));
    if (message.contains(QLatin1String(" has no column named ")))
        return DbError(ErrorKind::UnknownName, 3127,
                       QStringLiteral("L'istruzione INSERT INTO contiene il seguente nome di campo sconosciuto: '%1'. "
                                      "Verificare di aver digitato correttamente il nome e riprovare.")
                           .arg(message.section(QLatin1String(" has no column named "), 1)));
    if (message.startsWith(QLatin1String("no such table: ")))
        return DbError(ErrorKind::UnknownName, 3078,
                       QStringLiteral("Impossibile trovare la tabella o la query di input '%1'. Verificare che esista e che il nome sia stato digitato correttamente.")
                           .arg(afterPrefix(message, QStringLiteral("no such table: "))));
    if (message.contains(QLatin1String("syntax error")) || message.contains(QLatin1String("incomplete input"))
        || message.startsWith(QLatin1String("ambiguous column name")))
        return syntax(message.startsWith(QLatin1String("ambiguous")) ? QStringLiteral("nome ambiguo")
                                                                      : QStringLiteral("operatore mancante"),
                      statement);
    return DbError(ErrorKind::General, 3000,
                   QStringLiteral("Errore del motore di database: %1.").arg(message));
}

} // namespace db::errors
