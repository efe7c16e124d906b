#pragma once

#include "rules/TableWriter.h"

#include <QByteArray>
#include <QList>
#include <QStringEncoder>
#include <memory>

class QIODevice;
class QSaveFile;

// A list in CsvTable's format, written as its rows arrive: into a file
// (written aside, in place only when finished) or onto a device the caller
// opened, standard output for one.
class CsvTableWriter : public TableWriter {
public:
    explicit CsvTableWriter(const QString &path);
    explicit CsvTableWriter(QIODevice *device);
    ~CsvTableWriter() override;

    bool begin(const QList<ExportColumn> &columns) override;
    bool addRow(const QVariantList &cells) override;
    bool acceptsCsvLines() const override { return true; }
    bool addCsvLine(QByteArrayView line) override;
    bool finish() override;
    QString errorString() const override { return m_error; }

private:
    bool write(bool all);

    std::unique_ptr<QSaveFile> m_file;
    QIODevice *m_device = nullptr;
    QList<int> m_decimals;
    QByteArray m_pending;
    QString m_line;   // the row being made, its room kept from row to row
    QStringEncoder m_encoder {QStringEncoder::Utf8};
    QString m_error;
};
