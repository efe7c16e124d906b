#pragma once

// The program pointed at a copy of a large shop in a temporary folder, as
// the window benchmarks work: the original is never written.
#include "base/Globals.h"
#include "skin/SkinPath.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace bench {

class ShopCopy {
public:
    ShopCopy(const char *original, const char *benchName)
    {
        m_path = m_folder.filePath(QStringLiteral("tarvo.mdb"));
        if (!m_folder.isValid() || !QFile::copy(QString::fromLocal8Bit(original), m_path)) {
            std::fprintf(stderr, "%s: cannot copy %s\n", benchName, original);
            return;
        }
        setProgramFolder(m_folder.path());
        g_strAppName = QStringLiteral("Qorda");
        g_strDbPath = m_path;
        skin::setDefaultSkinPath(QStringLiteral(TARVO_PROGRAM_DIR "/shpix"));
        m_ok = true;
    }
    bool ok() const { return m_ok; }
    QString path() const { return m_path; }
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QString m_path;
    bool m_ok = false;
};

} // namespace bench
