#pragma once

// A scratch folder mapped as drive T:, with helpers that build its contents
// through plain system calls (byte names, modes, links, pipes).
#include "platform/drivemap.h"
#include "platform/hostfilesystem.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace scratch {

class Drive {
public:
    Drive()
    {
        quorvane::platform::DriveMap map;
        map.set(QLatin1Char('T'), root());
        fs = std::make_unique<quorvane::platform::HostFileSystem>(map);
    }

    // QTemporaryDir skips names that are not UTF-8 and would leave them behind.
    ~Drive()
    {
        fs.reset();
        ::nftw(root().constData(), [](const char *path, const struct stat *, int, FTW *ftw) {
            return ftw->level == 0 ? 0 : ::remove(path);
        }, 16, FTW_DEPTH | FTW_PHYS);
    }

    bool isValid() const { return m_dir.isValid(); }
    QByteArray root() const { return QFile::encodeName(m_dir.path()); }
    QByteArray host(const QByteArray &relative) const { return root() + '/' + relative; }

    bool file(const QByteArray &relative, const QByteArray &content = "x", mode_t mode = 0644) const
    {
        const QByteArray path = host(relative);
        ::unlink(path.constData());
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return false;
        const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
        ::close(fd);
        return ok && ::chmod(path.constData(), mode) == 0;
    }
    bool dir(const QByteArray &relative) const { return ::mkdir(host(relative).constData(), 0755) == 0; }
    bool link(const QByteArray &target, const QByteArray &relative) const
    {
        return ::symlink(target.constData(), host(relative).constData()) == 0;
    }
    bool exists(const QByteArray &relative) const
    {
        struct stat st {};
        return ::lstat(host(relative).constData(), &st) == 0;
    }
    QByteArray content(const QByteArray &relative) const
    {
        QByteArray out;
        const int fd = ::open(host(relative).constData(), O_RDONLY);
        if (fd < 0)
            return "<missing>";
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            out.append(buffer, n);
        ::close(fd);
        return out;
    }
    mode_t mode(const QByteArray &relative) const
    {
        struct stat st {};
        return ::lstat(host(relative).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    // Names in a folder, sorted; temporary files would show up here.
    QList<QByteArray> names(const QByteArray &relative = {}) const
    {
        QList<QByteArray> out;
        DIR *d = ::opendir(relative.isEmpty() ? root().constData() : host(relative).constData());
        if (!d)
            return out;
        while (const dirent *e = ::readdir(d)) {
            const QByteArray n(e->d_name);
            if (n != "." && n != "..")
                out << n;
        }
        ::closedir(d);
        std::sort(out.begin(), out.end());
        return out;
    }

    std::unique_ptr<quorvane::platform::HostFileSystem> fs;

private:
    QTemporaryDir m_dir;
};

} // namespace scratch
