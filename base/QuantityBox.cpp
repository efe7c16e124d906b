#include "base/QuantityBox.h"

#include "base/Globals.h"
#include "rules/CounterQuantity.h"
#include "ui/Messages.h"

#include <QLineEdit>

bool QuantityBox::accepted(const QLineEdit &box)
{
    return CounterQuantity::check(box.text()).accepted;
}

bool QuantityBox::confirmed(QLineEdit &box)
{
    const CounterQuantity quantity = CounterQuantity::check(box.text());
    if (!quantity.needsConfirmation)
        return true;
    const int answer = ui::MsgBox(QStringLiteral("Confermare la quantità di ") + QString::number(quantity.pieces)
                                      + QStringLiteral(" pezzi?"),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    if (answer == ui::vbYes)
        return true;
    reselect(box);
    return false;
}

void QuantityBox::reselect(QLineEdit &box)
{
    box.setFocus(Qt::OtherFocusReason);
    box.selectAll();
}
