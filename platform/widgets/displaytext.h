#pragma once

#include <QString>

namespace quorvane::platform {

// Names whose bytes were not UTF-8 carry each such byte as U+DC80 + byte, a
// lone surrogate that fonts cannot draw. Lists show U+FFFD in its place and
// keep the carried name for every use but drawing. Proper pairs stay.
inline QString displayText(const QString &name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        if (c.isHighSurrogate() && i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            shown[i] = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}

} // namespace quorvane::platform
