#include "CardFixture.h"

#include "LodderRegistration.h"
#include "SkinTestFiles.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/LogObject.h"
#include "base/print/MainReport.h"
#include "data/Grid.h"
#include "skin/SkinPath.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

CardFixture::CardFixture()
{
    m_folder = m_shop.folder();
    QDir().mkpath(m_folder + QStringLiteral("/shpix"));
    setProgramFolder(m_folder);
    g_strAppName = QStringLiteral("Qorda");

    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    QFile::copy(source + QStringLiteral("/resources/reports/articoli.rpt"), m_folder + QStringLiteral("/articoli.rpt"));

    skintest::writeFrameSkin(m_folder + QStringLiteral("/shpix"));
    skintest::writeButtonStrip(m_folder + QStringLiteral("/shpix"));
    skintest::writeToolbarPictures(m_folder + QStringLiteral("/shpix"));
    skin::setDefaultSkinPath(m_folder + QStringLiteral("/shpix"));

    errors::setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)); });
    m_report = std::make_unique<report::ReportControl>();
    m_report->setDatabasePath(g_strDbPath);
    m_report->setToday(QDate(2026, 12, 6));
    setMainReport(m_report.get());
    m_messages = std::make_unique<ui::ScriptedMessages>();
}

CardFixture::~CardFixture()
{
    m_messages.reset();
    setMainReport(nullptr);
    m_report.reset();
    errors::releaseLogObject();
    errors::setClock({});
}

bool CardFixture::registerLogLibrary()
{
    return runRegsvr(builtLodder()) == 0;
}

void CardFixture::execute(const QString &legacySql) const
{
    m_shop.execute(legacySql);
}

QVariant CardFixture::scalar(const QString &legacySql) const
{
    return m_shop.scalar(legacySql);
}

int CardFixture::count(const QString &fromAndWhere) const
{
    return m_shop.count(fromAndWhere);
}

QByteArray CardFixture::log() const
{
    QFile file(m_folder + QStringLiteral("/log/20261206.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

QWidget *keyTarget(data::Grid &grid)
{
    const auto editors = grid.findChildren<QWidget *>(QStringLiteral("gridEditor"));
    for (QWidget *editor : editors) {
        if (editor->isVisible())
            return editor;
    }
    return &grid;
}

} // namespace

void typeInGrid(data::Grid &grid, const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            QTest::keyClick(keyTarget(grid), Qt::Key_Return);
        else if (c == QLatin1Char('\n'))
            QTest::sendKeyEvent(QTest::Click, keyTarget(grid), Qt::Key_Return, QStringLiteral("\n"), Qt::NoModifier);
        else if (c.unicode() < 128)
            QTest::keyClick(keyTarget(grid), c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, keyTarget(grid), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void pressInGrid(data::Grid &grid, int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(keyTarget(grid), Qt::Key(key), modifiers);
}

QString gridEditorText(data::Grid &grid)
{
    auto *line = qobject_cast<QLineEdit *>(keyTarget(grid));
    return line ? line->text() : QString();
}
