#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace quorvane::platform {

// New content for a file, written into a temporary file beside the target and
// put in place only once every byte is on the disk (flush, fsync, size check).
// Whatever fails on the way, the old target stays whole and the temporary
// file is removed; so does a StagedFile that is destroyed uncommitted.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // folder and name are host bytes; displayPath names the target in messages.
    Status create(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath);
    // For a name that does not exist yet: writes under the name itself,
    // created exclusively, and removes it again on any failure. Saves the
    // second directory change of a rename where there is nothing to protect.
    // Fails with 58 when the name exists after all.
    Status createNew(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath);
    Status write(const char *data, qint64 size);
    Status write(const QByteArray &data) { return write(data.constData(), data.size()); }
    // Appends everything from an open file (copy_file_range, read/write when
    // the kernel cannot) and checks that as many bytes arrived as it holds.
    Status appendFrom(int sourceFd);
    // Keeps the modification time of a source.
    void setTimes(const struct timespec &accessed, const struct timespec &modified);
    // Keeps the owner of a source where the host allows it (a moved file stays its owner's).
    void setOwner(uid_t user, gid_t group);

    // replace: an existing target is replaced; otherwise it makes the commit fail (58).
    // durable: the bytes reach the disk (fsync) before the name does. Needed
    // wherever an old file or a source goes once the commit is done; a new
    // copy beside an untouched source loses nothing without it.
    Status commit(bool replace, bool durable = true);
    void abort();

    bool isOpen() const { return m_fd >= 0; }
    qint64 written() const { return m_written; }
    QByteArray targetPath() const;
    const QByteArray &folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }

private:
    // Forgets any earlier file and takes the target of a new one.
    void start(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath);

    int m_fd = -1;
    QByteArray m_folder;
    QByteArray m_name;
    QByteArray m_tempPath;
    QString m_display;
    qint64 m_written = 0;
    bool m_inPlace = false; // m_tempPath is the target itself
    bool m_keepTimes = false;
    bool m_keepOwner = false;
    mode_t m_mode = 0;
    uid_t m_user = 0;
    gid_t m_group = 0;
    struct timespec m_times[2] {};
};

// rename without replacing: renameat2(RENAME_NOREPLACE), or link + unlink where
// the file system lacks it. Returns 0 or an errno.
int renameNoReplace(const QByteArray &from, const QByteArray &to);

} // namespace quorvane::platform
