#pragma once

#include <QString>

namespace skin {

// The skin folder a new skinned control starts with. The program sets it at
// start-up to its program folder + "/shpix"; until then it is "shpix" next to
// the running executable.
QString defaultSkinPath();
void setDefaultSkinPath(const QString &folder);

// Joins the skin folder and a picture's name ("img_Buttons.bmp").
QString skinFile(const QString &skinPath, const QString &fileName);

} // namespace skin
