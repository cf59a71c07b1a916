#include "dailycopy.h"

#include "screens/common/messages.h"

#include <QDate>
#include <QProgressDialog>
#include <QThread>

namespace {
constexpr int Steps = 1000;
constexpr int ShowAfterMs = 1000;
constexpr int PollMs = 200;
} // namespace

void DailyCopy::start(QWidget *window, const QString &registerFile)
{
    if (Backup::dailyCopyDue(registerFile, QDate::currentDate()))
        new DailyCopy(window, registerFile);
}

DailyCopy::DailyCopy(QWidget *window, const QString &registerFile)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("DailyCopy"));
    const QDate today = QDate::currentDate();
    m_thread.reset(QThread::create([this, registerFile, today] {
        m_outcome = Backup::keepDailyCopy(registerFile, today, &m_progress);
    }));
    connect(m_thread.get(), &QThread::finished, this, &DailyCopy::finish);
    connect(&m_poll, &QTimer::timeout, this, &DailyCopy::showProgress);
    m_poll.start(PollMs);
    m_thread->start(QThread::LowPriority);
}

DailyCopy::~DailyCopy()
{
    m_progress.cancel();
    m_thread->wait();
}

void DailyCopy::showProgress()
{
    const qint64 total = m_progress.total();
    if (!m_dialog) {
        m_dialog = new QProgressDialog(QStringLiteral("Se face copia zilnică a registrului..."),
                                       QStringLiteral("Anulează"), 0, Steps, m_window);
        m_dialog->setObjectName(QStringLiteral("DailyCopyProgress"));
        m_dialog->setWindowModality(Qt::NonModal);
        m_dialog->setMinimumDuration(ShowAfterMs);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        connect(m_dialog, &QProgressDialog::canceled, this, [this] { m_progress.cancel(); });
    }
    m_dialog->setValue(total > 0 ? int(m_progress.done() * Steps / total) : 0);
}

void DailyCopy::finish()
{
    m_poll.stop();
    delete m_dialog;
    m_dialog = nullptr;
    if (!m_outcome.ok && !m_outcome.cancelled)
        Messages::ok(m_window, m_outcome.problem, QStringLiteral("Copia zilnică."),
                     Messages::Icon::Exclamation);
    deleteLater();
}
