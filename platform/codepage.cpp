#include "platform/codepage.h"

#include <array>

namespace quorvane::platform {

namespace {

// 0x80 to 0x9F; the rest of the code page matches Latin-1.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeOne(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray toCodePage(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            out.append('?');
            continue;
        }
        out.append(encodeOne(c.unicode()));
    }
    return out;
}

int codePageCode(QStringView text)
{
    const bool single = text.size() == 1 || (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate());
    return single ? int(static_cast<unsigned char>(toCodePage(text).at(0))) : -1;
}

QString fromCodePage(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *to++ = (u >= 0x80 && u <= 0x9F) ? QChar(HighControls[u - 0x80]) : QChar(u);
    }
    return out;
}

} // namespace quorvane::platform
