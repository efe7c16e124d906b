#include "invoicing/SceltaCliente.h"

#include "base/GeneralFunc6.h"
#include "base/modZandri.h"
#include "lookup/frmHelp.h"

#include <QLineEdit>

bool SceltaCliente::scegli(QLineEdit &campo)
{
    frmHelp picker(campo.window());
    picker.QryTable = QStringLiteral("Anagrafica");
    picker.QryBoundColumn = QStringLiteral("anag_Contatore");
    picker.QryListField = QStringLiteral("anag_Denominazione");
    picker.QryOrder = QStringLiteral("anag_Denominazione");
    picker.QryCaption = QStringLiteral("Scelta cliente");
    picker.QryField = &campo;
    picker.ButtonNew = false;
    picker.showModal();
    if (picker.QryAborted)
        return false;
    campo.setText(QString::number(ValLong(NullToEmpty(picker.QrySelected).toString())));
    return true;
}
