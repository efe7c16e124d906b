#include "lookup/frmTasti.h"

#include "base/CardKeys.h"
#include "base/WindowKey.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QList<frmTasti::Row> frmTasti::rows(const QList<Row> &general)
{
    QList<Row> all;
    for (const CardKeys::Key &key : CardKeys::map())
        all << Row{key.keyText, QStringLiteral("Schede (articolo, anagrafica, fattura): ") + key.name};
    all << Row{QStringLiteral("Tab, poi Sinistra/Destra e Spazio"), QStringLiteral("Schede: i pulsanti della barra in alto")};
    for (const WindowKey *key : {&WindowKey::generateCode(), &WindowKey::labels()})
        all << Row{key->keyText, key->command};
    all << Row{QStringLiteral("Invio"), QStringLiteral("Inventario: conta l'articolo letto (un pezzo, o la quantità "
                                                        "scritta); nei riquadri di un nuovo inventario, lo inizia")};
    all << Row{QStringLiteral("Alt+O, Alt+Q"), QStringLiteral("Inventario: il codice a barre, la quantità")};
    all << Row{QStringLiteral("Destra / Sinistra"),
               QStringLiteral("Valore del magazzino: apre o chiude gli articoli del fornitore")};
    all << general;
    return all;
}

frmTasti::frmTasti(const QList<Row> &general, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTasti"));
    setWindowTitle(QStringLiteral("Tasti"));
    const QList<Row> all = rows(general);
    grdTasti = new QTableWidget(int(all.size()), 2, this);
    grdTasti->setObjectName(QStringLiteral("grdTasti"));
    grdTasti->setHorizontalHeaderLabels({QStringLiteral("Tasto"), QStringLiteral("Comando")});
    grdTasti->verticalHeader()->hide();
    grdTasti->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTasti->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdTasti->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grdTasti->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int row = 0; row < all.size(); ++row) {
        grdTasti->setItem(row, 0, new QTableWidgetItem(all.at(row).keys));
        grdTasti->setItem(row, 1, new QTableWidgetItem(all.at(row).command));
    }
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QStringLiteral("Chiudi"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdChiudi"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("I tasti del programma:"), this));
    layout->addWidget(grdTasti, 1);
    layout->addWidget(buttons);
    resize(620, 520);
}
