#include "ReportPageView.h"

#include "ReportPainter.h"

#include <QPainter>

namespace report {

ReportPageView::ReportPageView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ReportPageView::setPage(const ReportPage *page)
{
    m_page = page;
    updateGeometry();
    resize(sizeHint());
    update();
}

void ReportPageView::setZoom(double zoom)
{
    m_zoom = qBound(0.1, zoom, 8.0);
    updateGeometry();
    resize(sizeHint());
    update();
}

double ReportPageView::pxPerMm() const
{
    return logicalDpiX() / 25.4 * m_zoom;
}

QSize ReportPageView::sizeHint() const
{
    const QSizeF mm = m_page ? m_page->size : QSizeF(210, 297);
    return QSize(qRound(mm.width() * pxPerMm()) + 24, qRound(mm.height() * pxPerMm()) + 24);
}

void ReportPageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x80, 0x86, 0x8c));
    if (!m_page)
        return;
    const QRectF paper(12, 12, m_page->size.width() * pxPerMm(), m_page->size.height() * pxPerMm());
    painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 70));
    painter.fillRect(paper, Qt::white);
    painter.translate(paper.topLeft());
    ReportPainter::paintPage(painter, *m_page, pxPerMm());
}

} // namespace report
