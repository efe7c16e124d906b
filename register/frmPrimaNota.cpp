#include "register/frmPrimaNota.h"

frmPrimaNota::frmPrimaNota(QWidget *parent)
    : JournalWindow({.name = QStringLiteral("frmPrimaNota"),
                     .caption = QStringLiteral("Prima Nota"),
                     .table = QStringLiteral("[Prima Nota]"),
                     .formulaTable = QStringLiteral("prima nota"),
                     .gridMarginTwips = 500},
                    parent)
{
}
