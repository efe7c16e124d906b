#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The about box: the program's picture, name, version and description, a
// button that closes it and one that starts the desktop's own
// system-information program.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    // Starts the first system-information program found on the search path,
    // or says that the information is not available.
    void StartSysInfo();

    // The programs StartSysInfo looks for, in order of preference.
    static QStringList &sysInfoPrograms();
    static const QString kNoSysInfo;

    QLabel *Picture1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    ctrl_SkinableButton *cmdOk = nullptr;
    ctrl_SkinableButton *cmdSysInfo = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void Form_Load();

    bool m_overButton = false;
    bool m_built = false;
};
