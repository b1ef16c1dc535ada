#include "engine/placement/preflight.h"

#include "engine/run/imagingrun.h"
#include "engine/run/runsteps.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/imagetrees.h"
#include "platform/services.h"

#include <QLocale>

#include <algorithm>

namespace quorvane {

namespace {

// The room a copy of the source takes: its holes stay holes where the disk keeps them.
qint64 roomFor(const platform::FileStamp &source, const platform::Volume &volume)
{
    const qint64 bytes = volume.keepsHoles() && source.allocated >= 0 ? std::min(source.size, source.allocated)
                                                                       : source.size;
    const qint64 cluster = volume.clusterBytes;
    return cluster > 1 ? (bytes + cluster - 1) / cluster * cluster : bytes;
}

// A move within one disk only renames; a dummy holds nothing.
bool takesRoom(const PreflightJob &job, const platform::FileStamp &source, const platform::Volume &volume)
{
    if (job.action == ImageAction::Dummy)
        return false;
    return job.action != ImageAction::Move || source.device != volume.device;
}

// A file the target holds already under the same size is taken for one that
// --skip-identical leaves as it is: a run that only tops up a full disk is
// not refused for the files it finds there.
bool likelyThereAlready(platform::ImageTrees &trees, const PreflightJob &job, const QString &entry,
                        const platform::FileStamp &source)
{
    if (!job.skipIdentical || !job.recursiveTarget)
        return false;
    const platform::Result<platform::TargetEntry> there = trees.lookUp(job.recursiveTarget(entry));
    return there.ok() && there.value().kind == platform::EntryKind::File && there.value().stamp.size == source.size;
}

void recordTooLarge(RunContext &run, const PreflightJob &job, const QString &entry, const platform::Volume &volume)
{
    SkippedFile skipped;
    skipped.action = job.action;
    skipped.source = job.sourceBase + entry;
    skipped.subject = skipped.source;
    skipped.error = platform::ErrPathFileAccess;
    skipped.reason = QStringLiteral("Datei zu groß für %1 (höchstens %2 Bytes)")
                         .arg(volume.name, byteCount(volume.largestFile));
    run.summary.skippedFiles.append(skipped);
    ++run.summary.skipped;
    ++run.summary.preflight.tooLarge;
}

} // namespace

QString byteCount(qint64 count)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(count);
}

QString notEnoughRoomMessage(qint64 needed, qint64 free)
{
    return QStringLiteral("Auf dem Ziel ist nicht genug Platz frei: nötig sind %1 Bytes, frei sind %2 Bytes. "
                          "Es wurde nichts geschrieben.   ")
        .arg(byteCount(needed), byteCount(free));
}

QString systemFolderMessage(const QString &target)
{
    return QStringLiteral("%1 ist ein Systemordner; dorthin wird nichts abgebildet. "
                          "Bitte ein anderes Zielverzeichnis wählen.   ")
        .arg(target);
}

QString systemFolderRefusal(platform::ImageTrees &trees, const QString &targetBase)
{
    return trees.targetIsSystemFolder() ? systemFolderMessage(targetBase) : QString();
}

QStringList checkBeforeWriting(RunContext &run, platform::ImageTrees &trees, const PreflightJob &job,
                               const QStringList &entries)
{
    PreflightFindings &findings = run.summary.preflight;
    findings.checked = true;
    findings.refusal = systemFolderRefusal(trees, job.targetBase);
    if (!findings.refusal.isEmpty()) {
        ShowMessage(findings.refusal, 1);
        return {};
    }
    const platform::Volume volume = trees.targetVolume();
    findings.volume = volume.name;
    findings.freeBytes = volume.freeBytes;
    findings.largestFile = volume.largestFile;

    QStringList fitting;
    fitting.reserve(entries.size());
    trees.sourceLooks(entries, [&](qsizetype index, const platform::Result<platform::FileStamp> &source) {
        const QString &entry = entries.at(index);
        // A source that cannot be read now fails at its placement, with its reason.
        if (!source.ok() || !takesRoom(job, source.value(), volume)) {
            fitting.append(entry);
            return;
        }
        if (source.value().size > volume.largestFile) {
            recordTooLarge(run, job, entry, volume);
            return;
        }
        if (!likelyThereAlready(trees, job, entry, source.value()))
            findings.neededBytes += roomFor(source.value(), volume);
        fitting.append(entry);
    });
    if (findings.freeBytes >= 0 && findings.neededBytes > findings.freeBytes) {
        findings.refusal = notEnoughRoomMessage(findings.neededBytes, findings.freeBytes);
        ShowMessage(findings.refusal, 1);
        return {};
    }
    return fitting;
}

} // namespace quorvane
