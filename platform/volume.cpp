#include "platform/volume.h"

#include "platform/host/descriptor.h"
#include "platform/host/fusedisk.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cstring>
#include <optional>
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

quint32 littleEndian(const unsigned char *at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

// Where a FAT keeps its table of clusters, from the boot sector's figures.
struct FatLayout {
    qint64 clusterBytes = 0;
    qint64 tableOffset = 0; // of the first copy of the table
    qint64 clusters = 0;
    int entryBytes = 0; // 2 (FAT16) or 4 (FAT32); FAT12 is not counted
};

std::optional<FatLayout> fatLayout(const unsigned char *sector)
{
    const qint64 bytesPerSector = littleEndian(sector + 11, 2);
    const qint64 perCluster = sector[13];
    const qint64 reserved = littleEndian(sector + 14, 2);
    const qint64 tables = sector[16];
    const qint64 rootSectors = (qint64(littleEndian(sector + 17, 2)) * 32 + bytesPerSector - 1)
        / std::max<qint64>(bytesPerSector, 1);
    const qint64 total = littleEndian(sector + 19, 2) ? littleEndian(sector + 19, 2) : littleEndian(sector + 32, 4);
    const qint64 tableSectors = littleEndian(sector + 22, 2) ? littleEndian(sector + 22, 2)
                                                             : littleEndian(sector + 36, 4);
    const bool sane = bytesPerSector >= 512 && bytesPerSector <= 4096 && (bytesPerSector & (bytesPerSector - 1)) == 0
        && perCluster > 0 && (perCluster & (perCluster - 1)) == 0 && tables > 0 && reserved > 0;
    const qint64 data = total - reserved - tables * tableSectors - rootSectors;
    if (!sane || data <= 0)
        return std::nullopt;
    FatLayout layout;
    layout.clusterBytes = bytesPerSector * perCluster;
    layout.tableOffset = reserved * bytesPerSector;
    layout.clusters = data / perCluster;
    layout.entryBytes = layout.clusters < 4085 ? 0 : layout.clusters < 65525 ? 2 : 4;
    if (layout.entryBytes == 0)
        return std::nullopt;
    return layout;
}

// The clusters the table marks free, or -1 where it cannot be read.
qint64 freeClusters(int disk, const FatLayout &layout)
{
    const qint64 first = layout.tableOffset + 2 * layout.entryBytes; // entries 0 and 1 are no clusters
    const qint64 length = layout.clusters * layout.entryBytes;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 free = 0;
    for (qint64 done = 0; done < length;) {
        const qint64 want = std::min<qint64>(chunk.size(), length - done);
        const ssize_t got = ::pread(disk, chunk.data(), size_t(want), first + done);
        if (got <= 0 || got % layout.entryBytes != 0)
            return -1;
        const auto *at = reinterpret_cast<const unsigned char *>(chunk.constData());
        for (qint64 i = 0; i < got; i += layout.entryBytes) {
            const quint32 entry = littleEndian(at + i, layout.entryBytes);
            free += (layout.entryBytes == 4 ? entry & 0x0FFFFFFF : entry) == 0;
        }
        done += got;
    }
    return free;
}

// A FUSE program that tells no figures (fusefat): the kind of FAT and the
// room are read from the disk's own table, which that program keeps up to
// date as it writes.
void measureFatDisk(const Mount &mount, dev_t device, Volume &volume)
{
    const Descriptor disk = mount.source.startsWith('/')
        ? Descriptor(::open(mount.source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
        : openFuseDisk(device, "fusefat");
    unsigned char sector[512];
    if (!disk || ::pread(disk.get(), sector, sizeof sector, 0) != qint64(sizeof sector))
        return;
    const std::optional<FatLayout> layout = fatLayout(sector);
    if (!layout)
        return;
    volume.name = layout->entryBytes == 4 ? QStringLiteral("FAT32") : QStringLiteral("FAT16");
    volume.clusterBytes = layout->clusterBytes;
    const qint64 free = freeClusters(disk.get(), *layout);
    if (free >= 0)
        volume.freeBytes = free * layout->clusterBytes;
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
    if (::fstatvfs(folderFd, &space) == 0 && space.f_blocks > 0) {
        volume.freeBytes = qint64(space.f_bavail) * qint64(space.f_frsize);
        volume.clusterBytes = std::max<qint64>(qint64(space.f_frsize), 1);
    } else if (volume.family == Volume::Family::Fat) {
        measureFatDisk(mount, st.st_dev, volume);
    }
    volume.device = st.st_dev;
    return volume;
}

} // namespace quorvane::platform
