#include "paths/portablename.h"

#include "platform/namecodec.h"

#include <QStringList>

namespace quorvane {

namespace {

constexpr qsizetype LongestName = 255; // UTF-16 units on the disk, bytes on this host

QChar fullwidth(QChar c)
{
    return QChar(char16_t(c.unicode() + 0xFEE0));
}

bool isEscapedByte(const QString &name, qsizetype i)
{
    const char16_t u = name.at(i).unicode();
    return u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !name.at(i - 1).isHighSurrogate());
}

QString percent(const QByteArray &bytes)
{
    QString out;
    for (const char byte : bytes)
        out += QStringLiteral("%%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0')).toUpper();
    return out;
}

bool refusedEverywhere(char16_t u)
{
    return u < 0x20 || u == platform::BackslashInName || QStringView(u"\"*:<>?|").contains(QChar(u));
}

QString lookAlike(char16_t u)
{
    if (u < 0x20)
        return QChar(char16_t(0x2400 + u));
    return fullwidth(QChar(u == platform::BackslashInName ? u'\\' : u));
}

QString mappedCharacters(const QString &name, NameRule rule)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const char16_t u = c.unicode();
        if (isEscapedByte(name, i))
            out += percent(QByteArray(1, char(u - 0xDC00)));
        else if (rule == NameRule::LookAlikes && refusedEverywhere(u))
            out += lookAlike(u);
        else if (rule == NameRule::Ascii && (refusedEverywhere(u) || u > 0x7E))
            out += percent(platform::encodeName(name.mid(i, c.isHighSurrogate() ? 2 : 1)));
        else
            out += c;
        if (c.isHighSurrogate() && rule == NameRule::Ascii)
            ++i;
    }
    return out;
}

void mapTrailingDotsAndBlanks(QString &name, NameRule rule)
{
    qsizetype end = name.size();
    while (end > 0 && (name.at(end - 1) == u'.' || name.at(end - 1) == u' '))
        --end;
    QString tail;
    for (qsizetype i = end; i < name.size(); ++i) {
        if (rule == NameRule::Ascii)
            tail += percent(QByteArray(1, char(name.at(i).unicode())));
        else
            tail += name.at(i) == u'.' ? QChar(0xFF0E) : QChar(0x3000);
    }
    name = name.left(end) + tail;
}

bool isDeviceName(const QString &stem)
{
    const QString upper = stem.toUpper();
    if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL")
        return true;
    return upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT")) && upper.at(3) >= u'1'
        && upper.at(3) <= u'9';
}

void mapDeviceName(QString &name, NameRule rule)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const qsizetype stem = dot < 0 ? name.size() : dot;
    if (stem == 0 || !isDeviceName(name.left(stem)))
        return;
    const QChar last = name.at(stem - 1);
    name.replace(stem - 1, 1, rule == NameRule::Ascii ? percent(QByteArray(1, char(last.unicode()))) : fullwidth(last));
}

bool fits(const QString &name)
{
    return name.size() <= LongestName && platform::encodeName(name).size() <= LongestName;
}

void shorten(QString &name)
{
    if (fits(name))
        return;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    QString stem = name.left(name.size() - suffix.size());
    while (!stem.isEmpty() && !fits(stem + suffix)) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1); // never half a character
    }
    name = stem + suffix;
}

} // namespace

QString portableName(const QString &name, NameRule rule)
{
    QString out = mappedCharacters(name, rule);
    mapTrailingDotsAndBlanks(out, rule);
    mapDeviceName(out, rule);
    shorten(out);
    return out;
}

QString portablePath(const QString &relative, NameRule rule)
{
    QStringList names = relative.split(QLatin1Char('\\'));
    for (QString &name : names)
        name = portableName(name, rule);
    return names.join(QLatin1Char('\\'));
}

} // namespace quorvane
