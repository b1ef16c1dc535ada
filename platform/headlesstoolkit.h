#pragma once

#include "platform/toolkit.h"

namespace quorvane::platform {

// The answer a message box gives when nobody presses a button: its first
// button (OK for OK styles, Yes for Yes/No styles, Abort, Retry).
int firstButtonAnswer(int style);

// A toolkit without windows: yielding runs the Qt event loop once if there
// is one, message boxes go to stderr as "title: prompt" and answer with their
// first button, the screen is 1024 x 768 pixels.
class HeadlessToolkit : public Toolkit {
public:
    void yield() override;
    void setBusyCursor() override { m_busy = true; }
    void setDefaultCursor() override { m_busy = false; }
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QSize screenSizeTwips() const override;

    bool isBusy() const { return m_busy; }

private:
    bool m_busy = false;
};

} // namespace quorvane::platform
