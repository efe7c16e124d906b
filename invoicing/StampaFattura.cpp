#include "invoicing/StampaFattura.h"

#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "db/Database.h"
#include "db/SqlText.h"
#include "report/ReportControl.h"
#include "rules/ShopDatabase.h"
#include "rules/TypedNumber.h"
#include "rules/invoicing/InvoiceReader.h"
#include "ui/Messages.h"

namespace {

// Slot 0 stays empty; group k takes 2k - 1 and 2k, the total and the number
// the two after the last group: slots 1 to 20 hold at most nine groups.
constexpr int kMostVatGroups = (report::kFormulaSlots - 3) / 2;

// "07-00012" -> "12": the sequence without its year, as a number.
QString sequencePart(const QString &numero)
{
    return QString::number(TypedNumber::leadingWhole(numero.mid(3)));
}

} // namespace

void StampaFattura(const QString &numero, bool anteprima, short copie)
{
    const int copies = qBound(1, int(copie), report::kMaxCopies);

    ResetReport();
    report::ReportControl &Report = MainReport();
    Report.set(report::prop::ReportFileName, ReportTemplatePath(QStringLiteral("fattura.rpt")));
    Report.set(report::prop::ReportSource, 2);
    Report.set(report::prop::WindowLeft, 0);
    Report.set(report::prop::WindowTop, 0);
    Report.set(report::prop::CopiesToPrinter, copies);
    Report.set(report::prop::Destination, anteprima ? 0 : 1);
    Report.set(report::prop::WindowTitle, QStringLiteral("Stampa della fattura numero ") + numero);

    std::shared_ptr<db::Database> database = ShopDatabase::open();
    const StoredInvoice invoice = InvoiceReader(*database).read(numero);
    if (invoice.lines.empty())
        return;

    const InvoiceVatSummary &summary = invoice.vatSummary;
    const std::vector<InvoiceVatSummary::Group> groups = summary.groups();
    if (int(groups.size()) > kMostVatGroups) {
        ui::MsgBox(QStringLiteral("La fattura ha righe con %1 codici IVA diversi: se ne possono stampare al più %2.")
                       .arg(groups.size()).arg(kMostVatGroups),
                   ui::vbExclamation, g_strAppName);
        return;
    }

    int slot = 1;
    int k = 1;
    for (const InvoiceVatSummary::Group &group : groups) {
        const QString description = group.code ? invoice.vatCode(*group.code).description : QString();
        Report.set(report::prop::Formulas, slot++,
                   QStringLiteral("Descrizione_Iva_%1=").arg(k) + db::formulaQuoted(description));
        Report.set(report::prop::Formulas, slot++,
                   QStringLiteral("Importo_IVA_%1=").arg(k) + InvoiceVatSummary::reportAmount(group.vatCents));
        ++k;
    }
    Report.set(report::prop::Formulas, slot++,
               QStringLiteral("IVA = ") + InvoiceVatSummary::reportAmount(summary.totalCents()));
    Report.set(report::prop::Formulas, slot,
               QStringLiteral("NumeroFattura=") + QLatin1Char('\'') + sequencePart(numero) + QLatin1Char('\''));

    Report.set(report::prop::SelectionFormula, QStringLiteral("{fattura.fat_Numero} =") + db::formulaQuoted(numero));
    Report.set(report::prop::Action, 1);
}
