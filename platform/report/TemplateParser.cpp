#include "TemplateParser.h"

#include "ReportProperties.h"
#include "db/DbError.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <atomic>
#include <QFileInfo>
#include <QDir>

namespace report {

namespace {

// Splits a line into words; "quoted text" (with "" for a quote) and
// [bracketed names] stay one word each, the quotes are removed.
QStringList words(const QString &line, bool &unclosed)
{
    QStringList out;
    unclosed = false;
    const int n = int(line.size());
    int i = 0;
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        QString w;
        if (line.at(i) == QLatin1Char('"')) {
            ++i;
            for (;;) {
                if (i >= n) { unclosed = true; break; }
                if (line.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && line.at(i + 1) == QLatin1Char('"')) { w += QLatin1Char('"'); i += 2; continue; }
                    ++i;
                    break;
                }
                w += line.at(i++);
            }
            out << QStringLiteral("\x01") + w;   // marks a quoted word
            continue;
        }
        bool bracket = false;
        while (i < n && (bracket || !line.at(i).isSpace())) {
            if (line.at(i) == QLatin1Char('[')) bracket = true;
            if (line.at(i) == QLatin1Char(']')) bracket = false;
            w += line.at(i++);
        }
        out << w;
    }
    return out;
}

bool quoted(const QString &w) { return w.startsWith(QChar(1)); }
QString unquoted(const QString &w) { return quoted(w) ? w.mid(1) : w; }

QString tableName(const QString &w)
{
    QString s = unquoted(w).trimmed();
    if (s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']')))
        s = s.mid(1, s.size() - 2).trimmed();
    return s;
}

QString restAfter(const QString &line, const QString &keyword)
{
    const int at = int(line.indexOf(keyword, 0, Qt::CaseInsensitive));
    return at < 0 ? QString() : line.mid(at + keyword.size()).trimmed();
}

} // namespace

const TemplateBand *ReportTemplate::band(TemplateBand::Kind kind) const
{
    for (const auto &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

ReportTemplate TemplateParser::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(db::ErrorKind::FileNotFound, err::TemplateNotFound,
                          QStringLiteral("Impossibile aprire il modello di stampa \"%1\".").arg(path));
    const QByteArray text = file.readAll();
    // The same templates print again and again: a file read back unchanged
    // reuses its parse (reading it costs a fraction of parsing it).
    struct Parsed {
        QByteArray text;
        ReportTemplate parsed;
    };
    static QMutex mutex;
    static QHash<QString, Parsed> parsedByPath;
    {
        QMutexLocker lock(&mutex);
        const auto it = parsedByPath.constFind(path);
        if (it != parsedByPath.cend() && it->text == text)
            return it->parsed;
    }
    ReportTemplate parsed = parse(QString::fromUtf8(text), path);
    QMutexLocker lock(&mutex);
    if (parsedByPath.size() > 64)
        parsedByPath.clear();
    parsedByPath.insert(path, Parsed{text, parsed});
    return parsed;
}

ReportTemplate TemplateParser::parse(const QString &text, const QString &path)
{
    static std::atomic<quint64> parses {0};
    TemplateParser p(path);
    p.m_template.path = path;
    p.m_template.revision = ++parses;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        ++p.m_line;
        p.parseLine(line);
    }
    if (p.m_template.tables.empty())
        p.fail(QStringLiteral("manca la riga \"table\""));
    for (auto &band : p.m_template.bands) {
        if (band.height > 0)
            continue;
        for (const auto &item : band.items)
            band.height = qMax(band.height, item.kind == TemplateItem::Kind::Line
                                   ? qMax(item.rect.top(), item.rect.bottom()) : item.rect.bottom());
    }
    return std::move(p.m_template);
}

void TemplateParser::fail(const QString &what) const
{
    throw db::DbError(db::ErrorKind::Syntax, err::TemplateInvalid,
                      QStringLiteral("Modello di stampa non valido (%1, riga %2): %3.")
                          .arg(QFileInfo(m_path).fileName()).arg(m_line).arg(what));
}

double TemplateParser::number(const QString &word) const
{
    bool ok = false;
    const double v = word.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("numero atteso al posto di \"%1\"").arg(unquoted(word)));
    return v;
}

void TemplateParser::parseLine(const QString &raw)
{
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
        return;
    bool unclosed = false;
    const QStringList w = words(line, unclosed);
    if (unclosed)
        fail(QStringLiteral("virgolette non chiuse"));
    const QString key = w.at(0).toLower();
    ReportTemplate &t = m_template;
    if (key == QLatin1String("title") && w.size() == 2) {
        t.title = unquoted(w.at(1));
    } else if (key == QLatin1String("page") && w.size() >= 2) {
        if (w.at(1).compare(QLatin1String("A4"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("formato di pagina sconosciuto \"%1\"").arg(w.at(1)));
        const bool landscape = w.size() > 2 && w.at(2).compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0;
        t.pageSize = landscape ? QSizeF(297, 210) : QSizeF(210, 297);
    } else if (key == QLatin1String("margins") && w.size() == 5) {
        for (int i = 0; i < 4; ++i)
            t.margins[i] = number(w.at(i + 1));
    } else if (key == QLatin1String("font") && w.size() == 3) {
        t.fontFamily = unquoted(w.at(1));
        t.fontSize = number(w.at(2));
    } else if ((key == QLatin1String("table") || key == QLatin1String("choose")) && w.size() >= 2) {
        TemplateTable table;
        int i = 1;
        for (; i < w.size() && w.at(i).toLower() != QLatin1String("as"); ++i)
            if (w.at(i) != QLatin1String("|"))
                table.names << tableName(w.at(i));
        if (i + 1 < w.size())
            table.alias = tableName(w.at(i + 1));
        if (table.names.isEmpty() || (key == QLatin1String("table") && table.names.size() != 1))
            fail(QStringLiteral("nome di tabella atteso"));
        if (!t.tables.empty())
            fail(QStringLiteral("\"table\" va scritta una volta sola, prima delle \"join\""));
        t.tables.push_back(table);
    } else if ((key == QLatin1String("join") || key == QLatin1String("leftjoin")) && w.size() >= 4) {
        if (t.tables.empty())
            fail(QStringLiteral("\"join\" prima di \"table\""));
        TemplateTable table;
        table.names << tableName(w.at(1));
        table.join = key;
        table.on = restAfter(line, QStringLiteral(" on "));
        if (table.on.isEmpty())
            fail(QStringLiteral("manca la condizione \"on\""));
        t.tables.push_back(table);
    } else if (key == QLatin1String("order")) {
        t.order = line.mid(5).trimmed();
    } else if (key == QLatin1String("group") && w.size() == 2) {
        t.group = w.at(1);
    } else if (key == QLatin1String("band") && w.size() >= 2) {
        static const QHash<QString, TemplateBand::Kind> kinds = {
            {QStringLiteral("reportheader"), TemplateBand::Kind::ReportHeader},
            {QStringLiteral("pageheader"), TemplateBand::Kind::PageHeader},
            {QStringLiteral("groupheader"), TemplateBand::Kind::GroupHeader},
            {QStringLiteral("detail"), TemplateBand::Kind::Detail},
            {QStringLiteral("groupfooter"), TemplateBand::Kind::GroupFooter},
            {QStringLiteral("reportfooter"), TemplateBand::Kind::ReportFooter},
            {QStringLiteral("pagefooter"), TemplateBand::Kind::PageFooter},
            {QStringLiteral("norecords"), TemplateBand::Kind::NoRecords}};
        const auto kind = kinds.find(w.at(1).toLower());
        if (kind == kinds.end())
            fail(QStringLiteral("sezione sconosciuta \"%1\"").arg(w.at(1)));
        if (t.band(*kind))
            fail(QStringLiteral("sezione \"%1\" ripetuta").arg(w.at(1)));
        TemplateBand band;
        band.kind = *kind;
        for (int i = 2; i < w.size(); ++i) {
            if (w.at(i).toLower() == QLatin1String("repeat")) {
                band.repeatOnNewPage = true;
            } else if (w.at(i).toLower() == QLatin1String("if") && i + 1 < w.size() && quoted(w.at(i + 1))) {
                try {
                    band.condition = std::make_shared<Formula>(Formula::parse(unquoted(w.at(++i))));
                } catch (const db::DbError &e) {
                    fail(e.description());
                }
            } else
                band.height = number(w.at(i));
        }
        t.bands.push_back(band);
        m_band = &t.bands.back();
    } else if (key == QLatin1String("text") || key == QLatin1String("line") || key == QLatin1String("rect")
               || key == QLatin1String("image") || key == QLatin1String("letterhead")) {
        if (!m_band)
            fail(QStringLiteral("\"%1\" fuori da una sezione").arg(key));
        m_band->items.push_back(parseItem(w, key));
    } else {
        fail(QStringLiteral("riga non riconosciuta \"%1\"").arg(line.left(40)));
    }
}

TemplateItem TemplateParser::parseItem(const QStringList &w, const QString &kind)
{
    TemplateItem item;
    if (w.size() < 5)
        fail(QStringLiteral("\"%1\" vuole quattro misure").arg(kind));
    const double a = number(w.at(1)), b = number(w.at(2)), c = number(w.at(3)), d = number(w.at(4));
    if (kind == QLatin1String("line")) {
        item.kind = TemplateItem::Kind::Line;
        item.rect = QRectF(QPointF(a, b), QPointF(c, d));
    } else {
        item.kind = kind == QLatin1String("text") ? TemplateItem::Kind::Text
                  : kind == QLatin1String("rect") ? TemplateItem::Kind::Rect
                  : kind == QLatin1String("image") ? TemplateItem::Kind::Image
                  : TemplateItem::Kind::Letterhead;
        item.rect = QRectF(a, b, c, d);
    }
    item.align = Qt::AlignLeft | Qt::AlignVCenter;
    bool hasContent = false;
    for (int i = 5; i < w.size(); ++i) {
        const QString word = w.at(i);
        if (quoted(word)) {
            item.content = unquoted(word);
            hasContent = true;
            continue;
        }
        const QString opt = word.section(QLatin1Char('='), 0, 0).toLower();
        const QString val = word.section(QLatin1Char('='), 1);
        if (opt == QLatin1String("empty")) {
            if (i + 1 >= w.size() || !quoted(w.at(i + 1)))
                fail(QStringLiteral("testo tra virgolette atteso dopo \"empty\""));
            item.whenEmpty = unquoted(w.at(++i));
            continue;
        }
        if (opt == QLatin1String("bold")) item.bold = true;
        else if (opt == QLatin1String("italic")) item.italic = true;
        else if (opt == QLatin1String("wrap")) item.wrap = true;
        else if (opt == QLatin1String("border")) item.border = true;
        else if (opt == QLatin1String("size")) item.size = number(val);
        else if (opt == QLatin1String("width")) item.penWidth = number(val);
        else if (opt == QLatin1String("format")) item.format = val.toLower();
        else if (opt == QLatin1String("repeat")) item.repeat = val;
        else if (opt == QLatin1String("color") || opt == QLatin1String("fill")) {
            const QColor colour = QColor::fromString(val);
            if (!colour.isValid())
                fail(QStringLiteral("colore non valido \"%1\"").arg(val));
            (opt == QLatin1String("color") ? item.color : item.fill) = colour;
        } else if (opt == QLatin1String("align")) {
            const QString v = val.toLower();
            const int h = v == QLatin1String("right") ? Qt::AlignRight
                        : v == QLatin1String("center") ? Qt::AlignHCenter : Qt::AlignLeft;
            item.align = h | Qt::AlignVCenter;
        } else {
            fail(QStringLiteral("opzione sconosciuta \"%1\"").arg(word));
        }
    }
    if (item.kind == TemplateItem::Kind::Text) {
        if (!hasContent)
            fail(QStringLiteral("testo tra virgolette atteso"));
        if (item.repeat.isEmpty()) {
            try {
                item.parts = compileContent(item.content);
            } catch (const db::DbError &e) {
                fail(e.description());
            }
        }
    } else if (item.kind == TemplateItem::Kind::Image && !hasContent) {
        fail(QStringLiteral("nome del file dell'immagine atteso"));
    } else if (item.kind == TemplateItem::Kind::Letterhead) {
        item.content = letterhead(QFileInfo(m_path).absolutePath()).join(QLatin1Char('\n'));
    }
    return item;
}

std::vector<ContentPart> TemplateParser::compileContent(const QString &content)
{
    std::vector<ContentPart> parts;
    QString literal;
    const int n = int(content.size());
    for (int i = 0; i < n; ++i) {
        if (content.at(i) != QLatin1Char('{')) {
            literal += content.at(i);
            continue;
        }
        // Find the brace that closes this one; braces of fields inside an
        // expression ({=sum({t.f})}) nest, quoted text is skipped.
        int depth = 0, j = i;
        QChar quote;
        for (; j < n; ++j) {
            const QChar c = content.at(j);
            if (!quote.isNull()) { if (c == quote) quote = QChar(); continue; }
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) quote = c;
            else if (c == QLatin1Char('{')) ++depth;
            else if (c == QLatin1Char('}') && --depth == 0) break;
        }
        if (j >= n)
            throw db::DbError(db::ErrorKind::Syntax, err::TemplateInvalid,
                              QStringLiteral("manca la \"}\" di \"%1\"").arg(content.mid(i, 30)));
        const QString inner = content.mid(i + 1, j - i - 1).trimmed();
        if (!literal.isEmpty()) {
            parts.push_back({literal, nullptr});
            literal.clear();
        }
        const QString expr = inner.startsWith(QLatin1Char('=')) ? inner.mid(1) : QLatin1Char('{') + inner + QLatin1Char('}');
        parts.push_back({QString(), std::make_shared<Formula>(Formula::parse(expr))});
        i = j;
    }
    if (!literal.isEmpty())
        parts.push_back({literal, nullptr});
    return parts;
}

QStringList TemplateParser::letterhead(const QString &templateFolder)
{
    QFile file(QDir(templateFolder).filePath(QLatin1String(LetterheadFile)));
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QString &raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString l = raw.trimmed();
        if (!l.startsWith(QLatin1Char('#')) && !(lines.isEmpty() && l.isEmpty()))
            lines << l;
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace report
