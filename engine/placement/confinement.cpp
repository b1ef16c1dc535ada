#include "engine/placement/confinement.h"

#include "platform/services.h"

namespace quorvane {

QString locationOf(const QString &path, bool followLast)
{
    const platform::Result<QString> place = platform::fileSystem().location(path, followLast);
    return place.ok() ? place.value() : QString();
}

} // namespace quorvane
