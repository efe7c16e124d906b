// Pictures of the counter windows with a scanned item, to look at their
// finish:  QT_QPA_PLATFORM=offscreen counter-shots <folder>
// Writes frmCarico.png, frmScarico.png and quirnel.png (the main window with
// both) into the folder, from a small shop made in a temporary folder.
#include "base/Globals.h"
#include "rules/general/Today.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "db/Database.h"
#include "lookup/frmCalcola.h"
#include "skin/SkinPath.h"
#include "stock/frmCarico.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdio>

namespace {

void scan(QWidget &window, const QString &code)
{
    auto *codice = window.findChild<QLineEdit *>(QStringLiteral("txtCodice"));
    codice->setFocus();
    QTest::keyClicks(codice, code);
    QTest::keyClick(codice, Qt::Key_Return);
    QApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setToday(QDate(2026, 12, 6));
    skin::setDefaultSkinPath(QStringLiteral(TARVO_SKIN_DIR));
    QTemporaryDir folder;
    QFile schema(QStringLiteral(TARVO_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        return 1;
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = folder.path() + QStringLiteral("/tarvo.mdb");
    db::Database::create(g_strDbPath, QString::fromUtf8(schema.readAll()));
    auto database = db::Database::open(g_strDbPath);
    database->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (1042, 'Giacca in lana cotta', 89.5)"));
    database->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values ('8001234567895', 1042, '48', 'Blu notte', 7)"));

    ui::ScriptedMessages messages;
    app::wireWindows();
    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.resize(1100, 760);
    main.show();
    QApplication::setActiveWindow(&main);
    if (!QTest::qWaitForWindowActive(&main))
        std::fprintf(stderr, "counter-shots: main window not active\n");

    main.runCommand(QStringLiteral("mnuFileCaricoItem"));
    QApplication::setActiveWindow(&main);
    QWidget *carico = main.mdiArea()->activeSubWindow()->widget();
    scan(*carico, QStringLiteral("8001234567895"));
    carico->findChild<QLineEdit *>(QStringLiteral("txtCarico"))->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("54"));
    carico->findChild<QLineEdit *>(QStringLiteral("txtQuantita"))->setFocus();
    carico->grab().save(out + QStringLiteral("/frmCarico.png"));

    main.runCommand(QStringLiteral("mnuFileScaricoItem"));
    QApplication::setActiveWindow(&main);
    QApplication::processEvents();
    QMdiSubWindow *frame = main.mdiArea()->activeSubWindow();
    QWidget *scarico = frame->widget();
    scan(*scarico, QStringLiteral("8001234567895"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    scarico->grab().save(out + QStringLiteral("/frmScarico.png"));
    if (auto *sub = main.mdiArea()->subWindowList().value(0))
        sub->move(40, 380);
    QApplication::processEvents();
    main.grab().save(out + QStringLiteral("/quirnel.png"));
    if (auto *total = static_cast<frmScarico *>(scarico)->calcola())
        total->grab().save(out + QStringLiteral("/frmCalcola.png"));
    std::printf("pictures in %s\n", qPrintable(out));
    return 0;
}
