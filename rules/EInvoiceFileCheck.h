#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The file of an electronic invoice checked before it is written: every
// amount, quantity and rate against its pattern in the FatturaPA schema
// (Amount2DecimalType, Amount8DecimalType, QuantitaType, RateType), the
// texts against their lengths, and the figures against each other as the
// exchange system checks them: each line's total is its quantity times its
// price (within a cent), each VAT summary's taxable the sum of its lines
// (within a euro, as the lines are rounded one by one and the summary once)
// and the document's total the summaries' taxable plus their tax.
class EInvoiceFileCheck {
public:
    // One Italian sentence per problem, naming invoice `numero`; none when
    // the file may be written.
    static QStringList problems(const QString &numero, const QByteArray &xml);
};
