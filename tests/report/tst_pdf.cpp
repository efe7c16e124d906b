// Printed to PDF: another program (poppler's pdftotext, as a reader would)
// opens the file without a complaint, reads back every text as written and
// finds it where the page placed it; pages the reader's own Helvetica cannot
// show are written with their fonts embedded.
#include "report/PageStore.h"
#include "report/ReportPainter.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

constexpr double kPtPerMm = 72.0 / 25.4;

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;   // points from the top left
};

PageItem textItem(const QString &text, const QRectF &rect, int align, bool wrap = false)
{
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.text = text;
    item.rect = rect;
    item.align = align;
    item.wrap = wrap;
    item.family = QStringLiteral("DejaVu Sans");
    return item;
}

} // namespace

class TestPdf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void readBackWhereLaidOut_data();
    void readBackWhereLaidOut();
    void copiesAndTitle();
    void embedsFontsOnlyWhenNeeded_data();
    void embedsFontsOnlyWhenNeeded();

private:
    QTemporaryDir m_dir;
    QString m_pdftotext;
    QString write(const std::vector<ReportPage> &pages, int copies = 1, const QString &title = QStringLiteral("Prova"));
    QList<Word> words(const QString &pdf, QString *errors = nullptr);
};

void TestPdf::initTestCase()
{
    m_pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (m_pdftotext.isEmpty())
        QFAIL("pdftotext (poppler-utils) is needed to read the PDFs back; ./tarvo test installs it");
}

QString TestPdf::write(const std::vector<ReportPage> &pages, int copies, const QString &title)
{
    static int n = 0;
    const QString path = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++n));
    ReportPainter::writePdf(PageStore(pages), path, copies, title);
    return path;
}

QList<Word> TestPdf::words(const QString &pdf, QString *errors)
{
    QProcess reader;
    reader.start(m_pdftotext, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    reader.waitForFinished(30000);
    if (errors)
        *errors = QString::fromUtf8(reader.readAllStandardError());
    const QString html = QString::fromUtf8(reader.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> found;
    for (auto m = word.globalMatch(html); m.hasNext();) {
        const auto w = m.next();
        QString text = w.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        found.append({text, w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3).toDouble(),
                      w.captured(4).toDouble()});
    }
    return found;
}

void TestPdf::readBackWhereLaidOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("align");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<double>("width");   // mm of the text's box, 0.8 mm padding each side
    QTest::addColumn<QString>("expected");   // words read back, one blank between; "|" between lines
    QTest::addColumn<QString>("edge");       // "left", "right", "centre": where the words touch

    const int left = Qt::AlignLeft | Qt::AlignVCenter, right = Qt::AlignRight | Qt::AlignVCenter;
    QTest::newRow("accents, euro, quotes") << QString::fromUtf8("Quantità: 3 – € 1.234,50 «sì» “ok” l’ora")
                                           << left << false << 150.0
                                           << QString::fromUtf8("Quantità: 3 – € 1.234,50 «sì» “ok” l’ora") << "left";
    QTest::newRow("characters PDF strings escape") << "(a) \\ b) ((c" << left << false << 150.0
                                                   << "(a) \\ b) ((c" << "left";
    QTest::newRow("amount to the right") << "1.234,50" << right << false << 30.0 << "1.234,50" << "right";
    QTest::newRow("centred") << "Pagina 3 di 41" << int(Qt::AlignHCenter | Qt::AlignVCenter) << false << 100.0
                             << "Pagina 3 di 41" << "centre";
    QTest::newRow("too long: cut with an ellipsis") << "Pantalone grigio mod. 115364 lavaggio a secco" << left << false
                                                    << 30.0 << QString::fromUtf8("Pantalone grigio…") << "left";
    QTest::newRow("wrapped at blanks") << "Consegna entro fine mese\nsalvo accordi diversi" << left << true << 34.0
                                       << "Consegna entro fine|mese|salvo accordi diversi" << "left";
}

void TestPdf::readBackWhereLaidOut()
{
    QFETCH(QString, text);
    QFETCH(int, align);
    QFETCH(bool, wrap);
    QFETCH(double, width);
    QFETCH(QString, expected);
    QFETCH(QString, edge);

    ReportPage page;
    const QRectF box(20, 30, width, wrap ? 30 : 6);
    page.items.push_back(textItem(text, box, align, wrap));
    QString errors;
    const QList<Word> found = words(write({page}), &errors);
    QCOMPARE(errors, QString());

    QStringList lines;
    double lastTop = -1, minX = 1e9, maxX = -1e9;
    for (const Word &w : found) {
        if (lastTop >= 0 && w.yMin > lastTop + 2)
            lines.last() += QLatin1Char('|') + w.text;
        else if (lines.isEmpty())
            lines << w.text;
        else
            lines.last() += QLatin1Char(' ') + w.text;
        lastTop = w.yMin;
        minX = qMin(minX, w.xMin);
        maxX = qMax(maxX, w.xMax);
        // Every word inside the box, vertically too.
        QVERIFY2(w.yMin >= box.top() * kPtPerMm - 1 && w.yMax <= box.bottom() * kPtPerMm + 1, qPrintable(w.text));
    }
    QCOMPARE(lines.join(QString()).replace(QStringLiteral("| "), QStringLiteral("|")), expected);

    const double innerLeft = (box.left() + 0.8) * kPtPerMm, innerRight = (box.right() - 0.8) * kPtPerMm;
    QVERIFY2(minX >= innerLeft - 0.5 && maxX <= innerRight + 0.5,
             qPrintable(QStringLiteral("%1..%2 outside %3..%4").arg(minX).arg(maxX).arg(innerLeft).arg(innerRight)));
    if (edge == QLatin1String("left"))
        QVERIFY(qAbs(minX - innerLeft) < 0.5);
    else if (edge == QLatin1String("right"))
        QVERIFY(qAbs(maxX - innerRight) < 0.5);
    else
        QVERIFY(qAbs((minX + maxX) / 2 - (innerLeft + innerRight) / 2) < 0.5);
}

void TestPdf::copiesAndTitle()
{
    std::vector<ReportPage> pages(2);
    pages[0].items.push_back(textItem(QStringLiteral("prima"), QRectF(10, 10, 50, 6), Qt::AlignLeft));
    pages[1].items.push_back(textItem(QStringLiteral("seconda"), QRectF(10, 10, 50, 6), Qt::AlignLeft));
    pages[1].size = QSizeF(297, 210);   // a landscape page keeps its own size
    const QString pdf = write(pages, 3, QString::fromUtf8("Lista – Perché (copia)"));

    QProcess info;
    info.start(QStandardPaths::findExecutable(QStringLiteral("pdfinfo")), {QStringLiteral("-l"), QStringLiteral("6"), pdf});
    info.waitForFinished(30000);
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QCOMPARE(QString::fromUtf8(info.readAllStandardError()), QString());
    QVERIFY2(out.contains(QRegularExpression(QString::fromUtf8("Title:\\s+Lista – Perché \\(copia\\)\\n"))), qPrintable(out));
    QVERIFY(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+6\\n"))));
    QVERIFY(out.contains(QRegularExpression(QStringLiteral("Page\\s+5 size:\\s+595.28 x 841.89"))));
    QVERIFY(out.contains(QRegularExpression(QStringLiteral("Page\\s+6 size:\\s+841.89 x 595.28"))));

    QStringList texts;
    for (const Word &w : words(pdf))
        texts << w.text;
    QCOMPARE(texts, QStringList({"prima", "seconda", "prima", "seconda", "prima", "seconda"}));
}

void TestPdf::embedsFontsOnlyWhenNeeded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("embedded");

    QTest::newRow("Latin letters in the templates' family") << QString::fromUtf8("Città di Forlì") << "DejaVu Sans" << false;
    QTest::newRow("a Greek letter") << QString::fromUtf8("Ωmega srl") << "DejaVu Sans" << true;
    QTest::newRow("a monospaced family") << "Codice 123" << "DejaVu Sans Mono" << true;
}

void TestPdf::embedsFontsOnlyWhenNeeded()
{
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(bool, embedded);

    ReportPage page;
    page.items.push_back(textItem(QStringLiteral("Intestazione"), QRectF(10, 10, 100, 6), Qt::AlignLeft));
    PageItem item = textItem(text, QRectF(10, 20, 100, 6), Qt::AlignLeft);
    item.family = family;
    page.items.push_back(item);
    const QString pdf = write({page, page});

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().contains("/FontFile"), embedded);
    QString errors;
    QStringList texts;
    for (const Word &w : words(pdf, &errors))
        texts << w.text;
    QCOMPARE(errors, QString());
    const QString once = QStringLiteral("Intestazione ") + text;
    QCOMPARE(texts.join(QLatin1Char(' ')), once + QLatin1Char(' ') + once);
}

QTEST_MAIN(TestPdf)
#include "tst_pdf.moc"
