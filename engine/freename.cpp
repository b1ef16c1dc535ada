#include "engine/freename.h"

#include "paths/pathhelpers.h"
#include "platform/services.h"

namespace quorvane {

namespace {

constexpr int LastClashNumber = 999;

QString nameKey(const QString &name)
{
    return name.toCaseFolded();
}

} // namespace

void splitClashName(const QString &name, QString &base, QString &suffix)
{
    suffix.clear();
    if (name.contains(QLatin1Char('.')))
        suffix = QLatin1Char('.') + GetExtension(name);
    base = name.left(name.size() - suffix.size());
}

FlatTargetNames::FlatTargetNames(const QString &targetBase) : m_targetBase(targetBase)
{
    const auto listing = platform::fileSystem().readDirectory(targetBase);
    if (!listing.ok())
        return;
    m_names.reserve(qsizetype(listing.value().size()));
    for (const platform::DirEntry &entry : listing.value())
        m_names.insert(nameKey(entry.name));
}

bool FlatTargetNames::taken(const QString &name)
{
    const QString key = nameKey(name);
    if (m_names.contains(key))
        return true;
    // The listing may be out of date: something else may have put a file there.
    if (FileExists(m_targetBase + name)) {
        m_names.insert(key);
        return true;
    }
    return false;
}

QString FlatTargetNames::freeTargetName(const QString &name)
{
    if (!taken(name))
        return name;

    QString base;
    QString suffix;
    splitClashName(name, base, suffix);
    // Names only ever join the set, so the numbers found taken for this base
    // and suffix stay taken; the next search starts where this one stopped.
    int &lowest = m_lowestMaybeFree[nameKey(base) + QLatin1Char('/') + nameKey(suffix)];
    if (lowest == 0)
        lowest = 1;
    for (int k = lowest; k <= LastClashNumber; ++k) {
        const QString candidate = base + QLatin1Char('[') + QString::number(k) + QLatin1Char(']') + suffix;
        if (!taken(candidate)) {
            lowest = k;
            return candidate;
        }
    }
    lowest = LastClashNumber + 1;
    return {};
}

QStringList FlatTargetNames::takenFamily(const QString &name)
{
    QStringList family;
    if (taken(name))
        family.append(name);
    QString base;
    QString suffix;
    splitClashName(name, base, suffix);
    for (int k = 1; k <= LastClashNumber; ++k) {
        const QString candidate = base + QLatin1Char('[') + QString::number(k) + QLatin1Char(']') + suffix;
        if (m_names.contains(nameKey(candidate)))
            family.append(candidate);
    }
    return family;
}

void FlatTargetNames::markTaken(const QString &name)
{
    m_names.insert(nameKey(name));
}

} // namespace quorvane
