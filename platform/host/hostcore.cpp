#include "platform/host/hostcore.h"

#include <cerrno>
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

Descriptor HostCore::openExactFolder(const QString &path, const Anchor &at) const
{
    // Spelled like every other path, so a NUL or an unmapped drive never
    // reaches the host as a shorter path.
    const Result<Resolved> spelled = spell(path, at);
    if (!spelled.ok()) {
        errno = EINVAL;
        return Descriptor();
    }
    return Descriptor(::open(spelled.value().host().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace quorvane::platform
