// The library as a component: its entry points, self-registration into the
// component registry, and the regsvr tool.

#include "ComponentRegistry.h"
#include "DebLoader.h"
#include "FileSizeLimit.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class ComponentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void registersAndUnregistersItself();
    void registryKeepsOtherClasses();
    void regsvrTool();
    void classObjectOnlyForDeb();
    void canUnloadOnlyWithoutObjects();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DebLoader> m_loader;
    QString m_registry;
};

void ComponentsTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    // A registry of the test's own, in a folder that does not exist yet.
    m_registry = m_tmp->filePath(QStringLiteral("config/tarvo/components.reg"));
    qputenv("TARVO_REGISTRY", m_registry.toLocal8Bit());
    m_loader = std::make_unique<DebLoader>();
    QString error;
    QVERIFY2(m_loader->load(m_tmp->filePath(QStringLiteral("programma")), &error), qPrintable(error));
}

void ComponentsTest::registersAndUnregistersItself()
{
    QCOMPARE(lodder::ComponentRegistry::defaultLocation(), m_registry);
    auto doRegister = m_loader->entryPoint<lodder::DllRegisterServerFn>("DllRegisterServer");
    auto doUnregister = m_loader->entryPoint<lodder::DllRegisterServerFn>("DllUnregisterServer");
    QVERIFY(doRegister && doUnregister);

    QCOMPARE(doRegister(), lodder::kOk);
    const lodder::ComponentRegistry registry;
    QCOMPARE(registry.libraryFor(QString::fromLatin1(lodder::kDebClassId)), m_loader->libraryPath());
    QCOMPARE(registry.libraryFor(QStringLiteral("{1a8c9097-a6fe-11d3-9fc9-00c0269d04b0}")), m_loader->libraryPath());
    // Registering twice leaves one line.
    QCOMPARE(doRegister(), lodder::kOk);
    QFile file(m_registry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("1A8C9097"), 1);
    file.close();

    QCOMPARE(doUnregister(), lodder::kOk);
    QVERIFY(registry.libraryFor(QString::fromLatin1(lodder::kDebClassId)).isEmpty());
    // Unregistering what is not there is no error.
    QCOMPARE(doUnregister(), lodder::kOk);
}

void ComponentsTest::registryKeepsOtherClasses()
{
    lodder::ComponentRegistry registry(m_tmp->filePath(QStringLiteral("altro.reg")));
    QVERIFY(registry.registerClass(QStringLiteral("{AAAA}"), QStringLiteral("/opt/a.so")));
    QVERIFY(registry.registerClass(QStringLiteral("{BBBB}"), QStringLiteral("/opt/b b.so")));
    QVERIFY(registry.registerClass(QStringLiteral("{aaaa}"), QStringLiteral("/opt/a2.so")));
    QVERIFY(registry.unregisterClass(QStringLiteral("{CCCC}")));
    QCOMPARE(registry.libraryFor(QStringLiteral("{AAAA}")), QStringLiteral("/opt/a2.so"));
    QCOMPARE(registry.libraryFor(QStringLiteral("{BBBB}")), QStringLiteral("/opt/b b.so"));
    QVERIFY(registry.unregisterClass(QStringLiteral("{AAAA}")));
    QVERIFY(registry.libraryFor(QStringLiteral("{AAAA}")).isEmpty());
    QCOMPARE(registry.libraryFor(QStringLiteral("{BBBB}")), QStringLiteral("/opt/b b.so"));

    // A registry that cannot be written is reported, not ignored.
    QVERIFY(QDir().mkpath(m_tmp->filePath(QStringLiteral("cartella.reg"))));
    lodder::ComponentRegistry folder(m_tmp->filePath(QStringLiteral("cartella.reg")));
    QString error;
    QVERIFY(!folder.registerClass(QStringLiteral("{AAAA}"), QStringLiteral("/opt/a.so"), &error));
    QVERIFY(!error.isEmpty());

    // Nor is a disk that takes only the first bytes: the registry stays whole.
    error.clear();
    bool registered = true;
    {
        const FileSizeLimit full(16);
        registered = registry.registerClass(QStringLiteral("{CCCC}"), QStringLiteral("/opt/c.so"), &error);
    }
    QVERIFY(!registered);
    QVERIFY(!error.isEmpty());
    QCOMPARE(registry.libraryFor(QStringLiteral("{BBBB}")), QStringLiteral("/opt/b b.so"));
    QVERIFY(registry.libraryFor(QStringLiteral("{CCCC}")).isEmpty());
}

void ComponentsTest::regsvrTool()
{
    const QString tool = QStringLiteral(REGSVR_PATH);
    QProcess process;
    process.start(tool, {m_loader->libraryPath()});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const lodder::ComponentRegistry registry;
    QCOMPARE(registry.libraryFor(QString::fromLatin1(lodder::kDebClassId)), m_loader->libraryPath());

    process.start(tool, {QStringLiteral("-u"), m_loader->libraryPath()});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(registry.libraryFor(QString::fromLatin1(lodder::kDebClassId)).isEmpty());

    // Not a library: refused with a message, nothing registered.
    const QString notLibrary = m_tmp->filePath(QStringLiteral("testo.so"));
    QFile file(notLibrary);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("testo");
    file.close();
    process.start(tool, {notLibrary});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().startsWith("regsvr: impossibile caricare"));
    QVERIFY(registry.libraryFor(QString::fromLatin1(lodder::kDebClassId)).isEmpty());
}

void ComponentsTest::classObjectOnlyForDeb()
{
    auto getClassObject = m_loader->entryPoint<lodder::DllGetClassObjectFn>("DllGetClassObject");
    QVERIFY(getClassObject);
    void *object = reinterpret_cast<void *>(1);
    QCOMPARE(getClassObject("{00000000-0000-0000-0000-000000000000}", lodder::kDebInterfaceId, &object),
             lodder::kClassNotAvailable);
    QCOMPARE(object, nullptr);
    QCOMPARE(getClassObject(lodder::kDebClassId, lodder::kDebClassId, &object), lodder::kNoInterface);
    QCOMPARE(object, nullptr);
    QCOMPARE(getClassObject(nullptr, lodder::kDebInterfaceId, &object), lodder::kClassNotAvailable);
    QCOMPARE(getClassObject(lodder::kDebClassId, lodder::kDebInterfaceId, nullptr), lodder::kPointer);

    QCOMPARE(getClassObject("{1a8c9097-a6fe-11d3-9fc9-00c0269d04b0}", lodder::kDebInterfaceId, &object), lodder::kOk);
    QVERIFY(object);
    delete static_cast<lodder::IDeb *>(object);
}

void ComponentsTest::canUnloadOnlyWithoutObjects()
{
    auto canUnload = m_loader->entryPoint<lodder::DllCanUnloadNowFn>("DllCanUnloadNow");
    QVERIFY(canUnload);
    QCOMPARE(canUnload(), lodder::kOk);
    auto first = m_loader->create(QDateTime());
    auto second = m_loader->create(QDateTime());
    QVERIFY(first && second);
    QCOMPARE(canUnload(), lodder::kFalse);
    first.reset();
    QCOMPARE(canUnload(), lodder::kFalse);
    second.reset();
    QCOMPARE(canUnload(), lodder::kOk);
}

QTEST_GUILESS_MAIN(ComponentsTest)
#include "tst_components.moc"
