#pragma once

#include "rules/DailyTakings.h"
#include "rules/ListExport.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The day's takings ("Incassi"): the sales of a day (today unless the user
// chooses) or of a period, by payment type and in all, with the number of
// sales and the discounts given, to be checked against the till at closing.
class frmIncassi : public QWidget {
    Q_OBJECT
public:
    explicit frmIncassi(QWidget *parent = nullptr);
    ~frmIncassi() override;

    void cmdAggiorna_Click();
    void cmdStampa_Click();
    // The list as "Esporta" writes it: the lines shown and the total, the
    // counts and amounts as numbers.
    ListExport listToExport() const;

    QLineEdit *txtDataInizio = nullptr;
    QLineEdit *txtDataFine = nullptr;
    ctrl_SkinableButton *cmdAggiorna = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    QTreeWidget *lvwIncassi = nullptr;
    QLabel *lblTotale = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kBadPeriod;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    // The period of the boxes; false (with the message) when it is not one.
    bool periodo(QDate &from, QDate &to);
    void mostra(const DailyTakings &takings);

    DailyTakings m_shown;
    bool m_built = false;
};
