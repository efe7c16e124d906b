#pragma once

#include <QIODevice>
#include <QString>

namespace report {

// A file written under a name of its own beside the target and put in its
// place only by commit(), after its data reached the disk: a failed or
// cancelled print leaves the previous file (or none), never half a document.
// What QSaveFile does, in the few system calls a print needs.
class AsideFile : public QIODevice {
public:
    explicit AsideFile(QString target);
    ~AsideFile() override;   // not committed: the written part is removed

    bool open();             // false when the folder refuses a new file
    bool commit();           // synced and renamed over the target
    void cancel();
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    QString m_target;
    QByteArray m_aside;      // the file name written, encoded
    int m_fd = -1;
    bool m_failed = false;
};

} // namespace report
