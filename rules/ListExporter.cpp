#include "rules/ListExporter.h"

#include "db/DbError.h"
#include "db/SelectStream.h"
#include "rules/TableWriter.h"

ListExporter::ListExporter(ListExport list, QString databasePath)
    : m_list(std::move(list)), m_path(std::move(databasePath))
{
}

ListExporter::~ListExporter() = default;

void ListExporter::cancel()
{
    m_cancelled = true;
    const std::lock_guard<std::mutex> lock(m_streamMutex);
    if (m_stream)
        m_stream->interrupt();
}

ListExporter::Outcome ListExporter::run(TableWriter &writer)
{
    m_rows = 0;
    m_error.clear();
    if (!writer.begin(m_list.columns)) {
        m_error = writer.errorString();
        return Outcome::WriteFailed;
    }
    const Outcome rows = m_list.statement.isEmpty() ? writeGivenRows(writer) : writeStatementRows(writer);
    if (m_cancelled)
        return Outcome::Cancelled;
    if (rows != Outcome::Done)
        return rows;
    if (!writer.finish()) {
        m_error = writer.errorString();
        return Outcome::WriteFailed;
    }
    return Outcome::Done;
}

bool ListExporter::written(TableWriter &writer, const QVariantList &cells)
{
    return counted(writer.addRow(cells), writer);
}

bool ListExporter::counted(bool written, const TableWriter &writer)
{
    if (!written) {
        m_error = writer.errorString();
        return false;
    }
    ++m_rows;
    if (m_observer)
        m_observer(m_rows);
    return true;
}

ListExporter::Outcome ListExporter::writeGivenRows(TableWriter &writer)
{
    if (m_list.csvLines && writer.acceptsCsvLines()) {
        Outcome outcome = Outcome::Done;
        m_list.csvLines([&](QByteArrayView line) {
            if (m_cancelled) {
                outcome = Outcome::Cancelled;
                return false;
            }
            if (!counted(writer.addCsvLine(line), writer)) {
                outcome = Outcome::WriteFailed;
                return false;
            }
            return true;
        });
        return outcome;
    }
    if (m_list.rowSource) {
        Outcome outcome = Outcome::Done;
        QVariantList cells;
        m_list.rowSource([&](const QVariantList &row) {
            if (m_cancelled) {
                outcome = Outcome::Cancelled;
                return false;
            }
            cells.clear();
            for (int c = 0; c < m_list.columns.size(); ++c)
                cells << m_list.columns.at(c).cell(row.value(c));
            if (!written(writer, cells)) {
                outcome = Outcome::WriteFailed;
                return false;
            }
            return true;
        });
        return outcome;
    }
    for (const QVariantList &row : std::as_const(m_list.rows)) {
        if (m_cancelled)
            return Outcome::Cancelled;
        QVariantList cells;
        for (int c = 0; c < m_list.columns.size(); ++c)
            cells << m_list.columns.at(c).cell(row.value(c));
        if (!written(writer, cells))
            return Outcome::WriteFailed;
    }
    return Outcome::Done;
}

ListExporter::Outcome ListExporter::writeStatementRows(TableWriter &writer)
{
    try {
        db::SelectStream stream(m_path, m_list.statement);
        QList<int> fields;
        for (const ExportColumn &column : std::as_const(m_list.columns)) {
            fields << stream.fieldIndex(column.field);
            if (fields.last() < 0) {
                m_error = QStringLiteral("Campo \"%1\" non trovato.").arg(column.field);
                return Outcome::ReadFailed;
            }
        }
        {
            const std::lock_guard<std::mutex> lock(m_streamMutex);
            m_stream = &stream;
        }
        // Whatever way this block is left, cancel() no longer reaches the stream.
        struct Forget {
            ListExporter &exporter;
            ~Forget()
            {
                const std::lock_guard<std::mutex> lock(exporter.m_streamMutex);
                exporter.m_stream = nullptr;
            }
        } forget{*this};
        if (m_cancelled)
            return Outcome::Cancelled;
        QVariantList cells;
        while (!m_cancelled && stream.next()) {
            cells.clear();
            for (int c = 0; c < m_list.columns.size(); ++c)
                cells << m_list.columns.at(c).cell(stream.value(fields.at(c)));
            if (!written(writer, cells))
                return Outcome::WriteFailed;
        }
    } catch (const db::DbError &error) {
        m_error = error.description();
        return m_cancelled ? Outcome::Cancelled : Outcome::ReadFailed;
    }
    return m_cancelled ? Outcome::Cancelled : Outcome::Done;
}
