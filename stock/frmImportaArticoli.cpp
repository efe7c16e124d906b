#include "stock/frmImportaArticoli.h"

#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "rules/CsvReader.h"
#include "rules/ShopDatabase.h"
#include "base/ImportButtons.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/BusyPointer.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"
#include "ui/WindowLife.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>

const QStringList frmImportaArticoli::kFields = {
    QStringLiteral("Descrizione"), QStringLiteral("Fornitore"), QStringLiteral("Prezzo di carico"),
    QStringLiteral("Prezzo di listino"), QStringLiteral("Codice a barre"), QStringLiteral("Taglia"),
    QStringLiteral("Colore"), QStringLiteral("Quantità")};

namespace {

// The fields of ColumnMap in the order of kFields.
constexpr int catalogue::ColumnMap::*kMapFields[] = {
    &catalogue::ColumnMap::descrizione, &catalogue::ColumnMap::fornitore, &catalogue::ColumnMap::prezzoCarico,
    &catalogue::ColumnMap::prezzoListino, &catalogue::ColumnMap::codiceBarre, &catalogue::ColumnMap::taglia,
    &catalogue::ColumnMap::colore, &catalogue::ColumnMap::quantita};

} // namespace

frmImportaArticoli::frmImportaArticoli(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmImportaArticoli"));
    setWindowTitle(QStringLiteral("Importa articoli"));
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

    grdAnteprima = new QTableWidget(this);
    grdAnteprima->setObjectName(QStringLiteral("grdAnteprima"));
    grdAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdAnteprima->verticalHeader()->setDefaultSectionSize(22);

    auto *mapping = new QFormLayout;
    for (const QString &field : kFields) {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("cbo") + QString(field).remove(QLatin1Char(' ')));
        box->setMinimumWidth(180);
        cboColonne.append(box);
        mapping->addRow(field, box);
    }
    chkAggiorna = new QCheckBox(
        QStringLiteral("Aggiorna gli articoli già presenti (stesso codice a barre, o stesso fornitore e descrizione)"),
        this);
    chkAggiorna->setObjectName(QStringLiteral("chkAggiorna"));
    txtEsito = new QPlainTextEdit(this);
    txtEsito->setObjectName(QStringLiteral("txtEsito"));
    txtEsito->setReadOnly(true);

    auto *middle = new QHBoxLayout;
    middle->addLayout(mapping);
    middle->addWidget(txtEsito, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(buttons.fileRow(QStringLiteral("Listino (CSV)"), txtFile));
    layout->addWidget(new QLabel(QStringLiteral("Prime righe del file"), this));
    layout->addWidget(grdAnteprima, 1);
    layout->addLayout(middle);
    layout->addWidget(chkAggiorna);
    layout->addLayout(buttons.bottomRow());

    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmImportaArticoli.Form_Load"),
        .load = [this] { Form_Load(); },
    });
    resize(820, 640);
}

frmImportaArticoli::~frmImportaArticoli() = default;

void frmImportaArticoli::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdSfoglia, cmdImporta, cmdChiudi});
}

void frmImportaArticoli::cmdSfoglia_Click()
{
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Listino da importare"), QDir::homePath(),
                                                        QStringLiteral("File CSV (*.csv *.txt);;Tutti i file (*)"));
    if (!chosen.isEmpty())
        loadFile(chosen);
}

bool frmImportaArticoli::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::MsgBox(QStringLiteral("Impossibile leggere il file %1.").arg(QDir::toNativeSeparators(path)),
                   ui::vbExclamation, g_strAppName);
        return false;
    }
    // Only the first rows: the file is read whole by the import. Telling its
    // encoding reads it through once, a moment for a large list.
    ui::setBusyPointer();
    QList<QStringList> rows;
    CsvReader reader(file);
    QStringList row;
    while (rows.size() <= kPreviewRows && reader.next(row))
        rows.append(row);
    ui::resetPointer();
    m_path = path;
    m_hasRows = rows.size() > 1 || reader.failed();
    txtFile->setText(QDir::toNativeSeparators(path));
    txtEsito->clear();
    const QStringList headings = rows.isEmpty() ? QStringList() : rows.first();
    grdAnteprima->clear();
    grdAnteprima->setColumnCount(int(headings.size()));
    grdAnteprima->setHorizontalHeaderLabels(headings);
    const int shown = int(std::max<qsizetype>(0, rows.size() - 1));
    grdAnteprima->setRowCount(shown);
    for (int r = 0; r < shown; ++r) {
        const QStringList &cells = rows.at(r + 1);
        for (int c = 0; c < cells.size() && c < headings.size(); ++c)
            grdAnteprima->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    }
    const catalogue::ColumnMap guessed = catalogue::guessColumns(headings);
    for (int f = 0; f < cboColonne.size(); ++f) {
        QComboBox *box = cboColonne.at(f);
        box->clear();
        box->addItem(QStringLiteral("(nessuna)"), -1);
        for (int c = 0; c < headings.size(); ++c)
            box->addItem(headings.at(c), c);
        box->setCurrentIndex(box->findData(guessed.*kMapFields[f]));
    }
    return true;
}

catalogue::ColumnMap frmImportaArticoli::columnMap() const
{
    catalogue::ColumnMap map;
    for (int f = 0; f < cboColonne.size(); ++f)
        map.*kMapFields[f] = cboColonne.at(f)->currentData().isValid() ? cboColonne.at(f)->currentData().toInt() : -1;
    return map;
}

void frmImportaArticoli::cmdImporta_Click()
{
    if (!m_hasRows) {
        ui::MsgBox(QStringLiteral("Scegliere un file con almeno una riga di articoli."), ui::vbExclamation, g_strAppName);
        return;
    }
    errors::ErrorTrap trap(QStringLiteral("frmImportaArticoli.cmdImporta_Click"));
    trap.run([this] {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            ui::MsgBox(QStringLiteral("Impossibile leggere il file %1.").arg(QDir::toNativeSeparators(m_path)),
                       ui::vbExclamation, g_strAppName);
            return;
        }
        auto database = ShopDatabase::open();
        const catalogue::ColumnMap columns = columnMap();
        const bool update = chkAggiorna->isChecked();
        const qint64 size = std::max<qint64>(1, file.size());
        std::atomic<int> percent {0};
        std::atomic<bool> stop {false};
        ui::ProgressFeedback feedback(QStringLiteral("Importazione degli articoli..."), this);
        feedback.setDelay(progressDelay);
        feedback.setStatus([&percent] { return QStringLiteral("%1% del file letto").arg(percent.load()); });
        feedback.setCancelHandler([&stop] { stop = true; });
        catalogue::ImportResult result;
        feedback.run([&] {
            result = catalogue::importCsv(*database, file, columns, update, [&](qint64 bytesRead) {
                percent = int(std::min<qint64>(100, bytesRead * 100 / size));
                return !stop.load();
            });
        });
        txtEsito->setPlainText(outcome(result));
    });
}

QString frmImportaArticoli::outcome(const catalogue::ImportResult &result)
{
    if (result.cancelled)
        return QStringLiteral("Importazione annullata: nessun articolo importato.");
    if (result.errors.isEmpty())
        return QStringLiteral("Importazione completata: %1 articoli nuovi, %2 aggiornati.")
            .arg(result.inserted)
            .arg(result.updated);
    QStringList lines{QStringLiteral("Nessun articolo importato: correggere le righe seguenti.")};
    for (const catalogue::RowError &error : result.errors)
        lines.append(error.line > 0 ? QStringLiteral("Riga %1: %2").arg(error.line).arg(error.message) : error.message);
    if (result.errors.size() >= catalogue::kListedErrors)
        lines.append(QStringLiteral("Sono elencati i primi %1 errori: le righe con errori sono %2.")
                         .arg(catalogue::kListedErrors)
                         .arg(result.wrongRows));
    return lines.join(QLatin1Char('\n'));
}
