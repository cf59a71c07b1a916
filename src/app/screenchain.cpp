#include "screenchain.h"

#include "screens/accomplices/form3.h"
#include "screens/articles/form4.h"
#include "screens/offences/form5.h"
#include "screens/persons/form2.h"

ScreenChain::~ScreenChain()
{
    for (const QPointer<Screen> &screen : m_screens)
        delete screen.data();
}

Screen *ScreenChain::create(ScreenKind kind)
{
    switch (kind) {
    case ScreenKind::Persons:
        return new Form2(this);
    case ScreenKind::Offences:
        return new Form5(this);
    case ScreenKind::Accomplices:
        return new Form3(this);
    case ScreenKind::Articles:
        return new Form4(this);
    }
    return nullptr;
}

void ScreenChain::open(ScreenKind kind)
{
    QPointer<Screen> &slot = m_screens[int(kind)];
    if (slot)
        return;
    Screen *screen = create(kind);
    slot = screen;
    m_stack.append(kind);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->setWindowModality(Qt::ApplicationModal);
    QObject::connect(screen, &Screen::unloaded, screen, [this, kind] { closed(kind); });
    screen->load();
    screen->show();
    screen->raise();
    screen->activateWindow();
    screen->formActivate();
}

QWidget *ScreenChain::screen(ScreenKind kind) const
{
    return m_screens[int(kind)].data();
}

// The chain made each screen of its kind, so it knows their types.
const Form2 *ScreenChain::persons() const
{
    return static_cast<const Form2 *>(m_screens[int(ScreenKind::Persons)].data());
}

const Form5 *ScreenChain::offences() const
{
    return static_cast<const Form5 *>(m_screens[int(ScreenKind::Offences)].data());
}

QStringList ScreenChain::shownPerson() const
{
    return persons() ? persons()->shownPerson() : QStringList();
}

QVariant ScreenChain::offenceCode() const
{
    return offences() ? offences()->offenceCode() : QVariant();
}

QString ScreenChain::offenceText() const
{
    return offences() ? offences()->offenceText() : QString();
}

void ScreenChain::closed(ScreenKind kind)
{
    m_screens[int(kind)] = nullptr;
    m_stack.removeAll(kind);
    if (m_stack.isEmpty())
        return;
    if (Screen *below = m_screens[int(m_stack.last())].data()) {
        below->activateWindow();
        below->formActivate();
    }
}
