#pragma once

#include <QImage>
#include <QString>

namespace skin {

// Loads one skin picture. The format is told by the file's content, not its
// name. Pure magenta (255, 0, 255) becomes transparent, which is how the
// bitmaps mark their rounded corners. Throws SkinError when the file is
// missing or is not a picture.
QImage loadSkinImage(const QString &fileName);

} // namespace skin
