#include "screenwindow.h"

#include "widgets/remembered.h"

#include <QEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>

namespace ScreenWindow {

namespace {

QString key(const QWidget *window, const char *what)
{
    return QStringLiteral("windows/%1/%2").arg(window->objectName(), QLatin1String(what));
}

// Keeps the designed geometry of the controls and lays them out again for
// each size the content takes; the scrolled area fills the window below its
// menu bar.
class Growth : public QObject
{
public:
    Growth(QWidget *window, QScrollArea *area, QWidget *grid)
        : QObject(area)
        , m_window(window)
        , m_area(area)
        , m_designed(area->widget()->minimumSize())
        , m_grid(grid)
    {
        if (grid) {
            const QList<QWidget *> controls =
                area->widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            for (QWidget *control : controls)
                m_places.append({control, control->geometry()});
        }
        window->installEventFilter(this);
        area->widget()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Resize)
            return false;
        if (watched == m_window)
            m_area->setGeometry(0, m_area->y(), m_window->width(),
                                m_window->height() - m_area->y());
        else
            layOut(m_area->widget()->size());
        return false;
    }

private:
    void layOut(const QSize &size)
    {
        const int wider = qMax(0, size.width() - m_designed.width());
        const int taller = qMax(0, size.height() - m_designed.height());
        int gridBottom = 0;
        for (const auto &[control, designed] : m_places) {
            if (control == m_grid)
                gridBottom = designed.bottom();
        }
        for (const auto &[control, designed] : m_places) {
            if (control == m_grid)
                control->setGeometry(designed.adjusted(0, 0, wider, taller));
            else if (designed.y() > gridBottom)
                control->move(designed.topLeft() + QPoint(0, taller));
        }
    }

    QWidget *m_window;
    QScrollArea *m_area;
    QSize m_designed;
    QWidget *m_grid;
    QList<std::pair<QWidget *, QRect>> m_places;
};

int barHeight(const QWidget *window)
{
    const auto *bar = window->findChild<QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
    return bar ? bar->geometry().bottom() + 1 : 0;
}

QScrollArea *wrapControls(QWidget *window, QWidget *grid)
{
    const int top = barHeight(window);
    // A control changing parent gives up the focus; the screen's first focus stays.
    QWidget *focus = window->focusWidget();
    // Reparented, the controls would follow in the order they were made; Tab
    // keeps the form's order.
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w;
    }
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("designedControls"));
    const QList<QWidget *> controls = window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        if (control->isWindow() || qobject_cast<QMenuBar *>(control))
            continue;
        const QRect at = control->geometry().translated(0, -top);
        const bool hidden = control->isHidden();
        control->setParent(content);
        control->setGeometry(at);
        control->setHidden(hidden);
    }
    content->setMinimumSize(window->width(), window->height() - top);
    auto *area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("designedArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setWidget(content);
    area->setGeometry(0, top, window->width(), window->height() - top);
    new Growth(window, area, grid);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
    if (focus)
        focus->setFocus();
    return area;
}

// Where a window of that size is centred over its owner, or else over the
// display; as pos() and move() take it, so that a remembered offset never drifts.
QPoint centredOver(const QWidget *window, const QSize &size)
{
    const QWidget *owner = window->parentWidget();
    const QPoint centre = owner ? owner->frameGeometry().center()
                                : window->screen()->availableGeometry().center();
    return centre - QPoint(size.width() / 2, size.height() / 2);
}

} // namespace

void place(QWidget *window, QWidget *grid)
{
    const QSize designed = window->size();
    wrapControls(window, grid);
    const QWidget *owner = window->parentWidget();
    const QScreen *screen = owner ? owner->screen() : window->screen();
    const QRect room = screen->availableGeometry();
    window->setMinimumSize(designed.boundedTo(room.size()));
    const QSize size = Remembered::value(key(window, "size"))
                           .toSize()
                           .expandedTo(designed)
                           .boundedTo(room.size());
    window->resize(size);
    const QPoint at =
        centredOver(window, size) + Remembered::value(key(window, "offset")).toPoint();
    // Never off the display, whatever was remembered or wherever the owner is.
    window->move(qBound(room.left(), at.x(), room.right() - size.width() + 1),
                 qBound(room.top(), at.y(), room.bottom() - size.height() + 1));
}

void remember(const QWidget *window)
{
    Remembered::setValue(key(window, "size"), window->size());
    Remembered::setValue(key(window, "offset"),
                         window->pos() - centredOver(window, window->size()));
}

} // namespace ScreenWindow
