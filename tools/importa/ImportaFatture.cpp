#include "ImportaFatture.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/ProgramFolder.h"
#include "db/SchemaVersions.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/purchase/SupplierInvoiceFiles.h"
#include "rules/purchase/SupplierInvoiceMatcher.h"
#include "rules/purchase/SupplierInvoicePosting.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int kAllImported = 0;
constexpr int kNotAll = 1;
constexpr int kBadArguments = 2;

const char invoicesUsage[] = "Uso: tarvo-importa fatture FILE|CARTELLA... [--prova] [--data-carico fattura|oggi] "
                     "[--database tarvo.mdb]\n";

void print(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

void complain(const QString &text)
{
    std::fprintf(stderr, "tarvo-importa: %s\n", text.toLocal8Bit().constData());
}

// Amounts in the shop's own way (Italian), whatever the machine's settings.
QString euro(double amount)
{
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    return QStringLiteral("€ ") + MoneyText::format(amount, italian);
}

// The invoice as it would be loaded, line by line.
void describe(const PreparedInvoice &invoice)
{
    QString head = QStringLiteral("Fattura %1, file %2").arg(SupplierInvoicePosting::name(invoice), invoice.fileName);
    if (!invoice.signer.isEmpty())
        head += QStringLiteral(", firmato da ") + invoice.signer;
    head += QStringLiteral(", totale ") + euro(invoice.invoice.documentTotal());
    if (invoice.supplierId == 0)
        head += QStringLiteral(" (nuovo fornitore)");
    print(head + QLatin1Char(':'));
    for (const PreparedLine &line : invoice.lines) {
        const QString number = QStringLiteral("  riga %1: ").arg(line.line.number);
        switch (line.match) {
        case LineMatch::NotGoods:
            print(number + QStringLiteral("%1, non caricata (non è merce)").arg(line.line.description));
            break;
        case LineMatch::Unmatched:
            print(number + QStringLiteral("%1 (%2), nessun articolo del negozio").arg(line.line.description,
                                                                                   line.line.codes.isEmpty() ? QStringLiteral("senza codice") : line.line.codesText()));
            break;
        default:
            print(number + QStringLiteral("%1 %2, %3 x %4").arg(line.barcode, line.itemText,
                                                              line.line.quantityText(),
                                                              euro(line.line.netUnitPrice())));
        }
    }
}

} // namespace

int importSupplierInvoices(const QStringList &arguments)
{
    QStringList named;
    QString database;
    bool trial = false;
    bool loadToday = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--prova")) {
            trial = true;
        } else if (a == QLatin1String("--database") && i + 1 < arguments.size()) {
            database = arguments.at(++i);
        } else if (a == QLatin1String("--data-carico") && i + 1 < arguments.size()
                   && (arguments.at(i + 1) == QLatin1String("oggi") || arguments.at(i + 1) == QLatin1String("fattura"))) {
            loadToday = arguments.at(++i) == QLatin1String("oggi");
        } else if (!a.startsWith(QLatin1String("--"))) {
            named << a;
        } else {
            std::fputs(invoicesUsage, stderr);
            return kBadArguments;
        }
    }
    if (named.isEmpty()) {
        std::fputs(invoicesUsage, stderr);
        return kBadArguments;
    }
    if (database.isEmpty())
        database = db::ProgramFolder::databasePath();
    const QString path = QFileInfo(database).absoluteFilePath();
    if (!db::Database::exists(path)) {
        complain(QStringLiteral("il database %1 non esiste.").arg(QDir::toNativeSeparators(path)));
        return kNotAll;
    }
    for (const QString &name : std::as_const(named))
        if (!QFileInfo::exists(name)) {
            complain(QStringLiteral("il file o la cartella %1 non esiste.").arg(QDir::toNativeSeparators(name)));
            return kNotAll;
        }
    const QDate today = QDate::currentDate();
    int invoices = 0;
    int imported = 0;
    int already = 0;
    int unreadable = 0;
    try {
        ShopDatabase::setLocation(path);
        auto shop = ShopDatabase::open();
        const int version = db::SchemaVersions::versionOf(*shop);
        if (version != db::SchemaVersions::latest()) {
            complain(QStringLiteral("il database è della versione %1, questo programma della %2: aprirlo prima con quirnel, "
                               "che lo aggiorna.").arg(version).arg(db::SchemaVersions::latest()));
            return kNotAll;
        }
        SupplierInvoiceMatcher matcher(shop);
        for (const SupplierInvoiceFile &file : SupplierInvoiceFiles::read(named)) {
            if (!file.error.isEmpty()) {
                complain(file.error);
                ++unreadable;
                continue;
            }
            for (const PreparedInvoice &invoice : matcher.prepare(file)) {
                ++invoices;
                describe(invoice);
                if (invoice.alreadyImported) {
                    print(QStringLiteral("  già importata: non viene caricata di nuovo."));
                    ++already;
                    continue;
                }
                if (trial) {
                    if (invoice.unmatchedGoods() == 0)
                        ++imported;
                    continue;
                }
                const SupplierInvoicePosting::Outcome outcome =
                    SupplierInvoicePosting::post(invoice, loadToday ? today : invoice.invoice.date, today);
                if (outcome.posted) {
                    ++imported;
                    print(QStringLiteral("  importata: %1 righe caricate.").arg(outcome.loads));
                } else {
                    complain(outcome.error);
                }
            }
        }
    } catch (const db::DbError &error) {
        complain(error.description());
        return kNotAll;
    }
    QString summary = trial ? QStringLiteral("Prova: %1 fatture su %2 si possono importare").arg(imported).arg(invoices)
                            : QStringLiteral("Importate %1 fatture su %2").arg(imported).arg(invoices);
    if (already)
        summary += QStringLiteral(", %1 già importate").arg(already);
    if (unreadable)
        summary += QStringLiteral(", %1 file illeggibili").arg(unreadable);
    print(summary + (trial ? QStringLiteral("; non è stato scritto nulla.") : QStringLiteral(".")));
    // Done when every invoice is in the shop, now or from before.
    return imported + already == invoices && unreadable == 0 ? kAllImported : kNotAll;
}
