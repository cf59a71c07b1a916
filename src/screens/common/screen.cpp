#include "screen.h"

#include "messages.h"

#include "widgets/datacontrol.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QShortcut>

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
    for (DataControl *control : controls) {
        if (!control->recordSource().isEmpty())
            control->refresh();
    }
}

void Screen::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit unloaded();
}
