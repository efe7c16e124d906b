#pragma once

#include "rules/TableWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QFileInfo;

struct lxw_format;
struct lxw_workbook;
struct lxw_worksheet;

// A list as an Excel workbook whose cells say what they are: texts (codes
// and partite IVA among them) as text, numbers as numbers (amounts shown
// "#,##0.00"), dates as dates shown dd/mm/yyyy; the heading bold and
// frozen, the columns as wide as their contents. Rows go to disk as they
// come (libxlsxwriter's constant-memory mode); a list longer than a sheet
// goes on in a next sheet under the same heading. The workbook is written
// beside the file and renamed over it when whole.
class XlsxTableWriter : public TableWriter {
public:
    // The format's limit of rows per sheet, the heading's included.
    static constexpr int kSheetRows = 1048576;

    XlsxTableWriter(QString path, QString title, int sheetRows = kSheetRows);
    ~XlsxTableWriter() override;

    bool begin(const QList<ExportColumn> &columns) override;
    bool addRow(const QVariantList &cells) override;
    bool finish() override;
    QString errorString() const override { return m_error; }

private:
    bool makeAside(const QFileInfo &target);
    bool startSheet();
    bool fitColumns();
    bool writeCell(int column, const QVariant &cell);
    bool ok(int error);
    QString sheetName() const;
    void widen(int column, qsizetype characters);

    QString m_path;
    QString m_title;
    int m_sheetRows;
    QString m_aside;
    QByteArray m_folder;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_heading = nullptr;
    lxw_format *m_amount = nullptr;
    lxw_format *m_date = nullptr;
    lxw_format *m_moment = nullptr;
    QList<ExportColumn> m_columns;
    QList<qsizetype> m_widths;
    int m_row = 0;
    int m_sheets = 0;
    bool m_finished = false;
    QString m_error;
};
