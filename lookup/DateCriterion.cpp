#include "lookup/DateCriterion.h"

#include "base/GeneralFunc6.h"
#include "ui/Messages.h"

#include <QLineEdit>

bool dateCriterionAccepted(QLineEdit *box)
{
    const QString typed = box->text().trimmed();
    if (typed.isEmpty())
        return true;
    QString refused;
    const QString date = ControllaData(typed, refused);
    if (!date.isEmpty()) {
        box->setText(date);
        return true;
    }
    ui::MsgBox(QStringLiteral("ERRORE:[") + (refused.isEmpty() ? typed : refused)
                   + QStringLiteral("] Formato data non corretto!"),
               ui::vbExclamation);
    box->setFocus();
    EvidenziaCampo(box);
    return false;
}

void dateCriterionLeft(QLineEdit *box)
{
    const QString date = ControllaData(box->text().trimmed());
    if (!date.isEmpty())
        box->setText(date);
}
