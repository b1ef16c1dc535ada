#include "engine/scan/enumerators.h"

#include "engine/scan/walkcache.h"
#include "platform/services.h"

namespace quorvane {

namespace {

// The walk re-enters the same directory many times; within one walk the
// snapshot in hand is what the cache would give again.
SnapshotPtr snapshotFor(WalkState *walk, const QString &normalized, const QString &currentPath,
                        const SnapshotPtr &current, std::uint64_t &generation)
{
    const std::uint64_t now = walk ? walk->generation() : 0;
    if (now != 0 && now == generation && current && normalized == currentPath)
        return current;
    generation = now;
    return loadDirectory(walk, normalized);
}

// A walk hands the enumerators the paths they gave out themselves, which are
// spelled as stored already; any other path (the start of a walk, a path
// that was typed) is spelled as the disk stores it, so that every path read
// back has one spelling ("d:\scan" reads back "D:\Scan", a root "C:\").
QString storedSpelling(const QString &normalized, const QString &currentPath, const QString &given,
                       const QString &lastEntered)
{
    if (normalized == currentPath || normalized == given || normalized == lastEntered)
        return normalized;
    // A folder above one that is spelled as stored is spelled as stored too.
    if (currentPath.startsWith(normalized)
        && (normalized.endsWith(QLatin1Char('\\')) || currentPath.at(normalized.size()) == QLatin1Char('\\')))
        return normalized;
    const platform::Result<QString> stored = platform::fileSystem().longName(normalized);
    return stored.ok() ? stored.value() : normalized;
}

// Moves an enumerator's position (path, snapshot, cache generation) to a
// directory; on failure the position stays as it was. handedOut: a path the
// enumerator itself gave out (empty when none).
platform::Status enterDirectory(WalkState *walk, const QString &path, QString &currentPath, SnapshotPtr &current,
                                std::uint64_t &generation, const QString &handedOut = QString())
{
    if (path.isEmpty())
        return platform::Status::failure(platform::ErrPathNotFound);
    const QString normalized =
        storedSpelling(normalizeDirectoryPath(path), currentPath, handedOut, walk ? walk->lastEntered : QString());
    std::uint64_t next = generation;
    SnapshotPtr snapshot = snapshotFor(walk, normalized, currentPath, current, next);
    if (snapshot->error != platform::ErrNone)
        return platform::Status::failure(snapshot->error, snapshot->reason);
    generation = next;
    currentPath = normalized;
    current = std::move(snapshot);
    if (walk)
        walk->lastEntered = normalized;
    return platform::Status::success();
}

} // namespace

QString DirectoryEnumerator::path() const
{
    return m_path;
}

platform::Status DirectoryEnumerator::setPath(const QString &path)
{
    const platform::Status entered = enterDirectory(m_walk, path, m_path, m_snapshot, m_generation, m_lastItem);
    if (!entered.ok())
        return entered; // stays where it was
    if (onPathChanged)
        onPathChanged(m_path);
    return platform::Status::success();
}

qsizetype DirectoryEnumerator::count() const
{
    return m_snapshot ? qsizetype(m_snapshot->subdirs.size()) : 0;
}

QString DirectoryEnumerator::item(qsizetype index) const
{
    if (index < 0 || index >= count())
        return {};
    m_lastItem = childPath(m_path, m_snapshot->subdirs[size_t(index)]);
    return m_lastItem;
}

QString FileEnumerator::path() const
{
    return m_path;
}

platform::Status FileEnumerator::setPath(const QString &path)
{
    const SnapshotPtr before = m_snapshot;
    const platform::Status entered = enterDirectory(m_walk, path, m_path, m_snapshot, m_generation);
    if (entered.ok() && m_snapshot != before)
        m_filtered = false;
    return entered;
}

QString FileEnumerator::pattern() const
{
    return m_pattern;
}

void FileEnumerator::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    m_compiled = platform::WildcardList(pattern);
    m_filtered = false;
}

const std::vector<qsizetype> &FileEnumerator::matches() const
{
    // The walk's helpers may have matched the snapshot against this very pattern.
    if (m_snapshot && !m_snapshot->matchedPatterns.isEmpty() && m_snapshot->matchedPatterns == m_pattern)
        return m_snapshot->matches;
    if (!m_filtered) {
        m_matches.clear();
        if (m_snapshot) {
            for (size_t i = 0; i < m_snapshot->files.size(); ++i) {
                if (m_compiled.matches(m_snapshot->file(i)))
                    m_matches.push_back(qsizetype(i));
            }
        }
        m_filtered = true;
    }
    return m_matches;
}

qsizetype FileEnumerator::count() const
{
    if (!m_snapshot)
        return 0;
    if (m_compiled.matchesEverything())
        return qsizetype(m_snapshot->files.size());
    return qsizetype(matches().size());
}

QString FileEnumerator::item(qsizetype index) const
{
    return itemView(index).toString();
}

QStringView FileEnumerator::itemView(qsizetype index) const
{
    if (index < 0 || index >= count())
        return {};
    if (m_compiled.matchesEverything())
        return m_snapshot->file(size_t(index));
    return m_snapshot->file(size_t(matches()[size_t(index)]));
}

} // namespace quorvane
