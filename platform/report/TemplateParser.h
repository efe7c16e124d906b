#pragma once

#include "ReportTemplate.h"

#include <QString>
#include <QStringList>

namespace report {

// Reads a report template file (see docs/report-templates.md). Throws
// db::DbError: err::TemplateNotFound when the file cannot be read,
// err::TemplateInvalid with file and line for a line it does not understand.
class TemplateParser {
public:
    static ReportTemplate load(const QString &path);
    static ReportTemplate parse(const QString &text, const QString &path);

    // "Pagina {=page()} di {=pages()}" -> literal and formula parts.
    static std::vector<ContentPart> compileContent(const QString &content);
    // The shop's letterhead lines, from the file next to the templates.
    static QStringList letterhead(const QString &templateFolder);

    static constexpr const char *LetterheadFile = "intestazione.txt";

private:
    TemplateParser(QString path) : m_path(std::move(path)) {}
    void parseLine(const QString &raw);
    TemplateItem parseItem(const QStringList &words, const QString &kind);
    [[noreturn]] void fail(const QString &what) const;
    double number(const QString &word) const;

    QString m_path;
    int m_line = 0;
    ReportTemplate m_template;
    TemplateBand *m_band = nullptr;
};

} // namespace report
