#include "stock/ArticleFields.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "rules/TypedNumber.h"
#include "ui/Messages.h"

#include <QEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWidget>

namespace {

// What a field of the card is called on screen, for the message about a
// value that is not a number.
QString labelOfField(const QString &field)
{
    if (field.compare(QLatin1String("art_Prezzo_Carico"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Carico €");
    if (field.compare(QLatin1String("art_Prezzo_Listino"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Listino €");
    if (field.compare(QLatin1String("art_Quantita"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Disponibilità");
    return field;
}

} // namespace

ArticleFields::ArticleFields(QWidget &card, ArticleBoxes &boxes, data::DataControl &articles)
    : QObject(&card)
    , m_boxes(boxes)
    , m_articles(articles)
    , m_binder(new data::FieldBinder(articles, this))
{
    m_boxes.txtCodice = addBox(card, QStringLiteral("txtCodice"), QStringLiteral("art_Codice"), 20);
    m_boxes.txtCodice->setReadOnly(true);
    m_boxes.txtCodice->setVisible(false);
    m_boxes.txtDescrizione = addBox(card, QStringLiteral("txtDescrizione"), QStringLiteral("art_Descrizione"), 255);
    m_boxes.txtFornitore = addBox(card, QStringLiteral("txtFornitore"), QStringLiteral("art_Fornitore"), 255);
    m_boxes.txtNote = addBox(card, QStringLiteral("txtNote"), QStringLiteral("art_Note"), 255);
    m_boxes.txtVarie = addBox(card, QStringLiteral("txtVarie"), QStringLiteral("art_Varie"), 255);
    m_boxes.txtCarico = addBox(card, QStringLiteral("txtCarico"), QStringLiteral("art_Prezzo_Carico"), 10);
    m_boxes.txtPrezzo = addBox(card, QStringLiteral("txtPrezzo"), QStringLiteral("art_Prezzo_Listino"), 10);
    m_boxes.txtQuantita = addBox(card, QStringLiteral("txtQuantita"), QStringLiteral("art_Quantita"), 10);
    m_boxes.txtQuantita->setVisible(false);

    for (QLineEdit *box : {boxes.txtCodice, boxes.txtDescrizione, boxes.txtNote, boxes.txtVarie, boxes.txtCarico,
                           boxes.txtPrezzo, boxes.txtQuantita})
        box->installEventFilter(this);
}

ArticleFields::~ArticleFields() = default;

QLineEdit *ArticleFields::addBox(QWidget &card, const QString &name, const QString &field, int maxLength)
{
    auto *box = new QLineEdit(&card);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    const bool price = field == QLatin1String("art_Prezzo_Carico") || field == QLatin1String("art_Prezzo_Listino");
    const bool number = price || field == QLatin1String("art_Quantita") || field == QLatin1String("art_Codice");
    if (number)
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const db::NumberLimits limits = price ? TypedNumber::kAmount
        : field == QLatin1String("art_Quantita") ? TypedNumber::kQuantity : db::NumberLimits{};
    m_binder->bind(box, field, number ? data::FieldKind::Number : data::FieldKind::Text, limits);
    return box;
}

db::Recordset &ArticleFields::records() const
{
    db::Recordset *rs = m_articles.recordset();
    if (!rs)
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 91, QStringLiteral("Variabile oggetto o variabile del blocco With non impostata."));
    return *rs;
}

bool ArticleFields::beingAdded() const
{
    return m_articles.editMode() == db::EditMode::Adding;
}

qlonglong ArticleFields::code() const
{
    return ValLong(m_boxes.txtCodice->text());
}

bool ArticleFields::check() const
{
    // A new article gets its number from the database when it is written,
    // so while adding only the description can be missing.
    const bool codeMissing = !beingAdded() && m_boxes.txtCodice->text().trimmed().isEmpty();
    if (codeMissing || m_boxes.txtDescrizione->text().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Impossibile salvare la prestazione corrente.") + QStringLiteral("\r\n")
                       + QStringLiteral("I campi Codice e descrizione sono obbligatori."),
                   ui::vbInformation, g_strAppName);
        return false;
    }
    // A price that is not a number would silently keep the stored one.
    const QStringList invalid = m_binder->invalidFields();
    if (!invalid.isEmpty()) {
        ui::MsgBox(QStringLiteral("Impossibile salvare la prestazione corrente.") + QStringLiteral("\r\n")
                       + QStringLiteral("Il campo ") + labelOfField(invalid.first()) + QStringLiteral(" non contiene un numero valido."),
                   ui::vbExclamation, g_strAppName);
        return false;
    }
    return true;
}

void ArticleFields::settleQuantity()
{
    if (TypedNumber::quantity(m_boxes.txtQuantita->text()))
        return;
    // An article stored without a quantity only shows 0: the hidden field
    // must not turn it into an unsaved change that blocks New or Delete.
    // A quantity that was changed (or is being added) takes the 0 for real.
    const bool shownOnly = m_articles.editMode() == db::EditMode::None
        && !m_binder->invalidFields().contains(QStringLiteral("art_Quantita"));
    const QSignalBlocker blocker(shownOnly ? m_boxes.txtQuantita : nullptr);
    m_boxes.txtQuantita->setText(QStringLiteral("0"));
}

void ArticleFields::write()
{
    db::Recordset &rs = records();
    if (rs.editMode() == db::EditMode::Adding) {
        rs.update();
        m_binder->showCurrent();
        rs.moveLast();
    }
    if (rs.editMode() == db::EditMode::Editing)
        rs.update();
}

bool ArticleFields::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *box = qobject_cast<QLineEdit *>(watched)) {
        if (event->type() == QEvent::FocusIn)
            EvidenziaCampo(box);
        else if (event->type() == QEvent::FocusOut)
            NormalizzaCampo(box);
    }
    return QObject::eventFilter(watched, event);
}
