#include "platform/userfolders.h"

#include "platform/namecodec.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace quorvane::platform {

bool canWriteInFolder(const QString &hostFolder)
{
    if (hostFolder.isEmpty() || hostFolder.contains(QChar(0)))
        return false;
    // AT_EACCESS asks with the effective identity and its capabilities, the
    // way the later write is judged; EROFS and an immutable folder fail too.
    return ::faccessat(AT_FDCWD, encodeName(hostFolder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

namespace {

// $variable when it is an absolute path (desktops ignore a relative value
// there), otherwise fallback below the home folder.
QString userFolder(const char *variable, const QString &fallback)
{
    const QString configured = qEnvironmentVariable(variable);
    if (configured.startsWith(QLatin1Char('/')))
        return configured;
    QString home = qEnvironmentVariable("HOME");
    if (!home.startsWith(QLatin1Char('/'))) {
        const passwd *entry = ::getpwuid(::getuid());
        home = entry && entry->pw_dir ? decodeName(QByteArray(entry->pw_dir)) : QString();
    }
    if (!home.startsWith(QLatin1Char('/')))
        return QString();
    return home + (home.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + fallback;
}

} // namespace

QString userConfigFolder()
{
    return userFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString userStateFolder()
{
    return userFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
}

} // namespace quorvane::platform
