#pragma once

#include <QtGlobal>

#include <atomic>

// Shared between a long piece of work on a worker thread and the window that
// shows how far it got: the work reports, the window reads and may cancel.
class Progress
{
public:
    void setTotal(qint64 total) { m_total = total; }
    void setDone(qint64 done) { m_done = done; }
    qint64 total() const { return m_total; }
    qint64 done() const { return m_done; }
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

private:
    std::atomic<qint64> m_total{0};
    std::atomic<qint64> m_done{0};
    std::atomic<bool> m_cancelled{false};
};
