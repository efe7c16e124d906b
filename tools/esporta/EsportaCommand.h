#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QHash>
#include <functional>
#include <vector>

// tarvo-esporta SUBCOMMAND ...: each subcommand lives in a file of its own
// and registers itself with a static EsportaCommand::Registration, so that
// adding one is adding a file to the tool's sources.
class EsportaCommand {
public:
    static constexpr int kDone = 0;      // everything exported
    static constexpr int kFailed = 1;    // something was not exported (said on stderr)
    static constexpr int kUsage = 2;     // wrong arguments (said on stderr)

    struct Command {
        QString name;
        QString usage;                                  // the arguments, for the usage text
        std::function<int(const QStringList &)> run;    // the arguments after the name
    };
    struct Registration {
        explicit Registration(Command command);
    };

    static const std::vector<Command> &commands();
    static int main(const QStringList &args);

    // Problems and notes, on standard error, one line each.
    static void say(const QString &text);
    static void out(const QString &text);

    // --name VALUE pairs; false (and said) on an unknown option or a missing value.
    static bool readOptions(const QStringList &args, const QStringList &names, QHash<QString, QString> &values);
    // A date typed GG/MM/AAAA; invalid (and said) otherwise.
    static QDate date(const QString &option, const QString &text);
    // --database FILE, or the user's tarvo.mdb (db::ProgramFolder::databasePath()).
    static QString databasePath(const QString &given);
};
