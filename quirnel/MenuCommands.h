#pragma once

#include "ui/WindowRegistry.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace app {

// The window a command of the main menu opens: how to take its default
// instance, and the members the menu sets on it, one assignment per step.
// Every window is wired into its command in one place, wireWindows()
// (quirnel/WindowWiring.cpp). The window must not read these members while
// it is constructed: its load code runs when it is first shown, after the
// menu has set them, and again when the menu shows it with other values.
// The menu item is enabled once its window is wired.
struct MenuWindow {
    std::function<QWidget &()> instance;
    std::vector<std::function<void(QWidget &)>> members;
    // A command that opens no window of the program runs this instead.
    std::function<void()> action;
};

class MenuCommands {
public:
    static void wire(const QString &command, MenuWindow window);
    static void unwire(const QString &command);
    // nullptr when no window is wired into the command yet.
    static const MenuWindow *find(const QString &command);

    static void wireAction(const QString &command, std::function<void()> action)
    {
        MenuWindow window;
        window.action = std::move(action);
        wire(command, std::move(window));
    }

    template <class W>
    static void wireWindow(const QString &command, std::vector<std::function<void(W &)>> members = {})
    {
        MenuWindow window;
        window.instance = [] () -> QWidget & { return ui::WindowRegistry::defaultInstance<W>(); };
        for (auto &member : members)
            window.members.push_back([member](QWidget &w) { member(static_cast<W &>(w)); });
        wire(command, std::move(window));
    }
};

// The commands that set members, for any window with those members (the
// program wires its own windows in wireWindows()).

// File / "Articoli": the card shows all articles (its query emptied).
template <class W>
void wireArticoliCommand()
{
    MenuCommands::wireWindow<W>(QStringLiteral("mnuFileArticoliItem"),
                                {[](W &w) { w.p_strQuery = QString(); }});
}

// File / "Carico": new loads. A window showing a recorded load turns to new
// loads too, as the article card's "Salva e Carica" wants it.
template <class W>
void wireCaricoCommand()
{
    MenuCommands::wireWindow<W>(QStringLiteral("mnuFileCaricoItem"),
                                {[](W &w) { w.p_bln_Modifica = false; },
                                 [](W &w) { w.p_lng_Codice_Carico = 0; }});
}

// File / "Scarico": always a new sale.
template <class W>
void wireScaricoCommand()
{
    MenuCommands::wireWindow<W>(QStringLiteral("mnuFileScaricoItem"),
                                {[](W &w) { w.p_bln_Modifica = false; },
                                 [](W &w) { w.p_lng_Codice_Scarico = 0; }});
}

// File / "Anagrafiche": the register card on all its entries; it names no
// record of its own, so an open card only comes to the front.
template <class W>
void wireAnagraficheCommand()
{
    MenuCommands::wireWindow<W>(QStringLiteral("mnuAnagraficheItem"));
}

// File / "Fornitori": the dictionary editor on the supplier table, whose
// code is its description (code column hidden, code not numeric).
template <class W>
void wireFornitoriCommand()
{
    MenuCommands::wireWindow<W>(QStringLiteral("mnuFornitoriItem"),
                                {[](W &w) { w.sNomeTabella = QStringLiteral("[Fornitore]"); },
                                 [](W &w) { w.sTitolo = QStringLiteral("Fornitori"); },
                                 [](W &w) { w.sDescrizione = QStringLiteral("fo_Descrizione"); },
                                 [](W &w) { w.sID = QStringLiteral("fo_Descrizione"); },
                                 [](W &w) { w.b_Codice_Visibile = false; }});
}

// A window that names no record of its own: the command shows it, or brings
// it to the front when it is open (the lists, the journals, the takings).
template <class W>
void wirePlainCommand(const QString &command)
{
    MenuCommands::wireWindow<W>(command);
}

} // namespace app
