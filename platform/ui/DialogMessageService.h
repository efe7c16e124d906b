#pragma once

#include "ui/Messages.h"

#include <memory>

class QInputDialog;
class QMessageBox;

namespace ui {

// The service of the running program: real message boxes, input boxes and
// modal windows over the active window.
class DialogMessageService : public MessageService {
public:
    int message(const Message &m) override;
    bool input(const InputRequest &request, QString &answer) override;
    int execModal(QDialog &dialog) override;

    // The box a message shows, ready to run (exposed so that its buttons,
    // icon and default can be checked without showing it).
    static std::unique_ptr<QMessageBox> buildBox(const Message &m);
    static std::unique_ptr<QInputDialog> buildInput(const InputRequest &request);
    // The answer of a button of a built box.
    static MsgResult answerOf(int standardButton);
};

} // namespace ui
