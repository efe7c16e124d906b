#pragma once

#include "base/CardCommands.h"
#include "skin/CardToolbarStrip.h"
#include "base/BoxFocus.h"

#include <QString>
#include <QWidget>
#include <array>

class ImageToolbar;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class ctrl_SkinableForm;
namespace data { class DataControl; class FieldBinder; }
namespace db { class Recordset; }
namespace errors { class ErrorTrap; }

// The register card: one customer or supplier of Anagrafica at a time, in
// the order of their register numbers. Only Save writes the entry; moving to
// another entry or closing the card drops what was not saved.
class frmAnagrafica : public QWidget, private CardCommands {
    Q_OBJECT
public:
    explicit frmAnagrafica(QWidget *parent = nullptr);
    ~frmAnagrafica() override;

    // The commands of the picture row by position: 1 New, 2 Search, 3 Save,
    // 4 Delete, 5 Print, 6 First, 7 Previous, 8 Next, 9 Last. The tenth
    // picture is the card's emblem and runs nothing.
    void imgToolbar1_Click(int index);
    bool ControllaAnagrafica();
    // Asks "Salvare le modifiche?" when the entry holds unsaved work.
    using CardCommands::mayLeave;
    using CardCommands::holdsWork;

    // Moves the card to the entry with this register number; false (the
    // card staying where it was) when there is none.
    bool MostraAnagrafica(qlonglong contatore);

    // The text of txtFields(index), whichever kind of box it is.
    QString fieldText(int index) const;

    // Controls, by the names the program has always used. txtFields(2) does
    // not exist; txtFields(1) and txtFields(8) take several lines; 13 to 15
    // are the electronic invoice's codice destinatario, PEC and province.
    QWidget *txtFields(int index) const { return m_fields.at(std::size_t(index)); }
    QCheckBox *chkFornitore = nullptr;
    QLineEdit *txtToolbar = nullptr;
    ImageToolbar *imgToolbar1 = nullptr;
    QFrame *Frame10 = nullptr;
    data::DataControl *datPrimaryRs = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kTrapLabel;
    static const QString kLoadLabel;
    static const QString kAllEntries;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFields();
    void buildToolbar();
    void buildLayout();
    void Form_Load();
    void Form_Activate();
    void PopolaToolBar();
    void AggiornaContatore();
    void ControllaLunghezza(int index);
    QWidget *addLine(int index, const QString &field, int maxLength);
    QWidget *addText(const QString &field, int maxLength);

    // The picture row's commands (CardCommands).
    void addRecord(errors::ErrorTrap &trap) override { Nuova(trap); }
    void Cerca() override;
    void saveRecord(errors::ErrorTrap &trap) override;
    void deleteRecord(errors::ErrorTrap &trap) override { Elimina(trap); }
    void printRecord(errors::ErrorTrap &trap) override { Stampa(trap); }
    db::Recordset *records() const override { return anagrafiche(); }
    void runCommand(int index) override { imgToolbar1_Click(index); }
    void Nuova(errors::ErrorTrap &trap);
    void SalvaAnagrafica();
    void Elimina(errors::ErrorTrap &trap);
    void Stampa(errors::ErrorTrap &trap);
    void VaiAllaPrima();
    bool haFatture() const;
    db::Recordset *anagrafiche() const;
    int editState() const override;

    std::array<QWidget *, 16> m_fields{};
    data::FieldBinder *m_binder = nullptr;
    BoxFocus m_focus;
    skin::CardToolbarStrip m_strip;
    bool m_built = false;
};
