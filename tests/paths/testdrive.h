#pragma once

#include "platform/hostfilesystem.h"
#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

// A fresh temporary folder on the real disk, seen as a drive letter through
// the host file system, which stays installed while the object lives.
class TestDrive {
public:
    // extra: more letters mapped onto host folders the caller keeps.
    explicit TestDrive(char letter, quorvane::platform::Toolkit *toolkit = nullptr,
                       const QList<QPair<char, QString>> &extra = {})
        : m_fs(mapped(letter, m_dir, extra)), m_scope(&m_fs, toolkit)
    {
    }

    bool isValid() const { return m_dir.isValid(); }
    quorvane::platform::HostFileSystem &fileSystem() { return m_fs; }

    // The host path of a place on the drive, given with "/" ("a/b.txt").
    QString hostPath(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }

private:
    static quorvane::platform::DriveMap mapped(char letter, const QTemporaryDir &dir,
                                               const QList<QPair<char, QString>> &extra)
    {
        quorvane::platform::DriveMap map;
        map.set(QLatin1Char(letter), QFile::encodeName(dir.path()));
        for (const auto &[other, folder] : extra)
            map.set(QLatin1Char(other), QFile::encodeName(folder));
        return map;
    }

    QTemporaryDir m_dir; // declared first: the map below refers to it
    quorvane::platform::HostFileSystem m_fs;
    quorvane::platform::ScopedPlatform m_scope;
};
