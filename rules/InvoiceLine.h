#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

// The arithmetic of an invoice line and of the invoice total.
class InvoiceLine {
public:
    struct Amount {
        QString quantita;   // the texts the cells keep ("0" for one that was not a number)
        QString prezzo;
        double importo = 0; // quantity x price, not rounded
    };
    // The recalculation run when a cell of the line changes: nothing while
    // quantity or price is empty or the price is a lone "-" (a negative
    // price being typed). A text that is not a number counts as "0". Numbers
    // are read in the locale's format or with a point ("3.50" is 3,50).
    static std::optional<Amount> recalculate(const QString &quantita, const QString &prezzo,
                                             const QLocale &locale = QLocale());
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
