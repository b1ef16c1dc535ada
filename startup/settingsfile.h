#pragma once

#include <QString>

namespace quorvane {

// The settings file in the classic profile format, text in Windows-1252.

// The stored value of key in section, cut to 2047 characters, or
// defaultValue when the file, the section or the key is missing or the
// stored value is empty. Never fails.
QString ReadIniString(const QString &section, const QString &key, const QString &file,
                      const QString &defaultValue = QString());

// Stores value under key in section, creating the file and the section as
// needed. The file is replaced as a whole only once the new content is
// complete, so a failed write leaves the old file as it was. The outcome is
// not reported: the result is always empty.
QString WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file);

// A settings file larger than this is neither read (the default comes back)
// nor rewritten (rewriting would cut it short).
constexpr qint64 SettingsFileLimit = 4 * 1024 * 1024;

} // namespace quorvane
