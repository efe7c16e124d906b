#include "EsportaCommand.h"

#include "db/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <cstdio>

namespace {

std::vector<EsportaCommand::Command> &registry()
{
    static std::vector<EsportaCommand::Command> all;
    return all;
}

QString usageText()
{
    QString text = QStringLiteral("Uso:");
    for (const EsportaCommand::Command &c : registry())
        text += QStringLiteral("\n  tarvo-esporta %1 %2").arg(c.name, c.usage);
    return text;
}

} // namespace

EsportaCommand::Registration::Registration(Command command)
{
    registry().push_back(std::move(command));
}

const std::vector<EsportaCommand::Command> &EsportaCommand::commands()
{
    return registry();
}

void EsportaCommand::say(const QString &text)
{
    std::fprintf(stderr, "tarvo-esporta: %s\n", text.toLocal8Bit().constData());
}

void EsportaCommand::out(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

int EsportaCommand::main(const QStringList &args)
{
    const QString name = args.value(1);
    for (const Command &c : registry())
        if (c.name == name)
            return c.run(args.mid(2));
    if (!name.isEmpty())
        say(QStringLiteral("comando sconosciuto \"%1\".").arg(name));
    std::fprintf(stderr, "%s\n", usageText().toLocal8Bit().constData());
    return kUsage;
}

bool EsportaCommand::readOptions(const QStringList &args, const QStringList &names, QHash<QString, QString> &values)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!names.contains(a)) {
            say(QStringLiteral("opzione sconosciuta \"%1\".").arg(a));
            return false;
        }
        if (i + 1 >= args.size()) {
            say(QStringLiteral("manca il valore dopo %1.").arg(a));
            return false;
        }
        values.insert(a, args.at(++i));
    }
    return true;
}

QDate EsportaCommand::date(const QString &option, const QString &text)
{
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        say(QStringLiteral("%1 vuole una data GG/MM/AAAA, non \"%2\".").arg(option, text));
    return d;
}

QString EsportaCommand::databasePath(const QString &given)
{
    if (!given.isEmpty())
        return given;
    return db::ProgramFolder::databasePath();
}
