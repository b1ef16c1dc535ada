#pragma once

#include "engine/freename.h"
#include "engine/knownfolders.h"
#include "engine/runsteps.h"
#include "engine/skippedfile.h"
#include "engine/sourcecleanup.h"
#include "platform/treecopy.h"

#include <memory>
#include <optional>

namespace quorvane {

class RunBounds;

// Places the entries of one image run, each the way the job asks at that
// moment, and records every file it could not place with the reason.
//
// New copies go through the file system's TreeCopy where it offers one and
// it stands where the run's bounds were decided: no name lookup and no
// walk of the path per file. Anything it does not settle (replacing, a
// link, another letter case) takes the careful way with every check.
class ImagePlacer {
public:
    ImagePlacer(RunContext &run, const QString &sourceBase, const QString &targetBase, RunBounds &bounds);
    ~ImagePlacer();

    // True when the entry (relative to the source base) is in place.
    bool place(const QString &entry);
    // Source folders the moves emptied.
    EmptiedSourceDirs &emptied() { return m_emptied; }

private:
    struct Step {
        ImageAction action = ImageAction::Copy;
        bool decided = false; // action read from the job for this entry
        QString source;
        QString target;
    };

    platform::Status placeFlat(const QString &entry, Step &step);
    // One entry onto one target name (relative to the target base).
    platform::Status placeAt(const QString &entry, const QString &targetRelative, Step &step, bool replace);
    platform::Status copy(const QString &entry, const QString &targetRelative, const Step &step, bool replace);
    platform::Status refused(const QString &subject) const;
    void record(const Step &step, const platform::Status &failure);

    RunContext &m_run;
    QString m_sourceBase;
    QString m_targetBase;
    RunBounds &m_bounds;
    bool m_ontoItself = false;
    std::unique_ptr<platform::TreeCopy> m_fast;
    std::optional<FlatTargetNames> m_flatNames;
    KnownFolders m_folders;
    EmptiedSourceDirs m_emptied;
};

} // namespace quorvane
