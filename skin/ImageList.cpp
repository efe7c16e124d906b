#include "skin/ImageList.h"

namespace skin {

void ImageList::add(const QString &key, const QPixmap &picture)
{
    m_images.append({key, picture});
}

QSize ImageList::imageSize() const
{
    return m_images.isEmpty() ? QSize() : m_images.first().picture.size();
}

QPixmap ImageList::picture(int index) const
{
    return index >= 1 && index <= count() ? m_images.at(index - 1).picture : QPixmap();
}

QString ImageList::key(int index) const
{
    return index >= 1 && index <= count() ? m_images.at(index - 1).key : QString();
}

} // namespace skin
