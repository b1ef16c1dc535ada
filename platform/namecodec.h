#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::platform {

// Host names are bytes; the program's names are 16-bit strings. Valid UTF-8
// decodes normally. A byte that is not part of a valid UTF-8 sequence becomes
// the lone character U+DC80 + byte ("surrogate escape"), which encodes back to
// that very byte, so any name read from the disk can be reached again.
//
// decodeName(encodeName(s)) == s for every s without lone surrogates;
// encodeName(decodeName(b)) == b for every byte string b.
// A lone surrogate outside U+DC80..U+DCFF (never produced by decodeName)
// encodes as its three-byte form, which then decodes as three escapes.
QString decodeName(const QByteArray &bytes);
QString decodeName(const char *bytes, qsizetype length);
QByteArray encodeName(const QString &name);

// For display only: escapes shown as U+FFFD.
QString displayName(const QString &name);

// True when the name holds an escaped byte or another lone surrogate.
bool hasEscapes(const QString &name);

} // namespace quorvane::platform
