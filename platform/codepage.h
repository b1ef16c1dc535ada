#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::platform {

// The 8-bit code page of list files and the settings file: Windows-1252.
// A character it cannot hold becomes "?" (one for a surrogate pair).
QByteArray toCodePage(QStringView text);
// Every byte decodes; the five bytes the code page leaves open become the
// control characters of the same number, so a round trip keeps them.
QString fromCodePage(const QByteArray &bytes);
// The code of one typed character (a surrogate pair is one) in the code
// page, "?" (63) where the code page lacks it; -1 when text is not exactly
// one character.
int codePageCode(QStringView text);

} // namespace quorvane::platform
