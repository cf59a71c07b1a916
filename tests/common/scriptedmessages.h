#pragma once

#include "screens/common/messages.h"

#include <QList>

// Answers the program's message boxes from a script and records what they
// said. With no answer queued an OK box is answered OK and a question No.
class ScriptedMessages
{
public:
    ScriptedMessages();
    ~ScriptedMessages();

    void answer(Messages::Answer next) { m_answers.append(next); }

    const QList<Messages::Request> &shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    Messages::Request last() const
    {
        return m_shown.isEmpty() ? Messages::Request() : m_shown.last();
    }
    void clear() { m_shown.clear(); }

private:
    QList<Messages::Answer> m_answers;
    QList<Messages::Request> m_shown;
};
