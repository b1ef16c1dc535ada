#pragma once

#include "engine/worker.h"
#include "platform/hostfilesystem.h"
#include "platform/scriptedtoolkit.h"
#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A toolkit that also notes where the directory enumerator stands at every
// yield: the scanner yields once per visit, right after entering it.
class RecordingToolkit : public quorvane::platform::ScriptedToolkit {
public:
    void yield() override
    {
        if (quorvane::DirListCtl)
            visits.append(quorvane::DirListCtl->path());
        ScriptedToolkit::yield();
    }
    QStringList visits;
};

// A fresh temporary folder on the real disk, mapped as a drive letter; the
// host file system and the recording toolkit are installed while it lives.
class EngineDrive {
public:
    explicit EngineDrive(char letter = 'D', const QString &baseDir = QString())
        : m_dir(baseDir.isEmpty() ? QDir::tempPath() + QStringLiteral("/qv-engine-XXXXXX")
                                  : baseDir + QStringLiteral("/qv-engine-XXXXXX"))
    {
        quorvane::platform::DriveMap map;
        map.set(QLatin1Char(letter), QFile::encodeName(m_dir.path()));
        m_fs = std::make_unique<quorvane::platform::HostFileSystem>(map);
        m_scope = std::make_unique<quorvane::platform::ScopedPlatform>(m_fs.get(), &toolkit);
        quorvane::InitFileHandling();
    }

    // Also maps another letter (the host folder must outlive the drive).
    void mapExtra(char letter, const QString &hostFolder)
    {
        quorvane::platform::DriveMap map = m_fs->driveMap();
        map.set(QLatin1Char(letter), QFile::encodeName(hostFolder));
        m_scope.reset();
        m_fs = std::make_unique<quorvane::platform::HostFileSystem>(map);
        m_scope = std::make_unique<quorvane::platform::ScopedPlatform>(m_fs.get(), &toolkit);
    }

    bool isValid() const { return m_dir.isValid(); }
    QString host(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }
    quorvane::platform::HostFileSystem &fs() { return *m_fs; }

    // Creates a file (and its folders) given with "/" below the drive.
    bool makeFile(const QString &relative, const QByteArray &content = QByteArray())
    {
        const QString path = host(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        return file.write(content) == content.size();
    }
    bool makeDir(const QString &relative) { return QDir().mkpath(host(relative)); }

    RecordingToolkit toolkit;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<quorvane::platform::HostFileSystem> m_fs;
    std::unique_ptr<quorvane::platform::ScopedPlatform> m_scope;
};
