#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <memory>
#include <vector>

// The disks users carry between computers (FAT32, exFAT, NTFS), as 64 MB
// image files mounted by the FUSE drivers Debian ships; the kernel here has
// none of their own drivers.
namespace quorvane::testsupport {

// Moves the calling thread into a mount namespace of its own whose mounts
// reach no other process; the children it starts afterwards share it.
// Returns why that cannot be, empty on success.
inline QString enterPrivateMounts()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return QStringLiteral("no mount namespace of the test's own: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("mounts cannot be made private: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}

class FuseDisks {
public:
    // Makes and mounts each disk below folder; one that cannot be made says why.
    explicit FuseDisks(const QString &folder)
    {
        const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fuse < 0) {
            const QString why = QStringLiteral("/dev/fuse cannot be opened");
            for (const char *name : {"FAT32", "exFAT", "NTFS"})
                m_missing.insert(QString::fromLatin1(name), why);
            return;
        }
        ::close(fuse);
        mount(folder, QStringLiteral("FAT32"), {"mkfs.vfat", "-F", "32"}, {"fusefat", "-f", "-o", "rw+"});
        mount(folder, QStringLiteral("exFAT"), {"mkfs.exfat"}, {"mount.exfat-fuse", "-d"});
        mount(folder, QStringLiteral("NTFS"), {"mkntfs", "-F", "-Q", "-q"}, {"ntfs-3g", "-o", "no_detach"});
    }

    // A driver that ends on SIGTERM unmounts its disk first.
    ~FuseDisks()
    {
        for (const auto &driver : m_drivers) {
            driver->terminate();
            if (!driver->waitForFinished(10000)) {
                driver->kill();
                driver->waitForFinished();
            }
        }
    }

    // The mounted disk's folder, empty when it is not there.
    QByteArray root(const QString &name) const { return m_roots.value(name); }
    QString whyMissing(const QString &name) const { return m_missing.value(name); }

private:
    static QString tool(const QString &name)
    {
        const QString found = QStandardPaths::findExecutable(name);
        return found.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"}) : found;
    }

    // Runs a tool to its end; its standard output goes to out.
    static bool run(const QStringList &command, QByteArray *out = nullptr)
    {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(tool(command.first()), command.mid(1));
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (out)
            *out = p.readAllStandardOutput().trimmed();
        return ok;
    }

    void mount(const QString &folder, const QString &name, const QStringList &mkfs, QStringList driver)
    {
        const bool blockDevice = driver.first() == u"mount.exfat-fuse"; // it opens no image file
        for (const QString &needed : {mkfs.first(), driver.first(), QStringLiteral("losetup")}) {
            if ((needed != u"losetup" || blockDevice) && tool(needed).isEmpty()) {
                m_missing.insert(name, needed + QStringLiteral(" is not installed"));
                return;
            }
        }
        const QString image = folder + QLatin1Char('/') + name + QStringLiteral(".img");
        const QString mountPoint = folder + QLatin1Char('/') + name;
        QFile made(image);
        if (!made.open(QIODevice::WriteOnly) || !made.resize(qint64(64) << 20) || !QDir().mkpath(mountPoint)
            || !run(mkfs + QStringList{image})) {
            m_missing.insert(name, QStringLiteral("no %1 image could be made").arg(name));
            return;
        }
        made.close();
        QByteArray device;
        if (blockDevice && !run({"losetup", "-f", "--show", image}, &device)) {
            m_missing.insert(name, QStringLiteral("no loop device for the exFAT image"));
            return;
        }
        driver << (blockDevice ? QString::fromLocal8Bit(device) : image) << mountPoint;
        if (startDriver(driver, mountPoint))
            m_roots.insert(name, QFile::encodeName(mountPoint));
        else
            m_missing.insert(name, driver.first() + QStringLiteral(" did not mount the image"));
        // Detached while in use, the device goes once the driver lets go of it.
        if (blockDevice)
            run({"losetup", "-d", QString::fromLocal8Bit(device)});
    }

    // In the foreground, ended with the test process: a driver that
    // outlived it would keep its mount namespace alive for good.
    bool startDriver(const QStringList &command, const QString &mountPoint)
    {
        auto driver = std::make_unique<QProcess>();
        driver->setStandardOutputFile(QProcess::nullDevice());
        driver->setStandardErrorFile(QProcess::nullDevice());
        driver->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        driver->start(tool(command.first()), command.mid(1));
        if (!driver->waitForStarted(10000))
            return false;
        constexpr long FuseMagic = 0x65735546;
        const QByteArray point = QFile::encodeName(mountPoint);
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired();) {
            struct statfs kind {};
            if (::statfs(point.constData(), &kind) == 0 && long(kind.f_type) == FuseMagic) {
                m_drivers.push_back(std::move(driver));
                return true;
            }
            if (driver->waitForFinished(20))
                return false;
        }
        driver->kill();
        driver->waitForFinished();
        return false;
    }

    QMap<QString, QByteArray> m_roots;
    QMap<QString, QString> m_missing;
    std::vector<std::unique_ptr<QProcess>> m_drivers;
};

} // namespace quorvane::testsupport
