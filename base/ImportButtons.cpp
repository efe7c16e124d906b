#include "base/ImportButtons.h"

#include "skin/ctrl_SkinableButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

ctrl_SkinableButton *button(const QString &caption, const QString &name, QWidget *window)
{
    auto *created = new ctrl_SkinableButton(caption, window);
    created->setObjectName(name);
    created->setFixedSize(112, 30);
    return created;
}

} // namespace

ImportButtons::ImportButtons(QWidget *window, const std::function<void()> &sfoglia,
                             const std::function<void()> &importa)
    : cmdSfoglia(button(QStringLiteral("Sfoglia..."), QStringLiteral("cmdSfoglia"), window))
    , cmdImporta(button(QStringLiteral("Importa"), QStringLiteral("cmdImporta"), window))
    , cmdChiudi(button(QStringLiteral("Chiudi"), QStringLiteral("cmdChiudi"), window))
    , m_window(window)
{
    QObject::connect(cmdSfoglia, &ctrl_SkinableButton::Click, window, sfoglia);
    QObject::connect(cmdImporta, &ctrl_SkinableButton::Click, window, importa);
    QObject::connect(cmdChiudi, &ctrl_SkinableButton::Click, window, [window] { window->close(); });
}

QHBoxLayout *ImportButtons::fileRow(const QString &label, QLineEdit *file) const
{
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(label, m_window));
    row->addWidget(file, 1);
    row->addWidget(cmdSfoglia);
    return row;
}

QHBoxLayout *ImportButtons::bottomRow() const
{
    auto *row = new QHBoxLayout;
    row->addWidget(cmdChiudi);
    row->addStretch(1);
    row->addWidget(cmdImporta);
    return row;
}
