#include "platform/host/hostfilesystem.h"

#include "platform/codepage.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/namefold.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

constexpr int HighestFileNumber = 511;
constexpr qsizetype FlushThreshold = 1 << 16;

} // namespace

bool HostFileSystem::isOpenHere(const QByteArray &host) const
{
    // Letter case aside: "a.txt" and "A.TXT" opened before either exists are one file.
    const QString key = foldName(decodeName(host));
    for (const auto &[number, file] : m_files) {
        if (file.host == host || foldName(decodeName(file.host)) == key)
            return true;
    }
    return false;
}

int HostFileSystem::freeFile()
{
    for (int n = 1; n <= HighestFileNumber; ++n) {
        if (m_files.find(n) == m_files.end())
            return n;
    }
    return 0; // none left: opening number 0 fails with 52
}

Status HostFileSystem::numberFree(int number, const QString &path) const
{
    if (number < 1 || number > HighestFileNumber)
        return failureFor(ErrBadFileNameOrNumber, path);
    if (m_files.count(number))
        return failureFor(ErrFileAlreadyOpen, path);
    return Status::success();
}

Status HostFileSystem::openForInput(int number, const QString &path)
{
    if (const Status free = numberFree(number, path); !free.ok())
        return free;
    const Result<Resolved> r = m_core.resolveExisting(path, anchor());
    if (!r.ok())
        return r.status();
    const QByteArray host = r.value().host();
    Descriptor fd(::open(host.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return errnoFailure(errno, r.value().display());
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("ein Verzeichnis"));
    OpenFile file;
    file.fd = std::move(fd);
    file.host = host;
    file.display = r.value().display();
    m_files.emplace(number, std::move(file));
    return Status::success();
}

Status HostFileSystem::openForOutput(int number, const QString &path)
{
    return openOutput(number, path, true);
}

Status HostFileSystem::openForNewOutput(int number, const QString &path)
{
    return openOutput(number, path, false);
}

Status HostFileSystem::openOutput(int number, const QString &path, bool replace)
{
    if (const Status free = numberFree(number, path); !free.ok())
        return free;
    const Result<Target> t = m_core.prepareTarget(path, anchor());
    if (!t.ok())
        return t.status();
    if (t.value().exists && !replace)
        return failureFor(ErrFileExists, t.value().display);
    if (isOpenHere(t.value().host()))
        return failureFor(ErrFileAlreadyOpen, t.value().display);
    OpenFile file;
    file.output = true;
    file.replace = replace;
    file.existed = t.value().exists;
    file.staged = std::make_unique<StagedFile>();
    const Status created = file.staged->create(t.value().folder, t.value().name, t.value().mode, t.value().display);
    if (!created.ok())
        return created;
    if (t.value().exists)
        file.staged->setOwner(t.value().user, t.value().group, true);
    file.host = t.value().host();
    file.display = t.value().display;
    m_files.emplace(number, std::move(file));
    return Status::success();
}

Status HostFileSystem::flushBuffer(OpenFile &file)
{
    if (!file.failed.ok() || file.buffer.isEmpty())
        return file.failed;
    file.failed = file.staged->write(file.buffer);
    file.buffer.clear();
    return file.failed;
}

Status HostFileSystem::printLine(int number, const QString &text)
{
    const auto it = m_files.find(number);
    if (it == m_files.end())
        return failureFor(ErrBadFileNameOrNumber, QString::number(number));
    OpenFile &file = it->second;
    if (!file.output)
        return failureFor(ErrBadFileMode, file.display);
    if (!file.failed.ok())
        return file.failed;
    file.buffer += toCodePage(text);
    file.buffer += "\r\n";
    if (file.buffer.size() >= FlushThreshold)
        return flushBuffer(file);
    return Status::success();
}

Status HostFileSystem::closeFile(int number)
{
    auto it = m_files.find(number);
    if (it == m_files.end())
        return failureFor(ErrBadFileNameOrNumber, QString::number(number));
    OpenFile file = std::move(it->second);
    m_files.erase(it);
    if (!file.output)
        return Status::success();
    const Status flushed = flushBuffer(file);
    if (!flushed.ok()) {
        file.staged->abort();
        return flushed;
    }
    // A replacement is synced before it takes the name; a new file has no old
    // one to lose. A file that appeared under the name meanwhile was never
    // looked at, so it is not replaced.
    const Status committed = file.staged->commit(file.replace && file.existed, file.existed);
    if (committed.ok())
        m_core.nameAdded(file.staged->folder(), file.staged->name());
    return committed;
}

void HostFileSystem::abandonOutput(int number)
{
    const auto it = m_files.find(number);
    if (it == m_files.end() || !it->second.output)
        return;
    it->second.staged->abort();
    m_files.erase(it);
}

void HostFileSystem::closeAll()
{
    // As at the end of a program: what was written is kept, if it is whole.
    while (!m_files.empty()) {
        const Status ignored = closeFile(m_files.begin()->first);
        Q_UNUSED(ignored);
    }
}

} // namespace quorvane::platform
