#include "lockedlook.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace LockedLook {

namespace {

bool isLocked(const QWidget *box)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(box))
        return line->isReadOnly();
    return static_cast<const QPlainTextEdit *>(box)->isReadOnly();
}

void show(QWidget *box)
{
    if (!isLocked(box)) {
        box->setPalette(QPalette());
        return;
    }
    QPalette locked = box->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        locked.setColor(group, QPalette::Base, locked.color(group, QPalette::Window));
    box->setPalette(locked);
}

class LockWatcher : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ReadOnlyChange)
            show(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void apply(QWidget *window)
{
    auto *watcher = new LockWatcher(window);
    QList<QWidget *> boxes;
    for (QLineEdit *line : window->findChildren<QLineEdit *>())
        boxes << line;
    for (QPlainTextEdit *plain : window->findChildren<QPlainTextEdit *>())
        boxes << plain;
    for (QWidget *box : boxes) {
        // A combo box's own line edit follows its list, not a lock.
        if (qobject_cast<QLineEdit *>(box) && box->parentWidget()->inherits("QComboBox"))
            continue;
        box->installEventFilter(watcher);
        show(box);
    }
}

} // namespace LockedLook
