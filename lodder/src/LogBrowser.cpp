#include "LogBrowser.h"

namespace lodder {

DebStatus LogBrowser::open(const QString &path, const QString &password)
{
    m_ids.clear();
    m_position = -1;
    m_mode = EditMode::None;
    m_record = LogRecord();
    DebStatus status = m_database.open(path, password);
    if (status.ok())
        status = m_database.ids(m_ids);
    if (status.ok() && !m_ids.empty())
        status = moveTo(0);
    return status;
}

qint64 LogBrowser::currentId() const
{
    return m_position >= 0 ? m_ids[size_t(m_position)] : 0;
}

DebStatus LogBrowser::moveTo(int position)
{
    if (position < 0 || position >= recordCount())
        return {};
    LogRecord record;
    bool found = false;
    const DebStatus status = m_database.read(m_ids[size_t(position)], record, found);
    if (!status.ok())
        return status;
    m_mode = EditMode::None;
    m_position = position;
    m_record = found ? record : LogRecord();
    return {};
}

void LogBrowser::addNew()
{
    m_mode = EditMode::Adding;
    m_record = LogRecord();
}

void LogBrowser::edit()
{
    if (m_position >= 0)
        m_mode = EditMode::Editing;
}

DebStatus LogBrowser::update(const LogRecord &values)
{
    if (m_mode == EditMode::Adding) {
        const DebStatus status = m_database.insert(values);
        if (!status.ok())
            return status;
        m_ids.push_back(m_database.lastInsertedId());
    } else if (m_mode == EditMode::Editing) {
        const DebStatus status = m_database.update(currentId(), values);
        if (!status.ok())
            return status;
    } else {
        return {};
    }
    m_record = values;
    m_mode = EditMode::None;
    return {};
}

DebStatus LogBrowser::deleteCurrent()
{
    if (m_position < 0)
        return {};
    const DebStatus status = m_database.remove(currentId());
    if (!status.ok())
        return status;
    m_ids.erase(m_ids.begin() + m_position);
    m_position = -1;
    m_mode = EditMode::None;
    m_record = LogRecord();
    return {};
}

} // namespace lodder
