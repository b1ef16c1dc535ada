// Runs one file operation in a child process (inside a private tmpfs mount,
// as another user, or under strace fault injection) and prints its error
// number, then every file in $QV_CHECK_DIR with size, checksum and owner, and
// its disk use and extended attributes, since such a mount is gone once this
// process ends.
#include "platform/host/hostfilesystem.h"
#include "support/hostmetadata.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvane::platform;

namespace {

int runOperation(HostFileSystem &fs, const QStringList &args)
{
    const QString op = args.value(0);
    if (op == QLatin1String("copy"))
        return fs.copyFile(args.value(1), args.value(2)).error;
    if (op == QLatin1String("move"))
        return fs.moveFile(args.value(1), args.value(2)).error;
    if (op == QLatin1String("replace"))
        return fs.replaceFile(args.value(1), QByteArray(args.value(2).toInt(), 'r')).error;
    if (op == QLatin1String("input")) {
        const Status s = fs.openForInput(1, args.value(1));
        if (s.ok())
            (void)fs.closeFile(1);
        return s.error;
    }
    if (op == QLatin1String("print")) {
        const Status opened = fs.openForOutput(1, args.value(1));
        if (!opened.ok())
            return opened.error;
        const int lines = args.value(2).toInt();
        int first = 0;
        for (int i = 0; i < lines && first == 0; ++i)
            first = fs.printLine(1, QStringLiteral("Zeile %1 mit etwas Text, damit sie lang genug ist").arg(i)).error;
        const int closed = fs.closeFile(1).error;
        return first ? first : closed;
    }
    return -1;
}

void listFolder(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        // Before the read: reading a hole on ramfs fills it.
        struct stat st {};
        ::lstat(path.constData(), &st);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        qint64 size = 0;
        const int fd = ::open(path.constData(), O_RDONLY);
        char buffer[65536];
        ssize_t n = 0;
        while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
            hash.addData(QByteArrayView(buffer, n));
            size += n;
        }
        if (fd >= 0)
            ::close(fd);
        std::printf("entry %s %lld %s %u\n", name.constData(), static_cast<long long>(size),
                    hash.result().toHex().constData(), unsigned(st.st_uid));
        std::printf("meta %s %lld %s\n", name.constData(), static_cast<long long>(st.st_blocks),
                    hostAttributes(path).join(QLatin1Char(' ')).toLatin1().constData());
    }
    ::closedir(dir);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    HostFileSystem fs;
    const int error = runOperation(fs, args);
    std::printf("error %d\n", error);
    const QByteArray check = qgetenv("QV_CHECK_DIR");
    if (!check.isEmpty())
        listFolder(check);
    return 0;
}
