#pragma once

#include <QString>

namespace db {

// Where the user's program folder is: the shop's database, the logs, the
// backups and the settings are found by fixed names inside it. The program
// and the command-line tools ask here alike.
class ProgramFolder {
public:
    // The folder given to set(), otherwise the one named by TARVO_HOME (as
    // the installed launcher sets it), otherwise the folder of the program
    // file (a program folder assembled by the build).
    static QString path();
    // Points the program at a folder of its own (a test's, the
    // self-check's); an empty text goes back to TARVO_HOME or the program
    // file's folder.
    static void set(const QString &folder);
    // The folder of the program file, with the templates, the skin and the
    // tools installed beside it; the same as path() unless the program was
    // installed by the package.
    static QString installPath();
    // The shop's database: tarvo.mdb in path().
    static QString databasePath();
};

} // namespace db
