#include "register/frmNotaFornitori.h"

frmNotaFornitori::frmNotaFornitori(QWidget *parent)
    : JournalWindow({.name = QStringLiteral("frmNotaFornitori"),
                     .caption = QStringLiteral("Nota Fornitori"),
                     .table = QStringLiteral("[Nota Fornitori]"),
                     .formulaTable = QStringLiteral("Nota Fornitori"),
                     .gridMarginTwips = 475},
                    parent)
{
}
