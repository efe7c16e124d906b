#include "skin/CardToolbarImages.h"

#include "skin/SkinImage.h"
#include "skin/SkinPath.h"

namespace skin {

namespace {
const char *const kPictureNames[] = {
    "nuovo", "cerca", "salva", "elimina", "stampa",
    "primo", "precedente", "successivo", "ultimo", "anagrafica",
};
} // namespace

QStringList toolbarToolTips(ToolbarCard card)
{
    switch (card) {
    case ToolbarCard::Articolo:
        return {QStringLiteral("Nuovo Articolo"), QStringLiteral("Cerca Articolo"), QStringLiteral("Salva"),
                QStringLiteral("Elimina"), QStringLiteral("Stampa"), QStringLiteral("Primo"),
                QStringLiteral("Precedente"), QStringLiteral("Successivo"), QStringLiteral("Ultimo")};
    case ToolbarCard::Fattura:
        return {QStringLiteral("Nuova Fattura"), QStringLiteral("Cerca Fattura"), QStringLiteral("Salva Fattura"),
                QStringLiteral("Elimina Fattura"), QStringLiteral("Stampa Fattura"), QStringLiteral("Prima"),
                QStringLiteral("Precedente"), QStringLiteral("Successiva"), QStringLiteral("Ultima")};
    case ToolbarCard::Anagrafica:
        break;
    }
    return {QStringLiteral("Nuova Anagrafica"), QStringLiteral("Cerca Anagrafica"), QStringLiteral("Salva Anagrafica"),
            QStringLiteral("Elimina Anagrafica"), QStringLiteral("Stampa Anagrafica"), QStringLiteral("Prima"),
            QStringLiteral("Precedente"), QStringLiteral("Successiva"), QStringLiteral("Ultima"),
            QStringLiteral("Scheda Anagrafica")};
}

QString toolbarPictureName(int index, const QString &look)
{
    if (index < 1 || index > int(std::size(kPictureNames)))
        return {};
    return QStringLiteral("tb_%1_%2.png").arg(QLatin1String(kPictureNames[index - 1]), look);
}

ToolbarImageLists loadToolbarImages(ToolbarCard card, const QString &skinPath)
{
    const QStringList tips = toolbarToolTips(card);
    ToolbarImageLists lists;
    for (int i = 1; i <= tips.size(); ++i) {
        const QString &key = tips.at(i - 1);
        lists.norm.add(key, QPixmap::fromImage(loadSkinImage(skinFile(skinPath, toolbarPictureName(i, QStringLiteral("norm"))))));
        lists.hover.add(key, QPixmap::fromImage(loadSkinImage(skinFile(skinPath, toolbarPictureName(i, QStringLiteral("hover"))))));
        lists.down.add(key, QPixmap::fromImage(loadSkinImage(skinFile(skinPath, toolbarPictureName(i, QStringLiteral("down"))))));
    }
    return lists;
}

} // namespace skin
