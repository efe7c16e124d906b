#include "invoicing/EsportaFattureElettroniche.h"

#include "base/Globals.h"
#include "rules/EInvoiceExport.h"
#include "rules/ShopDatabase.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString &lastFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

QString pickFolder(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Cartella delle fatture elettroniche"));
    // A folder gone since the last export would be read as a file to pick.
    dialog.setDirectory(QDir(lastFolder()).exists() ? lastFolder() : QDir::homePath());
    dialog.setObjectName(QStringLiteral("dlgCartellaFatture"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ui::messageService().execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastFolder() = dialog.selectedFiles().constFirst();
    return lastFolder();
}

} // namespace

void EsportaFattureElettroniche(QWidget *parent, const QStringList &numeri)
{
    if (numeri.isEmpty())
        return;
    const QString folder = pickFolder(parent);
    if (folder.isEmpty())
        return;
    const EInvoiceExport::Result result = EInvoiceExport(*ShopDatabase::open()).run(numeri, folder);
    const QString where = QDir::toNativeSeparators(folder);
    const int written = int(result.files.size());
    QString text = written == 1
        ? QStringLiteral("Esportata 1 fattura elettronica nella cartella %1.").arg(where)
        : QStringLiteral("Esportate %1 fatture elettroniche nella cartella %2.").arg(written).arg(where);
    if (result.allExported()) {
        ui::MsgBox(text, ui::vbInformation, g_strAppName);
        return;
    }
    text += QStringLiteral("\nNon esportate: %1 su %2.\n\n").arg(result.skipped).arg(numeri.size())
        + result.problems.join(QLatin1Char('\n'));
    ui::MsgBox(text, ui::vbExclamation, g_strAppName);
}
