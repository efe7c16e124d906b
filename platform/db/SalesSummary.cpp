#include "SalesSummary.h"

#include "EngineErrors.h"
#include "TextKeys.h"

#include <QStringList>
#include <sqlite3.h>

namespace db {

namespace {

void run(sqlite3 *handle, const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_exec(handle, utf8.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw errors::fromSqlite(handle, rc, sql);
}

// The parts of one sale (`row`: new or old, or a table's alias) as the
// summary counts them, on SQLite.
struct SaleTerms {
    QString row;

    QString field(const char *name) const { return row + QLatin1Char('.') + QLatin1String(name); }
    // Only a date written as the program writes it ("yyyy-mm-dd", maybe a
    // time after) has a period.
    QString dated() const
    {
        return field("sc_Data") + QStringLiteral(" GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'");
    }
    QString period(int length) const { return QStringLiteral("substr(%1, 1, %2)").arg(field("sc_Data")).arg(length); }
    QString payment() const { return QStringLiteral("coalesce(%1, '')").arg(field("sc_Pagamento")); }
    QString whole(const char *name, int times) const
    {
        // Through 15 significant digits, as the server turns a double
        // into a decimal: 2.675 x 100 is 267.49999999999997, taken as 267.5.
        return QStringLiteral("cast(round(cast(printf('%.15g', coalesce(%1, 0) * %2) as real)) as integer)")
            .arg(field(name))
            .arg(times);
    }
    QString pieces() const { return whole("sc_Quantita", 1000); }
    QString takings() const { return whole("sc_Saldo", 100); }
    QString discounts() const { return whole("sc_Sconto", 100); }
    QString article() const
    {
        return QStringLiteral("coalesce((select ca_Codice_Articolo from \"Codice Articolo\" where %1 = %2), 0)")
            .arg(foldedTextKey(QStringLiteral("ca_Codice")), foldedTextKey(field("sc_Codice_Articolo")));
    }
};

// Adds (sign 1) or takes back (sign -1) one sale.
QString summed(const SaleTerms &sale, int sign)
{
    const QString s = QString::number(sign);
    QString sql = QStringLiteral(
        "insert into VenditeGiorno (vg_Data, vg_Pagamento, vg_Vendite, vg_Pezzi_Millesimi, vg_Incasso_Centesimi, "
        "vg_Sconti_Centesimi) select %1, %2, %3, %3 * %4, %3 * %5, %3 * %6 where %7 "
        "on conflict (vg_Data, vg_Pagamento) do update set vg_Vendite = vg_Vendite + excluded.vg_Vendite, "
        "vg_Pezzi_Millesimi = vg_Pezzi_Millesimi + excluded.vg_Pezzi_Millesimi, "
        "vg_Incasso_Centesimi = vg_Incasso_Centesimi + excluded.vg_Incasso_Centesimi, "
        "vg_Sconti_Centesimi = vg_Sconti_Centesimi + excluded.vg_Sconti_Centesimi;")
        .arg(sale.period(10), sale.payment(), s, sale.pieces(), sale.takings(), sale.discounts(), sale.dated());
    sql += QStringLiteral(
        "insert into VenditeArticoli (va_Periodo, va_Articolo, va_Vendite, va_Pezzi_Millesimi, va_Incasso_Centesimi) "
        "select p.periodo, a.articolo, %1, %1 * %2, %1 * %3 from "
        "(select %4 as periodo union all select %5 union all select %6) p, (select %7 as articolo) a where %8 "
        "on conflict (va_Periodo, va_Articolo) do update set va_Vendite = va_Vendite + excluded.va_Vendite, "
        "va_Pezzi_Millesimi = va_Pezzi_Millesimi + excluded.va_Pezzi_Millesimi, "
        "va_Incasso_Centesimi = va_Incasso_Centesimi + excluded.va_Incasso_Centesimi;")
        .arg(s, sale.pieces(), sale.takings(), sale.period(10), sale.period(7), sale.period(4), sale.article(),
             sale.dated());
    if (sign < 0) {
        sql += QStringLiteral("delete from VenditeGiorno where vg_Data = %1 and vg_Pagamento = %2 and vg_Vendite = 0;")
                   .arg(sale.period(10), sale.payment());
        sql += QStringLiteral("delete from VenditeArticoli where va_Periodo in (%1, %2, %3) and va_Articolo = %4 "
                              "and va_Vendite = 0;")
                   .arg(sale.period(10), sale.period(7), sale.period(4), sale.article());
    }
    return sql;
}

const char *const kTriggers[] = {"VenditeStatistiche_Inserimento", "VenditeStatistiche_Eliminazione",
                                 "VenditeStatistiche_Modifica"};

} // namespace

void createSalesSummaryTriggers(sqlite3 *handle)
{
    const SaleTerms added{QStringLiteral("new")};
    const SaleTerms removed{QStringLiteral("old")};
    run(handle, QStringLiteral("create trigger if not exists %1 after insert on scarico begin %2 end;"
                               "create trigger if not exists %3 after delete on scarico begin %4 end;"
                               "create trigger if not exists %5 after update of sc_Data, sc_Codice_Articolo, "
                               "sc_Quantita, sc_Saldo, sc_Sconto, sc_Pagamento on scarico begin %6 %7 end;")
                    .arg(QLatin1String(kTriggers[0]), summed(added, 1), QLatin1String(kTriggers[1]),
                         summed(removed, -1), QLatin1String(kTriggers[2]), summed(removed, -1), summed(added, 1)));
}

void dropSalesSummaryTriggers(sqlite3 *handle)
{
    for (const char *name : kTriggers)
        run(handle, QStringLiteral("drop trigger if exists %1").arg(QLatin1String(name)));
}

void rebuildSalesSummary(sqlite3 *handle)
{
    const SaleTerms sale{QStringLiteral("s")};
    QString sql = QStringLiteral("delete from VenditeGiorno; delete from VenditeArticoli;");
    sql += QStringLiteral("insert into VenditeGiorno (vg_Data, vg_Pagamento, vg_Vendite, vg_Pezzi_Millesimi, "
                          "vg_Incasso_Centesimi, vg_Sconti_Centesimi) select %1, %2, count(*), sum(%3), sum(%4), "
                          "sum(%5) from scarico s where %6 group by 1, 2;")
               .arg(sale.period(10), sale.payment(), sale.pieces(), sale.takings(), sale.discounts(), sale.dated());
    sql += QStringLiteral("insert into VenditeArticoli (va_Periodo, va_Articolo, va_Vendite, va_Pezzi_Millesimi, "
                          "va_Incasso_Centesimi) select %1, coalesce(i.ca_Codice_Articolo, 0), count(*), sum(%2), "
                          "sum(%3) from scarico s left join \"Codice Articolo\" i on %4 = %5 where %6 group by 1, 2;")
               .arg(sale.period(10), sale.pieces(), sale.takings(), foldedTextKey(QStringLiteral("i.ca_Codice")),
                    foldedTextKey(sale.field("sc_Codice_Articolo")), sale.dated());
    // Months from days, years from months.
    for (const auto &[from, to] : {std::pair{10, 7}, std::pair{7, 4}})
        sql += QStringLiteral("insert into VenditeArticoli (va_Periodo, va_Articolo, va_Vendite, va_Pezzi_Millesimi, "
                              "va_Incasso_Centesimi) select substr(va_Periodo, 1, %2), va_Articolo, sum(va_Vendite), "
                              "sum(va_Pezzi_Millesimi), sum(va_Incasso_Centesimi) from VenditeArticoli "
                              "where length(va_Periodo) = %1 group by 1, 2;")
                   .arg(from)
                   .arg(to);
    run(handle, sql);
}

QString serverSalesSummaryScript()
{
    return QStringLiteral(
        "CREATE TABLE \"VenditeGiorno\" ("
        "\"vg_Data\" text COLLATE \"C\" NOT NULL,"
        " \"vg_Pagamento\" text COLLATE \"C\" NOT NULL,"
        " \"vg_Vendite\" bigint NOT NULL,"
        " \"vg_Pezzi_Millesimi\" bigint NOT NULL,"
        " \"vg_Incasso_Centesimi\" bigint NOT NULL,"
        " \"vg_Sconti_Centesimi\" bigint NOT NULL,"
        " PRIMARY KEY (\"vg_Data\", \"vg_Pagamento\"));"
        "CREATE TABLE \"VenditeArticoli\" ("
        "\"va_Periodo\" text COLLATE \"C\" NOT NULL,"
        " \"va_Articolo\" bigint NOT NULL,"
        " \"va_Vendite\" bigint NOT NULL,"
        " \"va_Pezzi_Millesimi\" bigint NOT NULL,"
        " \"va_Incasso_Centesimi\" bigint NOT NULL,"
        " PRIMARY KEY (\"va_Periodo\", \"va_Articolo\"));"
        "CREATE FUNCTION tarvo_vendite_somma(s scarico, segno integer) RETURNS void LANGUAGE plpgsql AS $f$\n"
        "DECLARE giorno text; pagamento text; articolo bigint; pezzi bigint; incasso bigint; sconti bigint;\n"
        "BEGIN\n"
        "  IF s.\"sc_Data\" IS NULL THEN RETURN; END IF;\n"
        "  giorno := to_char(s.\"sc_Data\", 'YYYY-MM-DD');\n"
        "  pagamento := coalesce(s.\"sc_Pagamento\", '');\n"
        "  pezzi := segno * round((coalesce(s.\"sc_Quantita\", 0) * 1000)::numeric);\n"
        "  incasso := segno * round((coalesce(s.\"sc_Saldo\", 0) * 100)::numeric);\n"
        "  sconti := segno * round((coalesce(s.\"sc_Sconto\", 0) * 100)::numeric);\n"
        "  SELECT \"ca_Codice_Articolo\" INTO articolo FROM \"Codice Articolo\"\n"
        "    WHERE tarvo_key(\"ca_Codice\") = tarvo_key(s.\"sc_Codice_Articolo\");\n"
        "  articolo := coalesce(articolo, 0);\n"
        "  INSERT INTO \"VenditeGiorno\" VALUES (giorno, pagamento, segno, pezzi, incasso, sconti)\n"
        "    ON CONFLICT (\"vg_Data\", \"vg_Pagamento\") DO UPDATE SET\n"
        "    \"vg_Vendite\" = \"VenditeGiorno\".\"vg_Vendite\" + EXCLUDED.\"vg_Vendite\",\n"
        "    \"vg_Pezzi_Millesimi\" = \"VenditeGiorno\".\"vg_Pezzi_Millesimi\" + EXCLUDED.\"vg_Pezzi_Millesimi\",\n"
        "    \"vg_Incasso_Centesimi\" = \"VenditeGiorno\".\"vg_Incasso_Centesimi\" + EXCLUDED.\"vg_Incasso_Centesimi\",\n"
        "    \"vg_Sconti_Centesimi\" = \"VenditeGiorno\".\"vg_Sconti_Centesimi\" + EXCLUDED.\"vg_Sconti_Centesimi\";\n"
        "  INSERT INTO \"VenditeArticoli\"\n"
        "    SELECT p, articolo, segno, pezzi, incasso FROM unnest(ARRAY[giorno, left(giorno, 7), left(giorno, 4)]) p\n"
        "    ON CONFLICT (\"va_Periodo\", \"va_Articolo\") DO UPDATE SET\n"
        "    \"va_Vendite\" = \"VenditeArticoli\".\"va_Vendite\" + EXCLUDED.\"va_Vendite\",\n"
        "    \"va_Pezzi_Millesimi\" = \"VenditeArticoli\".\"va_Pezzi_Millesimi\" + EXCLUDED.\"va_Pezzi_Millesimi\",\n"
        "    \"va_Incasso_Centesimi\" = \"VenditeArticoli\".\"va_Incasso_Centesimi\" + EXCLUDED.\"va_Incasso_Centesimi\";\n"
        "  IF segno < 0 THEN\n"
        "    DELETE FROM \"VenditeGiorno\" WHERE \"vg_Data\" = giorno AND \"vg_Pagamento\" = pagamento\n"
        "      AND \"vg_Vendite\" = 0;\n"
        "    DELETE FROM \"VenditeArticoli\" WHERE \"va_Periodo\" IN (giorno, left(giorno, 7), left(giorno, 4))\n"
        "      AND \"va_Articolo\" = articolo AND \"va_Vendite\" = 0;\n"
        "  END IF;\n"
        "END $f$;\n"
        "CREATE FUNCTION tarvo_vendite_statistiche() RETURNS trigger LANGUAGE plpgsql AS $f$\n"
        "BEGIN\n"
        "  IF TG_OP IN ('UPDATE', 'DELETE') THEN PERFORM tarvo_vendite_somma(OLD, -1); END IF;\n"
        "  IF TG_OP IN ('UPDATE', 'INSERT') THEN PERFORM tarvo_vendite_somma(NEW, 1); END IF;\n"
        "  RETURN NULL;\n"
        "END $f$;\n"
        "CREATE TRIGGER \"scarico_Statistiche\" AFTER INSERT OR DELETE OR UPDATE OF \"sc_Data\", "
        "\"sc_Codice_Articolo\", \"sc_Quantita\", \"sc_Saldo\", \"sc_Sconto\", \"sc_Pagamento\" ON scarico "
        "FOR EACH ROW EXECUTE FUNCTION tarvo_vendite_statistiche();")
        + serverSalesSummaryRebuild();
}

QString serverSalesSummaryRebuild()
{
    const QString pieces = QStringLiteral("round((coalesce(s.\"sc_Quantita\", 0) * 1000)::numeric)");
    const QString takings = QStringLiteral("round((coalesce(s.\"sc_Saldo\", 0) * 100)::numeric)");
    const QString discounts = QStringLiteral("round((coalesce(s.\"sc_Sconto\", 0) * 100)::numeric)");
    QString sql = QStringLiteral("DELETE FROM \"VenditeGiorno\"; DELETE FROM \"VenditeArticoli\";");
    sql += QStringLiteral("INSERT INTO \"VenditeGiorno\" SELECT to_char(s.\"sc_Data\", 'YYYY-MM-DD'), "
                          "coalesce(s.\"sc_Pagamento\", ''), count(*), sum(%1), sum(%2), sum(%3) FROM scarico s "
                          "WHERE s.\"sc_Data\" IS NOT NULL GROUP BY 1, 2;")
               .arg(pieces, takings, discounts);
    sql += QStringLiteral("INSERT INTO \"VenditeArticoli\" SELECT to_char(s.\"sc_Data\", 'YYYY-MM-DD'), "
                          "coalesce(i.\"ca_Codice_Articolo\", 0), count(*), sum(%1), sum(%2) FROM scarico s "
                          "LEFT JOIN \"Codice Articolo\" i ON tarvo_key(i.\"ca_Codice\") = "
                          "tarvo_key(s.\"sc_Codice_Articolo\") WHERE s.\"sc_Data\" IS NOT NULL GROUP BY 1, 2;")
               .arg(pieces, takings);
    for (const auto &[from, to] : {std::pair{10, 7}, std::pair{7, 4}})
        sql += QStringLiteral("INSERT INTO \"VenditeArticoli\" SELECT left(\"va_Periodo\", %2), \"va_Articolo\", "
                              "sum(\"va_Vendite\"), sum(\"va_Pezzi_Millesimi\"), sum(\"va_Incasso_Centesimi\") "
                              "FROM \"VenditeArticoli\" WHERE length(\"va_Periodo\") = %1 GROUP BY 1, 2;")
                   .arg(from)
                   .arg(to);
    return sql;
}

} // namespace db
