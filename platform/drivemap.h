#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace quorvane::platform {

// Which host folder stands for which drive letter. "C:" is "/" unless the
// map says otherwise; a letter that is not mapped is a drive that does not
// exist. Host folders are kept as bytes, without a trailing "/" (but "/").
class DriveMap {
public:
    DriveMap(); // C: = "/" only

    // "D=/media/usb;T=/tmp/abc": letters in either case; entries without a
    // letter, without "=" or with a relative or empty folder are ignored.
    // A later entry for the same letter wins.
    static DriveMap parse(const QByteArray &mapText);
    // From QUORVANE_DRIVES (unset or empty: C: = "/" only).
    static DriveMap fromEnvironment();

    // letter is 'A'..'Z' in either case; an empty or relative folder unmaps it.
    void set(QChar letter, const QByteArray &hostFolder);
    void unset(QChar letter);

    bool isMapped(QChar letter) const;
    // The host folder of a letter; empty when it is not mapped.
    QByteArray hostFolder(QChar letter) const;
    // Mapped letters in order, upper case.
    std::vector<QChar> letters() const;

    // The letter whose folder is the longest prefix (by whole components) of
    // an absolute host path, and the remaining part after it (no leading "/").
    // Returns a null QChar when no drive holds the path.
    QChar driveOf(const QByteArray &hostPath, QByteArray *rest = nullptr) const;

private:
    std::array<QByteArray, 26> m_folders;
};

} // namespace quorvane::platform
