#include "rules/invoicing/StoredInvoice.h"

StoredInvoice::VatCode StoredInvoice::vatCode(const QVariant &code) const
{
    if (!code.isValid() || code.isNull())
        return {};
    return vatCode(code.toLongLong());
}
