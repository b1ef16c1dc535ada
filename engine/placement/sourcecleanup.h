#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace quorvane {

namespace platform {
class ImageTrees;
}

// After a run that moved its source files: the source directories that the
// moves emptied are removed, deepest first. Only directories that held a
// moved file, and the directories between them and the source base, are
// candidates; a candidate is removed only when a fresh listing finds nothing
// in it at all, and the source base itself always stays.
class EmptiedSourceDirs {
public:
    // A file at this path relative to the source base was moved away.
    void noteMoved(const QString &relativePath);
    // Returns the number of directories removed, through the run's trees.
    qsizetype removeEmptied(platform::ImageTrees &trees);
    bool isEmpty() const { return m_candidates.isEmpty(); }

private:
    QStringList m_candidates; // relative, without trailing "\"
    QSet<QString> m_seen;     // exact
};

} // namespace quorvane
