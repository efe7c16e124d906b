#pragma once

#include "Formula.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace report {

// A piece of an item's text: a literal, or a value computed per record.
struct ContentPart {
    QString literal;
    std::shared_ptr<Formula> value;   // null for a literal
};

struct TemplateItem {
    enum class Kind { Text, Line, Rect, Image, Letterhead };
    Kind kind = Kind::Text;
    QRectF rect;                 // mm, relative to the band's top left; Line: x1,y1 -> x2,y2 as left/top/right/bottom
    QString content;             // Text: as written; Image: file name
    std::vector<ContentPart> parts;
    double size = 0;             // points; 0 = the template's font size
    bool bold = false;
    bool italic = false;
    bool wrap = false;
    bool border = false;
    int align = 0;               // Qt::Alignment flags
    QString format;              // money, int, qty, date, yesno, text
    QColor color;
    QColor fill;
    double penWidth = 0.25;      // mm
    QString repeat;              // named-formula prefix: one copy per "<prefix>1", "<prefix>2", ...
    QString whenEmpty;           // printed instead of a content that comes out empty ("empty" option)
};

struct TemplateBand {
    enum class Kind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, ReportFooter, PageFooter, NoRecords };
    Kind kind = Kind::Detail;
    double height = 0;           // mm
    bool repeatOnNewPage = false;// group header: again at the top of a page that continues the group
    std::shared_ptr<Formula> condition;  // printed only where this holds ("if" option)
    std::vector<TemplateItem> items;
};

struct TemplateTable {
    QStringList names;           // one name, or the alternatives of "choose"
    QString alias;               // extra name the template and formulas may use
    QString join;                // "", "join", "leftjoin"
    QString on;                  // join condition, as written
};

// A parsed report template: where its records come from and how they are
// laid out. The text format is described in docs/report-templates.md.
struct ReportTemplate {
    QString path;
    QString title;
    QSizeF pageSize {210, 297};  // mm
    double margins[4] {12, 12, 12, 12};  // left, top, right, bottom
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 9;
    std::vector<TemplateTable> tables;
    QString order;               // as written, for the statement
    QString group;               // "table.field"
    std::vector<TemplateBand> bands;
    quint64 revision = 0;        // a number of its own for each parse

    const TemplateBand *band(TemplateBand::Kind kind) const;
};

} // namespace report
