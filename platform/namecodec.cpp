#include "platform/namecodec.h"

#include <QList>
#include <QStringList>

namespace quorvane::platform {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at p (1..4), or 0 when it is not one.
// Rejects overlong forms, surrogates and code points above U+10FFFF.
int validSequence(const unsigned char *p, qsizetype left, char32_t &cp)
{
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    auto cont = [&](qsizetype i) { return i < left && (p[i] & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (!cont(1))
            return 0;
        cp = (char32_t(b0 & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if (b0 == 0xE0 && p[1] < 0xA0)
            return 0; // overlong
        if (b0 == 0xED && p[1] >= 0xA0)
            return 0; // surrogate
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if (b0 == 0xF0 && p[1] < 0x90)
            return 0; // overlong
        if (b0 == 0xF4 && p[1] >= 0x90)
            return 0; // above U+10FFFF
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

void appendUtf8(QByteArray &out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

void appendEscapes(QString &out, const unsigned char *p, int n)
{
    for (int k = 0; k < n; ++k)
        out.append(QChar(char16_t(EscapeBase + p[k])));
}

// hostName: the name as the disk holds it, with "\" carried as U+F05C.
void appendDecoded(QString &out, const char *bytes, qsizetype length, bool hostName)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    qsizetype i = 0;
    while (i < length && p[i] < 0x80 && !(hostName && p[i] == '\\'))
        ++i;
    out.append(QLatin1StringView(bytes, i)); // all of the common all-ASCII name
    while (i < length) {
        char32_t cp = 0;
        const int n = validSequence(p + i, length - i, cp);
        if (n == 0) {
            appendEscapes(out, p + i, 1);
            ++i;
            continue;
        }
        if (hostName && cp == BackslashInName)
            appendEscapes(out, p + i, n); // stays apart from a name holding "\"
        else if (hostName && cp == u'\\')
            out.append(QChar(BackslashInName));
        else if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += n;
    }
}

QString decode(const char *bytes, qsizetype length, bool hostName)
{
    QString out;
    out.reserve(length);
    appendDecoded(out, bytes, length, hostName);
    return out;
}

QByteArray encode(const QString &name, bool hostName)
{
    QByteArray out;
    out.reserve(name.size() * 3);
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = name.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(name.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(c, name.at(i + 1).unicode()));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out.append(char(c - EscapeBase));
        } else if (hostName && c == BackslashInName) {
            out.append('\\');
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

} // namespace

QString decodeName(const char *bytes, qsizetype length)
{
    return decode(bytes, length, true);
}

void appendDecodedName(QString &out, const char *bytes, qsizetype length)
{
    appendDecoded(out, bytes, length, true);
}

QString decodeName(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size(), true);
}

QByteArray encodeName(const QString &name)
{
    return encode(name, true);
}

QString decodeText(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size(), false);
}

QByteArray encodeText(const QString &text)
{
    return encode(text, false);
}

namespace {

// Index of the first surrogate at or after from that is not part of a
// proper pair, or -1.
// The names of a plain host path; nothing where it is not plain.
std::optional<QList<QByteArray>> namesOf(const QByteArray &path, bool folder)
{
    if (!path.startsWith('/'))
        return std::nullopt;
    QByteArray rest = path.mid(1);
    if (folder && rest.endsWith('/'))
        rest.chop(1);
    QList<QByteArray> names;
    if (rest.isEmpty())
        return names;
    for (const QByteArray &name : rest.split('/')) {
        if (name.isEmpty() || name == "." || name == ".." || name.contains('\0'))
            return std::nullopt;
        names.append(name);
    }
    return names;
}

qsizetype nextLoneSurrogate(const QString &text, qsizetype from)
{
    const qsizetype n = text.size();
    for (qsizetype i = from; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            return i;
    }
    return -1;
}

} // namespace

QString displayName(const QString &name)
{
    QString out = name;
    out.replace(QChar(BackslashInName), QLatin1Char('\\'));
    for (qsizetype i = nextLoneSurrogate(out, 0); i >= 0; i = nextLoneSurrogate(out, i + 1))
        out[i] = QChar(QChar::ReplacementCharacter);
    return out;
}

bool hasEscapes(const QString &name)
{
    return nextLoneSurrogate(name, 0) >= 0;
}

bool isPlainHostPath(const QByteArray &path, bool folder)
{
    return namesOf(path, folder).has_value();
}

std::optional<QString> relativeBelow(const QByteArray &root, const QByteArray &path)
{
    const std::optional<QList<QByteArray>> above = namesOf(root, true);
    const std::optional<QList<QByteArray>> names = namesOf(path, false);
    if (!above || !names || names->size() <= above->size())
        return std::nullopt;
    QStringList entry;
    for (qsizetype i = 0; i < names->size(); ++i) {
        if (i < above->size() && names->at(i) != above->at(i))
            return std::nullopt;
        if (i >= above->size())
            entry.append(decodeName(names->at(i)));
    }
    return entry.join(QLatin1Char('\\'));
}

} // namespace quorvane::platform
