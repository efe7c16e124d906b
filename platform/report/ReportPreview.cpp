#include "ReportPreview.h"

#include "ReportPageView.h"
#include "ReportPainter.h"
#include "db/DbError.h"
#include "ui/Messages.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace report {

namespace {
// Zoom list: fit page, fit width, then fixed factors.
const double kZooms[] = {0, -1, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0};
}

ReportPreview::ReportPreview(std::shared_ptr<const PageStore> pages, const QString &title, int copies, QWidget *parent)
    : QWidget(parent), m_pages(std::move(pages)), m_title(title), m_copies(qMax(1, copies))
{
    setObjectName(QStringLiteral("frmAnteprima"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Anteprima di stampa") : title);
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("tbrAnteprima"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto *print = bar->addAction(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Stampa"));
    print->setObjectName(QStringLiteral("actStampa"));
    auto *pdf = bar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Salva PDF"));
    pdf->setObjectName(QStringLiteral("actSalvaPdf"));
    bar->addSeparator();
    m_first = bar->addAction(style()->standardIcon(QStyle::SP_MediaSkipBackward), QString());
    m_first->setToolTip(QStringLiteral("Prima pagina"));
    m_first->setObjectName(QStringLiteral("actPrimaPagina"));
    m_previous = bar->addAction(style()->standardIcon(QStyle::SP_MediaSeekBackward), QString());
    m_previous->setToolTip(QStringLiteral("Pagina precedente"));
    m_previous->setObjectName(QStringLiteral("actPaginaPrecedente"));
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("lblPagina"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    m_next = bar->addAction(style()->standardIcon(QStyle::SP_MediaSeekForward), QString());
    m_next->setToolTip(QStringLiteral("Pagina successiva"));
    m_next->setObjectName(QStringLiteral("actPaginaSuccessiva"));
    m_last = bar->addAction(style()->standardIcon(QStyle::SP_MediaSkipForward), QString());
    m_last->setToolTip(QStringLiteral("Ultima pagina"));
    m_last->setObjectName(QStringLiteral("actUltimaPagina"));
    bar->addSeparator();
    m_zoom = new QComboBox(bar);
    m_zoom->setObjectName(QStringLiteral("cboZoom"));
    m_zoom->addItems({QStringLiteral("Pagina intera"), QStringLiteral("Larghezza pagina"), QStringLiteral("50%"),
                      QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("125%"),
                      QStringLiteral("150%"), QStringLiteral("200%")});
    bar->addWidget(m_zoom);
    bar->addSeparator();
    auto *close = bar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Chiudi"));

    m_view = new ReportPageView;
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);
    resize(820, 900);

    connect(m_first, &QAction::triggered, this, [this] { showPage(0); });
    connect(m_previous, &QAction::triggered, this, [this] { showPage(m_current - 1); });
    connect(m_next, &QAction::triggered, this, [this] { showPage(m_current + 1); });
    connect(m_last, &QAction::triggered, this, [this] { showPage(pageCount() - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    connect(print, &QAction::triggered, this, [this] { printPages(); });
    connect(pdf, &QAction::triggered, this, [this] { askAndSave(); });
    connect(close, &QAction::triggered, this, [this] {
        if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
            parentWidget()->close();
        else
            this->close();
    });
    showPage(0);
}

void ReportPreview::showPage(int index)
{
    if (m_pages->empty()) {
        m_pageLabel->setText(QStringLiteral("Nessuna pagina"));
        return;
    }
    m_current = qBound(0, index, pageCount() - 1);
    m_shown = m_pages->page(m_current);
    m_view->setPage(&m_shown);
    m_pageLabel->setText(QStringLiteral("Pagina %1 di %2").arg(m_current + 1).arg(pageCount()));
    m_first->setEnabled(m_current > 0);
    m_previous->setEnabled(m_current > 0);
    m_next->setEnabled(m_current < pageCount() - 1);
    m_last->setEnabled(m_current < pageCount() - 1);
    applyZoom();
    m_scroll->verticalScrollBar()->setValue(0);
}

void ReportPreview::setZoomChoice(int index)
{
    m_zoom->setCurrentIndex(index);
}

void ReportPreview::applyZoom()
{
    const double choice = kZooms[qBound(0, m_zoom->currentIndex(), int(std::size(kZooms)) - 1)];
    if (choice > 0) {
        m_view->setZoom(choice);
        return;
    }
    const QSizeF mm = m_pages->empty() ? QSizeF(210, 297) : m_shown.size;
    const QSize area = m_scroll->viewport()->size() - QSize(30, 30);
    const double perMm = m_view->logicalDpiX() / 25.4;
    const double byWidth = area.width() / (mm.width() * perMm);
    const double byHeight = area.height() / (mm.height() * perMm);
    m_view->setZoom(choice == 0 ? qMin(byWidth, byHeight) : byWidth);
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The scroll area lays itself out after this event: fit once it has.
    if (m_zoom && m_zoom->currentIndex() < 2)
        QTimer::singleShot(0, this, [this] { applyZoom(); });
}

void ReportPreview::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown: showPage(m_current + 1); break;
    case Qt::Key_PageUp: showPage(m_current - 1); break;
    case Qt::Key_Home: showPage(0); break;
    case Qt::Key_End: showPage(pageCount() - 1); break;
    default: QWidget::keyPressEvent(event);
    }
}

void ReportPreview::saveAs(const QString &path) const
{
    ReportPainter::writePdf(*m_pages, path, 1, m_title);
}

void ReportPreview::printPages()
{
    try {
        ReportPainter::print(*m_pages, m_copies, m_title);
    } catch (const db::DbError &e) {
        ui::MsgBox(e.description(), ui::vbCritical);
    }
}

void ReportPreview::askAndSave()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Salva come PDF"),
                                                m_title.isEmpty() ? QStringLiteral("stampa.pdf") : m_title + QStringLiteral(".pdf"),
                                                QStringLiteral("Documenti PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    try {
        saveAs(path);
    } catch (const db::DbError &e) {
        ui::MsgBox(e.description(), ui::vbCritical);
    }
}

} // namespace report
