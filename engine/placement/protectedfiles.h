#pragma once

#include "platform/filecompare.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

namespace quorvane {

namespace platform {
class ImageTrees;
}

// The files an image run must never replace, known by what they are on the
// disk (device and inode), not by a name: the run's own source files, every
// file it has written, and its journal. Two source names that differ only in
// letter case lead to one target file; a target folder inside the source
// holds source files; a journal may lie where the image goes.
class ProtectedFiles {
public:
    // entries: the run's source files, relative to the trees' source root.
    ProtectedFiles(platform::ImageTrees &trees, QStringList entries);

    void written(const platform::FileStamp &file) { m_written.insert(keyOf(file)); }
    void journal(const platform::FileStamp &file) { m_journal = keyOf(file); }
    // Why the file may not be replaced; empty where it may.
    QString whyKept(const platform::FileStamp &file);

private:
    using Key = std::pair<quint64, quint64>;
    static Key keyOf(const platform::FileStamp &file) { return {file.device, file.inode}; }

    platform::ImageTrees &m_trees;
    QStringList m_entries; // until the sources are first needed
    bool m_sourcesKnown = false;
    QSet<Key> m_sources;
    QSet<Key> m_written;
    Key m_journal{0, 0};
};

} // namespace quorvane
