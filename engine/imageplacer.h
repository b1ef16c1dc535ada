#pragma once

#include "engine/freename.h"
#include "engine/knownfolders.h"
#include "engine/runsteps.h"
#include "engine/skippedfile.h"
#include "engine/sourcecleanup.h"
#include "platform/filecompare.h"
#include "platform/treecopy.h"

#include <QHash>

#include <functional>
#include <memory>
#include <optional>

namespace quorvane {

class RunBounds;
class RunJournal;

// What became of one entry.
enum class Placement { Placed, AlreadyThere, Skipped };

// Places the entries of one image run, each the way the job asks at that
// moment, and records every file it could not place with the reason.
//
// New copies go through the file system's TreeCopy where it offers one and
// it stands where the run's bounds were decided: no name lookup and no
// walk of the path per file. Anything it does not settle (replacing, a
// link, another letter case) takes the careful way with every check.
//
// A dry run takes every decision the same way and stops short of the
// placement itself: it notes the file in the summary's plan and counts
// the name as taken, so the next clash gets the number the run would give.
class ImagePlacer {
public:
    struct Choices {
        bool dryRun = false;
        bool skipIdentical = false;
        RunJournal *journal = nullptr; // records each placement when wanted
    };

    ImagePlacer(RunContext &run, const QString &sourceBase, const QString &targetBase, RunBounds &bounds,
                Choices choices);
    ~ImagePlacer();

    // The entry is relative to the source base.
    Placement place(const QString &entry);
    // Source folders the moves emptied.
    EmptiedSourceDirs &emptied() { return m_emptied; }

private:
    struct Step {
        ImageAction action = ImageAction::Copy;
        bool decided = false;      // action read from the job for this entry
        bool alreadyThere = false; // target holds the source's bytes
        QString source;
        QString target;
        platform::FileStamp sourceStamp; // as compared, for an identical source
    };

    platform::Status placeRecursive(const QString &entry, Step &step);
    platform::Status placeFlat(const QString &entry, Step &step);
    platform::Status folderFor(const QString &target);
    // Whether source's bytes are already at candidate (a drive path), or
    // would be there by the plan's earlier files.
    bool holdsSame(Step &step, const QString &candidate);
    // The source stays out of the image; a move removes it.
    platform::Status keepExisting(const QString &entry, Step &step);
    // A placement is decided: carried out, or in a dry run noted. place:
    // where a copy or a dummy lands, so that nothing later replaces it.
    platform::Status carryOut(const Step &step, const std::function<platform::Status()> &placement,
                              const QString &place = {});
    void noteInJournal(const Step &step);
    bool journalBroken() const;
    // One entry onto one target name (relative to the target base).
    platform::Status placeAt(const QString &entry, const QString &targetRelative, Step &step, bool replace);
    platform::Status copy(const QString &entry, const QString &targetRelative, const Step &step, bool replace);
    platform::Status refused(const QString &subject) const;
    void record(const Step &step, const platform::Status &failure);

    RunContext &m_run;
    QString m_sourceBase;
    QString m_targetBase;
    RunBounds &m_bounds;
    Choices m_choices;
    QHash<QString, QString> m_plannedSources; // dry run: case-folded target -> source
    bool m_ontoItself = false;
    std::unique_ptr<platform::TreeCopy> m_fast;
    std::optional<FlatTargetNames> m_flatNames;
    KnownFolders m_folders;
    EmptiedSourceDirs m_emptied;
};

} // namespace quorvane
