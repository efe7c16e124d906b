#include "DbReportSource.h"

#include "ReportQuery.h"
#include "SelectionSql.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/EngineErrors.h"
#include "db/IdleConnections.h"
#include "db/RowStream.h"

namespace report {

namespace {

QString quoted(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace

DbReportSource::DbReportSource(const QString &path)
{
    if (!db::Database::exists(path))
        throw db::errors::fileNotFound(path);
    m_connection = db::IdleConnections::take(path);
}

DbReportSource::~DbReportSource()
{
    db::IdleConnections::giveBack(std::move(m_connection));
}

QStringList DbReportSource::fieldNames(const QString &table)
{
    const db::TableMeta *meta = m_connection->catalog().table(table);
    if (!meta)
        throw db::DbError(db::ErrorKind::UnknownName, 3078,
                          QStringLiteral("Impossibile trovare la tabella o la query di input '%1'. Verificare che "
                                         "esista e che il nome sia stato digitato correttamente.").arg(table));
    QStringList names;
    for (const db::ColumnMeta &c : meta->columns)
        names << c.name;
    return names;
}

QString DbReportSource::shapeKey() const
{
    return m_connection->path() + QLatin1Char('#') + QString::number(m_connection->catalog().schemaVersion());
}

QStringList DbReportSource::letterhead()
{
    if (!m_connection->catalog().table(QStringLiteral("Azienda")))
        return {};
    QStringList f;
    try {
        db::Statement *row = m_connection->statement(
            QStringLiteral("select az_Denominazione, az_Indirizzo, az_CAP, az_Comune, az_Provincia, az_Partita_IVA, "
                           "az_Codice_Fiscale, az_Telefono, az_Email from Azienda limit 1"),
            QString());
        const db::StatementUse use(row);
        if (row->step(QString()))
            for (int i = 0; i < 9; ++i)
                f << row->columnString(i).simplified();
    } catch (const db::DbError &) {
        return {};   // a table of another shape: the letterhead file stands
    }
    if (f.isEmpty() || f[0].isEmpty())
        return {};
    const auto joined = [](QStringList parts) {
        parts.removeAll(QString());
        return parts.join(QStringLiteral(" - "));
    };
    QStringList lines{f[0], f[1],
                      (f[2] + QLatin1Char(' ') + f[3]).trimmed()
                          + (f[4].isEmpty() ? QString() : QStringLiteral(" (%1)").arg(f[4])),
                      joined({f[5].isEmpty() ? QString() : QStringLiteral("P. IVA ") + f[5],
                              f[6].isEmpty() || f[6] == f[5] ? QString() : QStringLiteral("C.F. ") + f[6]}),
                      joined({f[7].isEmpty() ? QString() : QStringLiteral("Tel. ") + f[7], f[8]})};
    lines.removeAll(QString());
    return lines;
}

void DbReportSource::stream(const ReportQuery &query, const Formula &selection, const RowTest &test,
                            const RowSink &sink)
{
    const db::Connection::Translated translated = m_connection->translate(query.sql(), false);
    const db::Translation &t = *translated.translation;

    std::vector<SqlColumn> columns;
    std::vector<db::FieldKind> kinds;
    // Columns come table by table: look each table up once.
    QString table, reference;
    const db::TableMeta *meta = nullptr;
    for (const ReportQuery::Column &c : query.columns()) {
        SqlColumn column;
        if (c.table != table) {
            table = c.table;
            reference = quoted(c.table);
            for (const db::FromTable &from : t.tables)
                if (from.table.compare(c.table, Qt::CaseInsensitive) == 0)
                    reference = from.reference;
            meta = m_connection->catalog().table(c.table);
        }
        QString field = c.field;
        if (meta) {
            // fieldNames() lists the catalogue's columns in order.
            const db::ColumnMeta *cm = c.position >= 0 && size_t(c.position) < meta->columns.size()
                                               && meta->columns[size_t(c.position)].name == c.field
                                           ? &meta->columns[size_t(c.position)]
                                           : meta->column(c.field);
            if (cm) {
                column.kind = cm->kind;
                field = cm->name;
            }
        }
        column.expression = reference + QLatin1Char('.') + quoted(field);
        columns.push_back(column);
        kinds.push_back(column.kind);
    }

    QString sql;
    std::vector<db::Literal> parameters;
    bool complete = true;
    if (t.keyed) {
        const SelectionSql where = SelectionSql::compile(selection, columns);
        complete = where.complete;
        const int before = t.selectListLiterals + t.fromLiterals + t.whereLiterals;
        const std::vector<db::Literal> &literals = translated.literals;
        parameters.assign(literals.begin(), literals.begin() + before);
        parameters.insert(parameters.end(), where.parameters.begin(), where.parameters.end());
        QStringList conditions;
        if (!t.where.isEmpty())
            conditions << QLatin1Char('(') + t.where + QLatin1Char(')');
        if (!where.where.isEmpty())
            conditions << where.where;
        sql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(" FROM ") + t.from;
        if (!conditions.isEmpty())
            sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
        if (!t.orderBy.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + t.orderBy;
        parameters.insert(parameters.end(), literals.begin() + before, literals.end());
    } else {
        sql = t.sql;
        parameters = translated.literals;
        complete = selection.isEmpty();
    }
    m_lastStatement = sql;
    m_lastParameters = parameters;
    m_lastComplete = complete;

    db::RowStream rows(*m_connection, sql, parameters, kinds);
    const int width = int(kinds.size());
    while (rows.next()) {
        ReportRow row;
        row.reserve(size_t(width));
        for (int c = 0; c < width; ++c)
            row.push_back(rows.value(c));
        if (!complete && !test(row))
            continue;
        if (!sink(std::move(row)))
            break;
    }
}

void DbReportSource::interrupt()
{
    m_connection->interrupt();
}

} // namespace report
