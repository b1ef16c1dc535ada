#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvane {

// The classic profile format held in memory as the bytes of the file:
// "[section]" header lines, "key=value" lines, comment lines starting with
// ";" or "#". Names match without regard to letter case; blanks around names
// and values do not count. Lines end in CR LF, LF or CR.

// The value of the first line of key under the first section that has one;
// nothing when no such line exists. A NUL ends the value, as in a C string.
std::optional<QByteArray> findProfileValue(const QByteArray &content, const QString &section, const QString &key);

// The file content with key set to value: an existing line of the key is
// replaced in place, a missing key is added at the end of its section, a
// missing section is added at the end of the file. Every other byte stays
// as it was. Line breaks inside the names or the value become blanks so
// that one call never writes more than its own line.
QByteArray setProfileValue(const QByteArray &content, const QByteArray &section, const QByteArray &key,
                           const QByteArray &value);

} // namespace quorvane
