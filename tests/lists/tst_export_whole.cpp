// "Esporta" and tarvo-esporta write a list whole: every row of its search,
// however few of them the window has read or shows, as CSV or as an Excel
// workbook whose cells carry their types; "Annulla" and a failed write
// leave no file and say so.

#include "FileSizeLimit.h"
#include "ListsFixture.h"
#include "XlsxReader.h"

#include "base/ViewExport.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "invoicing/frmCercaFattura.h"
#include "rules/CsvTableWriter.h"
#include "rules/ListExporter.h"
#include "register/frmCercaAnagrafica.h"
#include "register/frmNotaFornitori.h"
#include "register/frmPrimaNota.h"
#include "rules/ExportableLists.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmArticoli.h"
#include "stock/frmIncassi.h"
#include "stock/frmInventario.h"
#include "stock/frmListaCarico.h"
#include "stock/frmListaScarico.h"
#include "stock/frmSottoscorta.h"
#include "stock/frmValoreMagazzino.h"
#include "db/Database.h"
#include "rules/ShopDatabase.h"
#include "ui/BusyPointer.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFileDialog>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <utility>

namespace {

// More than the first page a list reads (64 rows).
constexpr int kRows = 150;

QString day(int i)
{
    return QDate(2026, 12, 1).addDays(i % 28).toString(QStringLiteral("dd/MM/yyyy"));
}

// An export read back as rows of texts, the heading first: a CSV's fields
// (none of these holds a separator or a quote), an .xlsx's cell values.
QList<QStringList> rowsOf(const QString &path, int columns)
{
    QList<QStringList> rows;
    if (path.endsWith(QLatin1String(".xlsx"))) {
        const XlsxReader book(path);
        for (const XlsxReader::Sheet &sheet : book.sheets())
            for (int r = 1; r <= sheet.rows; ++r) {
                QStringList row;
                for (int c = 0; c < columns; ++c)
                    row << sheet.cells.value(QChar('A' + c) + QString::number(r)).text;
                rows << row;
            }
        return rows;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return rows;
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        rows << line.split(QLatin1Char(';'));
    return rows;
}

void pressEsporta(QWidget &window, const QString &file)
{
    setCsvFileChooser([file](QWidget *, const QString &) { return file; });
    window.findChild<ctrl_SkinableButton *>(QStringLiteral("cmdEsporta"))->click();
    setCsvFileChooser({});
}

template <class W>
W &stockListOfDecember()
{
    W &window = ui::WindowRegistry::defaultInstance<W>();
    window.show();
    QApplication::processEvents();
    window.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    window.txtDataFine->setText(QStringLiteral("31/12/2026"));
    window.Trova(QString());
    return window;
}

template <class W>
W &shownWindow()
{
    W &window = ui::WindowRegistry::defaultInstance<W>();
    window.show();
    QApplication::processEvents();
    return window;
}

template <class W>
QWidget *searched(const QString &from, const QString &to, void (W::*search)())
{
    W &window = shownWindow<W>();
    window.txtDataInizio->setText(from);
    window.txtDataFine->setText(to);
    (window.*search)();
    return &window;
}

// The window of the list tarvo-esporta calls `name`, after the search over
// the period with nothing else typed.
QWidget *windowOfList(const QString &name, const QString &from, const QString &to)
{
    if (name == QLatin1String("articoli"))
        return &shownWindow<frmArticoli>();
    if (name == QLatin1String("carichi") || name == QLatin1String("scarichi")) {
        StockListWindow &window = name == QLatin1String("carichi")
                                      ? static_cast<StockListWindow &>(shownWindow<frmListaCarico>())
                                      : static_cast<StockListWindow &>(shownWindow<frmListaScarico>());
        window.txtDataInizio->setText(from);
        window.txtDataFine->setText(to);
        window.Trova(QString());
        return &window;
    }
    if (name == QLatin1String("fatture"))
        return searched<frmCercaFattura>(from, to, &frmCercaFattura::TrovaFatture);
    if (name == QLatin1String("anagrafica")) {
        auto &window = shownWindow<frmCercaAnagrafica>();
        window.TrovaAnagrafica();
        return &window;
    }
    if (name == QLatin1String("primanota"))
        return searched<frmPrimaNota>(from, to, &JournalWindow::cmdAggiorna_Click);
    if (name == QLatin1String("notafornitori"))
        return searched<frmNotaFornitori>(from, to, &JournalWindow::cmdAggiorna_Click);
    if (name == QLatin1String("incassi"))
        return searched<frmIncassi>(from, to, &frmIncassi::cmdAggiorna_Click);
    // A count's lists: the window opens on the open count.
    if (name.startsWith(QLatin1String("inventario"))) {
        auto &window = shownWindow<frmInventario>();
        window.chkSoloDifferenze->setChecked(name == QLatin1String("inventario-differenze"));
        return &window;
    }
    if (name == QLatin1String("valore")) {
        auto &window = shownWindow<frmValoreMagazzino>();
        window.txtData->setText(to);
        window.cmdAggiorna_Click();
        return &window;
    }
    if (name == QLatin1String("sottoscorta")) {
        // Items with a minimum and no sales: last month's sales are the
        // same whatever day the tool (on the clock) and the window (on the
        // test's day) take for today.
        auto database = ShopDatabase::open();
        database->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 5 where ca_Codice = '1234'"));
        database->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita, "
                                         "ca_Scorta_Minima) values ('4321', 43, 0, 2)"));
        return &shownWindow<frmSottoscorta>();
    }
    return nullptr;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// Files of a folder, hidden ones too: an export leaves nothing aside.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString doneText(int rows, const QString &path)
{
    return QStringLiteral("Esportate %1 righe nel file %2.").arg(rows).arg(QDir::toNativeSeparators(path));
}

} // namespace

class TestExportWhole : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void stockListsExportEveryRow_data();
    void stockListsExportEveryRow();
    void invoiceSearchExportsEveryMatch();
    void registerSearchExportsEveryMatch();
    void cellsCarryTheirTypes();
    void dialogOffersBothFormats();
    void annullaLeavesNoFile_data();
    void annullaLeavesNoFile();
    void failedWriteLeavesNoFile_data();
    void failedWriteLeavesNoFile();
    void databaseFailureSaysSo();
    void everyBatchFollowsTheLast();
    void commandLineExportsEveryRow();
    void commandLineFailuresAreNotSuccess();
    void windowAndToolWriteTheSameList_data();
    void windowAndToolWriteTheSameList();
};

void TestExportWhole::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestExportWhole::stockListsExportEveryRow_data()
{
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("file");
    QTest::newRow("loads, CSV") << true << "carichi.csv";
    QTest::newRow("loads, Excel") << true << "carichi.xlsx";
    QTest::newRow("sales, CSV") << false << "scarichi.csv";
    QTest::newRow("sales, Excel") << false << "scarichi.xlsx";
}

void TestExportWhole::stockListsExportEveryRow()
{
    QFETCH(bool, loads);
    QFETCH(QString, file);
    ListsFixture f;
    for (int i = 0; i < kRows; ++i) {
        if (loads)
            f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
        else
            f.addSale(QStringLiteral("1234"), day(i), 1, 100 + i, 0, 100 + i, QStringLiteral("CO"), false);
    }
    QWidget *window = loads ? static_cast<QWidget *>(&stockListOfDecember<frmListaCarico>())
                            : static_cast<QWidget *>(&stockListOfDecember<frmListaScarico>());
    const data::Grid *grid = window->findChild<data::Grid *>(QStringLiteral("TDBGrid1"));
    QVERIFY(grid->recordsetModel()->recordCount() < kRows);   // the list has read its first rows only
    const QStringList filesBefore = filesIn(f.folder());

    const QString path = f.folder() + QLatin1Char('/') + file;
    pressEsporta(*window, path);
    delete window;
    QCOMPARE(f.messages().texts(), QStringList{doneText(kRows, path)});
    const QList<QStringList> rows = rowsOf(path, 6);
    QCOMPARE(rows.size(), kRows + 1);
    QCOMPARE(rows.first(), QStringList({"Data", "Codice", "Descrizione", "Usato", "Quantità", "Prezzo"}));
    // The bar code is text: in a CSV with the mark that keeps it so.
    const QString code = file.endsWith(QLatin1String(".csv")) ? QStringLiteral("'1234") : QStringLiteral("1234");
    QSet<QString> prices;
    for (const QStringList &row : rows.mid(1)) {
        QCOMPARE(row.mid(1, 3), QStringList({code, "Giacca", "No"}));
        prices << row.at(5);
    }
    QCOMPARE(prices.size(), kRows);
    QVERIFY(prices.contains(QStringLiteral("100")) && prices.contains(QStringLiteral("249")));
    QStringList filesAfter = filesBefore + QStringList{file};
    filesAfter.sort();
    QCOMPARE(filesIn(f.folder()), filesAfter);
}

// The search shows the newest 200 invoices; its export has all of them, in
// the same order and with the texts the list shows.
void TestExportWhole::invoiceSearchExportsEveryMatch()
{
    ListsFixture f;
    f.execute(QStringLiteral("insert into Anagrafica (anag_Contatore, anag_Denominazione) values (7, 'Rossi Srl')"));
    const int invoices = 230;
    for (int i = 1; i <= invoices; ++i)
        f.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, "
                                 "fat_Data_Pagamento) values ('26-%1', #12/%2/2026#, 7, %3, %4)")
                      .arg(i, 5, 10, QLatin1Char('0'))
                      .arg(1 + i % 28)
                      .arg(i % 2 ? -1 : 0)
                      .arg(i % 2 ? QStringLiteral("#12/30/2026#") : QStringLiteral("Null")));
    auto &window = ui::WindowRegistry::defaultInstance<frmCercaFattura>();
    window.show();
    QApplication::processEvents();
    window.TrovaFatture();
    QCOMPARE(window.lvwFatture->topLevelItemCount(), 200);

    const QString path = f.folder() + QStringLiteral("/fatture.csv");
    pressEsporta(window, path);
    QCOMPARE(f.messages().texts(), QStringList{doneText(invoices, path)});
    const QList<QStringList> rows = rowsOf(path, 5);
    QCOMPARE(rows.size(), invoices + 1);
    QCOMPARE(rows.first(), QStringList({"Numero", "Data", "Cliente", "Saldata", "Data Pagamento"}));
    for (int i = 0; i < 200; ++i) {
        QStringList shown;
        for (int c = 0; c < 5; ++c)
            shown << window.lvwFatture->topLevelItem(i)->text(c);
        QCOMPARE(rows.at(i + 1), shown);
    }
    delete &window;
}

// The register search shows 100 entries; the export has every one, the
// partite IVA as text with their leading zeros.
void TestExportWhole::registerSearchExportsEveryMatch()
{
    ListsFixture f;
    const int entries = 130;
    for (int i = 1; i <= entries; ++i)
        f.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Stato, anag_Partita_IVA) "
                                 "values ('Cliente %1', 'Italia', '%2')")
                      .arg(i, 3, 10, QLatin1Char('0'))
                      .arg(i, 11, 10, QLatin1Char('0')));
    auto &window = ui::WindowRegistry::defaultInstance<frmCercaAnagrafica>();
    window.show();
    QApplication::processEvents();
    window.TrovaAnagrafica();
    QCOMPARE(window.lvwAnagrafica->topLevelItemCount(), 100);

    const QString path = f.folder() + QStringLiteral("/anagrafica.xlsx");
    pressEsporta(window, path);
    delete &window;
    QCOMPARE(f.messages().texts(), QStringList{doneText(entries, path)});
    const XlsxReader book(path);
    QVERIFY(book.isValid());
    const XlsxReader::Sheet &sheet = book.sheets().first();
    QCOMPARE(sheet.name, QStringLiteral("Anagrafica"));
    QCOMPARE(sheet.rows, entries + 1);
    const XlsxReader::Cell code = sheet.cells.value(QStringLiteral("A131"));
    const XlsxReader::Cell name = sheet.cells.value(QStringLiteral("B131"));
    const XlsxReader::Cell vat = sheet.cells.value(QStringLiteral("D131"));
    QCOMPARE(code.type, QStringLiteral("n"));
    QCOMPARE(name.text, QStringLiteral("Cliente 130"));
    QCOMPARE(vat.type, QStringLiteral("inlineStr"));
    QCOMPARE(vat.text, QStringLiteral("00000000130"));
}

// Codes stay text with their zeros, a text that looks like a formula is no
// formula, amounts are numbers shown with two decimals, dates are dates.
void TestExportWhole::cellsCarryTheirTypes()
{
    ListsFixture f;
    f.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (44, '=SOMMA(1;2)')"));
    f.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                             "values ('0000000000017', 44, 1)"));
    f.addSale(QStringLiteral("0000000000017"), QStringLiteral("03/12/2026"), 2.5, -1234.5, 0, -3086.25,
              QStringLiteral("CO"), true);
    auto &window = stockListOfDecember<frmListaScarico>();
    const QString csv = f.folder() + QStringLiteral("/scarichi.csv");
    const QString xlsx = f.folder() + QStringLiteral("/scarichi.xlsx");
    pressEsporta(window, csv);
    pressEsporta(window, xlsx);
    delete &window;

    QFile text(csv);
    QVERIFY(text.open(QIODevice::ReadOnly));
    QCOMPARE(text.readAll(), QByteArray("\xEF\xBB\xBF" "Data;Codice;Descrizione;Usato;Quantità;Prezzo\r\n"
                                        "03/12/2026;'0000000000017;\"'=SOMMA(1;2)\";Sì;2,5;-1234,5\r\n"));

    // Both made as any new file of the user's.
    QCOMPARE(QFile::permissions(xlsx), QFile::permissions(csv));

    const XlsxReader book(xlsx);
    QVERIFY(book.isValid());
    const XlsxReader::Sheet &sheet = book.sheets().first();
    QCOMPARE(sheet.name, QStringLiteral("Lista Scarichi"));
    QVERIFY(sheet.headingFrozen);
    const auto cell = [&sheet](const char *reference) { return sheet.cells.value(QLatin1String(reference)); };
    for (const char *heading : {"A1", "B1", "C1", "D1", "E1", "F1"})
        QVERIFY2(cell(heading).bold && cell(heading).type == QLatin1String("inlineStr"), heading);
    QCOMPARE(cell("A2").type, QStringLiteral("n"));
    QCOMPARE(cell("A2").format, QStringLiteral("dd/mm/yyyy"));
    QCOMPARE(cell("A2").text, QString::number(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 3))));
    QCOMPARE(cell("B2").type, QStringLiteral("inlineStr"));
    QCOMPARE(cell("B2").text, QStringLiteral("0000000000017"));
    QCOMPARE(cell("C2").type, QStringLiteral("inlineStr"));
    QCOMPARE(cell("C2").text, QStringLiteral("=SOMMA(1;2)"));
    QVERIFY(!book.part(QStringLiteral("xl/worksheets/sheet1.xml")).contains("<f>"));
    QCOMPARE(cell("D2").text, QStringLiteral("Sì"));
    QCOMPARE(cell("E2").type, QStringLiteral("n"));
    QCOMPARE(cell("E2").text, QStringLiteral("2.5"));
    QCOMPARE(cell("E2").format, QStringLiteral("General"));
    QCOMPARE(cell("F2").type, QStringLiteral("n"));
    QCOMPARE(cell("F2").text, QStringLiteral("-1234.5"));
    QCOMPARE(cell("F2").format, QStringLiteral("#,##0.00"));
    // Each column as wide as what it holds: the bar code, "-1.234,50".
    QCOMPARE(sheet.widths.size(), 6);
    QVERIFY(sheet.widths.at(1) >= 13);
    QVERIFY(sheet.widths.at(5) >= 9);
    QVERIFY(sheet.widths.at(0) >= 10 && sheet.widths.at(0) < 20);
}

// The file dialog offers CSV and Excel; choosing Excel turns the name's
// extension, and the workbook is what gets written.
void TestExportWhole::dialogOffersBothFormats()
{
    ListsFixture f;
    for (int i = 0; i < 3; ++i)
        f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
    auto &window = stockListOfDecember<frmListaCarico>();
    QStringList kinds;
    QString typed;
    f.messages().queueModal([&](QDialog &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        kinds = files->nameFilters();
        typed = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        files->setDirectory(f.folder());
        auto *type = files->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        type->setCurrentIndex(1);
        Q_EMIT type->activated(1);
        typed += QLatin1Char('|') + files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        QMetaObject::invokeMethod(files, "accept");
        return files->result();
    });
    window.cmdEsporta->click();
    delete &window;
    QCOMPARE(kinds, QStringList({"Foglio di calcolo CSV (*.csv)", "Cartella di lavoro Excel (*.xlsx)"}));
    QCOMPARE(typed, QStringLiteral("listacarico.csv|listacarico.xlsx"));
    const QString path = f.folder() + QStringLiteral("/listacarico.xlsx");
    QCOMPARE(f.messages().texts(), QStringList{doneText(3, path)});
    QCOMPARE(rowsOf(path, 6).size(), 4);
}

void TestExportWhole::annullaLeavesNoFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CSV") << "carichi.csv";
    QTest::newRow("Excel") << "carichi.xlsx";
}

// Past a second the progress window offers "Annulla": pressed, the export
// stops, the file written before stays as it was and nothing is left aside.
void TestExportWhole::annullaLeavesNoFile()
{
    QFETCH(QString, file);
    ListsFixture f;
    for (int i = 0; i < kRows; ++i)
        f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
    const QString path = f.folder() + QLatin1Char('/') + file;
    {
        QFile previous(path);
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("esportazione precedente");
    }
    const QStringList filesBefore = filesIn(f.folder());
    auto &window = stockListOfDecember<frmListaCarico>();

    // The export waits after its first row until Annulla is pressed.
    std::atomic<bool> pressed{false};
    setExportRowObserver([&pressed](qint64 rows) {
        QElapsedTimer waited;
        waited.start();
        while (rows == 1 && !pressed && waited.elapsed() < 20000)
            QThread::msleep(5);
    });
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    bool busy = false;
    QString label;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(widget);
            if (!dialog || !dialog->isVisible() || pressed)
                continue;
            shownAfter = clock.elapsed();
            busy = ui::busyPointerShown();
            label = dialog->labelText();
            QPushButton *annulla = dialog->findChild<QPushButton *>();
            QVERIFY(annulla && annulla->text() == QLatin1String("Annulla"));
            annulla->click();
            pressed = true;
        }
    });
    watch.start(20);
    clock.start();
    pressEsporta(window, path);
    watch.stop();
    setExportRowObserver({});
    delete &window;

    QVERIFY(pressed);
    QVERIFY2(shownAfter >= 900, qPrintable(QString::number(shownAfter)));
    QVERIFY(busy);
    QVERIFY(label.startsWith(QStringLiteral("Esportazione in corso...")));
    QVERIFY(!ui::busyPointerShown());
    QCOMPARE(f.messages().texts(), QStringList{"Esportazione annullata: nessun file è stato scritto."});
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("esportazione precedente"));
    QCOMPARE(filesIn(f.folder()), filesBefore);
}

void TestExportWhole::failedWriteLeavesNoFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CSV") << "carichi.csv";
    QTest::newRow("Excel") << "carichi.xlsx";
}

// The disk takes the first few kilobytes only: the export says it could
// not write the file, and no file (nor a part of one) is left.
void TestExportWhole::failedWriteLeavesNoFile()
{
    QFETCH(QString, file);
    ListsFixture f;
    for (int i = 0; i < kRows; ++i)
        f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
    auto &window = stockListOfDecember<frmListaCarico>();
    const QStringList filesBefore = filesIn(f.folder());
    const QString path = f.folder() + QLatin1Char('/') + file;
    {
        const FileSizeLimit full(4096);
        pressEsporta(window, path);
    }
    delete &window;
    QCOMPARE(f.messages().texts(),
             QStringList{QStringLiteral("Impossibile scrivere il file %1.\n%2\nNessun file è stato scritto.")
                             .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(EFBIG)))});
    QCOMPARE(filesIn(f.folder()), filesBefore);
}

// The engine refusing the list's statement stops the export with its
// reason; no file.
void TestExportWhole::databaseFailureSaysSo()
{
    ListsFixture f;
    const QString path = f.folder() + QStringLiteral("/prova.csv");
    setCsvFileChooser([path](QWidget *, const QString &) { return path; });
    ListExport list;
    list.statement = QStringLiteral("Select * from Spese");
    list.columns = {{QStringLiteral("Data"), QStringLiteral("sp_Data")}};
    QVERIFY(!exportListToFile(nullptr, list, QStringLiteral("prova.csv")));
    setCsvFileChooser({});
    QCOMPARE(f.messages().texts(),
             QStringList{"Esportazione interrotta da un errore del database:\n"
                         "Impossibile trovare la tabella o la query di input 'Spese'. Verificare che esista e che il "
                         "nome sia stato digitato correttamente.\nNessun file è stato scritto."});
    QVERIFY(!QFile::exists(path));
}

// More rows than the server sends at a time: each batch follows the last,
// none lost or repeated.
void TestExportWhole::everyBatchFollowsTheLast()
{
    ListsFixture f;
    f.addLoad(QStringLiteral("1234"), day(0), 1, 1, false);
    for (int i = 0; i < 12; ++i)
        f.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                                 "select ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato from carico"));
    ListExport list;
    list.statement = QStringLiteral("Select * from carico order by ca_Codice");
    list.columns = {{QStringLiteral("Numero"), QStringLiteral("ca_Codice"), ExportColumn::Kind::Number}};
    QBuffer csv;
    QVERIFY(csv.open(QIODevice::WriteOnly));
    CsvTableWriter writer(&csv);
    ListExporter exporter(list, f.folder() + QStringLiteral("/tarvo.mdb"));
    QCOMPARE(exporter.run(writer), ListExporter::Outcome::Done);
    QStringList expected{QStringLiteral("Numero")};
    for (int i = 1; i <= 4096; ++i)
        expected << QString::number(i);
    QCOMPARE(QString::fromUtf8(csv.data().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), expected);
}

void TestExportWhole::commandLineExportsEveryRow()
{
    ListsFixture f;
    for (int i = 0; i < kRows; ++i)
        f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
    const QString database = f.folder() + QStringLiteral("/tarvo.mdb");
    const QStringList period = {"--dal", "01/12/2026", "--al", "31/12/2026", "--database", database};
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH), QStringList{"csv", "carichi"} + period);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.readAllStandardError(), QByteArray());
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray csv = tool.readAllStandardOutput();
    QVERIFY(csv.startsWith("\xEF\xBB\xBF" "Data;Codice;Descrizione;Usato;Quantità;Prezzo\r\n"));
    QCOMPARE(csv.count("\r\n"), kRows + 1);

    const QString xlsx = f.folder() + QStringLiteral("/carichi.xlsx");
    tool.start(QStringLiteral(ESPORTA_PATH), QStringList{"xlsx", "carichi", "--file", xlsx} + period);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.readAllStandardError(), QByteArray());
    QCOMPARE(tool.exitCode(), 0);
    const QList<QStringList> rows = rowsOf(xlsx, 6);
    QCOMPARE(rows.size(), kRows + 1);
    QCOMPARE(rows.last().mid(1, 3), QStringList({"1234", "Giacca", "No"}));
}

// Anything less than the whole list is a failure: exit code 1 and the
// reason on standard error; a workbook wants a file.
void TestExportWhole::commandLineFailuresAreNotSuccess()
{
    ListsFixture f;
    for (int i = 0; i < kRows; ++i)
        f.addLoad(QStringLiteral("1234"), day(i), 1, 100 + i, false);
    const QString database = f.folder() + QStringLiteral("/tarvo.mdb");
    const QStringList period = {"--dal", "01/12/2026", "--al", "31/12/2026", "--database", database};
    QProcess tool;
    tool.setStandardOutputFile(QStringLiteral("/dev/full"));
    tool.start(QStringLiteral(ESPORTA_PATH), QStringList{"csv", "carichi"} + period);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardError()),
             QStringLiteral("tarvo-esporta: impossibile scrivere su standard output dopo %1 righe: %2.\n")
                 .arg(kRows)
                 .arg(QString::fromLocal8Bit(std::strerror(ENOSPC))));

    QProcess second;
    const QString missing = f.folder() + QStringLiteral("/manca/carichi.xlsx");
    second.start(QStringLiteral(ESPORTA_PATH), QStringList{"xlsx", "carichi", "--file", missing} + period);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().startsWith(
        QStringLiteral("tarvo-esporta: impossibile scrivere il file %1: ").arg(missing).toLocal8Bit()));
    QVERIFY(!QFile::exists(missing));

    second.start(QStringLiteral(ESPORTA_PATH), QStringList{"xlsx", "carichi"} + period);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitCode(), 2);
    QVERIFY(second.readAllStandardError().startsWith("Uso: tarvo-esporta xlsx "));
}

void TestExportWhole::windowAndToolWriteTheSameList_data()
{
    QTest::addColumn<QString>("list");
    for (const QString &name : ExportableLists::names())
        QTest::newRow(qPrintable(name)) << name;
}

// Every list the tool knows, written by the window's "Esporta" and by
// tarvo-esporta over the same period: the same bytes, the same cells.
void TestExportWhole::windowAndToolWriteTheSameList()
{
    QFETCH(QString, list);
    ListsFixture f;
    // Texts with separators and quotes, a Null, used goods, a discount.
    f.addSale(QStringLiteral("1234U"), QStringLiteral("02/12/2026"), 1, 35.5, 2.25, 33.25, QStringLiteral("CO"), true);
    f.addSale(QStringLiteral("5555"), QStringLiteral("30/11/2026"), 2, 10, 0, 20, QString(), false);
    f.addLoad(QStringLiteral("5555"), QStringLiteral("30/11/2026"), 4, 7.125, false);
    f.addLoad(QStringLiteral("1234U"), QStringLiteral("01/12/2026"), 1, 20, true);
    f.execute(QStringLiteral("insert into Anagrafica (anag_Contatore, anag_Denominazione, anag_Stato, anag_Partita_IVA) "
                             "values (7, 'Rossi; \"Figli\" Srl', 'Italia', '01234567890')"));
    f.execute(QStringLiteral("insert into Anagrafica (anag_Contatore, anag_Denominazione) values (8, 'Bianchi')"));
    for (int i = 1; i <= 3; ++i)
        f.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, "
                                 "fat_Data_Pagamento) values ('26-0000%1', #12/0%1/2026#, %2, %3, %4)")
                      .arg(i)
                      .arg(i == 3 ? 99 : 6 + i)
                      .arg(i % 2 ? -1 : 0)
                      .arg(i % 2 ? QStringLiteral("#12/20/2026#") : QStringLiteral("Null")));
    for (const QString &table : {QStringLiteral("[Prima Nota]"), QStringLiteral("[Nota Fornitori]")}) {
        f.execute(QStringLiteral("insert into %1 (pn_Data, pn_Descrizione, pn_Fattura, pn_Uscita_Lire, "
                                 "pn_Uscita_Euro, pn_Note) values (#12/01/2026#, 'Caffè; \"Perù\"', 'F/1', "
                                 "24206, 12.5, 'prima riga\r\nseconda')")
                      .arg(table));
        f.execute(QStringLiteral("insert into %1 (pn_Data, pn_Descrizione, pn_Uscita_Euro) "
                                 "values (#11/02/2026#, 'Affitto', -1000.25)")
                      .arg(table));
    }
    // An open count (number 1) that sets the items not counted to zero.
    f.execute(QStringLiteral("insert into Inventari (inv_Codice, inv_Data, inv_Azzera_Non_Contati, inv_Registrato) "
                             "values (1, #12/06/2026#, -1, 0)"));
    f.execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, ic_Contato) values (1, '5555', 10)"));
    f.execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, ic_Contato) values (1, '1234', 2)"));
    const QString from = QStringLiteral("01/11/2026");
    const QString to = QStringLiteral("31/12/2026");

    QWidget *window = windowOfList(list, from, to);
    QVERIFY(window);
    const QString byWindow = f.folder() + QStringLiteral("/finestra.csv");
    const QString byWindowXlsx = f.folder() + QStringLiteral("/finestra.xlsx");
    pressEsporta(*window, byWindow);
    pressEsporta(*window, byWindowXlsx);
    delete window;

    const QString database = f.folder() + QStringLiteral("/tarvo.mdb");
    const QString byTool = f.folder() + QStringLiteral("/strumento.csv");
    const QString byToolXlsx = f.folder() + QStringLiteral("/strumento.xlsx");
    const QStringList options = {list, "--dal", from, "--al", to, "--numero", "1", "--database", database, "--file"};
    QProcess tool;
    // No display at all: the tool opens no window.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    tool.setProcessEnvironment(environment);
    for (const auto &[kind, file] : {std::pair{QStringLiteral("csv"), byTool}, std::pair{QStringLiteral("xlsx"), byToolXlsx}}) {
        tool.start(QStringLiteral(ESPORTA_PATH), QStringList{kind} + options + QStringList{file});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.readAllStandardError(), QByteArray());
        QCOMPARE(tool.exitCode(), 0);
    }

    const QByteArray written = bytesOf(byWindow);
    QVERIFY2(written.count("\r\n") >= 3, written.constData());   // the heading and two rows at least
    QCOMPARE(bytesOf(byTool), written);
    const XlsxReader windowBook(byWindowXlsx);
    const XlsxReader toolBook(byToolXlsx);
    QVERIFY(windowBook.isValid() && toolBook.isValid());
    QCOMPARE(toolBook.sheets().size(), windowBook.sheets().size());
    const XlsxReader::Sheet &expected = windowBook.sheets().first();
    const XlsxReader::Sheet &sheet = toolBook.sheets().first();
    QCOMPARE(sheet.name, expected.name);
    QCOMPARE(sheet.rows, expected.rows);
    QCOMPARE(sheet.widths, expected.widths);
    QStringList references = sheet.cells.keys();
    QStringList expectedReferences = expected.cells.keys();
    references.sort();
    expectedReferences.sort();
    QCOMPARE(references, expectedReferences);
    for (auto cell = expected.cells.cbegin(); cell != expected.cells.cend(); ++cell) {
        const XlsxReader::Cell &other = sheet.cells.value(cell.key());
        QCOMPARE(other.text, cell->text);
        QCOMPARE(other.type, cell->type);
        QCOMPARE(other.format, cell->format);
    }
}

QTEST_MAIN(TestExportWhole)
#include "tst_export_whole.moc"
