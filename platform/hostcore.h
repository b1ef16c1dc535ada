#pragma once

#include "drivemap.h"
#include "filesystem.h"

namespace quorvane::platform {

// The host's drives and folders read without any session: no current drive
// or folder, no listing, no open files, nothing cached. The drive map is
// fixed at construction, so every member is const and any number of threads
// may call them at once.
class HostCore final : public FileSystemCore {
public:
    explicit HostCore(DriveMap map) : m_map(std::move(map)) {}

    const DriveMap &driveMap() const { return m_map; }

    QStringList drives() const override;
    Result<FolderContents> readFolder(const QString &absolutePath, bool keepOpen) const override;
    Result<FolderContents> readFolderAt(const FolderHandle &parent, const QString &name, bool keepOpen) const override;

    // Opens an absolute folder ("X:\a\b") spelled exactly as stored; -1 with
    // errno set when it is not there so.
    int openExactFolder(const QString &path) const;

private:
    const DriveMap m_map;
};

} // namespace quorvane::platform
