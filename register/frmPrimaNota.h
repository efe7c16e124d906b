#pragma once

#include "register/JournalWindow.h"

// The cash journal ("Prima Nota"): the rows of table [Prima Nota].
class frmPrimaNota : public JournalWindow {
    Q_OBJECT
public:
    explicit frmPrimaNota(QWidget *parent = nullptr);
    data::DataControl *datPrimaNota() const { return dataControl(); }
};
