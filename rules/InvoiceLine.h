#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

// The arithmetic of an invoice line and of the invoice total.
class InvoiceLine {
public:
    // The amount of a line (quantity x price, not rounded) as its cells
    // change: none while quantity or price is empty or the price is a lone
    // "-" (a negative price being typed), nor while either is not a number
    // within its limits (TypedNumber::quantity, TypedNumber::amount): the
    // grid refuses such a cell with its message and keeps what was typed.
    static std::optional<double> recalculate(const QString &quantita, const QString &prezzo,
                                             const QLocale &locale = QLocale());
    // Whether a line's amount, or an invoice total, is within what an amount
    // may be (TypedNumber::kAmount).
    static bool fitsAmount(double amount);
    // The VAT code a line gets when none was chosen: the third code in rate
    // order, the last one when there are fewer, none when there is none.
    static QVariant defaultVatCode(const QVariantList &codesByRate);
    // The invoice total: the plain sum of the line amounts; a line without
    // an amount (text only) counts as 0.
    static double total(const QVariantList &amounts);
    // The total as the header box shows it: general number, the locale's
    // decimal separator, no thousands separator ("0,3", "0").
    static QString totalText(double total, const QLocale &locale = QLocale());
    // A number stored or typed in a cell (Null and text that is not a
    // number give 0).
    static double number(const QVariant &value, const QLocale &locale = QLocale());
};
