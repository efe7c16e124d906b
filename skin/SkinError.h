#pragma once

#include <QString>
#include <stdexcept>

namespace skin {

// A skin picture that could not be loaded. Carries the error number and the
// Italian description the standard error message shows: 53 when the file is
// missing, 481 when it is not a picture.
class SkinError : public std::runtime_error {
public:
    static constexpr long kFileNotFound = 53;
    static constexpr long kInvalidPicture = 481;

    SkinError(long number, const QString &description, const QString &fileName);

    long number() const { return m_number; }
    QString description() const { return m_description; }
    QString fileName() const { return m_fileName; }

    static SkinError fileNotFound(const QString &fileName);
    static SkinError invalidPicture(const QString &fileName);

private:
    long m_number;
    QString m_description;
    QString m_fileName;
};

} // namespace skin
