#include "DebLoader.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

QString DebLoader::builtLibrary()
{
    return qEnvironmentVariable("TARVO_PROGRAM_DIR") + QStringLiteral("/libLodder.so");
}

bool DebLoader::load(const QString &folder, QString *error)
{
    QDir().mkpath(folder);
    m_path = folder + QStringLiteral("/libLodder.so");
    if (!QFile::copy(builtLibrary(), m_path)) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(builtLibrary(), m_path);
        return false;
    }
    // Never closed: objects of the copy may outlive a test function.
    m_handle = dlopen(m_path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        *error = QString::fromLocal8Bit(dlerror());
        return false;
    }
    return true;
}

void *DebLoader::symbol(const char *name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

std::unique_ptr<lodder::IDeb> DebLoader::create(const QDateTime &now)
{
    auto getClassObject = entryPoint<lodder::DllGetClassObjectFn>("DllGetClassObject");
    if (!getClassObject)
        return nullptr;
    void *object = nullptr;
    if (getClassObject(lodder::kDebClassId, lodder::kDebInterfaceId, &object) != lodder::kOk)
        return nullptr;
    std::unique_ptr<lodder::IDeb> deb(static_cast<lodder::IDeb *>(object));
    deb->setClock([now] { return now; });
    deb->setMessagePresenter([this](const QString &title, const QString &text, int style) {
        m_shown.append({title, text, style});
        return int(lodder::DebAnswerOk);
    });
    // No test ever starts a real program.
    deb->setProgramLauncher([](const QString &, const QStringList &) { return false; });
    return deb;
}
