#include "statisticswindow.h"

#include "backgroundwork.h"
#include "outputactions.h"

#include "data/database.h"
#include "output/ownerfiles.h"
#include "output/progress.h"
#include "screens/common/messages.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QPieSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

QChart *barChart(const QList<Figures::Count> &counts)
{
    auto *chart = new QChart;
    auto *set = new QBarSet(QStringLiteral("Număr"));
    QStringList labels;
    qint64 largest = 0;
    // The largest group comes first in the list and at the top of the chart.
    for (auto it = counts.crbegin(); it != counts.crend(); ++it) {
        *set << double(it->count);
        labels << it->label;
        largest = qMax(largest, it->count);
    }
    auto *series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto *values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%d"));
    values->setRange(0, qMax<qint64>(largest, 1));
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->hide();
    return chart;
}

QChart *pieChart(const QList<Figures::Count> &counts)
{
    auto *chart = new QChart;
    auto *series = new QPieSeries;
    for (const Figures::Count &c : counts)
        series->append(QStringLiteral("%1: %2").arg(c.label).arg(c.count), double(c.count));
    series->setLabelsVisible(true);
    chart->addSeries(series);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QTableWidget *numbers(const QList<Figures::Count> &counts, const QString &name)
{
    auto *table = new QTableWidget(int(counts.size()), 2);
    table->setObjectName(name + QStringLiteral("Numbers"));
    table->setHorizontalHeaderLabels({QStringLiteral("Categoria"), QStringLiteral("Număr")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    auto setRow = [table](int row, const QString &label, qint64 count) {
        table->setItem(row, 0, new QTableWidgetItem(label));
        auto *n = new QTableWidgetItem(QString::number(count));
        n->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 1, n);
    };
    qint64 total = 0;
    for (int r = 0; r < counts.size(); ++r) {
        setRow(r, counts.at(r).label, counts.at(r).count);
        total += counts.at(r).count;
    }
    table->insertRow(table->rowCount());
    setRow(table->rowCount() - 1, QStringLiteral("Total"), total);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table->setMinimumWidth(260);
    return table;
}

} // namespace

StatisticsWindow::StatisticsWindow(const Figures::Register &figures, QWidget *parent)
    : QDialog(parent)
    , m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("StatisticsWindow"));
    setWindowTitle(QStringLiteral("Statistici"));
    m_tabs->setObjectName(QStringLiteral("StatisticsTabs"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    resize(900, 600);

    addPage(QStringLiteral("Infracțiuni după tip"), QStringLiteral("OffencesByType"),
            figures.offencesByType, Shape::Bars);
    addPage(QStringLiteral("Pedepse după fel"), QStringLiteral("PenaltiesByKind"),
            figures.penaltiesByKind, Shape::Pie);
    addPage(QStringLiteral("Pedepse ispășite"), QStringLiteral("Served"), figures.served,
            Shape::Pie);
    addPage(QStringLiteral("Persoane după județ"), QStringLiteral("PersonsByCounty"),
            figures.personsByCounty, Shape::Bars);
}

void StatisticsWindow::run(QWidget *parent, const QString &registerFile)
{
    Figures::Register figures;
    DataError error;
    bool read = false;
    bool cancelled = false;
    BackgroundWork::run(parent, QStringLiteral("Se numără înregistrările..."),
                        [&](Progress *progress) {
                            const auto db = Database::open(registerFile, &error);
                            read = db && Figures::read(*db, &figures, &error);
                            cancelled = progress->cancelled();
                        });
    if (cancelled)
        return;
    if (!read) {
        Messages::ok(parent,
                     QStringLiteral("Cifrele registrului nu pot fi citite: %1")
                         .arg(error.describe()),
                     QStringLiteral("Statistici."), Messages::Icon::Exclamation);
        return;
    }
    StatisticsWindow window(figures, parent);
    window.exec();
}

void StatisticsWindow::addPage(const QString &title, const QString &name,
                               const QList<Figures::Count> &counts, Shape shape)
{
    QChart *chart = shape == Shape::Bars ? barChart(counts) : pieChart(counts);
    chart->setTitle(title);
    auto *view = new QChartView(chart);
    view->setObjectName(name + QStringLiteral("Chart"));
    view->setRenderHint(QPainter::Antialiasing);
    auto *saveButton = new QPushButton(QStringLiteral("Salvează graficul..."));
    saveButton->setObjectName(name + QStringLiteral("Save"));
    connect(saveButton, &QPushButton::clicked, this, [this, view, name] { save(view, name); });

    auto *page = new QWidget;
    page->setObjectName(name);
    auto *side = new QVBoxLayout;
    side->addWidget(numbers(counts, name));
    side->addWidget(saveButton);
    auto *row = new QHBoxLayout(page);
    row->addWidget(view, 1);
    row->addLayout(side);
    m_tabs->addTab(page, title);
}

void StatisticsWindow::save(QChartView *view, const QString &name)
{
    QString filter;
    QString target = QFileDialog::getSaveFileName(
        this, QStringLiteral("Salvează graficul"),
        QDir(OutputActions::documentsFolder()).filePath(name + QStringLiteral(".png")),
        QStringLiteral("Imagine PNG (*.png);;Document PDF (*.pdf)"), &filter);
    if (target.isEmpty())
        return;
    const QString suffix =
        filter.contains(QStringLiteral("*.pdf")) ? QStringLiteral(".pdf") : QStringLiteral(".png");
    if (!target.endsWith(suffix, Qt::CaseInsensitive))
        target += suffix;
    QString problem;
    if (!writeChart(view, target, &problem))
        Messages::ok(this, QStringLiteral("Graficul nu a fost salvat: %1").arg(problem),
                     QStringLiteral("Statistici."), Messages::Icon::Exclamation);
}

bool StatisticsWindow::writeChart(QChartView *view, const QString &target, QString *problem)
{
    QSaveFile file(target);
    bool ok = file.open(QIODevice::WriteOnly) && OwnerFiles::restrict(&file);
    if (ok && target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&pdf);
        view->render(&painter);
    } else if (ok) {
        ok = view->grab().save(&file, "PNG");
    }
    if (ok && file.commit())
        return true;
    *problem = file.errorString();
    return false;
}
