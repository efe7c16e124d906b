#include "skin/SkinError.h"

namespace skin {

SkinError::SkinError(long number, const QString &description, const QString &fileName)
    : std::runtime_error(description.toStdString()),
      m_number(number), m_description(description), m_fileName(fileName)
{
}

SkinError SkinError::fileNotFound(const QString &fileName)
{
    return SkinError(kFileNotFound, QStringLiteral("File non trovato: ") + fileName, fileName);
}

SkinError SkinError::invalidPicture(const QString &fileName)
{
    return SkinError(kInvalidPicture, QStringLiteral("Immagine non valida: ") + fileName, fileName);
}

} // namespace skin
