#include "engine/sourcecleanup.h"

#include "engine/confinement.h"

#include "platform/services.h"

#include <algorithm>

namespace quorvane {

void EmptiedSourceDirs::noteMoved(const QString &relativePath)
{
    QString folder = relativePath;
    for (;;) {
        const qsizetype cut = folder.lastIndexOf(QLatin1Char('\\'));
        if (cut <= 0)
            return;
        folder.truncate(cut);
        if (m_seen.contains(folder))
            return; // its parents are noted already
        m_seen.insert(folder);
        m_candidates.append(folder);
    }
}

qsizetype EmptiedSourceDirs::removeEmptied(const QString &sourceBase, RunBounds &bounds)
{
    // Deepest first, so that a parent is looked at after its children went.
    std::stable_sort(m_candidates.begin(), m_candidates.end(), [](const QString &a, const QString &b) {
        return a.count(QLatin1Char('\\')) > b.count(QLatin1Char('\\'));
    });
    platform::FileSystem &fs = platform::fileSystem();
    platform::Toolkit &toolkit = platform::toolkit();
    qsizetype removed = 0;
    for (const QString &folder : std::as_const(m_candidates)) {
        const QString path = sourceBase + folder;
        // Looked at just before: whatever is in it now (a file that matched no
        // pattern, one that could not be moved, something new) keeps it.
        const auto listing = fs.readDirectory(path);
        if (!listing.ok() || !listing.value().empty() || !bounds.mayRemoveFolder(path))
            continue;
        if (fs.removeDirectory(path).ok())
            ++removed;
        toolkit.yield();
    }
    m_candidates.clear();
    m_seen.clear();
    return removed;
}

} // namespace quorvane
