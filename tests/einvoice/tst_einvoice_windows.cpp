// The electronic invoices as the user reaches them: "Dati azienda" (the
// shop's identity, the VAT natures, the letterhead of the prints), the
// export of the listed invoices from the search, of the current one from the
// editor, and the customer card's new fields.
#include "CardFixture.h"
#include "EInvoiceShopFixture.h"

#include "invoicing/StampaFattura.h"
#include "invoicing/frmCercaFattura.h"
#include "invoicing/frmFattura.h"
#include "register/frmAnagrafica.h"
#include "register/frmDatiAzienda.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

class TestEInvoiceWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void shopDataSavedAndPrintedInTheLetterhead();
    void wrongShopDataChangesNothing();
    void searchExportsTheListedInvoices();
    void editorExportsTheCurrentInvoiceOnceSaved();
    void customerCardShowsTheNewFields();

private:
    void pickFolder(const QString &folder);
    QStringList printedInvoice(const QString &numero);

    std::unique_ptr<CardFixture> m_f;
    std::unique_ptr<EInvoiceShopData> m_data;
    std::unique_ptr<QTemporaryDir> m_out;
};

void TestEInvoiceWindows::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestEInvoiceWindows::init()
{
    m_f = std::make_unique<CardFixture>();
    const QString reports = qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/");
    for (const char *file : {"fattura.rpt", "intestazione.txt"})
        QVERIFY(QFile::copy(reports + QLatin1String(file), m_f->folder() + QLatin1Char('/') + QLatin1String(file)));
    m_out = std::make_unique<QTemporaryDir>();
    m_f->report().setPrinterToPdf(true);
    m_f->report().setPdfFile(m_f->folder() + QStringLiteral("/fattura.pdf"));
}

void TestEInvoiceWindows::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmDatiAzienda>();
    delete ui::WindowRegistry::existingInstance<frmFattura>();
    delete ui::WindowRegistry::existingInstance<frmCercaFattura>();
    delete ui::WindowRegistry::existingInstance<frmAnagrafica>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_data.reset();
    m_f.reset();
    m_out.reset();
}

void TestEInvoiceWindows::pickFolder(const QString &folder)
{
    m_f->messages().queueModal([folder](QDialog &dialog) {
        auto &files = static_cast<QFileDialog &>(dialog);
        files.setDirectory(folder);
        return int(QDialog::Accepted);
    });
}

QStringList TestEInvoiceWindows::printedInvoice(const QString &numero)
{
    StampaFattura(numero, false, 1);
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text.split(QLatin1Char('\n'));
    return printed;
}

void TestEInvoiceWindows::shopDataSavedAndPrintedInTheLetterhead()
{
    m_data = std::make_unique<EInvoiceShopData>([this](const QString &sql) { m_f->execute(sql); }, false);
    // No identity yet: the letterhead file.
    QVERIFY(printedInvoice(QStringLiteral("26-00001")).contains(QStringLiteral("Il Negozio")));

    auto &window = ui::WindowRegistry::defaultInstance<frmDatiAzienda>();
    window.show();
    QCOMPARE(window.txtFields(3)->text(), QStringLiteral("RF01"));
    QCOMPARE(window.txtFields(8)->text(), QStringLiteral("IT"));
    const QStringList typed{"Tarvo Abbigliamento", "00743110157", "rssmra85t10a562s", "rf01", "Corso Garibaldi 5",
                            "47121", "Forlì", "fc", "it", "FO-123456", "0543 123456", "negozio@tarvo.it"};
    for (int i = 0; i < typed.size(); ++i)
        window.txtFields(i)->setText(typed[i]);
    QTableWidget *grid = window.grdIva;
    QCOMPARE(grid->rowCount(), 5);
    QCOMPARE(grid->item(3, 0)->text(), QStringLiteral("5"));
    grid->item(3, 3)->setText(QStringLiteral("n2.2"));
    window.cmdSalva->click();
    QCOMPARE(m_f->messages().texts(), QStringList{frmDatiAzienda::kSaved});
    QCOMPARE(m_f->scalar(QStringLiteral("select az_Codice_Fiscale & '|' & az_Provincia & '|' & az_Nazione & '|' & "
                                        "az_Comune from Azienda")).toString(),
             QStringLiteral("RSSMRA85T10A562S|FC|IT|Forlì"));
    QCOMPARE(m_f->scalar(QStringLiteral("select IVA_Natura from IVA where IVA_Codice = 5")).toString(),
             QStringLiteral("N2.2"));
    QCOMPARE(m_f->count(QStringLiteral("Azienda")), 1);

    // Saved again: still one row; the letterhead now the shop's.
    window.cmdSalva->click();
    QCOMPARE(m_f->count(QStringLiteral("Azienda")), 1);
    const QStringList printed = printedInvoice(QStringLiteral("26-00001"));
    for (const QString &line : {QStringLiteral("Tarvo Abbigliamento"), QStringLiteral("Corso Garibaldi 5"),
                                QStringLiteral("47121 Forlì (FC)"),
                                QStringLiteral("P. IVA 00743110157 - C.F. RSSMRA85T10A562S"),
                                QStringLiteral("Tel. 0543 123456 - negozio@tarvo.it")})
        QVERIFY2(printed.contains(line), qPrintable(line + QStringLiteral(" in ") + printed.join(QLatin1Char('|'))));
    QVERIFY(!printed.contains(QStringLiteral("Il Negozio")));
}

void TestEInvoiceWindows::wrongShopDataChangesNothing()
{
    m_data = std::make_unique<EInvoiceShopData>([this](const QString &sql) { m_f->execute(sql); }, false);
    auto &window = ui::WindowRegistry::defaultInstance<frmDatiAzienda>();
    window.show();
    window.txtFields(0)->setText(QStringLiteral("Tarvo"));
    window.txtFields(1)->setText(QStringLiteral("00743110158"));
    window.txtFields(5)->setText(QStringLiteral("4712"));
    window.grdIva->item(3, 3)->setText(QStringLiteral("N2"));
    window.cmdSalva->click();
    QCOMPARE(m_f->messages().texts(),
             QStringList{"La partita IVA \"00743110158\" non è valida.\nIl CAP \"4712\" non è di cinque cifre.\n"
                         "Codice IVA 5: la natura \"N2\" non è valida (per esempio N2.2 o N4).\n"
                         "I dati non sono stati salvati."});
    QCOMPARE(m_f->count(QStringLiteral("Azienda")), 0);
    QCOMPARE(m_f->scalar(QStringLiteral("select IVA_Natura from IVA where IVA_Codice = 5")).toString(),
             QStringLiteral("N4"));
}

void TestEInvoiceWindows::searchExportsTheListedInvoices()
{
    m_data = std::make_unique<EInvoiceShopData>([this](const QString &sql) { m_f->execute(sql); });
    auto &search = ui::WindowRegistry::defaultInstance<frmCercaFattura>();
    search.show();
    search.cmdTrova->click();
    QCOMPARE(search.lvwFatture->topLevelItemCount(), 6);
    m_f->messages().clear();
    pickFolder(m_out->path());
    search.cmdFattureElettroniche->click();
    QCOMPARE(m_f->messages().modals(), QStringList{"dlgCartellaFatture"});
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Esportate 5 fatture elettroniche nella cartella %1.\nNon esportate: 1 su 6.\n\n"
                                        "Fattura 26-00005: la partita IVA del cliente \"01234567890\" non è valida.")
                             .arg(m_out->path())});
    const QStringList files = QDir(m_out->path()).entryList(QDir::Files);
    QCOMPARE(files.size(), 5);
    for (const QString &file : files)
        QVERIFY2(EInvoiceShopData::schemaErrors(m_out->filePath(file)).isEmpty(), qPrintable(file));

    // The picker cancelled: nothing written, nothing said.
    m_f->messages().clear();
    search.cmdFattureElettroniche->click();
    QCOMPARE(m_f->messages().texts(), QStringList{});
    QCOMPARE(QDir(m_out->path()).entryList(QDir::Files).size(), 5);
}

void TestEInvoiceWindows::editorExportsTheCurrentInvoiceOnceSaved()
{
    m_data = std::make_unique<EInvoiceShopData>([this](const QString &sql) { m_f->execute(sql); });
    auto &editor = ui::WindowRegistry::defaultInstance<frmFattura>();
    editor.show();
    editor.imgToolbar1_Click(1);   // a new invoice, not saved
    m_f->messages().clear();
    editor.cmdFatturaElettronica->click();
    QCOMPARE(m_f->messages().texts(), QStringList{"E' necessario salvare la fattura prima di esportarla."});
    QCOMPARE(m_f->messages().modals(), QStringList{});

    QVERIFY(editor.MostraFattura(QStringLiteral("26-00003")));
    m_f->messages().clear();
    pickFolder(m_out->path());
    editor.cmdFatturaElettronica->click();
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Esportata 1 fattura elettronica nella cartella %1.").arg(m_out->path())});
    QCOMPARE(QDir(m_out->path()).entryList(QDir::Files), QStringList{"IT00743110157_00001.xml"});
}

void TestEInvoiceWindows::customerCardShowsTheNewFields()
{
    m_data = std::make_unique<EInvoiceShopData>([this](const QString &sql) { m_f->execute(sql); });
    auto &card = ui::WindowRegistry::defaultInstance<frmAnagrafica>();
    card.show();
    QVERIFY(card.MostraAnagrafica(2));
    QCOMPARE(card.fieldText(15), QStringLiteral("RM"));
    QCOMPARE(card.fieldText(13), QString());
    QCOMPARE(card.fieldText(14), QStringLiteral("anna.verdi@pec.it"));
    QVERIFY(card.MostraAnagrafica(4));
    QCOMPARE(card.fieldText(13), QStringLiteral("UFY9MH"));
    // Below the fields the card always had, after them in tab order.
    QVERIFY(card.txtFields(13)->y() > card.txtFields(8)->y());
    static_cast<QLineEdit *>(card.txtFields(13))->setText(QStringLiteral("KRRH6B9"));
    card.imgToolbar1_Click(3);
    QCOMPARE(m_f->scalar(QStringLiteral("select anag_Codice_Destinatario from Anagrafica where anag_Contatore = 4"))
                 .toString(),
             QStringLiteral("KRRH6B9"));
}

QTEST_MAIN(TestEInvoiceWindows)
#include "tst_einvoice_windows.moc"
