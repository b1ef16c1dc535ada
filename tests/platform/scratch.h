#pragma once

// The test drive as T:, with helpers that build its contents through plain
// system calls (byte names, modes, links, pipes).
#include "support/testdrive.h"

#include <QByteArray>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace scratch {

class Drive : public TestDrive {
public:
    Drive() : TestDrive('T'), fs(&TestDrive::fs()) {}

    QByteArray root() const { return QFile::encodeName(TestDrive::host()); }
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

    quorvane::platform::HostFileSystem *fs; // the drive's own, for the tests' "fs->"
};

} // namespace scratch
