#pragma once

#include "platform/result.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace quorvane {

class RunBounds;

// Directories of the recursive image known to exist, so that a folder holding
// many files is looked up once and not listed again for each of them; and
// those that could not be made, with the reason, so that their files are not
// tried one by one.
class KnownFolders {
public:
    // Makes folder (a drive path in the target) where it is missing.
    platform::Status ensure(const QString &folder, RunBounds &bounds);

private:
    // Why a folder could not be made: each level that does not exist is
    // tried once more, and the first failure tells. Success where every
    // level is there by now.
    static platform::Status whyNotMade(const QString &folder);

    QSet<QString> m_known;                     // case-folded
    QString m_last;                            // the last folder known, as given
    QHash<QString, platform::Status> m_failed; // case-folded
};

// A failure that the run decides itself (a path outside its trees, no free
// name): error 75 with the reason, naming subject.
platform::Status refusedBecause(const QString &reason, const QString &subject);

} // namespace quorvane
