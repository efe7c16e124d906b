#pragma once

#include <QString>
#include <QWidget>

class ctrl_SkinableForm;
namespace data { class DataControl; class Grid; }
namespace db { class DbError; }

// The editor of a code/description table (a dictionary): the opener names
// the table, its fields and the caption, and the user adds, changes and
// deletes rows directly in the grid. The program uses it for the supplier
// names, whose code is the description itself.
class frmDizionari : public QWidget {
    Q_OBJECT
public:
    explicit frmDizionari(QWidget *parent = nullptr);
    ~frmDizionari() override;

    // Set by the opener before the window is shown; an opener that shows it
    // again with other members reloads it on them.
    QString sNomeTabella;          // as written in SQL, e.g. "[Fornitore]"
    QString sID;                   // code field
    QString sDescrizione;          // description field
    QString sTitolo;               // caption
    bool bCodiceNumerico = false;  // only digits may be typed as code
    bool b_Codice_Visibile = false;

    // The statement the grid is read with.
    QString BuildSql() const;

    data::Grid *TDBGrid1 = nullptr;
    data::DataControl *Data1 = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

private:
    void Form_Load();
    void TDBGrid1_KeyPress(int column, int &keyAscii);
    void TDBGrid1_BeforeUpdate(bool &cancel);
    void TDBGrid1_BeforeDelete(bool &cancel);
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);
    bool codeIsDescription() const;

};
