#include "LogFormat.h"

namespace lodder::LogFormat {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}
} // namespace

QString dayLogName(const QDateTime &now)
{
    const QDate day = now.date();
    return twoDigits(day.year()) + twoDigits(day.month()) + twoDigits(day.day()) + QStringLiteral(".log");
}

QString timeOfDay(const QDateTime &now)
{
    const QTime time = now.time();
    return twoDigits(time.hour()) + QLatin1Char(':') + twoDigits(time.minute()) + QLatin1Char(':')
        + twoDigits(time.second());
}

QString printedNumber(long number)
{
    if (number < 0)
        return QLatin1Char('-') + QString::number(-static_cast<long long>(number)) + QLatin1Char(' ');
    return QLatin1Char(' ') + QString::number(number) + QLatin1Char(' ');
}

QString noteLine(const QDateTime &now, const QString &note)
{
    return timeOfDay(now) + QStringLiteral(": <") + note + QLatin1Char('>') + kCrLf;
}

QString errorLine(const QDateTime &now, long number, const QString &description,
                  const QString &callingSub, const QString &note)
{
    return timeOfDay(now) + QStringLiteral(": <") + printedNumber(number) + QStringLiteral("><") + description
        + QStringLiteral("><") + callingSub + QStringLiteral("><") + note + QLatin1Char('>') + kCrLf;
}

QString dataOra(const QDateTime &now)
{
    const QDate day = now.date();
    const QTime time = now.time();
    return twoDigits(day.year()) + twoDigits(day.day()) + twoDigits(day.month()) + QLatin1Char(' ')
        + twoDigits(time.hour()) + QLatin1Char('.') + twoDigits(time.minute()) + QLatin1Char('.')
        + twoDigits(time.second());
}

QString firstCharacters(const QString &text, int count)
{
    if (text.size() <= count)
        return text;
    QString head = text.left(count);
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1);
    return head;
}

QString standardMessage(long number, const QString &description)
{
    return QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.") + kCrLf
        + QStringLiteral("Errore numero: ") + QString::number(number) + kCrLf + QStringLiteral("Descrizione: ")
        + description;
}

} // namespace lodder::LogFormat
