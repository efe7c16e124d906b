#pragma once

#include <QIcon>
#include <QString>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The common look of the load and unload windows: labelled boxes on a grid,
// read-only boxes on the 3-D light face, picture buttons drawn here.
class CounterLook {
public:
    enum class Picture { Load, Unload, Save, Delete, Search, SearchText, Payment };

    // A data-entry box named `name`, taking at most `maxLength` characters.
    static QLineEdit *box(QWidget *parent, const char *name, int maxLength);
    // A box the user reads but never types in: 3-D light background, no
    // tab stop.
    static QLineEdit *readOnlyBox(QWidget *parent, const char *name, int maxLength);
    // A box read from across the counter: the bar code, the amount due.
    static void enlarge(QLineEdit *box, qreal factor = 1.25);
    // The label of a box, in the box's column.
    static QLabel *label(QWidget *parent, const QString &text, QWidget *buddy);
    // A square picture button with its tool tip; Enter reaches it only as
    // the window's default button.
    static QPushButton *pictureButton(QWidget *parent, const char *name, Picture picture,
                                      const QString &toolTip, int side = 44);
    static QIcon icon(Picture picture, int side);
    // The face colour of the windows and of their read-only boxes.
    static QColor faceColor();
    static QColor readOnlyColor();
};
