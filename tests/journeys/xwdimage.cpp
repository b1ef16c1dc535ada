#include "xwdimage.h"

#include <QFile>
#include <QtEndian>

namespace {

// The XWD header: 25 big-endian 32-bit words, then the window name.
enum Field {
    HeaderSize = 0,
    Width = 4,
    Height = 5,
    ByteOrder = 7,
    BitsPerPixel = 11,
    BytesPerLine = 12,
    ColourCount = 19,
    FieldCount = 25,
};
constexpr qint64 ColourEntrySize = 12;

} // namespace

QImage readXwdArea(const QString &file, const QRect &area)
{
    QFile xwd(file);
    if (!xwd.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = xwd.size();
    const uchar *data = xwd.map(0, size);
    if (!data || size < FieldCount * 4)
        return {};
    const auto field = [data](Field f) { return qFromBigEndian<quint32>(data + 4 * f); };
    const QRect screen(0, 0, int(field(Width)), int(field(Height)));
    const qint64 pixels = qint64(field(HeaderSize)) + qint64(field(ColourCount)) * ColourEntrySize;
    const qint64 line = field(BytesPerLine);
    if (field(BitsPerPixel) != 32 || !screen.contains(area) || area.isEmpty() || pixels + line * screen.height() > size)
        return {};
    const bool littleEndian = field(ByteOrder) == 0;
    QImage out(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const uchar *row = data + pixels + line * (area.top() + y) + 4 * area.left();
        auto *target = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const quint32 p =
                littleEndian ? qFromLittleEndian<quint32>(row + 4 * x) : qFromBigEndian<quint32>(row + 4 * x);
            target[x] = 0xff000000u | (p & 0xffffffu);
        }
    }
    return out;
}
