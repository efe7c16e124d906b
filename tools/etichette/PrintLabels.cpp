// tarvo-etichette: prints labels with bar codes to a PDF file from the
// command line, laid out as the windows lay them out. Exit code 0 only when
// the PDF was written.
//
//   tarvo-etichette (--articolo N ... | --carichi --dal GG/MM/AAAA --al GG/MM/AAAA)
//                   [--foglio NOME] [--inizio N] [--copie N] [--negozio] --pdf FILE [--database FILE]
#include "report/LabelLayout.h"
#include "report/LabelSheet.h"
#include "report/LabelSource.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/ProgramFolder.h"

#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace report;

namespace {

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char *const kUsageText =
    "Uso: tarvo-etichette (--articolo N ... | --carichi --dal GG/MM/AAAA --al GG/MM/AAAA)\n"
    "                     [--foglio NOME] [--inizio N] [--copie N] [--negozio] --pdf FILE [--database FILE]\n";

void say(const QString &text)
{
    std::fprintf(stderr, "tarvo-etichette: %s\n", text.toLocal8Bit().constData());
}

struct Options {
    QList<qint64> articles;
    bool loads = false;
    QDate from;
    QDate to;
    QString sheet = QStringLiteral("A4-3x8");
    int startAt = 1;
    int copies = 0;          // 0: each item's stock, or the quantity loaded
    bool shopName = false;
    QString pdf;
    QString database;
};

QString layoutNames()
{
    QStringList names;
    for (const LabelLayout &layout : LabelLayout::all())
        names << layout.name;
    return names.join(QStringLiteral(", "));
}

bool wholeNumber(const QString &text, qint64 lowest, qint64 *value)
{
    bool ok = false;
    *value = text.toLongLong(&ok);
    return ok && *value >= lowest;
}

// Reads the arguments; on a mistake says what is wrong and returns false.
bool readOptions(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--carichi")) {
            o.loads = true;
            continue;
        }
        if (a == QLatin1String("--negozio")) {
            o.shopName = true;
            continue;
        }
        static const QStringList withValue = {QStringLiteral("--articolo"), QStringLiteral("--dal"), QStringLiteral("--al"),
                                              QStringLiteral("--foglio"), QStringLiteral("--inizio"), QStringLiteral("--copie"),
                                              QStringLiteral("--pdf"), QStringLiteral("--database")};
        if (!withValue.contains(a)) {
            say(QStringLiteral("opzione sconosciuta %1.").arg(a));
            return false;
        }
        if (i + 1 >= args.size()) {
            say(QStringLiteral("manca il valore dopo %1.").arg(a));
            return false;
        }
        const QString v = args.at(++i);
        qint64 number = 0;
        if (a == QLatin1String("--articolo")) {
            if (!wholeNumber(v, 1, &number)) {
                say(QStringLiteral("il codice dell'articolo deve essere un intero da 1 in su, non \"%1\".").arg(v));
                return false;
            }
            o.articles << number;
        } else if (a == QLatin1String("--dal") || a == QLatin1String("--al")) {
            const QDate date = QDate::fromString(v, QStringLiteral("dd/MM/yyyy"));
            if (!date.isValid()) {
                say(QStringLiteral("data non valida \"%1\" (GG/MM/AAAA).").arg(v));
                return false;
            }
            (a == QLatin1String("--dal") ? o.from : o.to) = date;
        } else if (a == QLatin1String("--foglio")) {
            o.sheet = v;
        } else if (a == QLatin1String("--inizio") || a == QLatin1String("--copie")) {
            if (!wholeNumber(v, 1, &number) || number > 9999) {
                say(QStringLiteral("%1 vuole un intero da 1 a 9999, non \"%2\".").arg(a, v));
                return false;
            }
            (a == QLatin1String("--inizio") ? o.startAt : o.copies) = int(number);
        } else if (a == QLatin1String("--pdf")) {
            o.pdf = v;
        } else {
            o.database = v;
        }
    }
    if (o.articles.isEmpty() == !o.loads) {
        say(QStringLiteral("indicare gli articoli (--articolo N) oppure i carichi di un periodo (--carichi), non entrambi."));
        return false;
    }
    if (o.loads && (!o.from.isValid() || !o.to.isValid())) {
        say(QStringLiteral("i carichi vogliono il periodo: --dal GG/MM/AAAA --al GG/MM/AAAA."));
        return false;
    }
    if (o.loads && o.from > o.to) {
        say(QStringLiteral("il periodo finisce prima di cominciare."));
        return false;
    }
    const LabelLayout *layout = LabelLayout::named(o.sheet);
    if (!layout) {
        say(QStringLiteral("foglio sconosciuto \"%1\" (ammessi: %2).").arg(o.sheet, layoutNames()));
        return false;
    }
    if (o.startAt > layout->perPage()) {
        say(QStringLiteral("il foglio %1 ha %2 etichette: --inizio va da 1 a %2.").arg(layout->name).arg(layout->perPage()));
        return false;
    }
    if (o.pdf.isEmpty()) {
        say(QStringLiteral("manca il file PDF da scrivere (--pdf FILE)."));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options o;
    if (!readOptions(app.arguments(), o)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const QString database = o.database.isEmpty() ? db::ProgramFolder::databasePath() : o.database;
    const QString pdf = QFileInfo(o.pdf).absoluteFilePath();
    LabelSheet::Options options;
    options.layout = LabelLayout::named(o.sheet);
    options.startAt = o.startAt;
    try {
        std::vector<LabelContent> labels;
        {
            const auto shop = db::Database::open(database);
            const LabelSource source(*shop);
            if (o.loads) {
                labels = source.ofLoads(o.from, o.to);
                if (o.copies > 0)
                    for (LabelContent &label : labels)
                        label.copies = o.copies;
            } else {
                labels = source.ofArticles(o.articles, o.copies > 0 ? LabelSource::Copies::Fixed : LabelSource::Copies::Stock,
                                           o.copies);
            }
            if (o.shopName)
                options.shopName = source.shopName();
        }
        if (LabelSheet::count(labels) == 0) {
            say(QStringLiteral("nessuna etichetta da stampare: %1.")
                    .arg(o.loads ? QStringLiteral("nessun carico nel periodo")
                                 : QStringLiteral("gli articoli non hanno codici con giacenza (--copie N per stamparli comunque)")));
            return kFailed;
        }
        ReportControl report;
        report.setFeedback(false);
        report.setDatabasePath(database);
        report.setPdfFile(pdf);
        report.set(prop::Destination, int(Destination::File));
        report.runPages(QStringLiteral("Etichette"), [&](PageStore &pages, const std::function<bool()> &stop) {
            LabelSheet::layOut(labels, options, pages, stop);
        });
        if (report.runCount() != 1 || !QFileInfo(pdf).isFile()) {
            say(QStringLiteral("il file \"%1\" non è stato scritto.").arg(pdf));
            return kFailed;
        }
        std::printf("%d etichette su %d pagine: %s\n", LabelSheet::count(labels), report.lastPageCount(),
                    pdf.toLocal8Bit().constData());
    } catch (const db::DbError &e) {
        say(e.description());
        return kFailed;
    }
    return kWritten;
}
