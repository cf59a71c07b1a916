#include "desktopkeys.h"

#include <QEvent>
#include <QPushButton>

namespace DesktopKeys {

namespace {

// The styles draw the focus frame only once the keyboard has moved the
// focus, and Qt forgets that when a window is shown again; an operator who
// cannot see the focus may press Space on the wrong button.
class FocusShower : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
            static_cast<QWidget *>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

} // namespace

void apply(QWidget *window)
{
    // Outside a dialog a push button answers Enter only when it is auto-default.
    const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
    for (QPushButton *button : buttons)
        button->setAutoDefault(true);
    window->installEventFilter(new FocusShower(window));
}

} // namespace DesktopKeys
