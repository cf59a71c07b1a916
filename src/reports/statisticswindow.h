#pragma once

#include "output/figures.h"

#include <QDialog>

class QChartView;
class QTabWidget;

// "Statistici": the register's figures as charts, each with its numbers beside
// it and a command that saves it as a PNG image or a PDF document.
class StatisticsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit StatisticsWindow(const Figures::Register &figures, QWidget *parent = nullptr);
    // Counts in the background, then opens the window modally over parent, or
    // says why the figures cannot be read.
    static void run(QWidget *parent, const QString &registerFile);
    // A PNG image, or a PDF document when the name ends so; its owner's only.
    static bool writeChart(QChartView *view, const QString &target, QString *problem);

private:
    enum class Shape { Bars, Pie };
    void addPage(const QString &title, const QString &name, const QList<Figures::Count> &counts,
                 Shape shape);
    void save(QChartView *view, const QString &name);

    QTabWidget *m_tabs;
};
