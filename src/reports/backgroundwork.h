#pragma once

#include <QString>

#include <functional>

class Progress;
class QWidget;

namespace BackgroundWork {

// Runs work on a thread of its own and waits for it with the event loop
// running, so the window repaints and "Anulează" can stop it; the progress
// dialog appears only when the work lasts long enough to want one.
void run(QWidget *parent, const QString &label, const std::function<void(Progress *)> &work);

} // namespace BackgroundWork
