#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The running total of a sale: the stock unload window adds each paid
// amount to it, and the user (or the unload window, when the sale ends)
// sets it back to "0" with "Azzera".
class frmCalcola : public QWidget {
    Q_OBJECT
public:
    // With a parent window it floats above that window as a small tool
    // window; without one it is a window of its own.
    explicit frmCalcola(QWidget *parent = nullptr);

    QLineEdit *txtTotale = nullptr;
    QPushButton *cmdAzzera = nullptr;

    // The total the box shows (0 when it holds no number).
    double Totale() const;
    // Adds an amount and shows the new total with two decimals.
    void Aggiungi(double amount);

private:
    void cmdAzzera_Click();
};
