#pragma once

#include "TestShopDatabase.h"

#include <QLocale>
#include <QString>
#include <QVariant>

class QLineEdit;
class QWidget;
class mdiTarvo;

// A shop of the tests' own: the shared test shop (a fresh database from the
// shipped schema in a temporary folder), an Italian user, a fixed "today", the skin from the
// sources, and the main window shown and active, so that the counter windows
// can be driven with keystrokes as a scanner sends them.
//
// Stock items: "1234" (article 42 "Giacca", list price 20, size 48, blue,
// 3 in stock), "1234U" (its second-hand twin, 0 in stock), "5555" (article 43
// "Sciarpa" without list price, 10 in stock), "777" (article 99, which does
// not exist).
class CounterFixture {
public:
    CounterFixture();
    ~CounterFixture();
    CounterFixture(const CounterFixture &) = delete;
    CounterFixture &operator=(const CounterFixture &) = delete;

    db::Database &database() const;
    // The shop's folder, where the program finds its report templates.
    QString folder() const { return m_shop.folder(); }
    void refuseWrites(const QString &eventOnTable) const { m_shop.refuseWrites(eventOnTable); }
    QVariant scalar(const QString &legacySql) const;
    long stock(const QString &barcode) const;
    int rows(const QString &table) const;

    mdiTarvo &main() const { return *m_main; }
    // Runs a menu command and waits until its window has the focus.
    QWidget &open(const QString &command);
    // Gives the keyboard back to the main window (see the .cpp).
    void activateMain();
    static QLineEdit *box(QWidget &window, const char *name);

    // Keys as the scanner and the user send them: to whatever has the focus
    // at the moment of each press and each release.
    static void type(const QString &text);
    static void enter();
    static void press(int key);
    static QWidget *focused();

private:
    TestShopDatabase m_shop;
    QLocale m_previousLocale;
    mdiTarvo *m_main = nullptr;
};
