#include "optiongroup.h"

#include <QKeyEvent>
#include <QRadioButton>

OptionGroup::OptionGroup(const QList<QRadioButton *> &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    for (QRadioButton *option : options) {
        option->installEventFilter(this);
        connect(option, &QRadioButton::toggled, this, &OptionGroup::followSelection);
    }
    followSelection();
}

void OptionGroup::followSelection()
{
    // Only the selected option is a tab stop; a click still reaches every one.
    for (QRadioButton *option : std::as_const(m_options))
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

bool OptionGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    int step = 0;
    if (key == Qt::Key_Right || key == Qt::Key_Down)
        step = 1;
    else if (key == Qt::Key_Left || key == Qt::Key_Up)
        step = -1;
    const qsizetype at = m_options.indexOf(static_cast<QRadioButton *>(watched));
    if (step == 0 || at < 0)
        return false;
    QRadioButton *next = m_options.at((at + step + m_options.size()) % m_options.size());
    next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (!next->isChecked())
        next->click();
    return true;
}
