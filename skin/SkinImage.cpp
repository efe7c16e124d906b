#include "skin/SkinImage.h"

#include "skin/SkinError.h"

#include <QFileInfo>
#include <QImageReader>

namespace skin {

QImage loadSkinImage(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        throw SkinError::fileNotFound(fileName);
    QImageReader reader(fileName);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        throw SkinError::invalidPicture(fileName);

    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                line[x] = 0;
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace skin
