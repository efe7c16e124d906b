#include "register/frmNotaFornitori.h"

frmNotaFornitori::frmNotaFornitori(QWidget *parent)
    : JournalWindow({.name = QStringLiteral("frmNotaFornitori"),
                     .list = JournalList(JournalList::Kind::NotaFornitori),
                     .formulaTable = QStringLiteral("Nota Fornitori"),
                     .gridMarginTwips = 475},
                    parent)
{
}
