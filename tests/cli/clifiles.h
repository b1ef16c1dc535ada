#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Files by their host paths as bytes, for tests of the command line whose
// names need not be UTF-8.
namespace quorvane::testsupport {

// Arguments given as bytes reach the program as those bytes.
inline QStringList cliArgs(const QList<QByteArray> &arguments)
{
    QStringList out;
    for (const QByteArray &a : arguments)
        out.append(QFile::decodeName(a));
    return out;
}

inline bool exists(const QByteArray &path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

inline bool makeFile(const QByteArray &path, const QByteArray &content)
{
    QDir().mkpath(QFile::decodeName(path.left(path.lastIndexOf('/'))));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

inline QByteArray contentOf(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

// Every file and folder below folder with its content ("/" ends a folder),
// names as bytes.
inline QMap<QByteArray, QByteArray> treeOf(const QByteArray &folder, const QByteArray &prefix = {})
{
    QMap<QByteArray, QByteArray> out;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return out;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st {};
        ::lstat(path.constData(), &st);
        if (S_ISDIR(st.st_mode)) {
            out.insert(prefix + name + '/', {});
            out.insert(treeOf(path, prefix + name + '/'));
        } else {
            out.insert(prefix + name, contentOf(path));
        }
    }
    ::closedir(dir);
    return out;
}

} // namespace quorvane::testsupport
