#pragma once

#include "platform/toolkit.h"

namespace quorvane::platform {

// The toolkit on Qt Widgets: yields run the event loop, the busy cursor is an
// application-wide override, message boxes are QMessageBox with German
// buttons. Without a QApplication it falls back to the headless behaviour.
class QtToolkit : public Toolkit {
public:
    ~QtToolkit() override;

    void yield() override;
    // The pointer is one program-wide value: busy twice is still one override,
    // and the default pointer takes back every override this toolkit made.
    void setBusyCursor() override;
    void setDefaultCursor() override;
    // style: icon 16 critical, 32 question, 48 warning, 64 information; buttons
    // style & 7 (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel,
    // 4 Yes/No, 5 Retry/Cancel); default button 256 second, 512 third, else first.
    // Ctrl+C in the box puts the prompt on the clipboard.
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QSize screenSizeTwips() const override;

    bool isBusy() const { return m_overrides > 0; }

private:
    int m_overrides = 0;
};

} // namespace quorvane::platform
