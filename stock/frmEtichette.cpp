#include "stock/frmEtichette.h"

#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "report/LabelLayout.h"
#include "report/LabelSource.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "rules/ShopDatabase.h"
#include "ui/Messages.h"
#include "ui/WindowPlaces.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>

using report::LabelLayout;

namespace {

// Beside the windows' places; none in a run that keeps no places (tests).
std::unique_ptr<QSettings> labelSettings()
{
    const QString places = ui::WindowPlaces::file();
    if (places.isEmpty())
        return nullptr;
    return std::make_unique<QSettings>(QFileInfo(places).dir().filePath(QStringLiteral("etichette.ini")),
                                       QSettings::IniFormat);
}

QDoubleSpinBox *marginBox(QWidget *parent, const QString &name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(-15, 15);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    box->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    return box;
}

} // namespace

const QString frmEtichette::kNothingToPrint =
    QStringLiteral("Nessuna etichetta da stampare: nessun codice con giacenza o quantità. Scegliere \"Copie per codice\" "
                   "per stamparle comunque.");

frmEtichette::frmEtichette(const QString &what, const QString &perPieceText, Reader read, QWidget *parent)
    : QDialog(parent)
    , m_read(std::move(read))
{
    setObjectName(QStringLiteral("frmEtichette"));
    setWindowTitle(QStringLiteral("Etichette - ") + what);
    setAttribute(Qt::WA_DeleteOnClose);

    cboFoglio = new QComboBox(this);
    cboFoglio->setObjectName(QStringLiteral("cboFoglio"));
    for (const LabelLayout &layout : LabelLayout::all())
        cboFoglio->addItem(layout.caption, layout.name);
    txtInizio = new QSpinBox(this);
    txtInizio->setObjectName(QStringLiteral("txtInizio"));
    optPerPezzo = new QRadioButton(perPieceText, this);
    optPerPezzo->setObjectName(QStringLiteral("optPerPezzo"));
    optPerPezzo->setChecked(true);
    optCopie = new QRadioButton(QStringLiteral("Copie per codice:"), this);
    optCopie->setObjectName(QStringLiteral("optCopie"));
    txtCopie = new QSpinBox(this);
    txtCopie->setObjectName(QStringLiteral("txtCopie"));
    txtCopie->setRange(1, 999);
    txtCopie->setEnabled(false);
    connect(optCopie, &QRadioButton::toggled, txtCopie, &QSpinBox::setEnabled);
    chkNegozio = new QCheckBox(QStringLiteral("Nome del negozio (Dati azienda)"), this);
    chkNegozio->setObjectName(QStringLiteral("chkNegozio"));
    txtMargineSinistro = marginBox(this, QStringLiteral("txtMargineSinistro"));
    txtMargineSuperiore = marginBox(this, QStringLiteral("txtMargineSuperiore"));
    cmdAnteprima = new QPushButton(QStringLiteral("&Anteprima"), this);
    cmdAnteprima->setObjectName(QStringLiteral("cmdAnteprima"));
    cmdAnteprima->setDefault(true);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *copies = new QHBoxLayout;
    copies->addWidget(optCopie);
    copies->addWidget(txtCopie);
    copies->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Formato:"), cboFoglio);
    form->addRow(QStringLiteral("&Inizia dall'etichetta:"), txtInizio);
    form->addRow(QStringLiteral("Quante:"), optPerPezzo);
    form->addRow(QString(), copies);
    form->addRow(QString(), chkNegozio);
    form->addRow(QStringLiteral("Spostamento a &destra:"), txtMargineSinistro);
    form->addRow(QStringLiteral("Spostamento in &basso:"), txtMargineSuperiore);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAnteprima);
    buttons->addWidget(cmdAnnulla);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    if (const auto settings = labelSettings()) {
        const int chosen = cboFoglio->findData(settings->value(QStringLiteral("foglio")).toString());
        cboFoglio->setCurrentIndex(qMax(0, chosen));
        chkNegozio->setChecked(settings->value(QStringLiteral("negozio"), false).toBool());
    }
    layoutChosen();
    connect(cboFoglio, &QComboBox::currentIndexChanged, this, [this] { layoutChosen(); });
    connect(cmdAnteprima, &QPushButton::clicked, this, [this] {
        if (preview())
            accept();
    });
    connect(cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

frmEtichette *frmEtichette::open(QWidget *parent, const QString &what, const QString &perPieceText, Reader read)
{
    auto *window = new frmEtichette(what, perPieceText, std::move(read), parent ? parent->window() : nullptr);
    window->setWindowModality(Qt::WindowModal);
    window->show();
    window->cboFoglio->setFocus();
    return window;
}

void frmEtichette::layoutChosen()
{
    const LabelLayout *layout = LabelLayout::named(cboFoglio->currentData().toString());
    txtInizio->setRange(1, layout->perPage());
    txtInizio->setValue(1);
    txtInizio->setEnabled(!layout->roll());
    const auto settings = labelSettings();
    const QString key = QStringLiteral("margini/") + layout->name;
    txtMargineSinistro->setValue(settings ? settings->value(key + QStringLiteral("/sinistro"), 0.0).toDouble() : 0);
    txtMargineSuperiore->setValue(settings ? settings->value(key + QStringLiteral("/superiore"), 0.0).toDouble() : 0);
}

void frmEtichette::remember() const
{
    const auto settings = labelSettings();
    if (!settings)
        return;
    const QString name = cboFoglio->currentData().toString();
    settings->setValue(QStringLiteral("foglio"), name);
    settings->setValue(QStringLiteral("negozio"), chkNegozio->isChecked());
    settings->setValue(QStringLiteral("margini/") + name + QStringLiteral("/sinistro"), txtMargineSinistro->value());
    settings->setValue(QStringLiteral("margini/") + name + QStringLiteral("/superiore"), txtMargineSuperiore->value());
}

bool frmEtichette::preview()
{
    try {
        const std::vector<report::LabelContent> labels = m_read(optPerPezzo->isChecked(), txtCopie->value());
        if (report::LabelSheet::count(labels) == 0) {
            ui::MsgBox(kNothingToPrint, ui::vbExclamation, g_strAppName);
            return false;
        }
        report::LabelSheet::Options options;
        options.layout = LabelLayout::named(cboFoglio->currentData().toString());
        options.startAt = txtInizio->value();
        options.offset = QPointF(txtMargineSinistro->value(), txtMargineSuperiore->value());
        if (chkNegozio->isChecked())
            options.shopName = report::LabelSource(*ShopDatabase::open()).shopName();
        remember();
        report::ReportControl &control = MainReport();
        control.set(report::prop::Destination, int(report::Destination::Screen));
        control.runPages(QStringLiteral("Etichette"), [&](report::PageStore &pages, const std::function<bool()> &stop) {
            report::LabelSheet::layOut(labels, options, pages, stop);
        });
        return !control.lastCancelled();
    } catch (const db::DbError &error) {
        ui::MsgBox(error.description(), ui::vbExclamation, g_strAppName);
        return false;
    }
}
