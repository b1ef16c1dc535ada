#include "paths/longname.h"

#include "platform/drivepath.h"
#include "platform/services.h"

namespace quorvane {

namespace {

bool isWordSeparator(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case '-':
    case '(':
    case '_':
    case '\\':
        return true;
    default:
        return false;
    }
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// A path that is not absolute keeps its shape ("sub\datei.txt" stays
// relative, "C:sub" drive-relative, "\sub" rooted); only each name takes the
// spelling that the disk stores. Empty when a name cannot be found.
QString storedKeepingShape(const QString &path)
{
    platform::FileSystem &fs = platform::fileSystem();
    qsizetype start = platform::driveLetterOf(path).isNull() ? 0 : 2;
    if (start < path.size() && isSeparator(path.at(start)))
        ++start;
    QString out = path.left(start);
    while (start < path.size()) {
        qsizetype end = start;
        while (end < path.size() && !isSeparator(path.at(end)))
            ++end;
        const QString name = path.mid(start, end - start);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
            out += name;
        } else {
            const platform::Result<QString> stored = fs.longName(path.left(end));
            if (!stored.ok())
                return {};
            out += stored.value().mid(stored.value().lastIndexOf(QLatin1Char('\\')) + 1);
        }
        out += path.mid(end, 1); // the separator as written
        start = end + 1;
    }
    return out;
}

bool isAbsolute(const QString &path)
{
    return path.size() >= 3 && !platform::driveLetterOf(path).isNull() && isSeparator(path.at(2));
}

// "X:\..." with every component as stored; empty when one cannot be found.
QString storedAbsolute(const QString &path)
{
    platform::Result<QString> stored = platform::fileSystem().longName(path);
    if (!stored.ok())
        return {};
    // A folder given with its trailing "\" keeps it.
    if (path.endsWith(QLatin1Char('\\')) && !stored.value().endsWith(QLatin1Char('\\')))
        stored.value().append(QLatin1Char('\\'));
    return stored.value();
}

} // namespace

QString RecaseWords(const QString &path)
{
    QString copy = path;
    // Character by character so that no letter grows into two ("ß").
    for (qsizetype i = 1; i < copy.size(); ++i) {
        const QChar c = copy.at(i);
        copy[i] = isWordSeparator(copy.at(i - 1)) ? c.toUpper() : c.toLower();
    }
    if (!copy.isEmpty())
        copy[0] = copy.at(0).toUpper();
    return copy;
}

QString GetLongName(QString path)
{
    // "C:" alone names a drive, not a folder on it: there is no component
    // whose stored form could be looked up, and the caller needs it to stay a drive.
    if (!path.isEmpty() && !platform::isBareDrive(path)) {
        const QString stored = isAbsolute(path) ? storedAbsolute(path) : storedKeepingShape(path);
        if (!stored.isEmpty())
            return stored;
    }
    // A path the disk does not hold takes the re-cased form.
    return RecaseWords(path);
}

} // namespace quorvane
