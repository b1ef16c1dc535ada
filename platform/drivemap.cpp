#include "platform/drivemap.h"

#include "platform/drivepath.h"

#include <QList>
#include <QtGlobal>

namespace quorvane::platform {

namespace {

// A host folder as the map keeps it: absolute, without a trailing "/".
// Blanks are part of a name here; only the map's text loses those around
// an entry, so a folder stored again stays the same ("/a /" keeps "/a ").
QByteArray withoutTrailingSlashes(QByteArray folder)
{
    if (!folder.startsWith('/'))
        return {};
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

} // namespace

DriveMap::DriveMap()
{
    m_folders[2] = "/";
}

DriveMap DriveMap::parse(const QByteArray &mapText)
{
    DriveMap map;
    const QList<QByteArray> entries = mapText.split(';');
    for (const QByteArray &raw : entries) {
        const QByteArray entry = raw.trimmed();
        const qsizetype eq = entry.indexOf('=');
        if (eq < 0)
            continue;
        QByteArray letter = entry.left(eq).trimmed();
        if (letter.endsWith(':'))
            letter.chop(1);
        if (letter.size() != 1 || driveIndex(QChar(letter.at(0))) < 0)
            continue;
        const QByteArray folder = withoutTrailingSlashes(entry.mid(eq + 1).trimmed());
        if (folder.isEmpty())
            continue;
        map.set(QChar(letter.at(0)), folder);
    }
    return map;
}

DriveMap DriveMap::fromEnvironment()
{
    return parse(qgetenv("QUORVANE_DRIVES"));
}

void DriveMap::set(QChar letter, const QByteArray &hostFolder)
{
    const int i = driveIndex(letter);
    if (i >= 0)
        m_folders[i] = withoutTrailingSlashes(hostFolder);
}

void DriveMap::unset(QChar letter)
{
    const int i = driveIndex(letter);
    if (i >= 0)
        m_folders[i].clear();
}

bool DriveMap::isMapped(QChar letter) const
{
    const int i = driveIndex(letter);
    return i >= 0 && !m_folders[i].isEmpty();
}

QByteArray DriveMap::hostFolder(QChar letter) const
{
    const int i = driveIndex(letter);
    return i >= 0 ? m_folders[i] : QByteArray();
}

std::vector<QChar> DriveMap::letters() const
{
    std::vector<QChar> out;
    for (int i = 0; i < 26; ++i) {
        if (!m_folders[i].isEmpty())
            out.push_back(QChar(char16_t(u'A' + i)));
    }
    return out;
}

QChar DriveMap::driveOf(const QByteArray &hostPath, QByteArray *rest) const
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < 26; ++i) {
        const QByteArray &folder = m_folders[i];
        if (folder.isEmpty())
            continue;
        qsizetype length = 0;
        if (folder == "/") {
            if (!hostPath.startsWith('/'))
                continue;
            length = 1;
        } else if (hostPath == folder) {
            length = folder.size();
        } else if (hostPath.startsWith(folder) && hostPath.at(folder.size()) == '/') {
            length = folder.size() + 1;
        } else {
            continue;
        }
        if (length > bestLength) {
            best = i;
            bestLength = length;
        }
    }
    if (best < 0)
        return {};
    if (rest) {
        QByteArray r = hostPath.mid(bestLength);
        while (r.startsWith('/'))
            r.remove(0, 1);
        *rest = r;
    }
    return QChar(char16_t(u'A' + best));
}

} // namespace quorvane::platform
