#include "register/frmDatiAzienda.h"

#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/FiscalCodes.h"
#include "rules/ShopIdentity.h"
#include "rules/ShopDatabase.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

const QString frmDatiAzienda::kSaved = QStringLiteral("I dati dell'azienda sono stati salvati.");

namespace {

struct Box {
    const char *label;
    QString EInvoiceShop::*member;
    int maxLength;
};
const Box kBoxes[] = {
    {"Denominazione:", &EInvoiceShop::denominazione, 80}, {"Partita IVA:", &EInvoiceShop::partitaIva, 11},
    {"Codice fiscale:", &EInvoiceShop::codiceFiscale, 16}, {"Regime fiscale:", &EInvoiceShop::regimeFiscale, 4},
    {"Indirizzo:", &EInvoiceShop::indirizzo, 60},        {"CAP:", &EInvoiceShop::cap, 5},
    {"Comune:", &EInvoiceShop::comune, 60},              {"Provincia:", &EInvoiceShop::provincia, 2},
    {"Nazione:", &EInvoiceShop::nazione, 2},             {"REA:", &EInvoiceShop::rea, 30},
    {"Telefono:", &EInvoiceShop::telefono, 12},          {"E-Mail:", &EInvoiceShop::email, 120},
};
constexpr int kCodice = 0, kDescrizione = 1, kAliquota = 2, kNatura = 3;

QTableWidgetItem *readOnly(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

frmDatiAzienda::frmDatiAzienda(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmDatiAzienda"));
    setWindowTitle(QStringLiteral("Dati azienda"));
    setAttribute(Qt::WA_DeleteOnClose);
    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Dati azienda"));

    auto *identity = new QGroupBox(QStringLiteral("Dati fiscali del negozio"), this);
    auto *form = new QGridLayout(identity);
    for (int i = 0; i < int(m_fields.size()); ++i) {
        auto *box = new QLineEdit(identity);
        box->setObjectName(QStringLiteral("txtFields(%1)").arg(i));
        box->setMaxLength(kBoxes[i].maxLength);
        m_fields.at(std::size_t(i)) = box;
        auto *label = new QLabel(QString::fromUtf8(kBoxes[i].label), identity);
        label->setBuddy(box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Long texts across the window, short codes two by row.
        static const int rows[] = {0, 1, 1, 2, 3, 4, 4, 5, 5, 2, 6, 6};
        static const int columns[] = {0, 0, 2, 0, 0, 0, 2, 0, 2, 2, 0, 2};
        const bool wide = i == 0 || i == 4;
        form->addWidget(label, rows[i], columns[i]);
        form->addWidget(box, rows[i], columns[i] + 1, 1, wide ? 3 : 1);
    }
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    auto *vat = new QGroupBox(QStringLiteral("Codici IVA: natura delle operazioni senza imposta (aliquota 0 %)"), this);
    grdIva = new QTableWidget(0, 4, vat);
    grdIva->setObjectName(QStringLiteral("grdIva"));
    grdIva->setHorizontalHeaderLabels({QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                                       QStringLiteral("Aliquota"), QStringLiteral("Natura")});
    grdIva->verticalHeader()->hide();
    grdIva->horizontalHeader()->setSectionResizeMode(kDescrizione, QHeaderView::Stretch);
    grdIva->setToolTip(QStringLiteral("Natura: N1, N2.1, N2.2, N3.1-N3.6, N4, N5, N6.1-N6.9, N7"));
    auto *vatLayout = new QVBoxLayout(vat);
    vatLayout->addWidget(grdIva);

    cmdSalva = new ctrl_SkinableButton(QStringLiteral("Salva"), this);
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    for (ctrl_SkinableButton *button : {cmdSalva, cmdChiudi})
        button->setFixedSize(112, 30);
    connect(cmdSalva, &ctrl_SkinableButton::Click, this, [this] { cmdSalva_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdChiudi);
    bottom->addStretch(1);
    bottom->addWidget(cmdSalva);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(identity);
    layout->addWidget(vat, 1);
    layout->addLayout(bottom);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmDatiAzienda.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmDatiAzienda.Form_Activate"),
        .activate = [this] { txtFields(0)->setFocus(); },
        .mayClose = [this] { return mayLeave(); },
    });
    life.defaultButton().setButton(cmdSalva, [this] { cmdSalva->click(); });
    resize(640, 520);
}

frmDatiAzienda::~frmDatiAzienda() = default;

void frmDatiAzienda::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    Leggi();
    // The skin last: a missing picture is reported, the window works all the same.
    ctrl_SkinableForm1->LoadSkin(this, {cmdSalva, cmdChiudi});
}

void frmDatiAzienda::Leggi()
{
    std::shared_ptr<db::Database> database = ShopDatabase::open();
    EInvoiceShop shop;
    shop.regimeFiscale = QStringLiteral("RF01");
    shop.nazione = QStringLiteral("IT");
    if (const std::optional<EInvoiceShop> stored = ShopIdentity::read(*database))
        shop = *stored;
    for (int i = 0; i < int(m_fields.size()); ++i)
        txtFields(i)->setText(shop.*kBoxes[i].member);

    grdIva->setRowCount(0);
    std::unique_ptr<db::Recordset> rs = database->openRecordset(QStringLiteral("select * from IVA order by IVA_Codice"));
    for (; !rs->eof(); rs->moveNext()) {
        const int row = grdIva->rowCount();
        grdIva->insertRow(row);
        const auto text = [&](const char *field) {
            const QVariant v = rs->value(QLatin1String(field));
            return v.isNull() ? QString() : v.toString();
        };
        grdIva->setItem(row, kCodice, readOnly(text("IVA_Codice")));
        grdIva->setItem(row, kDescrizione, readOnly(text("IVA_Descrizione")));
        grdIva->setItem(row, kAliquota, readOnly(text("IVA_Aliquota")));
        grdIva->setItem(row, kNatura, new QTableWidgetItem(text("IVA_Natura")));
    }
    rs->close();
    m_stored = typed();
}

QStringList frmDatiAzienda::typed() const
{
    QStringList texts;
    for (QLineEdit *box : m_fields)
        texts << box->text();
    for (int row = 0; row < grdIva->rowCount(); ++row)
        texts << (grdIva->item(row, kNatura) ? grdIva->item(row, kNatura)->text() : QString());
    return texts;
}

bool frmDatiAzienda::holdsWork() const
{
    return m_built && typed() != m_stored;
}

bool frmDatiAzienda::saveWork()
{
    cmdSalva_Click();
    return !holdsWork();
}

void frmDatiAzienda::cmdSalva_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmDatiAzienda.cmdSalva_Click"));
    EInvoiceShop shop;
    for (int i = 0; i < int(m_fields.size()); ++i)
        shop.*kBoxes[i].member = txtFields(i)->text().trimmed();
    // Codes are written as the exchange system reads them.
    for (QString *code : {&shop.codiceFiscale, &shop.regimeFiscale, &shop.provincia, &shop.nazione})
        *code = code->toUpper();
    QStringList problems = ShopIdentity::entryProblems(shop);
    QList<QPair<QString, QString>> natures;
    for (int row = 0; row < grdIva->rowCount(); ++row) {
        const QString code = grdIva->item(row, kCodice)->text();
        const QString natura = grdIva->item(row, kNatura) ? grdIva->item(row, kNatura)->text().trimmed().toUpper()
                                                          : QString();
        if (!natura.isEmpty() && !FiscalCodes::isValidNatura(natura))
            problems << QStringLiteral("Codice IVA %1: la natura \"%2\" non è valida (per esempio N2.2 o N4).")
                            .arg(code, natura);
        natures << qMakePair(code, natura);
    }
    if (!problems.isEmpty()) {
        ui::MsgBox(problems.join(QLatin1Char('\n')) + QStringLiteral("\nI dati non sono stati salvati."),
                   ui::vbExclamation, g_strAppName);
        return;
    }
    trap.run([&] {
        std::shared_ptr<db::Database> database = ShopDatabase::open();
        db::Transaction transaction(*database);
        ShopIdentity::write(*database, shop);
        for (const auto &[code, natura] : std::as_const(natures))
            database->execute(QStringLiteral("update IVA set IVA_Natura = ")
                              + (natura.isEmpty() ? QStringLiteral("null") : db::quoted(natura))
                              + QStringLiteral(" where IVA_Codice = ") + QString::number(code.toLongLong()));
        transaction.commit();
        Leggi();
        ui::MsgBox(kSaved, ui::vbInformation, g_strAppName);
    });
}
