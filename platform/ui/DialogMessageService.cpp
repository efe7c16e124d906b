#include "ui/DialogMessageService.h"

#include "ui/MessageStyle.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {

QMessageBox::StandardButton standardButtonOf(MsgResult answer)
{
    switch (answer) {
    case vbOK: return QMessageBox::Ok;
    case vbCancel: return QMessageBox::Cancel;
    case vbAbort: return QMessageBox::Abort;
    case vbRetry: return QMessageBox::Retry;
    case vbIgnore: return QMessageBox::Ignore;
    case vbYes: return QMessageBox::Yes;
    case vbNo: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(int icon)
{
    switch (icon) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

std::unique_ptr<QMessageBox> DialogMessageService::buildBox(const Message &m)
{
    const MessageStyle style(m.style);
    auto box = std::make_unique<QMessageBox>(QApplication::activeWindow());
    box->setWindowTitle(MessageStyle::effectiveTitle(m.title));
    box->setText(m.text);
    box->setTextFormat(Qt::PlainText);
    box->setIcon(iconOf(style.icon()));
    for (MsgResult answer : style.buttons())
        box->addButton(standardButtonOf(answer));
    box->setDefaultButton(standardButtonOf(style.defaultAnswer()));
    return box;
}

std::unique_ptr<QInputDialog> DialogMessageService::buildInput(const InputRequest &request)
{
    auto dialog = std::make_unique<QInputDialog>(QApplication::activeWindow());
    dialog->setWindowTitle(MessageStyle::effectiveTitle(request.title));
    dialog->setLabelText(request.prompt);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(request.defaultText);
    return dialog;
}

MsgResult DialogMessageService::answerOf(int standardButton)
{
    switch (standardButton) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

int DialogMessageService::message(const Message &m)
{
    auto box = buildBox(m);
    // The busy pointer must not hide the arrow while the user answers.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box->exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    QAbstractButton *clicked = box->clickedButton();
    if (!clicked) // closed with Escape or the title bar
        return MessageStyle(m.style).buttons().contains(vbCancel) ? vbCancel
                                                                  : MessageStyle(m.style).buttons().last();
    return answerOf(box->standardButton(clicked));
}

bool DialogMessageService::input(const InputRequest &request, QString &answer)
{
    auto dialog = buildInput(request);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    answer = dialog->textValue();
    return true;
}

int DialogMessageService::execModal(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace ui
