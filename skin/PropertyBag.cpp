#include "skin/PropertyBag.h"

namespace skin {

QVariant PropertyBag::readProperty(const QString &key, const QVariant &defaultValue) const
{
    const auto it = m_values.constFind(key);
    return it == m_values.constEnd() ? defaultValue : it.value();
}

void PropertyBag::writeProperty(const QString &key, const QVariant &value)
{
    m_values.insert(key, value);
}

} // namespace skin
