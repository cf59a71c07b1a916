#include "menubar.h"

#include <QEvent>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString BarName = QStringLiteral("menuBar");

// The bar spans the window however the window is resized.
class BarWidthKeeper : public QObject
{
public:
    BarWidthKeeper(QMenuBar *bar, QWidget *window)
        : QObject(bar)
        , m_bar(bar)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_bar->resize(static_cast<QWidget *>(watched)->width(), m_bar->height());
        return false;
    }

private:
    QMenuBar *m_bar;
};

QMenuBar *makeBar(QWidget *window, QMenu *first)
{
    auto *bar = new QMenuBar(window);
    bar->setObjectName(BarName);
    bar->setNativeMenuBar(false);
    bar->addMenu(first);
    const int height = bar->sizeHint().height();
    const QList<QWidget *> controls =
        window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        if (control != bar && !control->isWindow())
            control->move(control->x(), control->y() + height);
    }
    const bool fixed = window->minimumSize() == window->maximumSize();
    const QSize grown(window->width(), window->height() + height);
    if (fixed)
        window->setFixedSize(grown);
    else
        window->resize(grown);
    bar->setGeometry(0, 0, window->width(), height);
    new BarWidthKeeper(bar, window);
    bar->show();
    return bar;
}

} // namespace

namespace ScreenMenu {

QMenu *menu(QWidget *window, const QString &title)
{
    auto *bar = window->findChild<QMenuBar *>(BarName, Qt::FindDirectChildrenOnly);
    if (bar) {
        for (QAction *action : bar->actions()) {
            if (action->menu() && action->text() == title)
                return action->menu();
        }
        return bar->addMenu(title);
    }
    auto *menu = new QMenu(title, window);
    makeBar(window, menu);
    return menu;
}

} // namespace ScreenMenu
