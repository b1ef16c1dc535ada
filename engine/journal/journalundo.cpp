#include "engine/journal/journalundo.h"

#include "engine/journal/journalreading.h"
#include "engine/journal/placementreversal.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

#include <memory>

namespace quorvane {

namespace {

using Trees = std::unique_ptr<platform::ImageTrees>;

constexpr qint64 LargestJournal = qint64(1) << 32;

QString shown(const QByteArray &host)
{
    return platform::decodeText(host);
}

QString journalShown(const QString &drivePath)
{
    const platform::Result<QByteArray> host = platform::fileSystem().hostBytes(drivePath);
    return host.ok() ? shown(host.value()) : drivePath;
}

// Why the header's roots cannot be acted below; empty when they can.
UndoFailure rootsRefused(const JournalHeader &header, const QString &journal)
{
    if (header.version != JournalVersion)
        return {journal,
                QStringLiteral("Protokoll-Version %1 ist unbekannt; nichts wird angefasst").arg(header.version)};
    for (const QByteArray *root : {&header.sourceRoot, &header.targetRoot}) {
        if (!platform::isPlainHostPath(*root, true))
            return {shown(*root),
                    QStringLiteral("Kein Verzeichnis, unter dem ein Lauf gehandelt haben kann; "
                                   "nichts wird angefasst")};
    }
    return {};
}

// The run's trees turned round: files are taken from its target root and
// go back below its source root.
Trees openRunTrees(const JournalHeader &header, UndoFailure &failure)
{
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<QString> source = fs.drivePath(platform::decodeName(header.sourceRoot));
    const platform::Result<QString> target = fs.drivePath(platform::decodeName(header.targetRoot));
    if (!source.ok() || !target.ok()) {
        failure = {shown(source.ok() ? header.targetRoot : header.sourceRoot),
                   QStringLiteral("Liegt auf keinem Laufwerk")};
        return nullptr;
    }
    auto trees = fs.openImageTrees(target.value(), source.value(), false);
    if (!trees.ok()) {
        failure = {shown(header.targetRoot), platform::reasonOf(trees.status())};
        return nullptr;
    }
    Trees opened = std::move(trees).value();
    // Opened by exactly the names the run had, not by another spelling of them.
    if (opened->sourceRootHost() != header.targetRoot || opened->targetRootHost() != header.sourceRoot) {
        failure = {shown(header.targetRoot), QStringLiteral("Lässt sich nicht unter genau diesem Namen öffnen")};
        return nullptr;
    }
    return opened;
}

UndoFailure outside(const QByteArray &path, const QString &tree, const QByteArray &root)
{
    return {shown(path),
            QStringLiteral("Liegt nicht unter dem %1 des Laufs (%2); nichts wird angefasst").arg(tree, shown(root))};
}

// Where a placement's files lie below the run's roots; nothing, with
// failure set, where one of its paths lies elsewhere.
std::optional<PlacementReversal::Places> placesOf(const JournalPlacement &placement, const JournalHeader &header,
                                                  UndoFailure &failure)
{
    const JournalIntent &intent = placement.intent;
    const QByteArray &target =
        placement.done && !placement.done->target.isEmpty() ? placement.done->target : intent.target;
    const std::optional<QString> back = platform::relativeBelow(header.sourceRoot, intent.source);
    if (!back) {
        failure = outside(intent.source, QStringLiteral("Quell-Verzeichnis"), header.sourceRoot);
        return std::nullopt;
    }
    std::optional<QString> from;
    for (const QByteArray *path : {&intent.target, &target}) {
        from = platform::relativeBelow(header.targetRoot, *path);
        if (!from) {
            failure = outside(*path, QStringLiteral("Ziel-Verzeichnis"), header.targetRoot);
            return std::nullopt;
        }
    }
    return PlacementReversal::Places{*from, *back, target, intent.source};
}

void note(UndoSummary &summary, const UndoFailure &failure)
{
    if (failure.reason.isEmpty())
        ++summary.undone;
    else
        summary.failures.append(failure);
}

} // namespace

UndoSummary undoJournal(const QString &journalDrivePath)
{
    UndoSummary summary;
    const QString journal = journalShown(journalDrivePath);
    const platform::Result<QByteArray> content = platform::fileSystem().readFile(journalDrivePath, LargestJournal);
    if (!content.ok()) {
        summary.failures.append({journal, platform::reasonOf(content.status())});
        return summary;
    }
    const JournalReading reading = readJournal(content.value());
    if (!reading.header) {
        summary.failures.append({journal,
                                 QStringLiteral("Ohne Kopfzeile: ein Protokoll einer älteren Version oder keines "
                                                "dieses Programms; nichts wird angefasst")});
        return summary;
    }
    const JournalHeader &header = *reading.header;
    UndoFailure failure = rootsRefused(header, journal);
    if (failure.reason.isEmpty() && !reading.placements.isEmpty()) {
        const Trees trees = openRunTrees(header, failure);
        for (qsizetype i = reading.placements.size() - 1; trees && i >= 0; --i) {
            const JournalPlacement &placement = reading.placements.at(i);
            if (placement.failed)
                continue;
            // A stop ends it between two lines: what is left, a second undo takes back.
            if (platform::stopRequested()) {
                ++summary.notReached;
                continue;
            }
            UndoFailure refused;
            const std::optional<PlacementReversal::Places> places = placesOf(placement, header, refused);
            note(summary, places ? PlacementReversal(*trees, placement, *places).run() : refused);
        }
    }
    if (!failure.reason.isEmpty())
        summary.failures.append(failure);
    summary.failures.append(reading.unreadable);
    return summary;
}

} // namespace quorvane
