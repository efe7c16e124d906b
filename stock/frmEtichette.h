#pragma once

#include "report/LabelSheet.h"

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Etichette": the labels of what the opener names (an article's items, a
// load, a period's loads, the selected articles) on a sheet or a roll, shown
// in the print preview, from which they are printed or saved as PDF as every
// report. The sheet, the margins of each sheet and the shop's name are
// remembered beside the windows' places.
class frmEtichette : public QDialog {
    Q_OBJECT
public:
    // The labels, as many of each as `perPiece` asks (one per piece in
    // stock or loaded) or `copies` each.
    using Reader = std::function<std::vector<report::LabelContent>(bool perPiece, int copies)>;

    // `perPieceText` names the per-piece choice ("Una per pezzo in giacenza").
    frmEtichette(const QString &what, const QString &perPieceText, Reader read, QWidget *parent = nullptr);

    // Opens the window over `parent` (not blocking); the ctrl+E of the
    // windows that print labels.
    static frmEtichette *open(QWidget *parent, const QString &what, const QString &perPieceText, Reader read);

    static const QString kNothingToPrint;

    // Lays the labels out and shows them in the preview; false (the window
    // stays) when there is nothing to print or a code cannot be drawn.
    bool preview();

private:
    void layoutChosen();
    void remember() const;

    Reader m_read;
    QComboBox *cboFoglio = nullptr;
    QSpinBox *txtInizio = nullptr;
    QRadioButton *optPerPezzo = nullptr;
    QRadioButton *optCopie = nullptr;
    QSpinBox *txtCopie = nullptr;
    QCheckBox *chkNegozio = nullptr;
    QDoubleSpinBox *txtMargineSinistro = nullptr;
    QDoubleSpinBox *txtMargineSuperiore = nullptr;
    QPushButton *cmdAnteprima = nullptr;
    QPushButton *cmdAnnulla = nullptr;
};
