#include "cli/report.h"

#include "cli/listoutput.h"
#include "engine/journal/journallines.h"
#include "engine/scan/scanner.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/namefold.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quorvane::cli {

namespace {

QByteArray hostBytes(const QString &drivePath)
{
    const platform::Result<QByteArray> host = platform::fileSystem().hostBytes(drivePath);
    return host.ok() ? host.value() : platform::encodeText(drivePath);
}

QJsonObject pathAndReason(const QString &drivePath, const QString &reason)
{
    QJsonObject item;
    putHostPath(item, QStringLiteral("path"), hostBytes(drivePath));
    item.insert(QStringLiteral("reason"), reason);
    return item;
}

QJsonArray skippedJson(const RunSummary &summary)
{
    QJsonArray skipped;
    for (const SkippedFile &file : summary.skippedFiles) {
        QJsonObject item =
            pathAndReason(file.action == ImageAction::MakeFolder ? file.target : file.source, file.reason);
        item.insert(QStringLiteral("operation"), operationName(file.action));
        if (!file.target.isEmpty() && file.action != ImageAction::MakeFolder)
            putHostPath(item, QStringLiteral("target"), hostBytes(file.target));
        skipped.append(item);
    }
    return skipped;
}

QJsonArray renamedJson(const RunSummary &summary)
{
    QJsonArray renamed;
    for (const RenamedFile &file : summary.renamed) {
        QJsonObject item;
        putHostPath(item, QStringLiteral("source"), hostBytes(file.source));
        putHostPath(item, QStringLiteral("target"), hostBytes(file.target));
        renamed.append(item);
    }
    return renamed;
}

QJsonArray planJson(const RunSummary &summary)
{
    QJsonArray plan;
    for (const PlannedFile &file : summary.planned) {
        QJsonObject item;
        item.insert(QStringLiteral("operation"), operationName(file.action));
        putHostPath(item, QStringLiteral("source"), hostBytes(file.source));
        putHostPath(item, QStringLiteral("target"), hostBytes(file.target));
        item.insert(QStringLiteral("already_there"), file.alreadyThere);
        plan.append(item);
    }
    return plan;
}

// The stage a stop was seen in, as the machine-readable summary names it.
QString stageKey(RunStage stage)
{
    switch (stage) {
    case RunStage::Scanning:
        return QStringLiteral("scan");
    case RunStage::Listing:
        return QStringLiteral("list");
    case RunStage::Imaging:
        return QStringLiteral("image");
    case RunStage::Mirroring:
        return QStringLiteral("folders");
    case RunStage::Cleaning:
        return QStringLiteral("cleanup");
    case RunStage::Idle:
        break;
    }
    return QStringLiteral("after");
}

QString stagePhrase(RunStage stage)
{
    switch (stage) {
    case RunStage::Scanning:
        return QStringLiteral(" während der Suche");
    case RunStage::Listing:
        return QStringLiteral(" während der Ausgabe der Liste");
    case RunStage::Imaging:
        return QStringLiteral(" während des Abbildens");
    case RunStage::Mirroring:
        return QStringLiteral(" während des Anlegens der Verzeichnisse");
    case RunStage::Cleaning:
        return QStringLiteral(" während des Entfernens leerer Quell-Verzeichnisse");
    case RunStage::Idle:
        break;
    }
    return {};
}

void putStop(QJsonObject &out, const RunSummary &summary)
{
    if (summary.stopSignal == 0) {
        out.insert(QStringLiteral("stopped_by_signal"), QJsonValue::Null);
        return;
    }
    out.insert(QStringLiteral("stopped_by_signal"), QLatin1String(platform::signalName(summary.stopSignal)));
    out.insert(QStringLiteral("stopped_during"), stageKey(summary.stoppedIn));
}

} // namespace

QString notReachedNote(int signal, qsizetype notReached)
{
    return signal != 0 ? QStringLiteral(", nicht erreicht %1").arg(notReached) : QString();
}

QString stopLine(int signal, RunStage stage)
{
    return QStringLiteral("abgebrochen durch Signal %1%2")
        .arg(QLatin1String(platform::signalName(signal)), stagePhrase(stage));
}

QString hostForm(const QString &drivePath)
{
    return oneLine(platform::decodeText(hostBytes(drivePath)));
}

QString skippedLine(const SkippedFile &skipped)
{
    if (skipped.action == ImageAction::MakeFolder)
        return QStringLiteral("nicht angelegt: %1: %2").arg(hostForm(skipped.target), oneLine(skipped.reason));
    QString where;
    if (!skipped.subject.isEmpty() && !platform::sameName(skipped.subject, skipped.source)) {
        where = platform::sameName(skipped.subject, skipped.target)
            ? QStringLiteral("Ziel %1: ").arg(hostForm(skipped.target))
            : hostForm(skipped.subject) + QStringLiteral(": ");
    }
    return QStringLiteral("übersprungen: %1: %2%3").arg(hostForm(skipped.source), where, oneLine(skipped.reason));
}

QString renamedLine(const RenamedFile &renamed)
{
    return QStringLiteral("umbenannt: %1 -> %2").arg(hostForm(renamed.source), hostForm(renamed.target));
}

QString plannedLine(const PlannedFile &planned)
{
    if (planned.alreadyThere)
        return QStringLiteral("schon vorhanden: %1 = %2").arg(hostForm(planned.source), hostForm(planned.target));
    return QStringLiteral("%1 -> %2").arg(hostForm(planned.source), hostForm(planned.target));
}

QString totalsLine(const RunSummary &summary, const JobOptions &options)
{
    QString line = QStringLiteral("gefunden %1, abgebildet %2, übersprungen %3")
                       .arg(summary.found)
                       .arg(summary.imaged)
                       .arg(summary.skipped);
    if (options.SkipIdentical)
        line += QStringLiteral(", schon vorhanden %1").arg(summary.alreadyThere);
    if (summary.leftOut > 0)
        line += QStringLiteral(", im Ziel liegend und ausgelassen %1").arg(summary.leftOut);
    line += notReachedNote(summary.stopSignal, summary.notReached);
    if (options.DryRun)
        line.prepend(QStringLiteral("Probelauf, nichts geschrieben: "));
    return line;
}

QString undoFailureLine(const UndoFailure &failure)
{
    return QStringLiteral("nicht rückgängig: %1: %2").arg(oneLine(failure.path), oneLine(failure.reason));
}

QJsonObject preflightJson(const PreflightFindings &findings)
{
    QJsonObject out;
    out.insert(QStringLiteral("volume"), findings.volume);
    out.insert(QStringLiteral("needed_bytes"), findings.neededBytes);
    out.insert(QStringLiteral("free_bytes"), findings.freeBytes >= 0 ? QJsonValue(findings.freeBytes) : QJsonValue());
    out.insert(QStringLiteral("largest_file"), findings.largestFile);
    out.insert(QStringLiteral("too_large"), findings.tooLarge);
    out.insert(QStringLiteral("refused"),
               findings.refusal.isEmpty() ? QJsonValue() : QJsonValue(findings.refusal.trimmed()));
    return out;
}

QString roomLine(const PreflightFindings &findings)
{
    const QString free =
        findings.freeBytes >= 0 ? byteCount(findings.freeBytes) + QStringLiteral(" Bytes") : QStringLiteral("unbekannt");
    return QStringLiteral("Platz im Ziel (%1): nötig %2 Bytes, frei %3")
        .arg(findings.volume, byteCount(findings.neededBytes), free);
}

QByteArray summaryJson(const RunSummary &summary, const JobOptions &options)
{
    QJsonObject out;
    out.insert(QStringLiteral("found"), summary.found);
    QJsonArray unreadable;
    for (const UnreadableFolder &folder : summary.unreadableFolders)
        unreadable.append(pathAndReason(folder.path, folder.reason));
    out.insert(QStringLiteral("unreadable"), unreadable);
    putStop(out, summary);
    if (!options.TextListing) {
        out.insert(QStringLiteral("imaged"), summary.imaged);
        out.insert(QStringLiteral("skipped"), summary.skipped);
        out.insert(QStringLiteral("already_there"), summary.alreadyThere);
        out.insert(QStringLiteral("left_out"), summary.leftOut);
        out.insert(QStringLiteral("not_reached"), summary.notReached);
        out.insert(QStringLiteral("skipped_files"), skippedJson(summary));
        out.insert(QStringLiteral("renamed"), renamedJson(summary));
        if (summary.preflight.checked || !summary.preflight.refusal.isEmpty())
            out.insert(QStringLiteral("preflight"), preflightJson(summary.preflight));
        out.insert(QStringLiteral("dry_run"), options.DryRun);
        if (options.DryRun)
            out.insert(QStringLiteral("plan"), planJson(summary));
        if (options.StructureOnly) {
            out.insert(QStringLiteral("folders_made_or_there"), summary.dirsMirrored);
            out.insert(QStringLiteral("folders_failed"), summary.dirsFailed);
        }
        if (!summary.journal.isEmpty())
            putHostPath(out, QStringLiteral("journal"), hostBytes(summary.journal));
    }
    return QJsonDocument(out).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace quorvane::cli
