#pragma once

#include <QSize>
#include <QString>

namespace quorvane::platform {

// Button values that a message box returns.
enum MessageAnswer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

// Style values: icon + buttons.
enum MessageStyle : int {
    StyleOkOnly = 0,
    StyleYesNo = 4,
    StyleError = 16,
    StyleQuestion = 32,
    StyleWarning = 48,
    StyleInformation = 64,
};

// What the logic needs of the window toolkit.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Runs every pending user event, then returns.
    virtual void yield() = 0;
    virtual void setBusyCursor() = 0;
    virtual void setDefaultCursor() = 0;
    // Modal box; returns the button pressed.
    virtual int messageBox(const QString &prompt, int style, const QString &title) = 0;
    // Screen width and height in twips.
    virtual QSize screenSizeTwips() const = 0;
};

} // namespace quorvane::platform
