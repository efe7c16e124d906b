#pragma once

#include "rules/ListExport.h"
#include "rules/stats/SalesStatistics.h"
#include "rules/stats/StatisticsTables.h"

#include <QWidget>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// How the shop is doing ("Statistiche"): over a day, a month, a year or any
// period, four charts each with its figures beside it - takings against the
// same period a year before, the articles sold most, the margin by supplier,
// the takings by payment. The chart shown exports as a PNG picture, as a
// PDF page with its table, as CSV or Excel (its table), and prints.
// Opens on this month. PagUp and PagDown move to the period before and after.
class frmStatistiche : public QWidget {
    Q_OBJECT
public:
    enum Page { Incassi, Articoli, Fornitori, Pagamenti };

    explicit frmStatistiche(QWidget *parent = nullptr);
    ~frmStatistiche() override;

    void cmdAggiorna_Click();
    void cmdImmagine_Click();
    void cmdPdf_Click();
    void cmdStampa_Click();

    // The table of the chart shown, as "Esporta" writes it.
    ListExport listToExport() const;
    const SalesStatistics &shown() const { return m_statistics; }
    // A new chart of `page` from the figures shown (the caller owns it).
    QChart *newChart(Page page) const;
    // The line above the charts: the takings against the year before.
    static QString summaryText(const SalesStatistics &statistics);

    QComboBox *cboPeriodo = nullptr;
    QLineEdit *txtDal = nullptr;
    QLineEdit *txtAl = nullptr;
    ctrl_SkinableButton *cmdAggiorna = nullptr;
    QLabel *lblRiepilogo = nullptr;
    QTabWidget *tabStatistiche = nullptr;
    QComboBox *cboClassifica = nullptr;
    QChartView *chtIncassi = nullptr;
    QChartView *chtArticoli = nullptr;
    QChartView *chtFornitori = nullptr;
    QChartView *chtPagamenti = nullptr;
    QTableWidget *grdIncassi = nullptr;
    QTableWidget *grdArticoli = nullptr;
    QTableWidget *grdFornitori = nullptr;
    QTableWidget *grdPagamenti = nullptr;
    ctrl_SkinableButton *cmdImmagine = nullptr;
    ctrl_SkinableButton *cmdPdf = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    // The texts of cboPeriodo and cboClassifica.
    static const QStringList kPeriodi;      // "Giorno", "Mese", "Anno", "Dal ... al"
    static const QStringList kClassifiche;  // "Per pezzi", "Per incasso"
    // The size of the exported picture.
    static constexpr int kImageWidth = 1600;
    static constexpr int kImageHeight = 1000;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    QWidget *newPage(QChartView *&view, QTableWidget *&table, QWidget *above = nullptr);
    // The period of the boxes; false (with the message) when it is not one.
    bool periodo(StatisticsPeriod &period);
    void periodoCambiato();
    // The period before (-1) or after (+1) the one shown.
    void sposta(int direction);
    void mostra();
    void mostraArticoli();
    StatisticsTables::Ranking classifica() const;
    ListExport table(Page page) const;
    QString chartTitle() const;
    QImage chartImage() const;

    SalesStatistics m_statistics;
    bool m_built = false;
};
