#pragma once

#include "platform/toolkit.h"

#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace quorvane::platform {

// A toolkit for tests: records every message box, answers from a queue,
// counts yields and cursor changes, and can run code at a chosen yield (to
// start a nested run inside a scan, say).
//
// With the queue empty a box answers with its first button: 1 for OK styles,
// 6 (Yes) for Yes/No styles (see firstButtonAnswer).
class ScriptedToolkit : public Toolkit {
public:
    struct Box {
        QString prompt;
        int style = 0;
        QString title;
    };

    void yield() override;
    void setBusyCursor() override;
    void setDefaultCursor() override;
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QSize screenSizeTwips() const override { return m_screen; }

    void queueAnswer(int answer) { m_answers.push_back(answer); }
    // Runs action during the nth yield, counting from 1 over the toolkit's life.
    void atYield(int n, std::function<void()> action) { m_actions[n] = std::move(action); }
    void setScreenSizeTwips(QSize size) { m_screen = size; }

    const std::vector<Box> &boxes() const { return m_boxes; }
    int pendingAnswers() const { return int(m_answers.size()); }
    int yieldCount() const { return m_yields; }
    int busyCursorCalls() const { return m_busyCalls; }
    int defaultCursorCalls() const { return m_defaultCalls; }
    bool isBusy() const { return m_busy; }
    void clearBoxes() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
    std::map<int, std::function<void()>> m_actions;
    QSize m_screen{1024 * 15, 768 * 15};
    int m_yields = 0;
    int m_busyCalls = 0;
    int m_defaultCalls = 0;
    bool m_busy = false;
};

} // namespace quorvane::platform
