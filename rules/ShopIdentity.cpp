#include "rules/ShopIdentity.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/FiscalCodes.h"

#include <QRegularExpression>

namespace {

struct Field {
    const char *name;
    QString EInvoiceShop::*member;
};
const Field kFields[] = {
    {"az_Denominazione", &EInvoiceShop::denominazione}, {"az_Partita_IVA", &EInvoiceShop::partitaIva},
    {"az_Codice_Fiscale", &EInvoiceShop::codiceFiscale}, {"az_Regime_Fiscale", &EInvoiceShop::regimeFiscale},
    {"az_Indirizzo", &EInvoiceShop::indirizzo},         {"az_CAP", &EInvoiceShop::cap},
    {"az_Comune", &EInvoiceShop::comune},               {"az_Provincia", &EInvoiceShop::provincia},
    {"az_Nazione", &EInvoiceShop::nazione},             {"az_REA", &EInvoiceShop::rea},
    {"az_Telefono", &EInvoiceShop::telefono},           {"az_Email", &EInvoiceShop::email},
};

bool filled(const QString &text)
{
    return !text.trimmed().isEmpty();
}

} // namespace

std::optional<EInvoiceShop> ShopIdentity::read(db::Database &database)
{
    std::unique_ptr<db::Recordset> rs = database.openRecordset(QStringLiteral("select * from Azienda"));
    if (rs->eof()) {
        rs->close();
        return std::nullopt;
    }
    EInvoiceShop shop;
    for (const Field &f : kFields) {
        const QVariant value = rs->value(QLatin1String(f.name));
        shop.*f.member = value.isNull() ? QString() : value.toString().trimmed();
    }
    rs->close();
    return shop;
}

void ShopIdentity::write(db::Database &database, const EInvoiceShop &shop)
{
    std::unique_ptr<db::Recordset> rs = database.openRecordset(QStringLiteral("select * from Azienda"));
    // The first row of the table is row 1, the only one it takes.
    if (rs->eof()) {
        rs->addNew();
    } else {
        rs->edit();
    }
    for (const Field &f : kFields) {
        const QString text = (shop.*f.member).trimmed();
        rs->setValue(QLatin1String(f.name), text.isEmpty() ? QVariant() : QVariant(text));
    }
    rs->update();
    rs->close();
}

QStringList ShopIdentity::entryProblems(const EInvoiceShop &shop)
{
    QStringList out;
    if (filled(shop.partitaIva) && !FiscalCodes::isValidPartitaIva(shop.partitaIva))
        out << QStringLiteral("La partita IVA \"%1\" non è valida.").arg(shop.partitaIva.trimmed());
    if (filled(shop.codiceFiscale) && !FiscalCodes::isValidCodiceFiscale(shop.codiceFiscale))
        out << QStringLiteral("Il codice fiscale \"%1\" non è valido.").arg(shop.codiceFiscale.trimmed());
    if (filled(shop.regimeFiscale)
        && !shop.regimeFiscale.trimmed().toUpper().contains(QRegularExpression(QStringLiteral("^RF(0[1-9]|1[0-9])$"))))
        out << QStringLiteral("Il regime fiscale \"%1\" non è valido (da RF01 a RF19).").arg(shop.regimeFiscale.trimmed());
    if (filled(shop.cap) && !FiscalCodes::isValidCap(shop.cap))
        out << QStringLiteral("Il CAP \"%1\" non è di cinque cifre.").arg(shop.cap.trimmed());
    if (filled(shop.provincia) && !FiscalCodes::isTwoLetterCode(shop.provincia.trimmed().toUpper()))
        out << QStringLiteral("La provincia \"%1\" non è una sigla di due lettere.").arg(shop.provincia.trimmed());
    if (filled(shop.nazione) && shop.nazione.trimmed().toUpper() != QLatin1String("IT"))
        out << QStringLiteral("La nazione deve essere IT.");
    return out;
}
