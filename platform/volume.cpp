#include "volume.h"

#include "descriptor.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

constexpr long MsdosMagic = 0x4d44;
constexpr long ExfatMagic = 0x2011BAB0;
constexpr long NtfsMagic = 0x5346544e;  // the old kernel driver
constexpr long Ntfs3Magic = 0x7366746e; // the new one
constexpr long FuseMagic = 0x65735546;
constexpr qint64 FatLargestFile = (qint64(1) << 32) - 1;

struct Mount {
    QByteArray type;
    QByteArray source;
};

// /proc/self/mountinfo escapes blanks and such as \ooo.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            out += char(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// The mount whose device is the folder's.
Mount mountOf(dev_t device)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    Mount found;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 3 || fields[2] != wanted || dash < 0 || dash + 2 >= fields.size())
            continue;
        found = {fields[dash + 1], unescaped(fields[dash + 2])};
    }
    return found;
}

// What the first sector of a disk or disk image says it holds.
Volume::Family familyInBootSector(const QByteArray &source, QString &name)
{
    if (!source.startsWith('/'))
        return Volume::Family::Other;
    const Descriptor disk(::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    char sector[512];
    if (!disk || ::pread(disk.get(), sector, sizeof sector, 0) != qint64(sizeof sector))
        return Volume::Family::Other;
    if (std::memcmp(sector + 3, "EXFAT   ", 8) == 0)
        return name = QStringLiteral("exFAT"), Volume::Family::ExFat;
    if (std::memcmp(sector + 3, "NTFS    ", 8) == 0)
        return name = QStringLiteral("NTFS"), Volume::Family::Ntfs;
    if (std::memcmp(sector + 82, "FAT32   ", 8) == 0)
        return name = QStringLiteral("FAT32"), Volume::Family::Fat;
    if (std::memcmp(sector + 54, "FAT16   ", 8) == 0 || std::memcmp(sector + 54, "FAT12   ", 8) == 0)
        return name = QString::fromLatin1(sector + 54, 5), Volume::Family::Fat;
    return Volume::Family::Other;
}

Volume::Family familyOf(long magic, const Mount &mount, QString &name)
{
    switch (magic) {
    case MsdosMagic:
        return name = QStringLiteral("FAT"), Volume::Family::Fat;
    case ExfatMagic:
        return name = QStringLiteral("exFAT"), Volume::Family::ExFat;
    case NtfsMagic:
    case Ntfs3Magic:
        return name = QStringLiteral("NTFS"), Volume::Family::Ntfs;
    case FuseMagic:
        if (mount.type == "fuse.fusefat")
            return name = QStringLiteral("FAT"), Volume::Family::Fat;
        if (mount.type.contains("exfat"))
            return name = QStringLiteral("exFAT"), Volume::Family::ExFat;
        if (mount.type.contains("ntfs"))
            return name = QStringLiteral("NTFS"), Volume::Family::Ntfs;
        return familyInBootSector(mount.source, name);
    default:
        break;
    }
    return Volume::Family::Other;
}

} // namespace

Volume volumeOf(int folderFd)
{
    Volume volume;
    struct stat st {};
    struct statfs kind {};
    if (::fstat(folderFd, &st) != 0 || ::fstatfs(folderFd, &kind) != 0)
        return volume;
    const Mount mount = mountOf(st.st_dev);
    volume.family = familyOf(long(kind.f_type), mount, volume.name);
    if (volume.name.isEmpty())
        volume.name = QString::fromUtf8(mount.type);
    if (volume.family == Volume::Family::Fat)
        volume.largestFile = FatLargestFile;
    volume.viaFuse = long(kind.f_type) == FuseMagic;
    // fusefat writes short names of plain ASCII only and refuses any other.
    volume.asciiNames = mount.type == "fuse.fusefat";
    struct statvfs space {};
    // A file system that tells no size (some FUSE programs) does not tell its free room either.
    if (::fstatvfs(folderFd, &space) == 0 && space.f_blocks > 0)
        volume.freeBytes = qint64(space.f_bavail) * qint64(space.f_frsize);
    return volume;
}

} // namespace quorvane::platform
