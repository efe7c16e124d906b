#pragma once

#include "base/UnsavedWork.h"

#include <QStringList>
#include <QWidget>
#include <array>

class QLineEdit;
class QTableWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// "Dati azienda": the shop's fiscal identity (table Azienda), written once
// and used by the electronic invoices and the letterhead of the prints, and
// the nature of each VAT code (IVA_Natura), which a rate of 0 % needs.
class frmDatiAzienda : public QWidget, public UnsavedWork {
    Q_OBJECT
public:
    explicit frmDatiAzienda(QWidget *parent = nullptr);
    ~frmDatiAzienda() override;

    // Checks what was typed and writes it all, or nothing with a message.
    void cmdSalva_Click();

    // The boxes in the order of the fields of Azienda: Denominazione, Partita
    // IVA, Codice Fiscale, Regime Fiscale, Indirizzo, CAP, Comune, Provincia,
    // Nazione, REA, Telefono, Email.
    QLineEdit *txtFields(int index) const { return m_fields.at(std::size_t(index)); }
    // Codice, Descrizione, Aliquota, Natura (the only column typed in).
    QTableWidget *grdIva = nullptr;
    ctrl_SkinableButton *cmdSalva = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kSaved;

    // What is typed differs from what was read or saved last.
    bool holdsWork() const override;

private:
    void Form_Load();
    void Leggi();
    QStringList typed() const;
    bool saveWork() override;
    void discardWork() override { Leggi(); }

    std::array<QLineEdit *, 12> m_fields{};
    QStringList m_stored;   // the texts as read or saved last
    bool m_built = false;
};
