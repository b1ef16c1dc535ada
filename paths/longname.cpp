#include "paths/longname.h"

#include "platform/services.h"

#include <exception>

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

// "C:" alone names a drive, not a folder on it: there is no component whose
// stored form could be looked up, and the caller needs it to stay a drive.
bool isBareDrive(const QString &path)
{
    return path.size() == 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
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
    try {
        if (!path.isEmpty() && !isBareDrive(path)) {
            platform::Result<QString> stored = platform::fileSystem().longName(path);
            if (stored.ok() && !stored.value.isEmpty()) {
                // A folder given with its trailing "\" keeps it.
                if (path.endsWith(QLatin1Char('\\')) && !stored.value.endsWith(QLatin1Char('\\')))
                    stored.value.append(QLatin1Char('\\'));
                return stored.value;
            }
        }
    } catch (const std::exception &) {
        // Any failure of the lookup leads to the re-cased form below.
    }
    return RecaseWords(path);
}

} // namespace quorvane
