#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A property that does not hold is a finding like a crash: the fuzzer keeps
// the input that broke it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace fuzz {

// The input read as 16-bit units, so that every character a QString can
// hold turns up, lone surrogates included; an odd last byte is dropped.
inline QString unitsOf(const QByteArray &bytes)
{
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

inline void show(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.toUtf8().constData());
}

} // namespace fuzz
