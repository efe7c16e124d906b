#pragma once

#include <QString>

// Work typed into a window and not saved yet. Before the user leaves it (a
// move to another record, closing the window or the program, the window told
// to show another record) the window asks "Salvare le modifiche?": Sì saves
// and goes on only when the save succeeded, No gives the work up and goes
// on, Annulla (the default) stays with the work as it was.
class UnsavedWork {
public:
    virtual ~UnsavedWork();

    static const QString kQuestion;

    // Asks when there is work to lose; true when the user may go on.
    bool mayLeave();
    virtual bool holdsWork() const = 0;

protected:
    // Saves as the window's own Save does, with its messages; true when
    // nothing is left unsaved afterwards.
    virtual bool saveWork() = 0;
    // Gives the work up: the window shows what is stored.
    virtual void discardWork() = 0;
};
