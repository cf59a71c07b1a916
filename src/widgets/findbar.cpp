#include "findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <functional>

namespace {

QToolButton *makeButton(QWidget *parent, const QString &name, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_text(new QLineEdit(this))
    , m_previous(makeButton(this, QStringLiteral("FindPrevious"),
                            QStringLiteral("Găsește precedentul (Shift+F3)")))
    , m_next(makeButton(this, QStringLiteral("FindNext"),
                        QStringLiteral("Găsește următorul (F3)")))
    , m_close(makeButton(this, QStringLiteral("FindClose"),
                         QStringLiteral("Închide căutarea (Esc)")))
    , m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("FindBar"));
    auto *label = new QLabel(QStringLiteral("Caută:"), this);
    label->setObjectName(QStringLiteral("FindLabel"));
    label->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setAccessibleName(QStringLiteral("Textul căutat"));
    m_text->setToolTip(QStringLiteral("Începutul unui nume, prenume, porecle sau al CNP-ului"));
    m_note->setObjectName(QStringLiteral("FindNote"));
    m_previous->setArrowType(Qt::UpArrow);
    m_next->setArrowType(Qt::DownArrow);
    m_close->setText(QStringLiteral("×"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(label);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_note, 1);
    layout->addWidget(m_close);

    for (QWidget *w : {static_cast<QWidget *>(m_text), static_cast<QWidget *>(m_previous),
                       static_cast<QWidget *>(m_next), static_cast<QWidget *>(m_close)})
        w->installEventFilter(this);
    connect(m_text, &QLineEdit::textEdited, this, [this] { request(Step::AsTyped); });
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
}

QString FindBar::text() const
{
    return m_text->text();
}

void FindBar::open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::findNext()
{
    request(Step::Next);
}

void FindBar::findPrevious()
{
    request(Step::Previous);
}

void FindBar::report(Outcome outcome, Step step)
{
    switch (outcome) {
    case Outcome::Found:
        m_note->clear();
        break;
    case Outcome::Wrapped:
        m_note->setText(step == Step::Previous
                            ? QStringLiteral("S-a continuat de la sfârșitul listei")
                            : QStringLiteral("S-a continuat de la începutul listei"));
        break;
    case Outcome::NotFound:
        m_note->setText(QStringLiteral("Nu a fost găsit"));
        break;
    }
}

void FindBar::request(Step step)
{
    if (m_text->text().trimmed().isEmpty()) {
        m_note->clear();
        return;
    }
    emit findRequested(m_text->text(), step);
}

void FindBar::close()
{
    hide();
    m_note->clear();
    emit closed();
}

// The strip's keys win over the window's while it has the focus: Esc closes
// the strip, not the screen, and Enter searches rather than pressing a button.
bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    std::function<void()> action;
    switch (key->key()) {
    case Qt::Key_Escape:
        action = [this] { close(); };
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (watched != m_text)
            return QWidget::eventFilter(watched, event);
        [[fallthrough]];
    case Qt::Key_F3:
        action = [this, shift] { shift ? findPrevious() : findNext(); };
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    event->accept();
    if (event->type() == QEvent::KeyPress)
        action();
    return true;
}
