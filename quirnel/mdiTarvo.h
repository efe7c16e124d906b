#pragma once

#include "lookup/frmTasti.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <functional>
#include <QMainWindow>
#include <QString>

class QAction;
class QMdiArea;
class QMdiSubWindow;
namespace report { class ReportControl; }

// The main window: the MDI frame whose menu bar opens every working window
// of the program as a child.
class mdiTarvo : public QMainWindow {
    Q_OBJECT
public:
    explicit mdiTarvo(QWidget *parent = nullptr);
    ~mdiTarvo() override;

    QMdiArea *mdiArea() const { return m_area; }
    // The one report control through which every window prints.
    report::ReportControl &Report() const { return *m_report; }
    // The item of a command by its name ("mnuFileCaricoItem"), nullptr if none.
    QAction *commandAction(const QString &command) const;
    // Runs a menu command: busy pointer, the window's default instance
    // (created if needed), its members, shown as a child or brought to the
    // front, normal pointer.
    void runCommand(const QString &command);
    // Closes every child window (each asks about its unsaved work first) and
    // lets go of their record sets; false when one stayed open.
    bool closeEveryWindow();
    // Enables the items whose window is wired, disables the others.
    void refreshCommands();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    QAction *addCommand(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &keys);
    void mnuFornitoriItem_Click();
    void skinPreview();
    bool isMenuShortcut(const QKeySequence &keys) const;
    QAction *addKey(const QString &name, const QString &caption, const QKeySequence &keys, const std::function<void()> &run);
    // F1: the key list, with the menu's keys and the main window's own.
    void showKeys();
    QList<frmTasti::Row> keyRows() const;
    // A window that closes gives the keyboard back to the one it was opened from.
    void followActivation(QMdiSubWindow *frame);

    QMdiArea *m_area;
    report::ReportControl *m_report;
    QHash<QString, QAction *> m_commands;
    QHash<QString, QAction *> m_keys;
    QPointer<QMdiSubWindow> m_lastActive;
};
