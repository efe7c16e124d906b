#pragma once

#include <QMap>
#include <QString>

namespace lodder {

// The component registry: a text file mapping class ids to the libraries that
// implement them, one "{class id}=library path" line each. Components write
// their own line when registered; hosts read it to create a class by id.
// The file is given by the environment variable TARVO_REGISTRY, otherwise it
// is ~/.config/tarvo/components.reg.
class ComponentRegistry {
public:
    static QString defaultLocation();

    explicit ComponentRegistry(QString file = defaultLocation());

    QString file() const { return m_file; }

    // The library registered for a class id; empty when none is. Class ids
    // compare without regard to case.
    QString libraryFor(const QString &classId) const;

    // Add or replace / remove a class id's line. Return false and set
    // `error` when the file cannot be read or written.
    bool registerClass(const QString &classId, const QString &libraryPath, QString *error = nullptr);
    bool unregisterClass(const QString &classId, QString *error = nullptr);

private:
    bool read(QMap<QString, QString> &entries, QString *error) const;
    bool write(const QMap<QString, QString> &entries, QString *error) const;

    QString m_file;
};

} // namespace lodder
