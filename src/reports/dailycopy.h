#pragma once

#include "output/backup.h"
#include "output/progress.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QProgressDialog;
class QThread;
class QWidget;

// The copy kept at the first start of each day, taken on a thread of its own so
// that the program is usable meanwhile; a long copy shows its progress. It
// lives no longer than its window: closing that stops an unfinished copy,
// which then leaves nothing behind and is taken again at the next start.
class DailyCopy : public QObject
{
    Q_OBJECT

public:
    // Does nothing when today's copy is already there.
    static void start(QWidget *window, const QString &registerFile);
    ~DailyCopy() override;

private:
    DailyCopy(QWidget *window, const QString &registerFile);
    void showProgress();
    void finish();

    QWidget *m_window;
    Progress m_progress;
    Backup::Outcome m_outcome;
    std::unique_ptr<QThread> m_thread;
    QProgressDialog *m_dialog = nullptr;
    QTimer m_poll;
};
