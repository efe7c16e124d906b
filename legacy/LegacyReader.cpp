#include "legacy/LegacyReader.h"

namespace legacy {

LegacyFileError::LegacyFileError(QString reason) : m_reason(std::move(reason)), m_what(m_reason.toUtf8()) {}

QString typeName(LegacyType type)
{
    switch (type) {
    case LegacyType::YesNo: return QStringLiteral("Sì/No");
    case LegacyType::Byte: return QStringLiteral("Byte");
    case LegacyType::Integer: return QStringLiteral("Intero");
    case LegacyType::Long: return QStringLiteral("Intero lungo");
    case LegacyType::Currency: return QStringLiteral("Valuta");
    case LegacyType::Single: return QStringLiteral("Precisione singola");
    case LegacyType::Double: return QStringLiteral("Precisione doppia");
    case LegacyType::DateTime: return QStringLiteral("Data/ora");
    case LegacyType::Text: return QStringLiteral("Testo");
    case LegacyType::Memo: return QStringLiteral("Memo");
    case LegacyType::Other: break;
    }
    return QStringLiteral("sconosciuto");
}

} // namespace legacy
