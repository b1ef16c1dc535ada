#include "hostcore.h"

#include "drivepath.h"
#include "hostfolders.h"
#include "namecodec.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace quorvane::platform {

QStringList HostCore::drives() const
{
    QStringList out;
    for (QChar letter : m_map.letters()) {
        struct stat st {};
        if (::stat(m_map.hostFolder(letter).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            out.append(QString(letter) + QLatin1Char(':'));
    }
    return out;
}

int HostCore::openExactFolder(const QString &path) const
{
    // Only the drive map is read, and it never changes after construction.
    static const CurrentDirectories noCurrentDirectories;
    const QChar drive = driveLetterOf(path);
    if (!startsWithDriveRoot(path) || !m_map.isMapped(drive))
        return -1;
    const DrivePath absolute = makeAbsolute(path, drive, noCurrentDirectories);
    QByteArray host = m_map.hostFolder(absolute.drive);
    for (const QString &component : absolute.components)
        host = joinHost(host, encodeName(component));
    return ::open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace quorvane::platform
