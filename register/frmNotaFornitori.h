#pragma once

#include "register/JournalWindow.h"

// The supplier journal ("Nota Fornitori"): the rows of table [Nota Fornitori].
class frmNotaFornitori : public JournalWindow {
    Q_OBJECT
public:
    explicit frmNotaFornitori(QWidget *parent = nullptr);
    data::DataControl *datNotaFornitori() const { return dataControl(); }
};
