#include "base/GeneralFunc6.h"

#include "base/Globals.h"
#include "ui/BusyPointer.h"
#include "ui/Messages.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

void SetHourglass()
{
    ui::setBusyPointer();
}

void ResetPointer()
{
    ui::resetPointer();
}

static void setLook(QWidget *box, bool bold, const QColor &background)
{
    QFont font = box->font();
    font.setBold(bold);
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    box->setPalette(palette);
}

void EvidenziaCampo(QWidget *box)
{
    if (!box)
        return;
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->selectAll();
    else if (auto *text = qobject_cast<QTextEdit *>(box))
        text->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        plain->selectAll();
    // &H00FFC0C0: blue FF, green C0, red C0
    setLook(box, true, QColor(0xC0, 0xC0, 0xFF));
}

void NormalizzaCampo(QWidget *box)
{
    if (!box)
        return;
    setLook(box, false, QColor(0xFF, 0xFF, 0xFF));
}

QString ControllaData(const QVariant &value, short show)
{
    QString refused;
    const QString date = ControllaData(value, refused);
    if (!refused.isEmpty() && show != 0)
        ui::MsgBox(QStringLiteral("ERRORE:[") + refused + QStringLiteral("] Formato data non corretto!"),
                   ui::vbExclamation);
    return date;
}

double ConvertiValuta(double amount, short direction)
{
    constexpr double lirePerEuro = 1936.27;
    switch (direction) {
    case 1:
        return Arrotonda(amount * lirePerEuro, 50);
    case 2:
        return Arrotonda(amount / lirePerEuro, 0.01);
    default:
        ui::MsgBox(QStringLiteral("Errore!"), ui::vbCritical, g_strAppName);
        return 0;
    }
}
