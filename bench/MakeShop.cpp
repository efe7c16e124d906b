// bench-mkshop [path] [scale] [--ordine casuale|data]: a shop of several
// years, built from the shipped schema. At scale 1 (the default): 200,000
// articles, 1,000,000 stock items with EAN-13 bar codes, 500,000 loads,
// 5,000,000 sales, 20,000 register entries and 50,000 invoices of 4 lines;
// other scales multiply every count. One transaction, prepared inserts,
// indexes last.
//
// The sales are written in one of two shapes, the same rows in both for the
// same scale: "casuale" (the default) in random date order, the worst case
// for a list over a period (its rows lie on pages all over the table);
// "data" in date order, as a shop that records its sales day by day writes
// them. Both end with the sales' digest, a sum over the rows read back from
// the file that does not depend on their order: two shops of the same scale
// print the same digest whatever their shape.
#include "db/Database.h"
#include "db/SalesSummary.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

// The shop at scale 1; bench-mkshop FILE SCALE multiplies every count
// (0.1 for a quick run).
struct Counts {
    int articles = 200000;
    int items = 1000000;
    int loads = 500000;
    int sales = 5000000;
    int registerEntries = 20000;
    int invoices = 50000;
};
constexpr int linesPerInvoice = 4;

Counts scaled(double scale)
{
    const auto times = [scale](int n) { return std::max(1, int(double(n) * scale)); };
    Counts c;
    c.articles = times(c.articles);
    c.items = std::max(c.articles, times(c.items));
    c.items -= c.items % c.articles; // every article has the same number of items
    c.loads = times(c.loads);
    c.sales = times(c.sales);
    c.registerEntries = times(c.registerEntries);
    c.invoices = times(c.invoices);
    return c;
}

std::string ean13(long long sequence)
{
    char digits[14];
    std::snprintf(digits, sizeof digits, "80%010lld", sequence);
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
    digits[12] = char('0' + (10 - sum % 10) % 10);
    digits[13] = 0;
    return digits;
}

// Stock item i: every tenth is the second-hand twin ("U") of the one before.
std::string itemCode(int i)
{
    return i % 10 == 9 ? ean13(i - 1) + "U" : ean13(i);
}

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "bench-mkshop: %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

class Insert {
public:
    Insert(sqlite3 *db, const char *sql) : m_db(db) { check(db, sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr), sql); }
    ~Insert() { sqlite3_finalize(m_s); }
    Insert &text(int i, const std::string &v) { sqlite3_bind_text(m_s, i, v.data(), int(v.size()), SQLITE_TRANSIENT); return *this; }
    Insert &integer(int i, long long v) { sqlite3_bind_int64(m_s, i, v); return *this; }
    Insert &real(int i, double v) { sqlite3_bind_double(m_s, i, v); return *this; }
    void run() { check(m_db, sqlite3_step(m_s), "insert"); sqlite3_reset(m_s); }
private:
    sqlite3 *m_db;
    sqlite3_stmt *m_s = nullptr;
};

const char *const words[] = {"Maglia", "Camicia", "Gonna", "Jeans", "Giacca", "Cappotto", "Sciarpa", "Felpa",
                             "Pantalone", "Abito", "Cintura", "Borsa"};
const char *const colours[] = {"rosso", "blu", "nero", "bianco", "verde", "grigio", "beige", "giallo"};
const char *const sizes[] = {"XS", "S", "M", "L", "XL", "XXL"};
const char *const payments[] = {"CO", "BA", "CC", "AS", "BO"};

// One generated sale, before it is written.
struct Sale {
    int item;
    int day;       // days after 2019-01-01
    int cents;     // the price above 5.00, in cents
    int quantity;
    int payment;
};

std::string isoOf(int day)
{
    static const QDate first(2019, 1, 1);
    return first.addDays(day).toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

// A digest of one sale as stored, summed over the rows: order plays no part.
quint64 saleDigest(const std::string &code, const std::string &date, double quantity, double price, double saldo,
                   const std::string &payment)
{
    const std::string row = code + '|' + date + '|' + std::to_string(qint64(quantity * 100 + 0.5)) + '|'
                            + std::to_string(qint64(price * 100 + 0.5)) + '|' + std::to_string(qint64(saldo * 100 + 0.5))
                            + '|' + payment;
    quint64 hash = 1469598103934665603ULL;   // FNV-1a
    for (const unsigned char c : row)
        hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

int randomDay(std::mt19937 &random)
{
    return int(random() % 2900);
}

std::string isoDay(std::mt19937 &random)
{
    return isoOf(randomDay(random));
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args;
    bool dateOrder = false;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--ordine" && a + 1 < argc) {
            const std::string shape = argv[++a];
            if (shape != "data" && shape != "casuale") {
                std::fprintf(stderr, "bench-mkshop: --ordine casuale or --ordine data\n");
                return 2;
            }
            dateOrder = shape == "data";
        } else {
            args.push_back(arg);
        }
    }
    const QString path = !args.empty() ? QString::fromStdString(args[0]) : QStringLiteral(TARVO_BENCH_SHOP);
    const double scale = args.size() > 1 ? std::atof(args[1].c_str()) : 1.0;
    if (!(scale > 0) || scale > 10 || args.size() > 2) {
        std::fprintf(stderr, "usage: bench-mkshop [file] [scale, 0 < scale <= 10, default 1] [--ordine casuale|data]\n");
        return 2;
    }
    const Counts n = scaled(scale);
    const int articles = n.articles, items = n.items, loads = n.loads, sales = n.sales;
    const int registerEntries = n.registerEntries, invoices = n.invoices;
    const auto start = std::chrono::steady_clock::now();
    QFile schemaFile(QStringLiteral(TARVO_SCHEMA_FILE));
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench-mkshop: schema not found\n");
        return 1;
    }
    if (QFile::exists(path)) {
        std::fprintf(stderr, "bench-mkshop: %s already exists\n", qPrintable(path));
        return 1;
    }
    try {
        db::Database::create(path, QString::fromUtf8(schemaFile.readAll()));
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "bench-mkshop: %s\n", error.what());
        return 1;
    }
    // The engine's connection registers the text collation the schema uses.
    const auto database = db::Database::open(path);
    sqlite3 *db = database->handle();
    check(db, sqlite3_exec(db, "pragma journal_mode=off; pragma synchronous=off", nullptr, nullptr, nullptr), "pragma");

    std::vector<std::string> indexes;
    {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "select name, sql from sqlite_master where type = 'index' and sql is not null", -1, &s, nullptr);
        std::vector<std::string> names;
        while (sqlite3_step(s) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            indexes.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(s, 1)));
        }
        sqlite3_finalize(s);
        for (const std::string &name : names)
            check(db, sqlite3_exec(db, ("drop index \"" + name + "\"").c_str(), nullptr, nullptr, nullptr), "drop index");
    }
    db::dropSalesSummaryTriggers(db);

    std::mt19937 random(20260101);
    quint64 written = 0;
    check(db, sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), "begin");
    {
        Insert article(db, "insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico, "
                           "art_Prezzo_Listino, art_Quantita, art_Usato, art_Data_Ultima_Vendita) values (?,?,?,?,?,?,?,?)");
        for (int a = 1; a <= articles; ++a) {
            const double cost = 5 + int(random() % 20000) / 100.0;
            article.integer(1, a)
                .text(2, std::string(words[a % 12]) + " " + colours[(a / 12) % 8] + " mod. " + std::to_string(a))
                .text(3, "Fornitore " + std::to_string(a % 500))
                .real(4, cost).real(5, cost * 2).real(6, random() % 50).integer(7, a % 10 == 0 ? -1 : 0)
                .text(8, isoDay(random))
                .run();
        }
        Insert item(db, "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) "
                        "values (?,?,?,?,?)");
        for (int i = 0; i < items; ++i)
            item.text(1, itemCode(i)).integer(2, 1 + i / (items / articles)).text(3, sizes[i % 6])
                .text(4, colours[i % 8]).integer(5, random() % 40).run();
        Insert load(db, "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) values (?,?,?,0,?)");
        for (int l = 0; l < loads; ++l) {
            const int i = int(random() % items);
            load.text(1, itemCode(i)).text(2, isoDay(random)).real(3, 1 + random() % 20).integer(4, i % 10 == 9 ? -1 : 0).run();
        }
        Insert sale(db, "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, "
                        "sc_Pagamento, sc_Usato) values (?,?,?,?,?,?,?,?)");
        // Drawn in one order whatever the shape, so that both shapes hold
        // the same rows and every later table the same draws.
        std::vector<Sale> drawn(static_cast<size_t>(sales));
        for (int s = 0; s < sales; ++s) {
            Sale &one = drawn[size_t(s)];
            one.item = int(random() % items);
            one.cents = int(random() % 30000);
            one.quantity = 1 + int(random() % 3);
            one.day = randomDay(random);
            one.payment = s % 5;
        }
        if (dateOrder)
            std::stable_sort(drawn.begin(), drawn.end(), [](const Sale &a, const Sale &b) { return a.day < b.day; });
        for (const Sale &one : drawn) {
            const double price = 5 + one.cents / 100.0;
            const std::string code = itemCode(one.item), date = isoOf(one.day);
            sale.text(1, code).text(2, date).real(3, one.quantity).real(4, price).real(5, 0)
                .real(6, price * one.quantity).text(7, payments[one.payment]).integer(8, one.item % 10 == 9 ? -1 : 0).run();
            written += saleDigest(code, date, one.quantity, price, price * one.quantity, payments[one.payment]);
        }
        Insert person(db, "insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località, anag_Stato, "
                          "anag_Partita_IVA, anag_Fornitore) values (?,?,?,'Italia',?,?)");
        for (int p = 1; p <= registerEntries; ++p)
            person.text(1, "Cliente " + std::to_string(p)).text(2, "Via Roma " + std::to_string(p % 200))
                .text(3, p % 3 ? "Forlì" : "Cesena").text(4, std::to_string(10000000000LL + p)).integer(5, p % 7 == 0 ? -1 : 0).run();
        Insert journal(db, "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) values (?,?,?)");
        for (int j = 0; j < registerEntries; ++j)
            journal.text(1, isoDay(random)).text(2, "Spesa " + std::to_string(j)).real(3, random() % 50000 / 100.0).run();
        Insert invoice(db, "insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Descrizione_Pagamento, "
                           "fat_Pagato, fat_Imponibile) values (?,?,?,'Contanti',?,?)");
        Insert line(db, "insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, "
                        "df_Importo) values (?,?,?,?,?,?)");
        for (int f = 1; f <= invoices; ++f) {
            char number[32];
            std::snprintf(number, sizeof number, "%02d-%05d", 19 + (f - 1) * 8 / invoices, f);
            double total = 0;
            for (int k = 0; k < linesPerInvoice; ++k) {
                const double price = 10 + random() % 9000 / 100.0;
                line.text(1, number).text(2, "Riga " + std::to_string(k + 1)).real(3, 1).real(4, price)
                    .integer(5, 1 + k % 3).real(6, price).run();
                total += price;
            }
            invoice.text(1, number).text(2, isoDay(random)).integer(3, 1 + f % registerEntries)
                .integer(4, f % 2 ? -1 : 0).real(5, total).run();
        }
    }
    for (const std::string &sql : indexes)
        check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), "create index");
    // The sales' summary summed once, as the upgrade does, its triggers back.
    try {
        db::rebuildSalesSummary(db);
        db::createSalesSummaryTriggers(db);
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "bench-mkshop: %s\n", error.what());
        return 1;
    }
    check(db, sqlite3_exec(db, "commit; analyze", nullptr, nullptr, nullptr), "commit");
    check(db, sqlite3_exec(db, "pragma journal_mode=wal", nullptr, nullptr, nullptr), "wal");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // The sales read back: the digest of what the file holds, and in the
    // date-ordered shape the row order checked.
    quint64 stored = 0;
    long long rows = 0, outOfOrder = 0;
    {
        sqlite3_stmt *s = nullptr;
        check(db, sqlite3_prepare_v2(db, "select sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Saldo, sc_Pagamento "
                                         "from scarico order by rowid", -1, &s, nullptr), "read back");
        std::string previous;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const auto text = [s](int c) { return std::string(reinterpret_cast<const char *>(sqlite3_column_text(s, c))); };
            const std::string date = text(1);
            stored += saleDigest(text(0), date, sqlite3_column_double(s, 2), sqlite3_column_double(s, 3),
                                 sqlite3_column_double(s, 4), text(5));
            outOfOrder += date < previous;
            previous = date;
            ++rows;
        }
        sqlite3_finalize(s);
    }
    std::printf("bench-mkshop: %s built in %.1f s (scale %g: %d articles, %d items, %d loads, %d sales, %s)\n",
                qPrintable(path), seconds, scale, articles, items, loads, sales,
                dateOrder ? "sales in date order" : "sales in random date order");
    std::printf("bench-mkshop: sales digest %016llx over %lld rows; %lld rows follow a later date\n",
                static_cast<unsigned long long>(stored), rows, outOfOrder);
    if (stored != written || rows != sales || (dateOrder && outOfOrder != 0)) {
        std::fprintf(stderr, "bench-mkshop: the sales read back differ from those written (digest %016llx written)\n",
                     static_cast<unsigned long long>(written));
        return 1;
    }
    return 0;
}
