#pragma once

#include "engine/placement/freename.h"
#include "engine/placement/protectedfiles.h"
#include "engine/run/runsteps.h"
#include "engine/placement/skippedfile.h"
#include "engine/placement/sourcecleanup.h"
#include "paths/portablename.h"
#include "platform/imagetrees.h"

#include <QHash>
#include <QSet>

#include <functional>
#include <optional>
#include <vector>

namespace quorvane {

class RunJournal;
struct JournalIntent;

// What became of one entry. Pending: a copy handed on, whose outcome
// settled() gives later.
enum class Placement { Placed, AlreadyThere, Skipped, Pending };

// Places the entries of one image run, each the way the job asks, and
// records every file it could not place with the reason.
//
// Every file goes through the run's ImageTrees: folder handles held from
// the two roots down, so that no name, no link and no folder swapped
// meanwhile takes the run outside its trees.
//
// A dry run takes every decision the same way, on the same look at the
// target, and stops short of the placement itself: it notes the file in the
// summary's plan and counts the name as taken, so the next clash gets the
// number the run would give and a second file for one name is refused as
// the run refuses it.
class ImagePlacer {
public:
    struct Choices {
        bool dryRun = false;
        bool skipIdentical = false;
        RunJournal *journal = nullptr; // records each placement when wanted
    };

    // entries: every file the run will place, relative to the source root.
    ImagePlacer(RunContext &run, platform::ImageTrees &trees, const QString &sourceBase, const QString &targetBase,
                const QStringList &entries, Choices choices);
    ~ImagePlacer();

    // The entry is relative to the source base.
    Placement place(const QString &entry);
    // The outcomes of pending copies finished since the last call; with
    // wait, of all of them. Every pending entry's outcome comes once.
    std::vector<Placement> settled(bool wait);
    // Source folders the moves emptied.
    EmptiedSourceDirs &emptied() { return m_emptied; }
    // The journal is a file of the run: never replaced by it.
    void protectJournal(const platform::FileStamp &journal) { m_protected.journal(journal); }

private:
    struct Step {
        ImageAction action = ImageAction::Copy;
        bool alreadyThere = false; // target holds the source's bytes
        QString entry;             // relative to the source root
        QString targetRelative;    // relative to the target root
        QString source;            // drive paths, for reports
        QString target;
        bool renamed = false;      // the target's disk cannot hold the source's name
        platform::FileStamp sourceStamp; // as compared, for an identical source
        platform::FileStamp targetStamp;
        std::optional<platform::FileStamp> replacing; // the file a placement replaces
        quint64 ticket = 0;        // a copy started and not yet finished
        QString pendingKey;        // targetRelative folded, while the copy is pending
        quint64 sequence = 0;      // where the entry came in the run
    };
    using Placing = std::function<platform::Result<platform::PlacedFile>()>;

    platform::Status placeRecursive(Step &step);
    platform::Status placeFlat(Step &step);
    bool inTargetFolder(const QString &entry);
    // The name a flat image asks for: the file's own, or one its disk can hold.
    QString flatNameOf(const QString &entry) const;
    // Whether the source's bytes are already at candidate (relative to the
    // target root), or would be there by the plan's earlier files.
    bool holdsSame(Step &step, const QString &candidate);
    // The source stays out of the image; a move removes it.
    platform::Status keepExisting(Step &step);
    // One entry onto one target name. replace: an existing regular file may go.
    platform::Status placeAt(Step &step, bool replace);
    // Whether the step may put its file where there is; the one decision
    // that plan and run share. replacing receives the file to replace.
    platform::Status mayPlace(const Step &step, const platform::TargetEntry &there, bool replace,
                              const platform::FileStamp *&replacing);
    // A placement is decided: carried out, or in a dry run noted.
    platform::Status carryOut(Step &step, const Placing &placement);
    void noteRenamed(const Step &step);
    // Copies finished later, on the trees' own processor (pendingcopies.cpp).
    bool mayCopyAhead() const;
    platform::Status startCopy(Step &step);
    // The step's copy was started: its outcome comes with its ticket. The
    // step is kept until then, moved from the caller's.
    void pend(Step &step);
    // What a step's placement came to: pending where its copy was started.
    Placement outcomeOf(Step &step, const platform::Status &result);
    // Waits for a pending copy that may have taken targetRelative.
    void settleIfPending(const QString &targetRelative);
    void takeBack(bool wait);
    // What becomes of a copy that finished; nothing while it is pending again.
    std::optional<Placement> finish(Step &step, const platform::Result<platform::PlacedFile> &result);
    // The journal's line before a placement; false where a journal the
    // caller named cannot take it, and the placement must not happen.
    // intent receives its number, 0 for none.
    bool announce(const Step &step, qint64 &intent);
    JournalIntent intentOf(const Step &step);
    // The journal's line after it.
    void closeIntent(qint64 intent, const platform::Result<platform::PlacedFile> &result);
    void journalFailed(const platform::Status &why);
    bool journalBroken() const;
    void record(const Step &step, const platform::Status &failure);
    // Copies finish in any order; the report lists their files in the run's.
    void putRecordsInOrder();
    platform::Status refused(const QString &reason, const QString &subject) const;

    RunContext &m_run;
    platform::ImageTrees &m_trees;
    QString m_sourceBase;
    QString m_targetBase;
    Choices m_choices;
    ProtectedFiles m_protected;
    QHash<QString, QString> m_plannedTargets;   // dry run: folded target -> source entry
    QHash<QString, bool> m_targetFolderAnswers; // source folder -> is the target root
    bool m_ontoItself = false;
    platform::Volume m_volume;
    bool m_portableNames = false; // the target's disk takes only portable names
    NameRule m_nameRule = NameRule::LookAlikes;
    std::optional<FlatTargetNames> m_flatNames;
    EmptiedSourceDirs m_emptied;
    quint64 m_lastTicket = 0;
    QHash<quint64, Step> m_pending;
    QSet<QString> m_pendingTargets; // folded
    std::vector<Placement> m_settled;
    quint64 m_sequence = 0;
    std::vector<std::pair<quint64, qsizetype>> m_recorded; // sequence, place in the summary's list
};

// Where a recursive run puts entry on the target's disk (relative to the
// target root): the entry itself, or the name the disk can hold.
QString recursiveTargetOf(const QString &entry, const platform::Volume &volume);

// A failure that the run decides itself (a path outside its trees, no free
// name): error 75 with the reason, naming subject.
platform::Status refusedBecause(const QString &reason, const QString &subject);

} // namespace quorvane
