#include "PageStore.h"

#include "ReportProperties.h"
#include "db/DbError.h"

#include <QDataStream>
#include <QDir>

namespace report {

namespace {

[[noreturn]] void storeFailed()
{
    throw db::DbError(db::ErrorKind::Io, err::PrintFailed,
                      QStringLiteral("Impossibile usare il file temporaneo delle pagine di stampa nella cartella \"%1\".")
                          .arg(QDir::tempPath()));
}

QDataStream &operator<<(QDataStream &out, const PageItem &item)
{
    return out << qint8(item.kind) << item.rect << item.line << item.text << item.family << item.pointSize
               << item.bold << item.italic << item.wrap << qint32(item.align) << item.color << item.fill
               << item.border << item.penWidth;
}

QDataStream &operator>>(QDataStream &in, PageItem &item)
{
    qint8 kind = 0;
    qint32 align = 0;
    in >> kind >> item.rect >> item.line >> item.text >> item.family >> item.pointSize >> item.bold >> item.italic
        >> item.wrap >> align >> item.color >> item.fill >> item.border >> item.penWidth;
    item.kind = PageItem::Kind(kind);
    item.align = align;
    return in;
}

} // namespace

PageStore::PageStore(int pagesInMemory) : m_limit(pagesInMemory) {}

PageStore::PageStore(std::vector<ReportPage> pages) : m_limit(int(pages.size())), m_memory(std::move(pages)) {}

PageStore::PageStore(PageStore &&) noexcept = default;
PageStore &PageStore::operator=(PageStore &&) noexcept = default;
PageStore::~PageStore() = default;

void PageStore::append(ReportPage page)
{
    if (int(m_memory.size()) < m_limit && m_offsets.empty()) {
        m_memory.push_back(std::move(page));
        return;
    }
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(QDir(QDir::tempPath()).filePath(QStringLiteral("tarvo-stampa-XXXXXX")));
        if (!m_file->open())
            storeFailed();
    }
    const qint64 at = m_file->size();
    if (!m_file->seek(at))
        storeFailed();
    QDataStream out(m_file.get());
    out << page.size << quint32(page.items.size());
    for (const PageItem &item : page.items)
        out << item;
    if (out.status() != QDataStream::Ok)
        storeFailed();
    m_offsets.push_back(at);
    m_added.emplace_back();
}

void PageStore::addItems(int index, std::vector<PageItem> items)
{
    std::vector<PageItem> &target = index < int(m_memory.size()) ? m_memory[size_t(index)].items
                                                                 : m_added[size_t(index) - m_memory.size()];
    target.insert(target.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

ReportPage PageStore::page(int index) const
{
    if (index < int(m_memory.size()))
        return m_memory[size_t(index)];
    const size_t k = size_t(index) - m_memory.size();
    if (!m_file->seek(m_offsets[k]))
        storeFailed();
    QDataStream in(m_file.get());
    ReportPage page;
    quint32 count = 0;
    in >> page.size >> count;
    page.items.resize(count);
    for (PageItem &item : page.items)
        in >> item;
    if (in.status() != QDataStream::Ok)
        storeFailed();
    page.items.insert(page.items.end(), m_added[k].begin(), m_added[k].end());
    return page;
}

std::vector<ReportPage> PageStore::all() const
{
    std::vector<ReportPage> pages = m_memory;
    for (int i = int(m_memory.size()); i < size(); ++i)
        pages.push_back(page(i));
    return pages;
}

} // namespace report
