#pragma once

#include "ReportPage.h"

#include <QWidget>

namespace report {

// Shows one laid-out page as paper on the screen, at a zoom factor.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget *parent = nullptr);
    void setPage(const ReportPage *page);
    void setZoom(double zoom);   // 1.0 = real size
    double zoom() const { return m_zoom; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double pxPerMm() const;
    const ReportPage *m_page = nullptr;
    double m_zoom = 1.0;
};

} // namespace report
