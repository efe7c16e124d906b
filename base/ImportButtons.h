#pragma once

#include <functional>

class QHBoxLayout;
class QLineEdit;
class QString;
class QWidget;
class ctrl_SkinableButton;

// The buttons of an import window: "Sfoglia..." at the end of the file row,
// "Chiudi" and "Importa" at the bottom. Chiudi closes the window.
class ImportButtons {
public:
    ImportButtons(QWidget *window, const std::function<void()> &sfoglia, const std::function<void()> &importa);

    // The file's label, its box and Sfoglia.
    QHBoxLayout *fileRow(const QString &label, QLineEdit *file) const;
    // Chiudi on the left, Importa on the right.
    QHBoxLayout *bottomRow() const;

    ctrl_SkinableButton *const cmdSfoglia;
    ctrl_SkinableButton *const cmdImporta;
    ctrl_SkinableButton *const cmdChiudi;

private:
    QWidget *m_window;
};
