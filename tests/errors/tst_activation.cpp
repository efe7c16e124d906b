// Creating the log object by class id through the component registry, and
// the program file that must not link the log library.

#include "LodderRegistration.h"

#include "base/errors/ComponentActivation.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/LogObject.h"
#include "lodder/IDeb.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString kClassId = QString::fromLatin1(lodder::kDebClassId);
const QString kInterfaceId = QString::fromLatin1(lodder::kDebInterfaceId);

// The AppError thrown by a creation, or number 0 when none was.
errors::ErrObject creationError(const QString &classId, const QString &interfaceId)
{
    try {
        delete static_cast<lodder::IDeb *>(errors::createByClassId(classId, interfaceId));
    } catch (const errors::AppError &e) {
        return e.err();
    }
    return {};
}
} // namespace

class ActivationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void registerCreateUnregister();
    void unusableRegistrations();
    void logObjectKeptForTheRun();
    void programDoesNotLinkTheLibrary();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_registry;
};

void ActivationTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_registry = m_tmp->filePath(QStringLiteral("components.reg"));
    qputenv("TARVO_REGISTRY", m_registry.toLocal8Bit());
}

void ActivationTest::cleanup()
{
    errors::releaseLogObject();
}

void ActivationTest::registerCreateUnregister()
{
    QCOMPARE(runRegsvr(builtLodder()), 0);
    std::unique_ptr<lodder::IDeb> deb(static_cast<lodder::IDeb *>(errors::createByClassId(kClassId, kInterfaceId)));
    QVERIFY(deb);
    QString name = QStringLiteral("prova.log");
    QString note = QStringLiteral("creato per class id");
    QString folder = m_tmp->filePath(QStringLiteral("log"));
    deb->setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)); });
    QCOMPARE(deb->WriteLog(name, note, &folder).number, 0L);
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("14:05:09: <creato per class id>\r\n"));

    QCOMPARE(runRegsvr(builtLodder(), true), 0);
    const errors::ErrObject err = creationError(kClassId, kInterfaceId);
    QCOMPARE(err.number, 429L);
    QCOMPARE(err.description,
             QStringLiteral("Impossibile creare l'oggetto {1A8C9097-A6FE-11D3-9FC9-00C0269D04B0}: classe non registrata."));
}

void ActivationTest::unusableRegistrations()
{
    // The registered file is gone.
    QFile registry(m_registry);
    QVERIFY(registry.open(QIODevice::WriteOnly));
    const QString gone = m_tmp->filePath(QStringLiteral("sparito/libLodder.so"));
    registry.write(QStringLiteral("%1=%2\n").arg(kClassId, gone).toLocal8Bit());
    registry.close();
    errors::ErrObject err = creationError(kClassId, kInterfaceId);
    QCOMPARE(err.number, 429L);
    QVERIFY2(err.description.startsWith(QStringLiteral("Impossibile creare l'oggetto %1: impossibile caricare %2 (")
                                            .arg(kClassId, gone)),
             qPrintable(err.description));

    // Registered, but asked for an interface it does not have.
    QCOMPARE(runRegsvr(builtLodder()), 0);
    err = creationError(kClassId, kClassId);
    QCOMPARE(err.number, 429L);
    QCOMPARE(err.description, QStringLiteral("Impossibile creare l'oggetto %1: %2 non fornisce la classe (0x80004002).")
                                  .arg(kClassId, builtLodder()));
}

void ActivationTest::logObjectKeptForTheRun()
{
    QCOMPARE(runRegsvr(builtLodder()), 0);
    lodder::IDeb *first = &errors::g_oDeb();
    // Unregistering now changes nothing for this run: the object is kept.
    QCOMPARE(runRegsvr(builtLodder(), true), 0);
    QCOMPARE(&errors::g_oDeb(), first);
    errors::releaseLogObject();
    QVERIFY_THROWS_EXCEPTION(errors::AppError, errors::g_oDeb());
}

void ActivationTest::programDoesNotLinkTheLibrary()
{
    const QString program = qEnvironmentVariable("TARVO_PROGRAM_DIR") + QStringLiteral("/quirnel");
    if (!QFileInfo::exists(program))
        QSKIP("quirnel has not been built");
    QProcess objdump;
    objdump.start(QStringLiteral("objdump"), {QStringLiteral("-p"), program});
    QVERIFY(objdump.waitForFinished(60000));
    QCOMPARE(objdump.exitCode(), 0);
    QStringList needed;
    for (const QByteArray &line : objdump.readAllStandardOutput().split('\n'))
        if (line.trimmed().startsWith("NEEDED"))
            needed << QString::fromLatin1(line.trimmed().mid(6).trimmed());
    QVERIFY(needed.contains(QStringLiteral("libc.so.6")));
    for (const QString &library : needed)
        QVERIFY2(!library.contains(QStringLiteral("Lodder"), Qt::CaseInsensitive), qPrintable(library));
}

QTEST_MAIN(ActivationTest)
#include "tst_activation.moc"
