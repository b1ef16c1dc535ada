#include "startup/ansitext.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvane {

QByteArray toAnsi(const QString &text)
{
    QStringEncoder encoder("windows-1252");
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i; // outside the code page, one "?" for the pair
            out.append('?');
            continue;
        }
        // The converter marks what it cannot convert with the SUB control character.
        const QByteArray one = encoder.encode(QStringView(&c, 1));
        out.append(one.size() == 1 && one.at(0) != '\x1a' ? one : QByteArray("?"));
    }
    return out;
}

QString fromAnsi(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.decode(bytes);
}

} // namespace quorvane
