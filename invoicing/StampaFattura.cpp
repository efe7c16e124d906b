#include "invoicing/StampaFattura.h"

#include "app/Globals.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
#include "db/Database.h"
#include "db/SqlText.h"
#include "report/ReportControl.h"
#include "rules/InvoiceVatSummary.h"
#include "rules/ShopDatabase.h"
#include "rules/TypedNumber.h"
#include "ui/Messages.h"

#include <QHash>

namespace {

// Slot 0 stays empty; group k takes 2k - 1 and 2k, the total and the number
// the two after the last group: slots 1 to 20 hold at most nine groups.
constexpr int kMostVatGroups = (report::kFormulaSlots - 3) / 2;

struct VatCode {
    QString description;
    double rate = 0;
};

// Description and rate of a VAT code, the rate read as the number it is.
VatCode lookUpVatCode(db::Database &database, const QVariant &code)
{
    VatCode found;
    if (!code.isValid() || code.isNull())
        return found;
    std::unique_ptr<db::Recordset> rs = database.openRecordset(
        QStringLiteral("select IVA_Descrizione, IVA_Aliquota from IVA where IVA_Codice = ")
        + QString::number(code.toLongLong()));
    if (rs->recordCount() != 0) {
        const QVariant description = rs->value(QStringLiteral("IVA_Descrizione"));
        found.description = description.isNull() ? QString() : description.toString();
        found.rate = InvoiceVatSummary::rate(rs->value(QStringLiteral("IVA_Aliquota")));
    }
    rs->close();
    return found;
}

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
    std::unique_ptr<db::Recordset> rs = database->openRecordset(
        QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = ") + db::quoted(numero)
        + QStringLiteral(" order by df_IVA"));
    if (rs->recordCount() == 0) {
        rs->close();
        return;
    }

    InvoiceVatSummary summary;
    QHash<QString, VatCode> codes;   // looked up once per code
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        const QVariant code = rs->value(QStringLiteral("df_IVA"));
        const QString key = code.isNull() ? QString() : QString::number(code.toLongLong());
        if (!codes.contains(key))
            codes.insert(key, lookUpVatCode(*database, code));
        summary.addLine(code, rs->value(QStringLiteral("df_Importo")), codes.value(key).rate);
    }
    rs->close();

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
        const QString key = group.code ? QString::number(*group.code) : QString();
        Report.set(report::prop::Formulas, slot++,
                   QStringLiteral("Descrizione_Iva_%1=").arg(k) + db::formulaQuoted(codes.value(key).description));
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
