#include "engine/placement/sourcecleanup.h"

#include "platform/imagetrees.h"
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

qsizetype EmptiedSourceDirs::removeEmptied(platform::ImageTrees &trees)
{
    // Deepest first, so that a parent is looked at after its children went.
    std::stable_sort(m_candidates.begin(), m_candidates.end(), [](const QString &a, const QString &b) {
        return a.count(QLatin1Char('\\')) > b.count(QLatin1Char('\\'));
    });
    platform::Toolkit &toolkit = platform::toolkit();
    qsizetype removed = 0;
    for (const QString &folder : std::as_const(m_candidates)) {
        // Only an empty folder goes: whatever is in it now (a file that
        // matched no pattern, one that could not be moved, something new)
        // keeps it.
        if (trees.removeSourceFolder(folder).ok())
            ++removed;
        toolkit.yield();
    }
    m_candidates.clear();
    m_seen.clear();
    return removed;
}

} // namespace quorvane
