#pragma once

#include "data/history.h"

#include <QDialog>

// "Istoric": who changed what of a person, its offences, their accomplices
// and articles, and when, newest first. It only shows.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    HistoryWindow(const QString &cnp, const QList<History::Change> &changes,
                  QWidget *parent = nullptr);
    // Reads the changes of the person and opens the window modally over
    // parent, or says why they cannot be read.
    static void run(QWidget *parent, const QString &registerFile, const QString &cnp);
};
