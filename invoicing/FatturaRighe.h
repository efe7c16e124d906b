#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <exception>
#include <functional>

class QLineEdit;
class QWidget;
namespace data { class DataControl; class Grid; }
namespace db { class DbError; class Recordset; }

// The lines of the invoice editor: the grid of [Dettaglio Fattura] under
// the header's number, the arithmetic of a line, the VAT list and the
// invoice's total. A line is written when the user leaves it, together with
// the header's total (InvoiceArchive::writeLine); the first line of a new
// invoice claims its number first.
class FatturaRighe : public QObject {
    Q_OBJECT
public:
    // `testata` holds the header (Fattura), `numero` shows its number,
    // `totale` the total of the lines; the grid is made here, in `window`.
    FatturaRighe(QWidget &window, data::DataControl &testata, QLineEdit &numero, QLineEdit &totale);

    data::Grid *grid() const { return m_grid; }
    data::DataControl *dettagli() const { return m_dettagli; }

    // The value list of the VAT column: the codes in rate order.
    void CaricaIva();
    // The grid shows the lines of the number in the header box.
    void Aggiornagrid();
    void AggiornaTotale();
    // The cell button of the grid: the article pick.
    void TDBGrid1_ButtonClick(int column);
    // A line still being typed is written first; false when the grid
    // refuses it (its cell says why).
    bool ScriviRigaInCorso();
    // Drops a line being typed.
    void AnnullaRigaInCorso();
    // Whether a line is being typed and not written yet.
    bool rigaInCorso() const;

    // The message of a number that is a stored invoice's.
    static QString numeroOccupato(const QString &numero);

private:
    void buildGrid(QWidget &window);
    void RicalcolaRiga();
    void ProponiIva();
    bool ImportoNeiLimiti();
    void TDBGrid1_BeforeUpdate(bool &cancel);
    void TDBGrid1_BeforeDelete(bool &cancel);
    void ScriviRiga(const std::function<void()> &write);
    void TDBGrid1_Written();
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);
    bool PrendiNumero();
    bool nuovaFattura() const;
    // The message of a new invoice whose first line finds its number in use.
    static QString numeroInUso(const QString &proposto, const QString &assegnato);

    QWidget &m_window;
    data::DataControl &m_testata;
    QLineEdit &m_numero;
    QLineEdit &m_totale;
    data::DataControl *m_dettagli = nullptr;
    data::Grid *m_grid = nullptr;
    QVariantList m_ivaCodes;                 // the VAT codes in rate order
    QString m_gridNumber;                    // the invoice whose lines the grid shows
    QString m_numeroLasciato;                // a number left to another till at the line being written
    std::exception_ptr m_totaleNonScritto;   // why the total of a line just written failed
};
