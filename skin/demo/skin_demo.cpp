// Shows the skin at work: an MDI main window with two skinned windows, one
// carrying a picture toolbar, a small form and a row of skinned buttons.
//   skin-demo [--skin <folder>] [--shot <file.png>] [--maximized] [--hover-close]
// With --shot the window is saved as a picture and the program ends.

#include "skin/CardToolbarImages.h"
#include "skin/ImageToolbar.h"
#include "skin/SkinError.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"

#include <QApplication>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QWidget *articleCard()
{
    auto *window = new QWidget;
    window->setObjectName(QStringLiteral("frmPrestazioni"));
    auto *frame = new ctrl_SkinableForm(window);
    frame->setCaption(QStringLiteral("Articoli"));

    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(8, 8, 8, 8);

    auto *frame10 = new QFrame;
    frame10->setObjectName(QStringLiteral("Frame10"));
    frame10->setAutoFillBackground(true);
    QPalette grey = frame10->palette();
    grey.setColor(QPalette::Window, QColor(0xCE, 0xCE, 0xCE));
    frame10->setPalette(grey);
    auto *row = new QHBoxLayout(frame10);
    row->setContentsMargins(8, 5, 8, 5);
    auto *toolbar = new ImageToolbar;
    const skin::ToolbarImageLists lists = skin::loadToolbarImages(skin::ToolbarCard::Articolo, frame->SkinPath());
    toolbar->setImageLists(lists.norm, lists.hover, lists.down);
    toolbar->populate(9);
    toolbar->watch(window);
    toolbar->watch(frame10);
    row->addWidget(toolbar);
    row->addStretch();
    auto *counter = new QLineEdit(QStringLiteral("Articolo: 3 di 41"));
    counter->setObjectName(QStringLiteral("txtToolBar"));
    counter->setReadOnly(true);
    counter->setFixedWidth(150);
    row->addWidget(counter);
    layout->addWidget(frame10);

    auto *form = new QFormLayout;
    form->setContentsMargins(4, 10, 4, 6);
    form->addRow(QStringLiteral("Codice"), new QLineEdit(QStringLiteral("1042")));
    form->addRow(QStringLiteral("Descrizione"), new QLineEdit(QStringLiteral("Giacca in lana cotta")));
    form->addRow(QStringLiteral("Fornitore"), new QLineEdit(QStringLiteral("Dell'Orto Tessuti")));
    form->addRow(QStringLiteral("Prezzo di listino"), new QLineEdit(QStringLiteral("89,00")));
    auto *note = new QPlainTextEdit(QStringLiteral("Taglie dalla 44 alla 56, tre colori."));
    note->setFixedHeight(60);
    form->addRow(QStringLiteral("Nota"), note);
    layout->addLayout(form);
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *stampa = new ctrl_SkinableButton(QStringLiteral("Stampa"));
    auto *chiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"));
    auto *salva = new ctrl_SkinableButton(QStringLiteral("Salva e Carica"));
    auto *disabled = new ctrl_SkinableButton(QStringLiteral("Elimina"));
    disabled->setEnabled(false);
    for (ctrl_SkinableButton *b : {salva, stampa, disabled, chiudi}) {
        b->LoadSkin();
        b->setMinimumWidth(96);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    salva->setDefault(true);

    frame->LoadSkin(window);
    QObject::connect(chiudi, &ctrl_SkinableButton::Click, window, [window] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
            sub->close();
    });
    return window;
}

QWidget *searchWindow()
{
    auto *window = new QWidget;
    auto *frame = new ctrl_SkinableForm(window);
    frame->setCaption(QStringLiteral("Ricerca Articoli"));
    frame->setMaximizeBtn(false);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(8, 8, 8, 8);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Codice a barre"), new QLineEdit);
    form->addRow(QStringLiteral("Descrizione"), new QLineEdit);
    layout->addLayout(form);
    layout->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const char *caption : {"Trova", "Nuova Ricerca", "Esci"}) {
        auto *b = new ctrl_SkinableButton(QString::fromLatin1(caption));
        b->LoadSkin();
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    frame->LoadSkin(window);
    return window;
}

void sendMove(QWidget *widget, const QPoint &pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const QString &name) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
    };
    skin::setDefaultSkinPath(option(QStringLiteral("--skin")).isEmpty()
                                 ? QStringLiteral(TARVO_SKIN_DIR)
                                 : option(QStringLiteral("--skin")));

    QMainWindow main;
    main.setWindowTitle(QStringLiteral("Qorda"));
    for (const char *menu : {"&File", "&Magazzino", "F&atture", "&Anagrafiche", "&Finestra", "&?"})
        main.menuBar()->addMenu(QString::fromLatin1(menu));
    auto *area = new QMdiArea;
    area->setBackground(QColor(0x5b, 0x67, 0x78));
    main.setCentralWidget(area);
    main.resize(1000, 680);

    QWidget *card = nullptr;
    try {
        QMdiSubWindow *search = area->addSubWindow(searchWindow());
        search->setGeometry(520, 330, 440, 230);
        card = articleCard();
        QMdiSubWindow *sub = area->addSubWindow(card);
        sub->setGeometry(24, 20, 620, 420);
    } catch (const skin::SkinError &e) {
        std::fprintf(stderr, "%ld %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    main.show();
    if (args.contains(QStringLiteral("--maximized")))
        area->subWindowList().last()->showMaximized();
    area->setActiveSubWindow(area->subWindowList().last());

    const QString shot = option(QStringLiteral("--shot"));
    if (!shot.isEmpty()) {
        QTimer::singleShot(300, &app, [&] {
            // One toolbar picture under the pointer, one button under it.
            if (auto *toolbar = card->findChild<ImageToolbar *>())
                sendMove(toolbar, toolbar->pictureRect(3).center());
            const auto buttons = card->findChildren<ctrl_SkinableButton *>();
            if (buttons.size() > 1)
                sendMove(buttons.at(1), QPoint(20, 10));
            if (args.contains(QStringLiteral("--hover-close"))) {
                auto *frame = card->findChild<ctrl_SkinableForm *>();
                sendMove(frame, frame->frameGeometry().closeButton.center());
            }
            QTimer::singleShot(200, &app, [&] {
                main.grab().save(shot);
                app.quit();
            });
        });
    }
    return app.exec();
}
