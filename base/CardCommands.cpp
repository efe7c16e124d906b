#include "base/CardCommands.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "db/Recordset.h"
#include "ui/Messages.h"

namespace {

constexpr int kNone = int(db::EditMode::None);
constexpr int kAdding = int(db::EditMode::Adding);

const QString kNotSaved = QStringLiteral("I dati non sono stati salvati. Salvare prima di ");

} // namespace

CardCommands::~CardCommands() = default;

void CardCommands::informa(const QString &text, int icon)
{
    ResetPointer();
    ui::MsgBox(text, icon, g_strAppName);
}

void CardCommands::informa(const QString &text)
{
    informa(text, ui::vbInformation);
}

bool CardCommands::confermaCancellazione(const QString &question)
{
    ResetPointer();
    return ui::MsgBox(question, ui::vbYesNo | ui::vbExclamation, g_strAppName) == ui::vbYes;
}

bool CardCommands::prepareCommand(errors::ErrorTrap &trap)
{
    Q_UNUSED(trap)
    return true;
}

void CardCommands::EseguiComando(errors::ErrorTrap &trap, int index)
{
    PointerReset pointer;
    beforeCommand();
    trap.run([] { SetHourglass(); });
    if (!prepareCommand(trap))
        return;
    switch (index) {
    case New:
        if (editState() != kNone)
            informa(kNotSaved + QStringLiteral("inserire") + m_words.oneNew);
        else
            addRecord(trap);
        break;
    case Search:
        if (editState() != kNone)
            informa(kNotSaved + QStringLiteral("ricercare") + m_words.one);
        else
            Cerca();
        break;
    case Save:
        saveRecord(trap);
        break;
    case Delete:
        if (editState() != kNone)
            informa(kNotSaved + QStringLiteral("cancellare") + m_words.one);
        else
            deleteRecord(trap);
        break;
    case Print:
        if (editState() == kAdding)
            informa(m_words.saveBeforePrint);
        else
            printRecord(trap);
        break;
    case First:
    case Previous:
    case Next:
    case Last:
        if (!leavesRecord(index) || mayLeave())
            moveRecord(trap, index);
        break;
    default:
        ResetPointer();
        if (titlesError())
            ui::MsgBox(QStringLiteral("Errore"), ui::vbOKOnly, g_strAppName);
        else
            ui::MsgBox(QStringLiteral("Errore"));
    }
    afterCommand(index);
}

bool CardCommands::holdsWork() const
{
    return editState() != kNone;
}

bool CardCommands::saveWork()
{
    runCommand(Save);
    return !holdsWork();
}

void CardCommands::discardWork()
{
    db::Recordset *rs = nullptr;
    try {
        rs = records();
    } catch (...) {
        return; // a card without records holds nothing to give up
    }
    if (rs && rs->isOpen() && rs->editMode() != db::EditMode::None)
        rs->cancelUpdate();
}

bool CardCommands::leavesRecord(int index) const
{
    const db::Recordset *rs = nullptr;
    try {
        rs = records();
    } catch (...) {
        return false;
    }
    if (!rs || !rs->isOpen())
        return false;
    const bool adding = rs->editMode() == db::EditMode::Adding;
    switch (index) {
    case Previous:
        return !adding && rs->absolutePosition() >= 1;
    case Next:
        return !adding && rs->absolutePosition() < rs->recordCount() - 1;
    default:
        return true;
    }
}

void CardCommands::moveRecord(errors::ErrorTrap &trap, int index)
{
    trap.run([&] {
        db::Recordset *rs = records();
        const bool adding = rs->editMode() == db::EditMode::Adding;
        if (adding && (index == Previous || index == Next))
            return;
        step(*rs, index);
    });
}

void CardCommands::step(db::Recordset &rs, int index)
{
    switch (index) {
    case First:
        rs.moveFirst();
        break;
    case Previous:
        if (rs.absolutePosition() >= 1)
            rs.movePrevious();
        break;
    case Next:
        if (rs.absolutePosition() < rs.recordCount() - 1)
            rs.moveNext();
        break;
    case Last:
        rs.moveLast();
        break;
    }
}
