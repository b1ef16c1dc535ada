#include "engine/confinement.h"

#include "platform/services.h"

namespace quorvane {

QString locationOf(const QString &path, bool followLast)
{
    const platform::Result<QString> place = platform::fileSystem().location(path, followLast);
    return place.ok() ? place.value() : QString();
}

bool liesBelow(const QString &place, const QString &base, bool orSame)
{
    // Locations have no empty, "." or ".." names and no trailing "/" but at
    // the root, so a match that ends at a "/" of place matches whole names.
    if (place.isEmpty() || base.isEmpty() || !place.startsWith(base))
        return false;
    if (place.size() == base.size())
        return orSame;
    return base.endsWith(QLatin1Char('/')) || place.at(base.size()) == QLatin1Char('/');
}

} // namespace quorvane
