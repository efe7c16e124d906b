#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace skin {

// The saved design-time values of a control, by key. A key that is missing
// reads as the default the caller gives.
class PropertyBag {
public:
    QVariant readProperty(const QString &key, const QVariant &defaultValue) const;
    void writeProperty(const QString &key, const QVariant &value);
    bool contains(const QString &key) const { return m_values.contains(key); }
    QVariantMap values() const { return m_values; }

private:
    QVariantMap m_values;
};

} // namespace skin
