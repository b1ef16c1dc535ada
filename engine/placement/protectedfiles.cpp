#include "engine/placement/protectedfiles.h"

#include "platform/imagetrees.h"

namespace quorvane {

ProtectedFiles::ProtectedFiles(platform::ImageTrees &trees, QStringList entries)
    : m_trees(trees), m_entries(std::move(entries))
{
}

QString ProtectedFiles::whyKept(const platform::FileStamp &file)
{
    const Key key = keyOf(file);
    if (m_written.contains(key))
        return QStringLiteral("Würde eine in diesem Lauf geschriebene Datei ersetzen");
    if (key == m_journal)
        return QStringLiteral("Würde das Protokoll dieses Laufs ersetzen");
    // Looked at only when a run is about to replace a file: most runs never do.
    if (!m_sourcesKnown) {
        m_sourcesKnown = true;
        m_sources.reserve(m_entries.size());
        for (const QString &entry : std::as_const(m_entries)) {
            const platform::Result<platform::FileStamp> source = m_trees.sourceStamp(entry);
            if (source.ok())
                m_sources.insert(keyOf(source.value()));
        }
        m_entries.clear();
    }
    if (m_sources.contains(key))
        return QStringLiteral("Würde eine Quell-Datei dieses Laufs ersetzen");
    return {};
}

} // namespace quorvane
