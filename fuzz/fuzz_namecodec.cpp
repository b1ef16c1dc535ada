// The name codec between host bytes and the program's 16-bit names: every
// byte string survives a round trip, and every name a user can type does.

#include "fuzz/check.h"
#include "platform/namecodec.h"

#include <cstddef>
#include <cstdint>

using namespace quorvane::platform;

namespace {

bool hasLoneSurrogate(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s.at(i + 1).unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            return true;
    }
    return false;
}

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

void checkBytes(const QByteArray &bytes)
{
    const QString name = decodeName(bytes);
    FUZZ_CHECK(encodeName(name) == bytes);
    FUZZ_CHECK(decodeName(bytes.constData(), bytes.size()) == name);
    FUZZ_CHECK(name.size() <= bytes.size());
    // "\" never reaches a name as the separator it is in the program's paths.
    FUZZ_CHECK(!name.contains(QLatin1Char('\\')));
    // Escapes appear exactly where the bytes are not UTF-8, and for a name
    // that really holds U+F05C, which must stay apart from a "\".
    const bool needsEscapes = !isUtf8(bytes) || bytes.contains("\xEF\x81\x9C");
    FUZZ_CHECK(hasEscapes(name) == needsEscapes);

    const QString text = decodeText(bytes);
    FUZZ_CHECK(encodeText(text) == bytes);
    FUZZ_CHECK(hasEscapes(text) == !isUtf8(bytes));

    const QString shown = displayName(name);
    FUZZ_CHECK(shown.size() == name.size());
    FUZZ_CHECK(!hasEscapes(shown));
}

void checkName(const QString &name)
{
    const QByteArray text = encodeText(name);
    const QByteArray host = encodeName(name);
    FUZZ_CHECK(!host.contains('\0') || name.contains(QChar(0)));
    if (hasLoneSurrogate(name))
        return;
    FUZZ_CHECK(decodeText(text) == name);
    FUZZ_CHECK(text == name.toUtf8());
    if (!name.contains(QLatin1Char('\\')))
        FUZZ_CHECK(decodeName(host) == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkBytes(bytes);
    checkName(fuzz::unitsOf(bytes));
    return 0;
}
