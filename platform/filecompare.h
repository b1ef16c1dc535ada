#pragma once

#include "platform/host/descriptor.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <limits>
#include <sys/stat.h>

namespace quorvane::platform {

// What tells a file apart from itself at another moment: where it lives
// (device and inode), its size and its modification and change times.
struct FileStamp {
    // A change time that cannot be relied on: some file systems (FUSE
    // programs such as ntfs-3g) set it once more after the file is closed.
    static constexpr qint64 UnknownTime = std::numeric_limits<qint64>::min();

    qint64 size = -1;
    qint64 allocated = -1; // bytes on the disk, less than size where the file has holes; not compared
    qint64 modifiedNs = 0; // since 1970, in nanoseconds
    qint64 changedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    // Same file, not written to since: every field equal (a change time
    // that is not known on either side is not compared).
    bool sameState(const FileStamp &other) const
    {
        const bool changeTimes =
            changedNs == UnknownTime || other.changedNs == UnknownTime || changedNs == other.changedNs;
        return size == other.size && modifiedNs == other.modifiedNs && changeTimes && device == other.device
            && inode == other.inode;
    }
};

// The stamp of the regular file a drive path leads to (links followed).
Result<FileStamp> fileStamp(const QString &drivePath);

// True when both regular files hold the same bytes. Sizes are compared
// first and the content is read only when they match; a file written to
// while it is read counts as different. stampOfA receives the first file's
// stamp as it was compared.
Result<bool> sameBytes(const QString &a, const QString &b, FileStamp *stampOfA = nullptr);

// The same for two files open for reading from their start, with their stat
// as they were opened; the displays name them in a failure.
Result<bool> sameOpenBytes(int a, const struct stat &statA, const QString &displayA, int b, const struct stat &statB,
                           const QString &displayB);

// A new file that grows line by line and survives a crash up to its last
// sync: created only where no file has the name (never replacing one),
// written with O_APPEND, synced to the disk on request and when closed.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    Status create(const QString &drivePath);
    Status append(const QByteArray &bytes);
    Status sync();
    Status close();
    bool isOpen() const { return m_fd.valid(); }
    // The file as it stands now.
    Result<FileStamp> stamp() const;

private:
    Descriptor m_fd;
    QString m_display;
};

} // namespace quorvane::platform
