#pragma once

#include "base/UnsavedWork.h"

#include <QString>

namespace db { class Recordset; }
namespace errors { class ErrorTrap; }

// What the toolbar of a card says of one of its records.
struct CardWords {
    QString one;               // " una fattura.", ending the refusals to search or delete while editing
    QString oneNew;            // " una nuova fattura.", ending the refusal of New while editing
    QString saveBeforePrint;   // the refusal to print a record being added
};

// The commands of a card's picture row, by position: 1 New, 2 Search,
// 3 Save, 4 Delete, 5 Print, 6 First, 7 Previous, 8 Next, 9 Last. Every
// statement runs through the command's trap: the first error is reported and
// logged, and the command goes on with its next statement. A card with
// unsaved changes refuses New, Search and Delete, asks before a move leaves
// them (UnsavedWork), and a record being added is not printed. The card
// fills in what each command does to its records.
class CardCommands : public UnsavedWork {
public:
    enum Command { New = 1, Search, Save, Delete, Print, First, Previous, Next, Last };

    virtual ~CardCommands();

    // Runs the command at `index`; any other index says "Errore".
    void EseguiComando(errors::ErrorTrap &trap, int index);

    // Says `text` with the pointer back to the arrow.
    static void informa(const QString &text, int icon);
    static void informa(const QString &text);
    // Asks whether the current record goes for good.
    static bool confermaCancellazione(const QString &question);

protected:
    explicit CardCommands(CardWords words) : m_words(std::move(words)) {}

    // 0 browsing, 1 editing, 2 adding.
    virtual int editState() const = 0;
    // Before the hourglass shows.
    virtual void beforeCommand() {}
    // Before any command, under the hourglass; false ends the command.
    virtual bool prepareCommand(errors::ErrorTrap &trap);
    virtual void addRecord(errors::ErrorTrap &trap) = 0;
    virtual void Cerca() = 0;
    virtual void saveRecord(errors::ErrorTrap &trap) = 0;
    virtual void deleteRecord(errors::ErrorTrap &trap) = 0;
    virtual void printRecord(errors::ErrorTrap &trap) = 0;
    // The moves go through these records; by default Previous and Next do
    // not leave a record being added.
    virtual db::Recordset *records() const = 0;
    virtual void moveRecord(errors::ErrorTrap &trap, int index);
    // After any command, whatever it did.
    virtual void afterCommand(int index) { Q_UNUSED(index) }
    // Whether "Errore" carries the program's name as its title.
    virtual bool titlesError() const { return false; }
    // Runs a command as its picture does, under the card's own trap.
    virtual void runCommand(int index) = 0;
    // Whether the move `index` leaves the record shown (and what is typed
    // into it): not Previous on the first record nor Next on the last, and
    // by default not Previous or Next from a record being added.
    virtual bool leavesRecord(int index) const;

    // Unsaved work is a record in edit; saving it is the Save command, giving
    // it up cancels the edit.
    bool holdsWork() const override;
    bool saveWork() override;
    void discardWork() override;

    // One move of `rs`; Previous and Next stay within the records.
    static void step(db::Recordset &rs, int index);

private:
    const CardWords m_words;
};
