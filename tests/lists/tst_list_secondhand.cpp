// A second-hand item sold at the counter is listed by "Solo usato" and not
// by "Solo nuovo", and the other way round for new goods.

#include "CounterFixture.h"

#include "quirnel/mdiTarvo.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmListaScarico.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class TestListSecondHand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void usedAndNewSalesAreListedAsSuch();
};

void TestListSecondHand::usedAndNewSalesAreListedAsSuch()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    for (const char *code : {"1234U", "1234"}) {
        shop.open(QStringLiteral("mnuFileScaricoItem"));
        CounterFixture::type(QLatin1String(code));
        CounterFixture::enter();
        messages.queueAnswer(ui::vbNo);
        CounterFixture::enter();
    }
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 2);
    QCOMPARE(shop.rows(QStringLiteral("scarico where sc_Usato = -1 and sc_Codice_Articolo = '1234U'")), 1);
    QCOMPARE(shop.rows(QStringLiteral("scarico where sc_Usato = 0 and sc_Codice_Articolo = '1234'")), 1);

    auto &list = static_cast<frmListaScarico &>(shop.open(QStringLiteral("mnuListeScarichiItem")));
    for (const auto &[choice, code] : {std::pair{"Solo usato", "1234U"}, std::pair{"Solo nuovo", "1234"}}) {
        list.cboUsato->setCurrentText(QLatin1String(choice));
        list.cmdTrova->click();
        data::RecordsetModel *model = list.TDBGrid1->recordsetModel();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 1).data().toString(), QLatin1String(code));
    }
}

QTEST_MAIN(TestListSecondHand)
#include "tst_list_secondhand.moc"
