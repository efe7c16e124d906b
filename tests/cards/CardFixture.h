#pragma once

#include "TestShopDatabase.h"

#include "report/ReportControl.h"
#include "ui/ScriptedMessages.h"

#include <QString>
#include <QVariant>
#include <memory>

class QWidget;
namespace data { class Grid; }

// A program folder of the test's own, the shared test shop's folder: its
// tarvo.mdb made from the shipped schema, skin pictures drawn for the test, the articles template, a report
// control standing in for the main window's, the log library registered and
// a fixed clock (6 December 2026, 14:05:09). Messages are answered by script.
class CardFixture {
public:
    CardFixture();
    ~CardFixture();
    CardFixture(const CardFixture &) = delete;
    CardFixture &operator=(const CardFixture &) = delete;

    // Once per test program: registers the built log library.
    static bool registerLogLibrary();

    QString folder() const { return m_folder; }
    void execute(const QString &legacySql) const;
    QVariant scalar(const QString &legacySql) const;
    int count(const QString &fromAndWhere) const;   // "Articoli where ..."
    void refuseWrites(const QString &eventOnTable, const QString &column = QString(), const QString &value = QString()) const
    {
        m_shop.refuseWrites(eventOnTable, column, value);
    }
    // Text of today's log, empty when nothing was logged.
    QByteArray log() const;

    ui::ScriptedMessages &messages() { return *m_messages; }
    report::ReportControl &report() { return *m_report; }

private:
    TestShopDatabase m_shop;
    QString m_folder;
    std::unique_ptr<ui::ScriptedMessages> m_messages;
    std::unique_ptr<report::ReportControl> m_report;
};

// Keys as the user types them into a grid: into the open cell editor, else
// into the grid. "\r" is a carriage return, "\n" a scanner's line feed.
void typeInGrid(data::Grid &grid, const QString &text);
void pressInGrid(data::Grid &grid, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
QString gridEditorText(data::Grid &grid);
