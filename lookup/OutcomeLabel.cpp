#include "lookup/OutcomeLabel.h"

#include <QLabel>

QLabel *newOutcomeLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lblEsito"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->hide();
    return label;
}
