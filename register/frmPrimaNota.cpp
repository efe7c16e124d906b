#include "register/frmPrimaNota.h"

frmPrimaNota::frmPrimaNota(QWidget *parent)
    : JournalWindow({.name = QStringLiteral("frmPrimaNota"),
                     .list = JournalList(JournalList::Kind::PrimaNota),
                     .formulaTable = QStringLiteral("prima nota"),
                     .gridMarginTwips = 500},
                    parent)
{
}
