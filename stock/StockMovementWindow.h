#pragma once

#include "rules/StockItemLookup.h"
#include "rules/StockMovement.h"
#include "base/BoxFocus.h"
#include "base/UnsavedWork.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

#include <utility>

class QGridLayout;
class QLineEdit;
class QPushButton;
namespace db { class Recordset; }
class ctrl_SkinableForm;
namespace ui { class WindowLife; }

// A window that records stock movements of one kind: the date, the bar code
// looked up as it is left, the quantity and the price of a new movement, or
// one recorded movement shown in change mode to be saved or deleted. The
// window of each kind builds its boxes and fills in what is its own. Boxes
// typed and not recorded, or a recorded movement changed and not saved, are
// work the window asks about before it closes or loads another.
class StockMovementWindow : public QWidget, public UnsavedWork {
    Q_OBJECT
public:
    enum class Kind { Load, Sale };

    ~StockMovementWindow() override;

    // Set by the opener before the window is shown.
    bool p_bln_Modifica = false;

    bool holdsWork() const override;

protected:
    StockMovementWindow(Kind kind, QWidget *parent);

    // Called by the kind's constructor once its boxes and buttons are built.
    void wire();
    // The line break of the window's messages.
    static inline const QString kLineBreak = QStringLiteral("\r\n");

    // The boxes' grid, each box under its caption.
    static QGridLayout *newBoxGrid();
    void putBox(QGridLayout *grid, QWidget *box, const QString &caption, int row, int column, int span = 1);
    // The kind's boxes above, its own button then Salva and Cancella below.
    void layOut(QGridLayout *grid, QPushButton *action);

    bool eventFilter(QObject *watched, QEvent *event) override;

    // The number of the movement the opener names for change mode.
    virtual long movementNumber() const = 0;
    virtual void setMovementNumber(long number) = 0;
    // Records the typed movement as the kind's button does, without asking
    // for another; true when it was recorded.
    virtual bool recordTyped() { return checkedAndRecorded(); }
    virtual void Form_Activate() = 0;
    virtual void Form_Unload();
    // Empties the boxes and shows the buttons of the mode, in the kind's order.
    virtual void startAfresh() = 0;
    // Just before the skin is laid on at load.
    virtual void beforeSkin() {}
    // A watched box other than the bar code is entered or left.
    virtual void boxEntered(QLineEdit *box);
    virtual void boxLeft(QLineEdit *box) = 0;
    // The bar code was looked up, before its article is.
    virtual void codeLookedUp(const StockItemInfo &info) { Q_UNUSED(info) }
    // The article of the bar code was found: the kind's boxes show it.
    virtual void showArticle(const StockItemInfo &info) = 0;
    virtual void listWrongBoxes(QString &list) { Q_UNUSED(list) }
    virtual void showRecorded(db::Recordset &rs) = 0;
    virtual bool recordMovement() = 0;
    virtual StockMovement::Result changeMovement() = 0;
    virtual StockMovement::Result deleteMovement() = 0;
    virtual void cmdMuovi_Click() = 0;
    virtual void PulisciCampi();

    void showModeButtons();
    // The bar code looked up, as when its box is left: the item and its
    // article shown, or the focus back in the box.
    void txtCodice_LostFocus();
    // What the boxes show now is what is stored: nothing to ask about.
    void markStored();
    bool ControllaCampi();
    // The fields are right, the quantity confirmed and the movement recorded.
    bool checkedAndRecorded();
    // False, after saying so, when the movement's stock item was not found.
    static bool itemFound(StockMovement::Result result, const QString &refusal);
    // The picker on `table`, listing `listed` and bound to `bound`, opened
    // beside `field`: the listed value chosen and the bound one; nothing
    // when the pick is given up (the boxes stay as they were).
    std::optional<std::pair<QString, QString>> pick(const QString &table, const QString &bound, const QString &listed,
                                                    QWidget *field);

    // Set by the kind when it builds its boxes.
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    QLineEdit *txtData = nullptr;
    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtQuantitaDisponibile = nullptr;
    QLineEdit *txtQuantita = nullptr;
    QLineEdit *txtListino = nullptr;
    QLineEdit *txtCodiceArticolo = nullptr;
    QLineEdit *m_priceBox = nullptr;           // the box of the recorded price
    QPushButton *m_moveButton = nullptr;       // the kind's button recording a new movement
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdCancella = nullptr;
    QList<QLineEdit *> m_watchedBoxes;         // whose entering and leaving the window follows
    QList<QLineEdit *> m_clearedBoxes;         // emptied for a new movement
    QList<QLineEdit *> m_typedBoxes;           // shown plain again for a new movement

    ui::WindowLife *m_life = nullptr;
    bool m_changeMode = false;
    bool m_activated = false;
    // The Enter that answered "another article?" does not leave the bar code.
    bool m_skipEnter = false;
    // After a bar code whose article is missing, the sale's next leaving of
    // the box only brings the focus back.
    bool m_codeHeld = false;

private:
    bool saveWork() override;
    void discardWork() override;
    bool mayLoadAnother();
    QStringList typed() const;

    void Form_Load();
    void txtCodice_GotFocus();
    void txtCodice_KeyUp();
    void txtData_LostFocus();
    void LeggiMovimento(long number);
    void cmdSalva_Click();
    void cmdCancella_Click();

    // What tells the kinds apart where their windows work alike.
    struct Words {
        QString windowName;      // the window's object name and its routines' prefix
        QString caption;
        QString moveRoutine;     // the routine of the button that records a new movement
        QString readStatement;   // a recorded movement by its number, the number appended
        QString columnPrefix;    // of the movement table's columns
        QString refusal;         // the last line of the message listing wrong boxes
        QString deleteQuestion;
    };
    static Words wordsOf(Kind kind);

    QStringList m_stored;
    long m_loadedNumber = 0;
    const Kind m_kind;
    const Words m_words;
    BoxFocus m_focus;
};
