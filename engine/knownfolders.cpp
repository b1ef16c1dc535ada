#include "engine/knownfolders.h"

#include "engine/confinement.h"
#include "engine/pathcreation.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

namespace quorvane {

platform::Status refusedBecause(const QString &reason, const QString &subject)
{
    return platform::failureFor(platform::ErrPathFileAccess, subject, reason);
}

platform::Status KnownFolders::ensure(const QString &folder, RunBounds &bounds)
{
    // The files of one folder mostly come one after the other.
    if (folder == m_last)
        return platform::Status::success();
    const QString key = folder.toCaseFolded();
    if (m_known.contains(key)) {
        m_last = folder;
        return platform::Status::success();
    }
    const auto failed = m_failed.constFind(key);
    if (failed != m_failed.constEnd())
        return *failed;
    if (!DirExists(folder)) {
        // A folder on the way that leads out of the target is not built upon.
        if (!bounds.mayMakeFolder(folder)) {
            const platform::Status refused = refusedBecause(bounds.refusal(), folder);
            m_failed.insert(key, refused);
            return refused;
        }
        // Below a folder known to exist only the last level is missing:
        // made at once, not walked to from the drive's root.
        const qsizetype cut = folder.lastIndexOf(QLatin1Char('\\'));
        const bool parentKnown = cut > 2 && m_known.contains(folder.left(cut).toCaseFolded());
        bool created = parentKnown && platform::fileSystem().makeDirectory(folder).ok();
        if (!created) {
            QString path = folder;
            created = CreatePath(path);
            // Creating a path shows the default cursor; the run is not done yet.
            platform::toolkit().setBusyCursor();
        }
        if (!created) {
            const platform::Status why = whyNotMade(folder);
            if (!why.ok()) {
                m_failed.insert(key, why);
                return why;
            }
        }
    }
    // The folders on its way exist as well.
    for (qsizetype cut = key.lastIndexOf(QLatin1Char('\\')); cut > 2; cut = key.lastIndexOf(QLatin1Char('\\'), cut - 1))
        m_known.insert(key.left(cut));
    m_known.insert(key);
    m_last = folder;
    return platform::Status::success();
}

platform::Status KnownFolders::whyNotMade(const QString &folder)
{
    platform::FileSystem &fs = platform::fileSystem();
    // "X:\" and then each level below it.
    qsizetype next = folder.indexOf(QLatin1Char('\\'), 3);
    for (;;) {
        const QString level = next < 0 ? folder : folder.left(next);
        if (!DirExists(level)) {
            const platform::Status made = fs.makeDirectory(level);
            if (!made.ok())
                return made;
        }
        if (next < 0)
            break;
        next = folder.indexOf(QLatin1Char('\\'), next + 1);
    }
    // Made meanwhile after all.
    return platform::Status::success();
}

} // namespace quorvane
