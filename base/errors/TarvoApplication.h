#pragma once

#include <QApplication>

namespace errors {

// The program's application object. An exception escaping an event handler
// is caught here and handed to the top-level reporter, labelled with the
// window and control it reached, so no error ends the program.
class TarvoApplication : public QApplication {
    Q_OBJECT
public:
    TarvoApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // "window.control" for the object an event was meant for; "quirnel"
    // when nothing names it.
    static QString labelFor(const QObject *receiver);
};

} // namespace errors
