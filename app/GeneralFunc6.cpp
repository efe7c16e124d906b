#include "app/GeneralFunc6.h"

#include "app/DateText.h"
#include "app/Globals.h"
#include "data/FieldText.h"
#include "rules/TypedNumber.h"
#include "ui/BusyPointer.h"
#include "ui/Messages.h"

#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cmath>
#include <limits>

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

static bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString ControllaData(const QVariant &value, short show)
{
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        const QDate date = value.toDate();
        if (date.isValid())
            return date.toString(QStringLiteral("dd/MM/yyyy"));
    }
    QString text = IsNull(value) ? QString() : data::FieldText::display(value).trimmed();
    if (text.isEmpty())
        return QString();

    QDate date = DateText::parse(text);
    if (!date.isValid()) {
        if (text.size() == 6) {
            if (!allDigits(text))
                return QString();
            text = text.mid(0, 2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4, 2);
        } else if (text.size() == 8) {
            if (!allDigits(text))
                return QString();
            text = text.mid(0, 2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4, 4);
        }
        date = DateText::parse(text);
    }
    if (!date.isValid()) {
        if (show != 0)
            ui::MsgBox(QStringLiteral("ERRORE:[") + text + QStringLiteral("] Formato data non corretto!"),
                       ui::vbExclamation);
        return QString();
    }
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString FormattaDataSql(const QVariant &value)
{
    QDate date;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
        date = value.toDate();
    else if (!IsNull(value))
        date = DateText::parse(value.toString());
    if (!date.isValid())
        return QString();
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString DataSql(const QVariant &dayFirst, const QString &defaultDayFirst)
{
    QString monthFirst = FormattaDataSql(ControllaData(dayFirst, 0));
    if (monthFirst.isEmpty())
        monthFirst = FormattaDataSql(defaultDayFirst);
    return QStringLiteral("#") + monthFirst + QStringLiteral("#");
}

bool IsNull(const QVariant &value)
{
    return data::FieldText::isNull(value);
}

QVariant NullToEmpty(const QVariant &value)
{
    return IsNull(value) ? QVariant(QString()) : value;
}

QVariant NullToDefault(const QVariant &value, const QVariant &defaultValue)
{
    return IsNull(value) ? defaultValue : value;
}

double Val(const QString &text)
{
    return TypedNumber::leading(text);
}

qlonglong ValLong(const QString &text)
{
    return TypedNumber::leadingWhole(text);
}

bool IsNumeric(const QString &text)
{
    return TypedNumber::amount(text).has_value();
}

double ToNumber(const QString &text)
{
    return TypedNumber::amount(text).value_or(0);
}

double Arrotonda(double value, double step)
{
    if (step == 0)
        return value;
    double q = value / step;
    const double whole = std::floor(q);
    // A half that binary fractions store a hair below .5 (0.285 / 0.01 gives
    // 28.4999...) is still a half.
    q = (q - whole >= 0.5 - 1e-9) ? whole + 1 : whole;
    // Dividing by the whole inverse of a decimal step (0.01 -> 100) gives the
    // nearest double of the result (5.16, not 5.1600000000000001).
    const double inverse = 1.0 / step;
    if (std::fabs(step) < 1 && std::fabs(inverse - std::round(inverse)) < 1e-9)
        return q / std::round(inverse);
    return q * step;
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
