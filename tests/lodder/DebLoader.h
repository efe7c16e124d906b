#pragma once

#include "lodder/IDeb.h"

#include <QList>
#include <QString>

#include <memory>

// Loads a copy of the built libLodder.so from a folder of the test, so that
// the library's own folder (where its default logs go) is inside the test's
// temporary folder, and creates Deb objects from it through its entry point.
class DebLoader {
public:
    struct Shown {
        QString title;
        QString text;
        int icon = 0;
    };

    // The library the build produced.
    static QString builtLibrary();

    // Copies the library into `folder` and loads the copy; false (with
    // `error`) when that fails.
    bool load(const QString &folder, QString *error);
    QString libraryPath() const { return m_path; }
    void *handle() const { return m_handle; }

    // A new Deb of the loaded copy, with the clock and a presenter that
    // records every message instead of showing it.
    std::unique_ptr<lodder::IDeb> create(const QDateTime &now);
    const QList<Shown> &shown() const { return m_shown; }

    template <class Fn>
    Fn entryPoint(const char *name) const;

private:
    void *symbol(const char *name) const;
    QString m_path;
    void *m_handle = nullptr;
    QList<Shown> m_shown;
};

template <class Fn>
Fn DebLoader::entryPoint(const char *name) const
{
    return reinterpret_cast<Fn>(symbol(name));
}
