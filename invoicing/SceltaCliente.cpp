#include "invoicing/SceltaCliente.h"

#include "base/GeneralFunc6.h"
#include "base/modZandri.h"
#include "lookup/frmHelp.h"

QString SceltaCliente::scegli(QWidget *parent)
{
    frmHelp picker(parent);
    picker.QryTable = QStringLiteral("Anagrafica");
    picker.QryBoundColumn = QStringLiteral("anag_Contatore");
    picker.QryListField = QStringLiteral("anag_Denominazione");
    picker.QryOrder = QStringLiteral("anag_Denominazione");
    picker.ButtonNew = false;
    picker.showModal();
    return QString::number(ValLong(NullToEmpty(picker.QrySelected).toString()));
}
