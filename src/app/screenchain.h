#pragma once

#include "screens/common/navigator.h"

#include <QList>
#include <QPointer>

class Form2;
class Form5;
class Screen;

// Holds one screen of each kind, created when it is opened and discarded when
// it closes. Each screen above the start window is application-modal, so only
// the top one takes input; the chain itself tells a screen it is active again
// when the one above it closes, never the window system.
class ScreenChain : public Navigator
{
public:
    ScreenChain() = default;
    ~ScreenChain() override;

    void open(ScreenKind kind) override;
    QStringList shownPerson() const override;
    QVariant offenceCode() const override;
    QString offenceText() const override;

    // The loaded screen of that kind, or nullptr.
    QWidget *screen(ScreenKind kind) const;

    // The open screens, bottom first.
    QList<ScreenKind> stack() const { return m_stack; }

private:
    Screen *create(ScreenKind kind);
    const Form2 *persons() const;
    const Form5 *offences() const;
    void closed(ScreenKind kind);

    QPointer<Screen> m_screens[4];
    QList<ScreenKind> m_stack;
};
