#pragma once

#include "legacy/LegacyReader.h"

#include <QHash>
#include <memory>

namespace legacy {

// An old shop file read through libmdb (mdbtools). Opening checks that the
// file is a whole Jet 4 database: a foreign file, an Access 97 or 2007 file,
// a truncated or damaged one is refused with a reason (LegacyFileError).
//
// Values are taken from each row as the file stores them, not through
// libmdb's bound text columns: those show Null and the empty text alike, cut
// memos at the bind size, print yes/no as 1/0 and dates with two-digit years.
class MdbLegacyReader : public LegacyReader {
public:
    static std::unique_ptr<MdbLegacyReader> open(const QString &path);
    ~MdbLegacyReader() override;

    QStringList tables() const override;
    std::vector<LegacyColumn> columns(const QString &table) const override;
    qint64 rowCount(const QString &table) const override;
    void readRows(const QString &table,
                  const std::function<void(const std::vector<LegacyValue> &)> &row) override;

    struct File;
private:
    explicit MdbLegacyReader(std::unique_ptr<File> file);
    std::unique_ptr<File> m_file;
};

} // namespace legacy
