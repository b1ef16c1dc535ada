#include "platform/drivepath.h"

namespace quorvane::platform {

QString DrivePath::toString() const
{
    QString out = QString(drive) + QLatin1Char(':');
    if (components.isEmpty())
        return out + QLatin1Char('\\');
    for (const QString &c : components)
        out += QLatin1Char('\\') + c;
    return out;
}

int driveIndex(QChar letter)
{
    const char16_t c = letter.unicode();
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a';
    return -1;
}

QChar driveLetter(QChar c)
{
    const int index = driveIndex(c);
    return index >= 0 ? QChar(char16_t(u'A' + index)) : QChar();
}

QChar driveLetterOf(QStringView path)
{
    return path.size() >= 2 && path[1] == u':' ? driveLetter(path[0]) : QChar();
}

bool isBareDrive(QStringView path)
{
    return path.size() == 2 && !driveLetterOf(path).isNull();
}

bool startsWithDriveRoot(QStringView path)
{
    return path.size() >= 3 && path[2] == u'\\' && !driveLetterOf(path).isNull();
}

QString withoutTrailingBackslashes(QString path)
{
    while (path.size() > 3 && path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

DrivePath makeAbsolute(QStringView path, QChar currentDrive, const CurrentDirectories &current)
{
    DrivePath out;
    out.drive = currentDrive;
    const QChar letter = driveLetterOf(path);
    if (!letter.isNull()) {
        out.drive = letter;
        path = path.mid(2);
    }
    const bool rooted = !path.isEmpty() && (path[0] == u'\\' || path[0] == u'/');
    const int index = driveIndex(out.drive);
    if (!rooted && index >= 0)
        out.components = current[index];

    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'\\' && path[i] != u'/')
            continue;
        const QStringView part = path.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!out.components.isEmpty())
                out.components.removeLast();
            continue;
        }
        out.components.append(part.toString());
    }
    return out;
}

} // namespace quorvane::platform
