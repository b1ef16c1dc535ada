#include "engine/confinement.h"

#include "platform/services.h"

namespace quorvane {

namespace {

QString joined(QString location, const QString &relative)
{
    // Drive paths below a folder are names with "\" between them; no name
    // holds a "/" or a "\", so the host's separator can take its place.
    QString tail = relative;
    tail.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!location.endsWith(QLatin1Char('/')))
        location.append(QLatin1Char('/'));
    return location + tail;
}

} // namespace

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

RunBounds::RunBounds(const QString &sourceBase, const QString &targetBase)
    : m_source(locationOf(sourceBase, true)), m_target(locationOf(targetBase, true))
{
}

void RunBounds::addSources(const QString &scanBase, const QStringList &entries)
{
    // The walk gives the names as stored and enters no link below its start,
    // so the start's location and the entry tell where each file is.
    m_sourceStart = locationOf(scanBase, true);
    if (!m_sourceStart.isEmpty())
        m_pendingSources += entries;
}

void RunBounds::settle()
{
    // Made into places only when a write must be checked against them: a
    // run whose files all go to new names through folder handles never needs them.
    if (!m_pendingSources.isEmpty()) {
        m_sources.reserve(m_sources.size() + m_pendingSources.size());
        for (const QString &entry : std::as_const(m_pendingSources))
            m_sources.insert(joined(m_sourceStart, entry));
        m_pendingSources.clear();
    }
    for (const QString &relative : std::as_const(m_pendingWritten))
        m_written.insert(joined(m_target, relative));
    m_pendingWritten.clear();
}

bool RunBounds::refuse(const QString &why)
{
    m_refusal = why;
    return false;
}

bool RunBounds::below(const QString &place, const QString &base, const QString &outside, bool orSame)
{
    if (place.isEmpty() || base.isEmpty())
        return refuse(QStringLiteral("Wohin der Pfad führt, lässt sich nicht feststellen"));
    return liesBelow(place, base, orSame) || refuse(outside);
}

bool RunBounds::mayRead(const QString &source)
{
    return below(locationOf(source, true), m_source, QStringLiteral("Führt aus dem Quell-Verzeichnis hinaus"));
}

bool RunBounds::mayTake(const QString &source)
{
    return below(locationOf(source, false), m_source, QStringLiteral("Liegt nicht im Quell-Verzeichnis"));
}

bool RunBounds::mayWrite(const QString &target, QString &place)
{
    settle();
    place = locationOf(target, true);
    if (!below(place, m_target, QStringLiteral("Führt aus dem Ziel-Verzeichnis hinaus")))
        return false;
    if (m_sources.contains(place))
        return refuse(QStringLiteral("Würde eine Quell-Datei dieses Laufs ersetzen"));
    if (m_written.contains(place))
        return refuse(QStringLiteral("Würde eine in diesem Lauf geschriebene Datei ersetzen"));
    return true;
}

bool RunBounds::mayMoveTo(const QString &target)
{
    return below(locationOf(target, false), m_target, QStringLiteral("Führt aus dem Ziel-Verzeichnis hinaus"));
}

bool RunBounds::mayCompareWith(const QString &target)
{
    return mayMoveTo(target)
        && below(locationOf(target, true), m_target, QStringLiteral("Führt aus dem Ziel-Verzeichnis hinaus"));
}

bool RunBounds::mayMakeFolder(const QString &folder)
{
    return below(locationOf(folder, true), m_target, QStringLiteral("Führt aus dem Ziel-Verzeichnis hinaus"), true);
}

bool RunBounds::mayRemoveFolder(const QString &folder)
{
    return below(locationOf(folder, false), m_source, QStringLiteral("Liegt nicht im Quell-Verzeichnis"));
}

void RunBounds::writtenBelowTarget(const QString &relative)
{
    m_pendingWritten.append(relative);
}

bool RunBounds::inTargetFolder(const QString &source)
{
    // Every source folder lies at or below the source base.
    if (!liesBelow(m_target, m_source, true))
        return false;
    const QString place = locationOf(source, false);
    return liesBelow(place, m_target) && !place.mid(m_target.size() + 1).contains(QLatin1Char('/'));
}

} // namespace quorvane
