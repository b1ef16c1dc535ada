#include "platform/namefold.h"

namespace quorvane::platform {

char16_t foldedSurrogateAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    // A lone half stands for no letter and stays as it is, like the bytes
    // of names that are not UTF-8 (their escapes are lone low halves).
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::highSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1])));
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
        return QChar::lowSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(text[i - 1], c)));
    return c.unicode();
}

QString foldName(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        o[i] = foldedUnitAt(text, i);
    return out;
}

bool startsWithName(QStringView text, QStringView prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        // Equal units fold equal: no letter's fold changes the first half of its pair.
        if (text[i] != prefix[i] && foldedUnitAt(text, i) != foldedUnitAt(prefix, i))
            return false;
    }
    return true;
}

bool sameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && startsWithName(a, b);
}

} // namespace quorvane::platform
