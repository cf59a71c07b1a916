#include "backgroundwork.h"

#include "output/progress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>

namespace BackgroundWork {

namespace {
constexpr int Steps = 1000;
constexpr int ShowAfterMs = 400;
constexpr int PollMs = 100;
} // namespace

void run(QWidget *parent, const QString &label, const std::function<void(Progress *)> &work)
{
    Progress progress;
    QProgressDialog dialog(label, QStringLiteral("Anulează"), 0, Steps, parent);
    dialog.setObjectName(QStringLiteral("ProgressDialog"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(ShowAfterMs);
    dialog.reset(); // shown below, not by its own timer
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QEventLoop loop;
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&progress, &loop] {
        progress.cancel();
        loop.quit();
    });
    std::unique_ptr<QThread> thread(QThread::create(work, &progress));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        const qint64 total = progress.total();
        dialog.setValue(total > 0 ? int(progress.done() * Steps / total) : 0);
    });
    poll.start(PollMs);
    thread->start();
    // Short work ends before a dialog would be worth showing; until then the
    // operator's clicks wait, so nothing can close the window under the work.
    QTimer::singleShot(ShowAfterMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!thread->isFinished()) {
        dialog.show();
        loop.exec();
    }
    // Cancelled, the work stops at its next step; the hidden dialog no longer
    // holds the window, so its input waits again until then.
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
}

} // namespace BackgroundWork
