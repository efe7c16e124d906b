#include "base/UnsavedWork.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "ui/Messages.h"

const QString UnsavedWork::kQuestion = QStringLiteral("Salvare le modifiche?");

UnsavedWork::~UnsavedWork() = default;

bool UnsavedWork::mayLeave()
{
    if (!holdsWork())
        return true;
    ResetPointer();
    switch (ui::MsgBox(kQuestion, ui::vbYesNoCancel | ui::vbQuestion | ui::vbDefaultButton3, g_strAppName)) {
    case ui::vbYes:
        return saveWork() && !holdsWork();
    case ui::vbNo:
        discardWork();
        return true;
    default:
        return false;
    }
}
