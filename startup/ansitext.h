#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane {

// Text in the 8-bit code page (Windows-1252) that the settings file uses.
// A character the code page lacks becomes "?", as the platform's own
// conversion does.
QByteArray toAnsi(const QString &text);
QString fromAnsi(const QByteArray &bytes);

} // namespace quorvane
