#include "scriptedtoolkit.h"

#include "platform/headlesstoolkit.h"

namespace quorvane::platform {

void ScriptedToolkit::yield()
{
    ++m_yields;
    const auto it = m_actions.find(m_yields);
    if (it == m_actions.end())
        return;
    // Taken out first: the action may yield again (a nested run does).
    const std::function<void()> action = std::move(it->second);
    m_actions.erase(it);
    action();
}

void ScriptedToolkit::setBusyCursor()
{
    ++m_busyCalls;
    m_busy = true;
}

void ScriptedToolkit::setDefaultCursor()
{
    ++m_defaultCalls;
    m_busy = false;
}

int ScriptedToolkit::messageBox(const QString &prompt, int style, const QString &title)
{
    m_boxes.push_back({prompt, style, title});
    if (m_answers.empty())
        return firstButtonAnswer(style);
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace quorvane::platform
