#pragma once

#include "PageStore.h"
#include "ReportPage.h"

#include <memory>

#include <QWidget>
#include <vector>

class QComboBox;
class QLabel;
class QScrollArea;
class QAction;

namespace report {

class ReportPageView;

// The screen destination: the pages with navigation, zoom, print and
// "save as PDF".
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    ReportPreview(std::shared_ptr<const PageStore> pages, const QString &title, int copies, QWidget *parent = nullptr);

    int pageCount() const { return m_pages->size(); }
    int currentPage() const { return m_current; }   // 0-based
    void showPage(int index);
    void setZoomChoice(int index);                  // index in the zoom list
    // Writes the pages to a PDF file; throws db::DbError.
    void saveAs(const QString &path) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyZoom();
    void printPages();
    void askAndSave();

    std::shared_ptr<const PageStore> m_pages;
    ReportPage m_shown;   // the page on screen
    QString m_title;
    int m_copies = 1;
    int m_current = 0;
    ReportPageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_pageLabel = nullptr;
    QComboBox *m_zoom = nullptr;
    QAction *m_first = nullptr, *m_previous = nullptr, *m_next = nullptr, *m_last = nullptr;
};

} // namespace report
