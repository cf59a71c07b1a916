#include "scriptedmessages.h"

ScriptedMessages::ScriptedMessages()
{
    Messages::setHandler([this](QWidget *, const Messages::Request &request) {
        m_shown.append(request);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return request.buttons == Messages::Buttons::Ok ? Messages::Answer::Ok
                                                        : Messages::Answer::No;
    });
}

ScriptedMessages::~ScriptedMessages()
{
    Messages::setHandler({});
}
