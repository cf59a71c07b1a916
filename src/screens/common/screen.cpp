#include "screen.h"

#include "desktopkeys.h"
#include "lockedlook.h"
#include "messages.h"
#include "screenwindow.h"

#include "widgets/datacontrol.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QRadioButton>
#include <QShortcut>
#include <QTableView>

namespace {

bool sharesLine(const QWidget *a, const QWidget *b)
{
    return a != b && !b->isWindow() && b->y() < a->geometry().bottom()
           && b->geometry().bottom() > a->y();
}

// A caption wider than its place takes the free room on its line, to the
// right first, then to the left, so that it never runs under the next box.
void fitCaption(QWidget *caption, int wanted)
{
    const QWidget *parent = caption->parentWidget();
    int right = parent->width() - 6;
    int left = 6;
    for (const QObject *child : parent->children()) {
        const auto *other = qobject_cast<const QWidget *>(child);
        if (!other || !sharesLine(caption, other))
            continue;
        if (other->x() > caption->x())
            right = qMin(right, other->x() - 4);
        else
            left = qMax(left, other->geometry().right() + 4);
    }
    QRect at = caption->geometry();
    if (at.x() + wanted > right)
        at.moveLeft(qMax(left, qMin(at.x(), right - wanted)));
    at.setWidth(qMax(at.width(), qMin(wanted, right - at.x())));
    caption->setGeometry(at);
}

} // namespace

const QString Screen::Banner = QStringLiteral("Registrul zavonilor");

Screen::Screen(Navigator *navigator, QWidget *parent)
    : QWidget(parent)
    , m_navigator(navigator)
{
    // The forms are laid out in twips for an 8-point font; a larger default
    // font would cut their captions.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_cancel && m_cancel->isEnabled() && m_cancel->isVisible())
            m_cancel->click();
    });
}

void Screen::setScreenTitle(const QString &title)
{
    setWindowTitle(title + QStringLiteral(" - ") + Banner);
}

void Screen::setCancelButton(QAbstractButton *button)
{
    m_cancel = button;
}

void Screen::load()
{
    const QList<DataControl *> controls = findChildren<DataControl *>();
    for (DataControl *control : controls) {
        control->bindBoxes(this);
        connect(control, &DataControl::failed, this, [this](const DataError &error) {
            Messages::dataError(this, QStringLiteral("Înregistrările nu au putut fi citite."),
                                error);
        });
    }
    formLoad();
    fitCaptions();
    DesktopKeys::apply(this);
    LockedLook::apply(this);
    ScreenWindow::place(this, findChild<QTableView *>());
    for (DataControl *control : controls) {
        if (!control->recordSource().isEmpty())
            control->refresh();
    }
}

void Screen::fitCaptions()
{
    const QList<QWidget *> all = findChildren<QWidget *>();
    for (QWidget *w : all) {
        const auto *label = qobject_cast<QLabel *>(w);
        if ((label && !label->wordWrap()) || qobject_cast<QCheckBox *>(w)
            || qobject_cast<QRadioButton *>(w)) {
            const int wanted = w->sizeHint().width();
            if (wanted > w->width())
                fitCaption(w, wanted);
        }
    }
}

void Screen::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitCaptions();
}

void Screen::closeEvent(QCloseEvent *event)
{
    event->accept();
    ScreenWindow::remember(this);
    emit unloaded();
}
