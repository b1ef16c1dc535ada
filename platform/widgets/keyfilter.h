#pragma once

#include "platform/codepage.h"

#include <QKeyEvent>
#include <QString>

namespace quorvane {

// The file-name filter: leaves a character code that may stand in a folder
// or file name and sets every other one to 0. Decides by the code alone, in
// the 8-bit code page; everything from 95 up, code 127 and the accented
// letters included, stays.
inline void FilterKey(short &code)
{
    if (code < 0) {
        code = 0;
        return;
    }
    if (code < 32) {
        // Ctrl+C, Backspace, Enter and Ctrl+V are the only control codes kept.
        if (code != 3 && code != 8 && code != 13 && code != 22)
            code = 0;
        return;
    }
    if (code >= 95)
        return;
    switch (code) {
    case 32:
    case 33:
    case 38:
    case 39:
    case 43:
    case 45:
        return;
    default:
        break;
    }
    if ((code >= 48 && code <= 57) || (code >= 63 && code <= 90))
        return;
    code = 0;
}

// The code a typed character has in the 8-bit code page (Windows-1252); a
// character that code page cannot hold becomes "?", as the platform's own
// conversion does. -1 for a text that is not one character.
inline short ansiKeyCode(const QString &text)
{
    return static_cast<short>(platform::codePageCode(text));
}

// True when a key press in a name field must be dropped. Only single key
// presses are judged: keys without text (arrows, Home) pass, and so do Tab
// and Shift+Tab, which move the focus before a name field sees them.
inline bool keyDroppedByFilter(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)
        return false;
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    short code = ansiKeyCode(text);
    if (code < 0) {
        // Several characters from one key (an input method): each must pass.
        for (const QChar c : text) {
            short one = ansiKeyCode(QString(c));
            FilterKey(one);
            if (one == 0)
                return true;
        }
        return false;
    }
    FilterKey(code);
    return code == 0;
}

} // namespace quorvane
