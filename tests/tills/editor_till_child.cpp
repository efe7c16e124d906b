// One till's invoice editor on a shared shop, driven command by command by
// the several-tills test:
//   editor-till-child <database> <customer counter>
// Opens the editor (off screen, messages answered by script, today fixed at
// 6 December 2026) and prints "READY". Then reads one command a line and
// answers each with one line: the number the editor shows, a tab, and the
// messages shown meanwhile joined by " | ".
//   nuova        New, with this till's customer
//   digita TEXT  a line typed into the new row (TEXT, 1 at 10), not left yet
//   scrivi       the row left: the line written
//   scrivi FILE  the same, at the moment the test lets go of its lock on
//                FILE: "WAITING" is printed first, then the till waits
//   cambia SEQ   "Cambia Numero", answered with SEQ
//   salva        Save
// Standard input closed: the editor is closed and the program ends.
#include "SkinTestFiles.h"

#include "base/Globals.h"
#include "rules/general/Today.h"
#include "data/Grid.h"
#include "invoicing/frmFattura.h"
#include "rules/ShopDatabase.h"
#include "skin/SkinPath.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

enum Column { Numero = 0, Descrizione, Quantita, Prezzo, Importo };

void say(const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void typeLine(data::Grid &grid, const QString &descrizione)
{
    grid.setCurrentCell(grid.model()->rowCount() - 1, Descrizione);
    grid.setColumnValue(Descrizione, descrizione);
    grid.setColumnValue(Quantita, QStringLiteral("1"));
    grid.setColumnValue(Prezzo, QStringLiteral("10"));
    grid.setColumnValue(Importo, QStringLiteral("10"));
}

// Both tills wait on a lock the test holds; letting go of it wakes them
// together.
void waitForStart(const QString &barrier)
{
    const int fd = ::open(QFile::encodeName(barrier).constData(), O_RDONLY | O_CLOEXEC);
    say(QStringLiteral("WAITING"));
    if (fd >= 0) {
        ::flock(fd, LOCK_SH);
        ::close(fd);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 3)
        return 2;
    QTemporaryDir programFolder;
    setProgramFolder(programFolder.path());
    const QString skin = programFolder.filePath(QStringLiteral("shpix"));
    QDir().mkpath(skin);
    skintest::writeFrameSkin(skin);
    skintest::writeToolbarPictures(skin);
    skin::setDefaultSkinPath(skin);
    g_strAppName = QStringLiteral("Qorda");
    ShopDatabase::setLocation(QString::fromLocal8Bit(argv[1]));
    setToday(QDate(2026, 12, 6));
    const QString cliente = QString::fromLocal8Bit(argv[2]);

    ui::ScriptedMessages messages;
    auto &editor = ui::WindowRegistry::defaultInstance<frmFattura>();
    editor.show();
    say(QStringLiteral("READY"));
    messages.clear();
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        const QString command = QString::fromUtf8(buffer).trimmed();
        if (command == QLatin1String("nuova")) {
            editor.imgToolbar1_Click(1);
            editor.txtFields(2)->setText(cliente);
        } else if (command.startsWith(QLatin1String("digita "))) {
            typeLine(*editor.TDBGrid1, command.mid(7));
        } else if (command == QLatin1String("scrivi") || command.startsWith(QLatin1String("scrivi "))) {
            if (command.size() > 7)
                waitForStart(command.mid(7));
            editor.TDBGrid1->updateRow();
        } else if (command.startsWith(QLatin1String("cambia "))) {
            messages.queueInput(command.mid(7));
            editor.cmdCambiaNumero_Click();
        } else if (command == QLatin1String("salva")) {
            editor.imgToolbar1_Click(3);
        } else {
            return 2;
        }
        QCoreApplication::processEvents();
        say(editor.txtFields(0)->text() + QLatin1Char('\t') + messages.texts().join(QStringLiteral(" | ")));
        messages.clear();
    }
    editor.close();
    return 0;
}
