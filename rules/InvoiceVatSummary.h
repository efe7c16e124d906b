#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

// The VAT summary of an invoice: one group per VAT code of its lines, in
// ascending code order (lines without a code form the first group). A
// group's VAT is the sum of amount x rate / 100 over its lines, kept
// unrounded while the group adds up and rounded to the cent (half away from
// zero on the decimal value: 2.675 gives 2.68) when it closes; the invoice's
// VAT is the sum of the rounded groups, so the printed groups always add up
// to the printed total.
class InvoiceVatSummary {
public:
    struct Group {
        std::optional<qlonglong> code;
        double taxable = 0;        // sum of the amounts
        qlonglong vatCents = 0;    // the rounded VAT
    };

    // One invoice line: its stored VAT code and amount (Null counts as 0) and
    // the rate of its code.
    void addLine(const QVariant &code, const QVariant &amount, double rate);

    // The groups, closed and in code order.
    std::vector<Group> groups() const;
    qlonglong totalCents() const;

    // A stored rate as a number: numbers as they are, a text in either
    // decimal notation ("7,3" and "7.3" are both 7.3), anything else 0.
    static double rate(const QVariant &stored);
    // Cents as the report reads an amount: "0.00" with "." whatever the
    // locale ("12.50", "-0.05").
    static QString reportAmount(qlonglong cents);

private:
    struct Open {
        std::optional<qlonglong> code;
        double taxable = 0;
        double vat = 0;
    };
    std::vector<Open> m_groups;   // kept in code order
};
