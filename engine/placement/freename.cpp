#include "engine/placement/freename.h"

#include "paths/pathhelpers.h"
#include "platform/namefold.h"

namespace quorvane {

namespace {

constexpr int LastClashNumber = 999;

// The same fold as the target folder's own lookups.
QString nameKey(const QString &name)
{
    return platform::foldName(name);
}

QString familyKey(const QString &base, const QString &suffix)
{
    return nameKey(base) + QLatin1Char('/') + nameKey(suffix);
}

} // namespace

void splitClashName(const QString &name, QString &base, QString &suffix)
{
    suffix.clear();
    if (name.contains(QLatin1Char('.')))
        suffix = QLatin1Char('.') + GetExtension(name);
    base = name.left(name.size() - suffix.size());
}

FlatTargetNames::FlatTargetNames(const QStringList &listed, std::function<bool(const QString &)> onDisk)
    : m_onDisk(std::move(onDisk))
{
    m_names.reserve(listed.size());
    for (const QString &name : listed)
        m_names.insert(nameKey(name));
}

bool FlatTargetNames::taken(const QString &name)
{
    const QString key = nameKey(name);
    if (m_names.contains(key))
        return true;
    // The listing may be out of date: something else may have put a file there.
    if (m_onDisk(name)) {
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
    // Names leave the set only through release, which starts the search
    // over; otherwise the numbers found taken for this base and suffix stay
    // taken, and the next search starts where this one stopped.
    int &lowest = m_lowestMaybeFree[familyKey(base, suffix)];
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

void FlatTargetNames::release(const QString &name, const QString &family)
{
    m_names.remove(nameKey(name));
    QString base;
    QString suffix;
    splitClashName(family, base, suffix);
    // The search starts at the bottom again; taken() asks the disk on the way.
    m_lowestMaybeFree.remove(familyKey(base, suffix));
}

} // namespace quorvane
