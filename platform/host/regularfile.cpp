#include "platform/host/regularfile.h"

#include "platform/hosterrors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::platform {

Descriptor openRegular(const QByteArray &host, struct stat &st, int &err)
{
    Descriptor fd(::open(host.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
        err = errno;
        return fd;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return Descriptor();
    }
    ::fcntl(fd.get(), F_SETFL, 0);
    return fd;
}

QString notRegularText(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("Keine gewöhnliche Datei, sondern ein Verzeichnis");
    if (S_ISLNK(mode))
        return QStringLiteral("Keine gewöhnliche Datei, sondern eine Verknüpfung");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("Keine gewöhnliche Datei, sondern ein Gerät");
    if (S_ISFIFO(mode))
        return QStringLiteral("Keine gewöhnliche Datei, sondern eine Pipe (FIFO)");
    if (S_ISSOCK(mode))
        return QStringLiteral("Keine gewöhnliche Datei, sondern ein Socket");
    return QStringLiteral("Keine gewöhnliche Datei");
}

Status openFailure(int err, const QString &display)
{
    if (err == EINVAL || err == EISDIR)
        return failureFor(ErrPathFileAccess, display, QStringLiteral("Keine gewöhnliche Datei"));
    return errnoFailure(err, display);
}

} // namespace quorvane::platform
