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

} // namespace quorvane::platform
