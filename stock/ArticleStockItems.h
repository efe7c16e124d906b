#pragma once

#include <QObject>
#include <QString>

class ArticleFields;
class QPushButton;
class QWidget;
namespace data { class DataControl; class Grid; }
namespace db { class DbError; }

// The stock items of the article on the card: one bar code per size and
// colour, in the grid below the article (TDBGrid1 over datDettagli). The
// grid writes an item when the user leaves its row, and only for an article
// already stored; it is off while the card shows none.
class ArticleStockItems : public QObject {
    Q_OBJECT
public:
    // The grid and its data control are children of `card`.
    ArticleStockItems(QWidget &card, const ArticleFields &article);
    ~ArticleStockItems() override;

    data::Grid *grid() const { return TDBGrid1; }
    data::DataControl *source() const { return datDettagli; }
    // "Genera codice" (F7): the new item row gets a bar code of the shop's own.
    QPushButton *generateButton() const { return cmdGeneraCodice; }

    // Shows the items of the article on the card; an article with no code
    // leaves the grid as it is.
    void reload();
    // On only when asked and the article has a code.
    void setAvailable(bool available);
    // Writes the row the user is typing, before the card shows another
    // article or closes.
    void writePendingRow();
    // Gives the grid's new row a code the shop makes (StoreBarcodes), the
    // row left for its size, colour and quantity; a row already holding a
    // code keeps it.
    void generateCode();

    static const QString kTrapLabel;   // the reload
    static const QString kBadMinimum;  // a minimum stock that is not a whole number from 0 up

private:
    void TDBGrid1_KeyPress(int column, int &keyAscii);
    void TDBGrid1_BeforeUpdate(bool &cancel);
    void TDBGrid1_BeforeDelete(bool &cancel);
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);
    // A code typed with the length of an EAN and a wrong check digit is
    // written only when the user confirms it.
    bool checkDigitAccepted();

    const ArticleFields &m_article;
    data::DataControl *datDettagli = nullptr;
    data::Grid *TDBGrid1 = nullptr;
    QPushButton *cmdGeneraCodice = nullptr;
};
