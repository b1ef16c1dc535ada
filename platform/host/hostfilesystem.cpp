#include "platform/host/hostfilesystem.h"

#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/host/stagedfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

HostFileSystem::HostFileSystem() : HostFileSystem(DriveMap::fromEnvironment()) {}

HostFileSystem::HostFileSystem(DriveMap map) : m_core(std::move(map))
{
    // Start where the process stands, when a drive holds that folder.
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer)) {
        QByteArray rest;
        const QChar drive = m_map.driveOf(QByteArray(buffer), &rest);
        if (!drive.isNull()) {
            m_currentDrive = drive;
            QStringList components;
            for (const QByteArray &part : rest.split('/')) {
                if (!part.isEmpty())
                    components.append(decodeName(part));
            }
            m_currentDirs[driveIndex(drive)] = components;
            return;
        }
    }
    const std::vector<QChar> letters = m_map.letters();
    if (!m_map.isMapped(QLatin1Char('C')) && !letters.empty())
        m_currentDrive = letters.front();
}

HostFileSystem::~HostFileSystem()
{
    endListing();
    closeAll();
}

Status HostFileSystem::changeDrive(const QString &drive)
{
    if (drive.isEmpty())
        return Status::success();
    const QChar letter = driveLetter(drive.at(0));
    if (letter.isNull() || (drive.size() > 1 && drive.at(1) != QLatin1Char(':')))
        return failureFor(ErrDeviceUnavailable, drive);
    if (!m_map.isMapped(letter) || !isHostFolder(m_map.hostFolder(letter)))
        return failureFor(ErrDeviceUnavailable, drive);
    m_currentDrive = letter;
    return Status::success();
}

Status HostFileSystem::changeDirectory(const QString &path)
{
    const Result<Resolved> r = m_core.resolve(path, anchor());
    if (!r.ok())
        return r.status();
    if (!r.value().exists() || !isHostFolder(r.value().host()))
        return failureFor(ErrPathNotFound, r.value().display());
    QStringList stored;
    for (const QByteArray &name : r.value().names)
        stored.append(decodeName(name));
    m_currentDirs[driveIndex(r.value().path.drive)] = stored;
    return Status::success();
}

QString HostFileSystem::currentDrive() const
{
    return QString(m_currentDrive) + QLatin1Char(':');
}

QString HostFileSystem::currentDirectory() const
{
    return DrivePath{m_currentDrive, m_currentDirs[driveIndex(m_currentDrive)]}.toString();
}

QString HostFileSystem::absolutePath(const QString &path) const
{
    return makeAbsolute(path, m_currentDrive, m_currentDirs).toString();
}

HostCore::Anchor HostFileSystem::anchor() const
{
    return {m_currentDrive, &m_currentDirs};
}

Result<QString> HostFileSystem::longName(const QString &path)
{
    return m_core.longName(path, anchor());
}

Result<QString> HostFileSystem::hostPath(const QString &drivePath)
{
    const Result<QByteArray> bytes = hostBytes(drivePath);
    if (!bytes.ok())
        return Result<QString>::failure(bytes.status());
    return Result<QString>::success(displayName(decodeName(bytes.value())));
}

Result<QByteArray> HostFileSystem::hostBytes(const QString &drivePath)
{
    return m_core.hostBytes(drivePath, anchor());
}

Result<HostPlace> HostFileSystem::hostPlace(const QString &drivePath)
{
    return m_core.hostPlace(drivePath, anchor());
}

Result<QString> HostFileSystem::location(const QString &path, bool followLast)
{
    return m_core.location(path, followLast, anchor());
}

Result<QString> HostFileSystem::drivePath(const QString &hostPath) const
{
    return m_core.drivePath(hostPath);
}

Status HostFileSystem::refuseIfOpen(const QString &path) const
{
    if (m_files.empty())
        return Status::success();
    const Result<Resolved> r = m_core.resolveExisting(path, anchor());
    struct stat st {};
    // A path that cannot be looked up is the operation's own to report.
    if (!r.ok() || ::lstat(r.value().host().constData(), &st) != 0 || S_ISLNK(st.st_mode)
        || !isOpenHere(r.value().host()))
        return Status::success();
    return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("Datei ist geöffnet"));
}

Status HostFileSystem::copyFile(const QString &source, const QString &target)
{
    return m_core.copyTo(source, target, true, anchor());
}

Status HostFileSystem::copyToNewFile(const QString &source, const QString &target)
{
    return m_core.copyTo(source, target, false, anchor());
}

Status HostFileSystem::moveFile(const QString &source, const QString &target)
{
    if (const Status open = refuseIfOpen(source); !open.ok())
        return open;
    return m_core.moveFile(source, target, anchor());
}

Status HostFileSystem::deleteFile(const QString &path)
{
    if (const Status open = refuseIfOpen(path); !open.ok())
        return open;
    return m_core.deleteFile(path, anchor());
}

Result<std::uint32_t> HostFileSystem::attributes(const QString &path)
{
    return m_core.attributes(path, anchor());
}

Status HostFileSystem::setAttributes(const QString &path, std::uint32_t attributes)
{
    return m_core.setAttributes(path, attributes, anchor());
}

Status HostFileSystem::makeDirectory(const QString &path)
{
    return m_core.makeDirectory(path, anchor());
}

Status HostFileSystem::removeDirectory(const QString &path)
{
    return m_core.removeDirectory(path, anchor());
}

Result<QByteArray> HostFileSystem::readFile(const QString &path, qint64 maxBytes)
{
    return m_core.readFile(path, maxBytes, anchor());
}

Status HostFileSystem::replaceFile(const QString &path, const QByteArray &content)
{
    const Result<Target> t = m_core.prepareTarget(path, anchor());
    if (!t.ok())
        return t.status();
    if (isOpenHere(t.value().host()))
        return failureFor(ErrFileAlreadyOpen, t.value().display);
    StagedFile staged;
    Status result = staged.create(t.value().folder, t.value().name, t.value().mode, t.value().display);
    if (result.ok())
        result = staged.write(content);
    if (!result.ok())
        return result;
    if (t.value().exists)
        staged.setOwner(t.value().user, t.value().group, true);
    result = staged.commit(true);
    if (result.ok())
        m_core.nameAdded(t.value().folder, t.value().name);
    return result;
}

Result<bool> HostFileSystem::sameFile(const QString &a, const QString &b)
{
    return m_core.sameFile(a, b, anchor());
}

Status HostFileSystem::removeTree(const QString &path, const std::function<void()> &perFolder)
{
    return m_core.removeTree(path, perFolder, anchor());
}

Result<std::unique_ptr<ImageTrees>> HostFileSystem::openImageTrees(const QString &sourceBase, const QString &targetBase,
                                                                   bool planOnly)
{
    return m_core.openImageTrees(sourceBase, targetBase, planOnly, anchor());
}

} // namespace quorvane::platform
