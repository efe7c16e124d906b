#pragma once

#include "ReportPage.h"

#include <QTemporaryFile>
#include <memory>
#include <vector>

namespace report {

// The laid-out pages of one report. The first pages stay in memory; past
// that the pages go to a temporary file as they are finished and come back
// one at a time when painted or shown, so a report of thousands of pages
// does not hold them all. Items added to a page afterwards (its page footer,
// drawn once the number of pages is known) stay in memory.
class PageStore {
public:
    static constexpr int kPagesInMemory = 200;

    explicit PageStore(int pagesInMemory = kPagesInMemory);
    explicit PageStore(std::vector<ReportPage> pages);   // all in memory
    PageStore(PageStore &&) noexcept;
    PageStore &operator=(PageStore &&) noexcept;
    ~PageStore();

    int size() const { return int(m_memory.size() + m_offsets.size()); }
    bool empty() const { return size() == 0; }
    // How many pages are held in memory.
    int inMemory() const { return int(m_memory.size()); }

    void append(ReportPage page);
    void addItems(int index, std::vector<PageItem> items);
    // The page with the items added to it. Throws db::DbError when the
    // temporary file cannot be read back.
    ReportPage page(int index) const;
    // Every page, in memory.
    std::vector<ReportPage> all() const;

private:
    int m_limit;
    std::vector<ReportPage> m_memory;
    std::unique_ptr<QTemporaryFile> m_file;
    std::vector<qint64> m_offsets;                  // pages in the file
    std::vector<std::vector<PageItem>> m_added;     // items added to pages in the file
};

} // namespace report
