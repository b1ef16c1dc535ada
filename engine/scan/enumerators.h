#pragma once

#include "engine/scan/dirsnapshot.h"
#include "platform/result.h"
#include "platform/wildcard.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace quorvane {

// Lists the subdirectories of its current directory (never links to one).
class DirectoryEnumerator {
public:
    QString path() const;                          // as stored; a drive root reads "C:\"
    platform::Status setPath(const QString &path); // enters; a trailing "\" is accepted
    qsizetype count() const;
    QString item(qsizetype index) const; // full path of subdirectory index

    // Called after every change of path (the worker binds the file enumerator to it).
    std::function<void(const QString &newPath)> onPathChanged;
    // The walk this enumerator takes its directories from while one is under way.
    void setWalk(WalkState *walk) { m_walk = walk; }

private:
    WalkState *m_walk = nullptr;
    QString m_path;
    SnapshotPtr m_snapshot;
    std::uint64_t m_generation = 0; // the walk cache m_snapshot came from
    mutable QString m_lastItem;     // given out by item(): spelled as stored
};

// Lists the files of a directory whose names match one of ";"-separated
// wildcard patterns ("*", "?", case ignored; "*.*" admits every name).
// Hidden and system files are listed; directories and links to directories are not.
class FileEnumerator {
public:
    QString path() const;
    platform::Status setPath(const QString &path);
    QString pattern() const;
    void setPattern(const QString &pattern);
    qsizetype count() const;
    QString item(qsizetype index) const; // the name, without directory
    // The same without a copy; valid while the enumerator stays where it is.
    QStringView itemView(qsizetype index) const;
    void setWalk(WalkState *walk) { m_walk = walk; }

private:
    WalkState *m_walk = nullptr;
    // Indexes of the matching files; only for a pattern that does not admit everything.
    const std::vector<qsizetype> &matches() const;

    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    platform::WildcardList m_compiled;
    SnapshotPtr m_snapshot;
    std::uint64_t m_generation = 0;
    // Matching waits for the first count or item: the walk re-enters a
    // directory once per subdirectory but lists its files only once.
    mutable bool m_filtered = true;
    mutable std::vector<qsizetype> m_matches;
};

} // namespace quorvane
