// The about box: its caption, and the system-information command with and
// without a program to start.

#include "CardFixture.h"

#include "lookup/frmAbout.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QtTest>

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void captionNamesTheProgram();
    void sysInfoWithoutAProgramSaysSo();
    void sysInfoStartsTheProgramFound();

private:
    std::unique_ptr<CardFixture> m_f;
    QByteArray m_path;
};

void TestAbout::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
    QCoreApplication::setApplicationName(QStringLiteral("Qorda"));
    m_path = qgetenv("PATH");
}

void TestAbout::init()
{
    m_f = std::make_unique<CardFixture>();
    // Only the test's own folder is searched for programs.
    qputenv("PATH", QFile::encodeName(m_f->folder()));
}

void TestAbout::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmAbout>();
    qputenv("PATH", m_path);
    m_f.reset();
}

void TestAbout::captionNamesTheProgram()
{
    frmAbout &about = ui::WindowRegistry::defaultInstance<frmAbout>();
    about.show();
    QCOMPARE(about.windowTitle(), QStringLiteral("Informazioni su Qorda"));
    QCOMPARE(about.lblTitle->text(), QStringLiteral("Qorda"));
    QVERIFY(about.lblVersion->text().startsWith(QStringLiteral("Versione ")));
    QTest::mouseClick(about.cmdOk, Qt::LeftButton);
    QTRY_VERIFY(!ui::WindowRegistry::existingInstance<frmAbout>());
}

void TestAbout::sysInfoWithoutAProgramSaysSo()
{
    frmAbout &about = ui::WindowRegistry::defaultInstance<frmAbout>();
    about.show();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Le informazioni sul sistema non sono disponibili in questa fase")});
}

void TestAbout::sysInfoStartsTheProgramFound()
{
    const QString program = m_f->folder() + QStringLiteral("/hardinfo");
    const QString started = m_f->folder() + QStringLiteral("/started");
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho > '" + QFile::encodeName(started) + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    frmAbout &about = ui::WindowRegistry::defaultInstance<frmAbout>();
    about.show();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(started));
    QCOMPARE(m_f->messages().texts(), QStringList());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
