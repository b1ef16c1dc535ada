#pragma once

#include "support/testtoolkit.h"

#include "platform/host/hostfilesystem.h"
#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <ftw.h>
#include <stdio.h>

#include <memory>

// A fresh temporary folder on the real disk, mapped as a drive letter; the
// host file system and a toolkit (its own, or the caller's) are installed
// while it lives.
class TestDrive {
public:
    using Extra = QList<QPair<char, QString>>;

    // extra: more letters mapped onto host folders the caller keeps;
    // baseDir: where the folder is made, the system's temporary folder if empty.
    explicit TestDrive(char letter = 'D', quorvane::platform::Toolkit *otherToolkit = nullptr, const Extra &extra = {},
                       const QString &baseDir = {})
        : m_dir((baseDir.isEmpty() ? QDir::tempPath() : baseDir) + QStringLiteral("/qv-drive-XXXXXX")),
          m_toolkit(otherToolkit ? otherToolkit : &toolkit)
    {
        m_map.set(QLatin1Char(letter), QFile::encodeName(m_dir.path()));
        for (const auto &[other, folder] : extra)
            m_map.set(QLatin1Char(other), QFile::encodeName(folder));
        install();
    }

    // QTemporaryDir skips names that are not UTF-8 and would leave them behind.
    ~TestDrive()
    {
        m_scope.reset();
        m_fs.reset();
        ::nftw(
            QFile::encodeName(m_dir.path()).constData(),
            [](const char *path, const struct stat *, int, FTW *ftw) { return ftw->level == 0 ? 0 : ::remove(path); },
            16, FTW_DEPTH | FTW_PHYS);
    }

    // Also maps another letter (the host folder must outlive the drive).
    void mapExtra(char letter, const QString &hostFolder)
    {
        m_map.set(QLatin1Char(letter), QFile::encodeName(hostFolder));
        install();
    }

    bool isValid() const { return m_dir.isValid(); }
    quorvane::platform::HostFileSystem &fs() { return *m_fs; }

    // The host path of a place on the drive, given with "/" ("a/b.txt").
    QString host(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }

    // Creates a file (and its folders) given with "/" below the drive.
    bool makeFile(const QString &relative, const QByteArray &content = QByteArray()) const
    {
        const QString path = host(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        return file.write(content) == content.size();
    }
    bool makeDir(const QString &relative) const { return QDir().mkpath(host(relative)); }

    TestToolkit toolkit;

private:
    void install()
    {
        m_scope.reset();
        m_fs = std::make_unique<quorvane::platform::HostFileSystem>(m_map);
        m_scope = std::make_unique<quorvane::platform::ScopedPlatform>(m_fs.get(), m_toolkit);
    }

    QTemporaryDir m_dir;
    quorvane::platform::Toolkit *m_toolkit;
    quorvane::platform::DriveMap m_map;
    std::unique_ptr<quorvane::platform::HostFileSystem> m_fs;
    std::unique_ptr<quorvane::platform::ScopedPlatform> m_scope;
};
