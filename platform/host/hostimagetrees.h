#pragma once

#include "platform/host/backgroundcopies.h"
#include "platform/host/descriptor.h"
#include "platform/host/foldernamecache.h"
#include "platform/imagetrees.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace quorvane::platform {

struct CopyOrder;
struct LookBlock;
struct StagingChoices;

// ImageTrees on this host. The roots are opened once by their host paths
// (they come from the user); everything below them through descriptors:
// folders with openat2(RESOLVE_BENEATH), source folders without passing
// any link, the few most recent folders of each tree kept open, since the
// files of one folder come together.
class HostImageTrees final : public ImageTrees {
public:
    struct Roots {
        QByteArray sourceHost;
        QString sourceDisplay; // drive path ending in "\", for messages
        QByteArray targetHost;
        QString targetDisplay;
        // A plan writes nothing: a target root that does not exist yet is
        // taken for the empty folder the run would start with.
        bool planOnly = false;
    };

    // Fails where the source root cannot be opened, or the target root nor
    // any folder above it.
    static Result<std::unique_ptr<HostImageTrees>> open(const Roots &roots, FolderNameCache &names);
    ~HostImageTrees() override;

    QString sourceLocation() const override { return m_sourceLocation; }
    QString targetLocation() const override { return m_targetLocation; }
    QByteArray sourceRootHost() const override { return m_sourceHost; }
    QByteArray targetRootHost() const override { return m_targetHost; }

    void keepExactStamps() override { m_exactStamps = true; }
    Volume targetVolume() override;
    bool targetIsSystemFolder() override { return m_target && isSystemFolder(m_target.get()); }
    bool rootsAreOne() const override;
    bool isTargetRoot(const QString &relativeSourceFolder) override;

    Result<FileStamp> sourceStamp(const QString &entry) override;
    void sourceLooks(const QStringList &entries, const SourceLookSink &each) override;
    QByteArray sourceHost(const QString &entry) const override;
    Result<bool> sameSourceBytes(const QString &a, const QString &b) override;
    Status removeSourceFolder(const QString &relative) override;
    Status removeSource(const QString &entry, const FileStamp &compared) override;

    Result<TargetEntry> lookUp(const QString &relative) override;
    Status reachFolder(const QString &relative, bool make) override;
    Status mayWrite(const QString &entry, const QString &target, bool moving) override;
    Result<QStringList> folderNames(const QString &relative) override;
    QByteArray targetHost(const QString &relative) override;

    Result<PlacedFile> copy(const QString &entry, const QString &target, const FileStamp *replacing,
                            const FileStamp *expected) override;
    Result<PlacedFile> makeEmpty(const QString &target, const FileStamp *replacing) override;
    Result<PlacedFile> move(const QString &entry, const QString &target, const FileStamp *expected) override;
    Result<bool> sameBytes(const QString &entry, const QString &target, FileStamp *sourceStamp,
                           FileStamp *targetStamp) override;
    Status startCopy(quint64 ticket, const QString &entry, const QString &target) override;
    std::vector<FinishedCopy> finishedCopies(bool wait) override;

private:
    struct SourceFolder {
        QString key; // relative drive path, exact
        Descriptor fd;
        Status failure;
    };
    struct TargetFolder {
        QString key;     // relative drive path, letter case folded
        QByteArray host; // relative host path, names as stored
        mutable QByteArray absolute; // the host path from /, once asked for
        Descriptor fd;   // O_PATH
        bool listed = false;
        QSet<QString> pending; // folded names of copies started and not yet taken back
        quint64 changes = 0;   // of the records above and below: a look older than one is stale
        QSet<QByteArray> exact;
        QHash<QString, QByteArray> folded; // folded name -> smallest stored

        void add(const QByteArray &name);
        void forget(const QByteArray &name);
        // The stored name that answers to name (key: the name folded):
        // exact first, else another letter case.
        std::optional<QByteArray> find(const QString &name, const QString &key);
        bool list();
        // Whether a new file here may take an ACL over from the folder.
        bool inheritsAcl();
        int defaultAcl = -1; // unknown, or 0 / 1
    };
    using TargetFolderPtr = std::shared_ptr<TargetFolder>;

    // What stands under a target name right now.
    struct Existing {
        QByteArray name; // as stored, or as asked where nothing stands
        QString key;     // the name asked, folded
        bool exists = false;
        struct stat st {};
    };

    HostImageTrees(const Roots &roots, FolderNameCache &names);

    // Source side (hostimagetrees.cpp).
    int sourceFolder(const QString &relative, Status &why);
    // The looks before writing, a block at a time (hostsourcelooks.cpp).
    void prepareLooks(const QStringList &entries, qsizetype start, LookBlock &block);
    void handOnLooks(const QStringList &entries, const LookBlock &block, const SourceLookSink &each);
    // entry open for reading, a link followed only inside the tree; st gets
    // its stat. Invalid with why set on failure.
    Descriptor openSource(const QString &entry, struct stat &st, Status &why);
    Descriptor openLinkedSource(const QString &entry, int folder, const QByteArray &name);
    Status sourceFailure(int err, const QString &entry) const;
    QString sourceDisplay(const QString &entry) const { return m_sourceDisplay + entry; }

    // Target side (hosttargetfolders.cpp).
    // The folder relative, from the cache or opened now; made where make.
    // Null with why empty where it does not exist, with why set where it
    // cannot be had.
    TargetFolderPtr targetFolder(const QString &relative, bool make, Status &why);
    TargetFolderPtr rootFolder(bool make, Status &why);
    TargetFolderPtr childFolder(const TargetFolderPtr &parent, const QString &key, const QString &name, bool make,
                                Status &why);
    // The target's folder where it must exist for a placement.
    TargetFolderPtr placementFolder(const QString &target, Status &why);
    // Why the missing folder relative could not be made; success where it could.
    Status couldMake(const QString &relative);
    Result<Existing> existing(TargetFolder &folder, const QString &name, const QString &display);
    Status targetFailure(int err, const QString &display) const;
    QString targetDisplay(const QString &relative) const { return m_targetDisplay + relative; }
    QByteArray targetFolderHost(const TargetFolder &folder) const;
    void remember(const TargetFolderPtr &folder);

    // Placements (hostplacements.cpp).
    StagingChoices stagingIn(TargetFolder &folder) const;
    // What a copy of source (its stat st) writes into folder, where there
    // stands under the name now.
    CopyOrder orderFor(TargetFolder &folder, const Existing &there, Descriptor source, const struct stat &st,
                       const QString &display) const;
    bool targetSettlesTimesLate();
    Result<PlacedFile> placed(TargetFolder &folder, const QByteArray &name, const struct stat &st);
    Status mayReplace(const Existing &there, const FileStamp *replacing, const QString &display) const;
    // The folder of a placement and what stands under its name there, once
    // a file standing there may be replaced.
    struct Destination {
        TargetFolderPtr folder;
        Existing there;
    };
    // A name found missing in a listed folder, by the look before a placement.
    struct MissingLook {
        QString target;
        TargetFolderPtr folder;
        quint64 changes = 0;
        Existing there;
    };
    // The placement's own look, where the last one is still what the records say.
    std::optional<Existing> lookedJustNow(const QString &target, const TargetFolderPtr &folder);
    Result<Destination> destination(const QString &target, const FileStamp *replacing, const QString &display);
    // Success where nothing is expected of entry, or st is the very file expected.
    Status asExpected(const QString &entry, const struct stat &st, const FileStamp *expected) const;
    // A copy started in the background: where its name is kept until it is done.
    struct Started {
        TargetFolderPtr folder;
        QByteArray name;
        QString key; // the name folded
    };
    // Waits for the copies under way and notes their names in the folders'
    // records: for a look at a name one of them may have taken.
    void settleCopies();
    // key: the name folded.
    void settleIfPending(TargetFolder &folder, const QString &key);
    void takeBack(std::vector<BackgroundCopies::Done> done);
    Result<PlacedFile> moveByCopy(const QString &entry, int from, const QByteArray &fromName,
                                  const struct stat &linkStat, TargetFolder &to, const QByteArray &toName,
                                  const QString &display);
    // Whether the source of a copy made for a move is still what was copied.
    bool stillCopied(const QString &entry, int in, const struct stat &before, int from, const QByteArray &fromName,
                     const struct stat &linkStat);

    Descriptor m_source;
    Descriptor m_target;       // invalid while the target root does not exist
    Descriptor m_targetAnchor; // the nearest folder above a missing target root
    QList<QByteArray> m_missingRoot;
    QByteArray m_sourceHost;
    QByteArray m_targetHost;
    QString m_sourceDisplay;
    QString m_targetDisplay;
    QString m_sourceLocation;
    QString m_targetLocation;
    QByteArray m_sourcePlace; // the source root's host path as the kernel has it
    bool m_planOnly = false;
    bool m_exactStamps = false;
    std::optional<Volume> m_targetVolume;
    FolderNameCache &m_names;
    std::vector<SourceFolder> m_sourceFolders; // most recent first
    std::vector<TargetFolderPtr> m_targetFolders; // most recent first
    QString m_lastFolderAsked;                    // as asked, exact
    TargetFolderPtr m_lastFolder;                 // its answer, the first of m_targetFolders
    TargetFolderPtr m_root;
    QHash<QString, Status> m_failedFolders; // folded relative path -> why
    std::optional<MissingLook> m_lastMissing;
    QHash<quint64, Started> m_started;
    std::vector<FinishedCopy> m_finished; // taken back, not yet asked for
    // Last: it lets its copies finish before the folders they write in close.
    BackgroundCopies m_background{2, 16, copiesWorthQueueing()};
};

} // namespace quorvane::platform
