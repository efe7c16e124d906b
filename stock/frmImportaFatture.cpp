#include "stock/frmImportaFatture.h"

#include "base/Globals.h"
#include "base/ImportButtons.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/purchase/SupplierInvoiceArticle.h"
#include "rules/purchase/SupplierInvoiceFiles.h"
#include "rules/purchase/SupplierInvoiceMatcher.h"
#include "rules/purchase/SupplierInvoicePosting.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/BusyPointer.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget *newList(QWidget *parent, const QString &name, const QStringList &headings)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setHeaderLabels(headings);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

frmImportaFatture::frmImportaFatture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmImportaFatture"));
    setWindowTitle(QStringLiteral("Importa fatture fornitori"));
    setAttribute(Qt::WA_DeleteOnClose);
    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(windowTitle());

    txtFile = new QLineEdit(this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setReadOnly(true);
    const ImportButtons buttons(this, [this] { cmdSfoglia_Click(); }, [this] { cmdImporta_Click(); });
    cmdSfoglia = buttons.cmdSfoglia;
    cmdImporta = buttons.cmdImporta;
    cmdChiudi = buttons.cmdChiudi;
    cmdCartella = new ctrl_SkinableButton(QStringLiteral("Cartella..."), this);
    cmdCartella->setObjectName(QStringLiteral("cmdCartella"));
    cmdAbbina = new ctrl_SkinableButton(QStringLiteral("Abbina"), this);
    cmdAbbina->setObjectName(QStringLiteral("cmdAbbina"));
    cmdCreaArticolo = new ctrl_SkinableButton(QStringLiteral("Crea articolo"), this);
    cmdCreaArticolo->setObjectName(QStringLiteral("cmdCreaArticolo"));
    for (ctrl_SkinableButton *button : {cmdCartella, cmdAbbina, cmdCreaArticolo})
        button->setFixedSize(112, 30);
    connect(cmdCartella, &ctrl_SkinableButton::Click, this, [this] { cmdCartella_Click(); });
    connect(cmdAbbina, &ctrl_SkinableButton::Click, this, [this] { cmdAbbina_Click(); });
    connect(cmdCreaArticolo, &ctrl_SkinableButton::Click, this, [this] { cmdCreaArticolo_Click(); });

    lvwFatture = newList(this, QStringLiteral("lvwFatture"),
                         {QStringLiteral("Fornitore"), QStringLiteral("Numero"), QStringLiteral("Data"),
                          QStringLiteral("Totale"), QStringLiteral("Stato")});
    lvwRighe = newList(this, QStringLiteral("lvwRighe"),
                       {QStringLiteral("Riga"), QStringLiteral("Descrizione"), QStringLiteral("Codici"),
                        QStringLiteral("Quantità"), QStringLiteral("Prezzo netto"), QStringLiteral("Articolo"),
                        QStringLiteral("Abbinamento")});
    for (const auto &[column, width] : {std::pair{0, 280}, {1, 130}, {2, 90}, {3, 90}})
        lvwFatture->setColumnWidth(column, width);
    for (const auto &[column, width] : {std::pair{0, 45}, {1, 210}, {2, 150}, {3, 70}, {4, 85}, {5, 230}})
        lvwRighe->setColumnWidth(column, width);
    connect(lvwFatture, &QTreeWidget::currentItemChanged, this, [this] { showLines(); });
    lblFirma = new QLabel(this);
    lblFirma->setObjectName(QStringLiteral("lblFirma"));
    txtCodice = new QLineEdit(this);
    txtCodice->setObjectName(QStringLiteral("txtCodice"));
    txtCodice->setPlaceholderText(QStringLiteral("codice a barre dell'articolo"));
    connect(txtCodice, &QLineEdit::returnPressed, this, [this] { cmdAbbina_Click(); });
    optDataFattura = new QRadioButton(QStringLiteral("Carico alla data della fattura"), this);
    optDataFattura->setObjectName(QStringLiteral("optDataFattura"));
    optDataFattura->setChecked(true);
    optDataOggi = new QRadioButton(QStringLiteral("Carico con la data di oggi"), this);
    optDataOggi->setObjectName(QStringLiteral("optDataOggi"));
    txtEsito = new QPlainTextEdit(this);
    txtEsito->setObjectName(QStringLiteral("txtEsito"));
    txtEsito->setReadOnly(true);
    txtEsito->setMaximumHeight(110);

    QHBoxLayout *files = buttons.fileRow(QStringLiteral("Fatture (XML o P7M)"), txtFile);
    files->addWidget(cmdCartella);
    auto *match = new QHBoxLayout;
    match->addWidget(new QLabel(QStringLiteral("Articolo per la riga scelta"), this));
    match->addWidget(txtCodice, 1);
    match->addWidget(cmdAbbina);
    match->addWidget(cmdCreaArticolo);
    auto *dates = new QHBoxLayout;
    dates->addWidget(optDataFattura);
    dates->addWidget(optDataOggi);
    dates->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(files);
    layout->addWidget(lvwFatture, 2);
    layout->addWidget(lblFirma);
    layout->addWidget(lvwRighe, 3);
    layout->addLayout(match);
    layout->addLayout(dates);
    layout->addWidget(txtEsito);
    layout->addLayout(buttons.bottomRow());
    // Top to bottom, as the window reads: the files, the invoices, their
    // lines, the item for the line chosen, the date of the loads, Importa.
    QWidget *const order[] = {txtFile, cmdSfoglia, cmdCartella, lvwFatture, lvwRighe, txtCodice, cmdAbbina,
                              cmdCreaArticolo, optDataFattura, optDataOggi, cmdImporta, cmdChiudi, txtEsito};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmImportaFatture.Form_Load"),
        .load = [this] { Form_Load(); },
    });
    resize(980, 680);
}

frmImportaFatture::~frmImportaFatture() = default;

void frmImportaFatture::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdSfoglia, cmdCartella, cmdAbbina, cmdCreaArticolo, cmdImporta, cmdChiudi});
}

void frmImportaFatture::cmdSfoglia_Click()
{
    const QStringList chosen = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Fatture da importare"), QDir::homePath(),
        QStringLiteral("Fatture elettroniche (*.xml *.p7m *.XML *.P7M);;Tutti i file (*)"));
    if (!chosen.isEmpty())
        loadFiles(chosen);
}

void frmImportaFatture::cmdCartella_Click()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Cartella delle fatture"),
                                                             QDir::homePath());
    if (!chosen.isEmpty())
        loadFiles({chosen});
}

void frmImportaFatture::loadFiles(const QStringList &filesOrFolders)
{
    QStringList shown;
    for (const QString &name : filesOrFolders)
        shown << QDir::toNativeSeparators(name);
    txtFile->setText(shown.join(QStringLiteral("; ")));
    m_invoices.clear();
    m_unreadable.clear();
    m_posted.clear();
    txtEsito->clear();
    errors::ErrorTrap trap(QStringLiteral("frmImportaFatture.loadFiles"));
    ui::setBusyPointer();
    trap.run([&] {
        m_matcher = std::make_unique<SupplierInvoiceMatcher>(ShopDatabase::open());
        for (const SupplierInvoiceFile &file : SupplierInvoiceFiles::read(filesOrFolders)) {
            if (!file.error.isEmpty())
                m_unreadable << file.error;
            else
                m_invoices << m_matcher->prepare(file);
        }
    });
    ui::resetPointer();
    for (qsizetype i = 0; i < m_invoices.size(); ++i)
        m_posted << false;
    showInvoices();
    if (m_invoices.isEmpty() && m_unreadable.isEmpty())
        txtEsito->setPlainText(QStringLiteral("Nessuna fattura trovata."));
    else if (!m_unreadable.isEmpty())
        txtEsito->setPlainText(m_unreadable.join(QLatin1Char('\n')));
    lvwFatture->setFocus();
}

QString frmImportaFatture::invoiceState(const PreparedInvoice &invoice)
{
    if (invoice.alreadyImported)
        return QStringLiteral("Già importata");
    const int unmatched = invoice.unmatchedGoods();
    if (unmatched == 1)
        return QStringLiteral("1 riga senza articolo");
    if (unmatched > 1)
        return QStringLiteral("%1 righe senza articolo").arg(unmatched);
    return invoice.supplierId ? QStringLiteral("Da importare") : QStringLiteral("Da importare (nuovo fornitore)");
}

QString frmImportaFatture::lineState(LineMatch match)
{
    switch (match) {
    case LineMatch::NotGoods:
        return QStringLiteral("Non è merce: non caricata");
    case LineMatch::ByBarcode:
        return QStringLiteral("Codice a barre");
    case LineMatch::BySupplierCode:
        return QStringLiteral("Codice del fornitore");
    case LineMatch::ByUser:
        return QStringLiteral("Scelto ora");
    case LineMatch::Unmatched:
        break;
    }
    return QStringLiteral("Da scegliere");
}

void frmImportaFatture::showInvoices()
{
    lvwFatture->clear();
    for (qsizetype i = 0; i < m_invoices.size(); ++i) {
        const PreparedInvoice &invoice = m_invoices.at(i);
        auto *item = new QTreeWidgetItem(lvwFatture);
        item->setText(0, invoice.supplierName);
        item->setText(1, invoice.invoice.number);
        item->setText(2, invoice.invoice.date.toString(QStringLiteral("dd/MM/yyyy")));
        item->setText(3, MoneyText::format(invoice.invoice.documentTotal()));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(4, m_posted.value(i) ? QStringLiteral("Importata") : invoiceState(invoice));
    }
    if (lvwFatture->topLevelItemCount() > 0)
        lvwFatture->setCurrentItem(lvwFatture->topLevelItem(0));
    else
        showLines();
}

PreparedInvoice *frmImportaFatture::currentInvoice()
{
    const int row = lvwFatture->indexOfTopLevelItem(lvwFatture->currentItem());
    return row >= 0 && row < m_invoices.size() ? &m_invoices[row] : nullptr;
}

PreparedLine *frmImportaFatture::currentLine()
{
    PreparedInvoice *invoice = currentInvoice();
    const int row = lvwRighe->indexOfTopLevelItem(lvwRighe->currentItem());
    return invoice && row >= 0 && row < invoice->lines.size() ? &invoice->lines[row] : nullptr;
}

void frmImportaFatture::showLines()
{
    lvwRighe->clear();
    lblFirma->clear();
    const PreparedInvoice *invoice = currentInvoice();
    if (!invoice)
        return;
    lblFirma->setText(invoice->signer.isEmpty() ? QStringLiteral("File %1, non firmato").arg(invoice->fileName)
                                                : QStringLiteral("File %1, firmato da %2")
                                                      .arg(invoice->fileName, invoice->signer));
    QTreeWidgetItem *firstToChoose = nullptr;
    for (const PreparedLine &line : invoice->lines) {
        auto *item = new QTreeWidgetItem(lvwRighe);
        item->setText(0, QString::number(line.line.number));
        item->setText(1, line.line.description);
        item->setText(2, line.line.codesText());
        if (line.line.hasQuantity)
            item->setText(3, line.line.quantityText());
        item->setText(4, MoneyText::format(line.match == LineMatch::NotGoods ? line.line.totalPrice
                                                                             : line.line.netUnitPrice()));
        for (int c : {0, 3, 4})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (!line.barcode.isEmpty())
            item->setText(5, line.barcode + QStringLiteral("  ") + line.itemText);
        item->setText(6, lineState(line.match));
        if (!firstToChoose && line.match == LineMatch::Unmatched)
            firstToChoose = item;
    }
    lvwRighe->setCurrentItem(firstToChoose ? firstToChoose : lvwRighe->topLevelItem(0));
}

void frmImportaFatture::lineMatched()
{
    const int invoiceRow = lvwFatture->indexOfTopLevelItem(lvwFatture->currentItem());
    const PreparedInvoice &invoice = m_invoices.at(invoiceRow);
    const int lineRow = lvwRighe->indexOfTopLevelItem(lvwRighe->currentItem());
    // The same goods of the same supplier in the other invoices shown take
    // the same item at once.
    if (lineRow >= 0) {
        const PreparedLine &matched = invoice.lines.at(lineRow);
        const QString vat = invoice.invoice.supplier.registerVatNumber();
        const auto codes = SupplierInvoiceMatcher::rememberedCodes(matched.line);
        for (qsizetype i = 0; i < m_invoices.size(); ++i) {
            PreparedInvoice &other = m_invoices[i];
            if (other.alreadyImported || other.invoice.supplier.registerVatNumber() != vat)
                continue;
            for (PreparedLine &line : other.lines)
                if (line.match == LineMatch::Unmatched && SupplierInvoiceMatcher::rememberedCodes(line.line) == codes) {
                    m_matcher->chooseItem(line, matched.barcode);
                    lvwFatture->topLevelItem(int(i))->setText(4, invoiceState(other));
                }
        }
    }
    lvwFatture->currentItem()->setText(4, invoiceState(invoice));
    showLines();
    txtCodice->clear();
    txtCodice->setFocus();
}

void frmImportaFatture::cmdAbbina_Click()
{
    PreparedLine *line = currentLine();
    const PreparedInvoice *invoice = currentInvoice();
    if (!line || invoice->alreadyImported || line->match == LineMatch::NotGoods) {
        ui::MsgBox(QStringLiteral("Scegliere una riga di merce di una fattura da importare."), ui::vbExclamation,
                   g_strAppName);
        return;
    }
    const QString code = txtCodice->text().trimmed();
    if (code.isEmpty()) {
        ui::MsgBox(QStringLiteral("Scrivere o leggere con il lettore il codice a barre dell'articolo."),
                   ui::vbExclamation, g_strAppName);
        txtCodice->setFocus();
        return;
    }
    bool matched = false;
    errors::ErrorTrap trap(QStringLiteral("frmImportaFatture.cmdAbbina_Click"));
    trap.run([&] { matched = m_matcher->chooseItem(*line, code); });
    if (!matched) {
        ui::MsgBox(QStringLiteral("Nessun articolo ha il codice a barre %1.").arg(code), ui::vbExclamation,
                   g_strAppName);
        txtCodice->selectAll();
        txtCodice->setFocus();
        return;
    }
    lineMatched();
}

void frmImportaFatture::cmdCreaArticolo_Click()
{
    PreparedLine *line = currentLine();
    const PreparedInvoice *invoice = currentInvoice();
    if (!line || invoice->alreadyImported || line->match != LineMatch::Unmatched) {
        ui::MsgBox(QStringLiteral("Scegliere una riga di merce ancora senza articolo."), ui::vbExclamation,
                   g_strAppName);
        return;
    }
    const QString question = QStringLiteral("Creare l'articolo \"%1\" del fornitore %2, prezzo di carico € %3?")
                                 .arg(line->line.description, invoice->supplierName,
                                      MoneyText::format(line->line.netUnitPrice()));
    if (ui::MsgBox(question, ui::vbYesNo | ui::vbQuestion, g_strAppName) != ui::vbYes)
        return;
    errors::ErrorTrap trap(QStringLiteral("frmImportaFatture.cmdCreaArticolo_Click"));
    QString code;
    trap.run([&] {
        code = SupplierInvoiceArticle::create(*ShopDatabase::open(), line->line, invoice->supplierName);
        m_matcher->chooseItem(*line, code);
    });
    if (!code.isEmpty())
        lineMatched();
}

void frmImportaFatture::cmdImporta_Click()
{
    int ready = 0;
    for (qsizetype i = 0; i < m_invoices.size(); ++i)
        if (!m_posted.at(i) && !m_invoices.at(i).alreadyImported && m_invoices.at(i).unmatchedGoods() == 0)
            ++ready;
    if (ready == 0) {
        ui::MsgBox(QStringLiteral("Nessuna fattura da importare: scegliere i file, poi l'articolo di ogni riga che "
                                  "non l'ha."), ui::vbExclamation, g_strAppName);
        return;
    }
    const QString question = ready == 1 ? QStringLiteral("Importare 1 fattura?")
                                        : QStringLiteral("Importare %1 fatture?").arg(ready);
    if (ui::MsgBox(question, ui::vbYesNo | ui::vbQuestion, g_strAppName) != ui::vbYes)
        return;
    const QDate today = ::today();
    QStringList report;
    int imported = 0;
    ui::setBusyPointer();
    for (qsizetype i = 0; i < m_invoices.size(); ++i) {
        PreparedInvoice &invoice = m_invoices[i];
        if (m_posted.at(i) || invoice.alreadyImported)
            continue;
        const SupplierInvoicePosting::Outcome outcome =
            SupplierInvoicePosting::post(invoice, optDataOggi->isChecked() ? today : invoice.invoice.date, today);
        if (outcome.posted) {
            m_posted[i] = true;
            invoice.alreadyImported = true;
            ++imported;
            report << QStringLiteral("Fattura %1: importata, %2 righe caricate.")
                          .arg(SupplierInvoicePosting::name(invoice)).arg(outcome.loads);
        } else {
            report << outcome.error;
        }
    }
    ui::resetPointer();
    const int row = lvwFatture->indexOfTopLevelItem(lvwFatture->currentItem());
    showInvoices();
    if (row >= 0)
        lvwFatture->setCurrentItem(lvwFatture->topLevelItem(row));
    report.prepend(QStringLiteral("Importate %1 fatture su %2.").arg(imported).arg(m_invoices.size()));
    txtEsito->setPlainText(report.join(QLatin1Char('\n')) + (m_unreadable.isEmpty() ? QString()
                                                                                     : QLatin1Char('\n') + m_unreadable.join(QLatin1Char('\n'))));
}
