#pragma once

#include <QByteArray>
#include <vector>

class QIODevice;

namespace report {

// The objects of a PDF file written one after the other, with the cross
// reference table at the end. Objects may refer to numbers reserved before
// they are written, so a document can be streamed page by page.
class PdfFile {
public:
    explicit PdfFile(QIODevice &out);

    int reserve();
    void writeObject(int number, const QByteArray &body);
    // A stream object, deflated when long; `dictionary` holds the keys beyond /Length
    // and /Filter ("" or e.g. "/Type /XObject").
    void writeStream(int number, const QByteArray &data, const char *dictionary = "");
    // Writes the cross reference table and the trailer. False when any write
    // failed (disk full, device closed).
    bool finish(int catalog, int info);

    // A PDF text string: ASCII as it stands, anything else as UTF-16.
    static QByteArray textString(const QString &text);

private:
    void write(const QByteArray &bytes);
    void write(const char *text);
    void flush();

    static constexpr qsizetype kFlushSize = 256 * 1024;

    QIODevice &m_out;
    qint64 m_position = 0;
    bool m_failed = false;
    QByteArray m_pending;
    std::vector<qint64> m_offsets;   // by object number - 1; -1 until written
};

} // namespace report
