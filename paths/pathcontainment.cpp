#include "paths/pathcontainment.h"

#include "platform/namefold.h"

namespace quorvane {

qsizetype belowStart(QStringView path, QStringView base, QChar separator, NameCase names)
{
    if (base.isEmpty() || path.size() < base.size())
        return -1;
    const bool same = names == NameCase::Exact ? path.startsWith(base) : platform::startsWithName(path, base);
    if (!same)
        return -1;
    if (path.size() == base.size())
        return path.size();
    if (base.endsWith(separator))
        return base.size();
    return path.at(base.size()) == separator ? base.size() + 1 : -1;
}

} // namespace quorvane
