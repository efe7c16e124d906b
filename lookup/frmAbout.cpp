#include "lookup/frmAbout.h"

#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>

#ifndef TARVO_VERSION
#define TARVO_VERSION "1.0"
#endif

const QString frmAbout::kNoSysInfo = QStringLiteral("Le informazioni sul sistema non sono disponibili in questa fase");

QStringList &frmAbout::sysInfoPrograms()
{
    static QStringList programs{QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
                                QStringLiteral("gnome-system-monitor"), QStringLiteral("xfce4-taskmanager"),
                                QStringLiteral("lxtask")};
    return programs;
}

frmAbout::frmAbout(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setMaximizeBtn(false);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
    Picture1->setGeometry(24, 44, 72, 72);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblTitle->setGeometry(112, 44, 300, 34);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(112, 80, 300, 22);

    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setGeometry(112, 106, 300, 60);

    cmdOk = new ctrl_SkinableButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdSysInfo = new ctrl_SkinableButton(QStringLiteral("Info sistema..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdOk->setGeometry(300, 180, 112, 30);
    cmdSysInfo->setGeometry(300, 216, 112, 30);
    for (ctrl_SkinableButton *button : {cmdOk, cmdSysInfo})
        button->installEventFilter(this);
    connect(cmdOk, &ctrl_SkinableButton::Click, this, [this] { close(); });
    connect(cmdSysInfo, &ctrl_SkinableButton::Click, this, [this] { StartSysInfo(); });

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmAbout.Form_Load"),
        .load = [this] { Form_Load(); },
    });
    life.defaultButton().setButton(cmdOk, [this] { cmdOk->click(); });
    setFixedSize(440, 270);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    if (!m_built) {
        m_built = true;
        ctrl_SkinableForm1->LoadSkin(this, {cmdOk, cmdSysInfo});
    }
    m_overButton = false;
    const QString title = QCoreApplication::applicationName();
    setWindowTitle(QStringLiteral("Informazioni su ") + title);
    ctrl_SkinableForm1->setCaption(QStringLiteral("Informazioni su ") + title);
    lblTitle->setText(title);
    lblVersion->setText(QStringLiteral("Versione ") + QStringLiteral(TARVO_VERSION));
    lblDescription->setText(QStringLiteral("Gestione del negozio: articoli e magazzino, carichi e vendite, "
                                           "clienti e fornitori, fatture, prima nota."));
}

// The platform's registry of programs is the search path: the first program
// found that starts is the desktop's system information.
void frmAbout::StartSysInfo()
{
    for (const QString &program : sysInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return;
    }
    ui::MsgBox(kNoSysInfo, ui::vbOKOnly, g_strAppName);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == cmdOk || watched == cmdSysInfo))
        m_overButton = true;
    return QWidget::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        cmdOk->Refresh();
        cmdSysInfo->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}
