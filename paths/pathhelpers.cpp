#include "paths/pathhelpers.h"

#include "paths/shared.h"
#include "platform/services.h"

namespace quorvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

// Drops one trailing "\" of a private copy.
QString withoutTrailingBackslash(const QString &path)
{
    if (path.endsWith(Backslash))
        return path.left(path.size() - 1);
    return path;
}

} // namespace

QString AddBackslash(QString &path)
{
    if (!path.endsWith(Backslash))
        path.append(Backslash);
    return path;
}

QString GetParentPath(const QString &path)
{
    QString s = path;
    if (s.startsWith(Backslash))
        s.remove(0, 1);
    s = withoutTrailingBackslash(s);
    const qsizetype last = s.lastIndexOf(Backslash);
    if (last >= 0)
        s.truncate(last);
    return s;
}

QString GetFileName(const QString &path)
{
    const QString s = withoutTrailingBackslash(path);
    return s.mid(s.lastIndexOf(Backslash) + 1);
}

QString GetExtension(const QString &name)
{
    // The dot is searched in the whole string, directories included.
    const QString s = withoutTrailingBackslash(name);
    return s.mid(s.lastIndexOf(QLatin1Char('.')) + 1);
}

bool FileExists(const QString &path)
{
    platform::FileSystem &fs = platform::fileSystem();
    const int number = fs.freeFile();
    const bool opened = fs.openForInput(number, path).ok();
    // Closing a number whose open failed reports an error that means nothing here.
    (void)fs.closeFile(number);
    return opened;
}

bool DirExists(const QString &path)
{
    QString copy = path;
    AddBackslash(copy);
    const platform::Result<QString> first =
        platform::fileSystem().dirFirst(copy + QStringLiteral("*.*"), platform::MaskDirectory);
    return first.ok() && !first.value().isEmpty();
}

void ShowMessage(const QString &text, int kind, QString &title)
{
    if (title.isEmpty())
        title = AppTitle;

    int style = 0;
    switch (kind) {
    case 1:
        style = platform::StyleInformation;
        break;
    case 2:
        style = platform::StyleWarning;
        break;
    case 3:
        style = platform::StyleError;
        break;
    case 4:
        style = platform::StyleQuestion;
        break;
    default:
        return;
    }
    // The answer of a box with a single OK button tells nothing.
    (void)platform::toolkit().messageBox(text, style | platform::StyleOkOnly, title);
}

void ShowMessage(const QString &text, int kind)
{
    QString title;
    ShowMessage(text, kind, title);
}

} // namespace quorvane
