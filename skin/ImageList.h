#pragma once

#include <QList>
#include <QPixmap>
#include <QString>

namespace skin {

// An ordered set of pictures of one size, each with a key; counted from 1.
class ImageList {
public:
    void add(const QString &key, const QPixmap &picture);
    void clear() { m_images.clear(); }
    int count() const { return int(m_images.size()); }
    // The size the list reports: that of its first picture.
    QSize imageSize() const;
    QPixmap picture(int index) const;
    QString key(int index) const;

private:
    struct Entry {
        QString key;
        QPixmap picture;
    };
    QList<Entry> m_images;
};

} // namespace skin
