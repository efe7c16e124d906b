#include "lookup/frmCalcola.h"

#include "base/GeneralFunc6.h"
#include "rules/MoneyText.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

frmCalcola::frmCalcola(QWidget *parent)
    : QWidget(parent, parent ? Qt::Tool : Qt::Window)
{
    setObjectName(QStringLiteral("frmCalcola"));
    setWindowTitle(QStringLiteral("Calcola"));

    txtTotale = new QLineEdit(QStringLiteral("0"), this);
    txtTotale->setObjectName(QStringLiteral("txtTotale"));
    txtTotale->setReadOnly(true);
    txtTotale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtTotale->setFocusPolicy(Qt::NoFocus);
    QFont big = txtTotale->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    txtTotale->setFont(big);
    txtTotale->setMinimumWidth(150);

    cmdAzzera = new QPushButton(QStringLiteral("Azzera"), this);
    cmdAzzera->setObjectName(QStringLiteral("cmdAzzera"));
    cmdAzzera->setAutoDefault(false);
    // The unload window keeps the focus: the total never takes a scan.
    cmdAzzera->setFocusPolicy(Qt::NoFocus);
    connect(cmdAzzera, &QPushButton::clicked, this, &frmCalcola::cmdAzzera_Click);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(txtTotale, 1);
    layout->addWidget(cmdAzzera);
    setFixedHeight(sizeHint().height());
}

double frmCalcola::Totale() const
{
    return ToNumber(txtTotale->text());
}

void frmCalcola::Aggiungi(double amount)
{
    // Sums of prices in cents: no 0.1 + 0.2 surprises on the display; no
    // thousands separator, so that the next sale reads the total back.
    const double total = std::round((Totale() + amount) * 100.0) / 100.0;
    txtTotale->setText(MoneyText::format(total));
}

void frmCalcola::cmdAzzera_Click()
{
    txtTotale->setText(QStringLiteral("0"));
}
