#pragma once

#include "foldernamecache.h"
#include "treecopy.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <vector>

namespace quorvane::platform {

// TreeCopy on this host: the two trees held open as folder handles, folders
// below them opened with openat2(RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS) (or
// name by name with O_NOFOLLOW where the kernel lacks it), the few most
// recent kept open, since the files of one folder come together.
class HostTreeCopy : public TreeCopy {
public:
    // Host folders of the two trees; targetDisplay is the target base as a
    // drive path ending in "\", for messages. names learns of new files.
    HostTreeCopy(const QByteArray &sourceHost, const QByteArray &targetHost, const QString &targetDisplay,
                 FolderNameCache &names);
    ~HostTreeCopy() override;
    HostTreeCopy(const HostTreeCopy &) = delete;
    HostTreeCopy &operator=(const HostTreeCopy &) = delete;

    bool isValid() const { return m_sourceFd >= 0 && m_targetFd >= 0; }

    QString sourceLocation() const override { return m_sourceLocation; }
    QString targetLocation() const override { return m_targetLocation; }
    Outcome copyNew(const QString &source, const QString &target, Status &failure) override;

private:
    struct Folder {
        QString key;         // relative drive path of the folder, "" for the base
        QByteArray host;     // the same as host names, "/" between them
        QByteArray fullHost; // target folders: the whole host path
        int fd = -1;         // O_PATH handle; the base's handle is not owned
        QSet<QString> taken; // target folders: every name in it, case-folded
        bool ok = false;     // opened (and, for a target folder, listed)
    };

    // The folder holding relative (a file's relative drive path), from the
    // cache or opened now; null where it cannot be had safely.
    Folder *folderOf(std::vector<Folder> &cache, int baseFd, const QString &relative, bool listNames);
    static QByteArray hostRelative(const QString &relativeFolder);
    static int openBeneath(int baseFd, const QByteArray &path);
    static bool listNames(int folderFd, QSet<QString> &taken);

    int m_sourceFd = -1;
    int m_targetFd = -1;
    QByteArray m_targetHost;
    QString m_targetDisplay;
    QString m_sourceLocation;
    QString m_targetLocation;
    FolderNameCache &m_names;
    std::vector<Folder> m_sourceFolders; // most recent first
    std::vector<Folder> m_targetFolders;
};

} // namespace quorvane::platform
