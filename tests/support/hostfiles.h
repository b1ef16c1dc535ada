#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Files on the host, by host path, for setting a test up and checking it.
inline bool writeHostFile(const QString &hostPath, const QByteArray &content = QByteArray())
{
    QFile file(hostPath);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// "<missing>" for a file that cannot be read.
inline QByteArray readHostFile(const QString &hostPath)
{
    QFile file(hostPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
