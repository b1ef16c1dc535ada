#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvane::platform {

// Host names are bytes; the program's names are 16-bit strings. Valid UTF-8
// decodes normally. A byte that is not part of a valid UTF-8 sequence becomes
// the lone character U+DC80 + byte ("surrogate escape"), which encodes back to
// that very byte, so any name read from the disk can be reached again.
//
// A "\" in a host name is a character of that name, while the program's
// paths use "\" to separate names: it travels as U+F05C (0xF000 + the
// character, as network clients carry characters that the program's names
// cannot hold) and turns back into "\" on the way to the disk. A host name
// that really holds U+F05C decodes as three escapes, so that it stays a
// name of its own. (A "\" handed to encodeName also becomes "\".)
//
// decodeName(encodeName(s)) == s for every s without lone surrogates and "\";
// encodeName(decodeName(b)) == b for every byte string b.
// A lone surrogate outside U+DC80..U+DCFF (never produced by decodeName)
// encodes as its three-byte form, which then decodes as three escapes.
QString decodeName(const QByteArray &bytes);
QString decodeName(const char *bytes, qsizetype length);
// The same, appended to out.
void appendDecodedName(QString &out, const char *bytes, qsizetype length);
QByteArray encodeName(const QString &name);

// The character that stands for "\" inside a name.
constexpr char16_t BackslashInName = 0xF05C;

// Typed text, such as a command-line argument, is not a host name: "\"
// stays "\" and U+F05C stays U+F05C (in a drive path, a name holding "\");
// only bytes that are not UTF-8 travel as escapes. encodeText(decodeText(b)) == b for every b.
QString decodeText(const QByteArray &bytes);
QByteArray encodeText(const QString &text);

// For display only: escapes shown as U+FFFD, U+F05C as the "\" it stands for.
QString displayName(const QString &name);

// True when the name holds an escaped byte or another lone surrogate.
bool hasEscapes(const QString &name);

// Host paths read from a file another program may have written are checked
// name by name on their bytes: absolute, and no name empty, ".", ".." or
// holding a NUL (a folder may end in "/").
bool isPlainHostPath(const QByteArray &path, bool folder = false);
// The entry a plain host path names below the plain folder root, as a
// relative drive path ("a\b.txt", names decoded as listed ones); nothing
// where it does not lie below root.
std::optional<QString> relativeBelow(const QByteArray &root, const QByteArray &path);

} // namespace quorvane::platform
