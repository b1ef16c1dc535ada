#include "ui/main/runreport.h"

#include "engine/journal/statefolder.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

#include <QStringList>

namespace quorvane {

namespace {

const QString Blanks = QStringLiteral("   ");

bool imagedFolders(const RunSummary &summary)
{
    return summary.dirsMirrored + summary.dirsFailed > 0 && summary.imaged + summary.skipped == 0;
}

// The counts, one sentence a line.
QStringList countLines(const RunSummary &summary, qsizetype unreadCount)
{
    QStringList lines;
    if (summary.listing)
        lines << QStringLiteral("%1 Datei(en) gefunden.").arg(summary.found);
    else if (imagedFolders(summary))
        lines << QStringLiteral("%1 Verzeichnis(se) angelegt, %2 Verzeichnis(se) nicht angelegt.")
                     .arg(summary.dirsMirrored)
                     .arg(summary.dirsFailed);
    else
        lines << QStringLiteral("%1 Datei(en) abgebildet, %2 Datei(en) übersprungen.")
                     .arg(summary.imaged)
                     .arg(summary.skipped);
    if (unreadCount > 0)
        lines << QStringLiteral("%1 Verzeichnis(se) nicht lesbar.").arg(unreadCount);
    return lines;
}

// "Name: Grund" for the first few, files before folders not read.
QStringList reasonLines(const RunSummary &summary, const std::vector<UnreadableFolder> &unread)
{
    QStringList all;
    for (const SkippedFile &skipped : summary.skippedFiles)
        all << GetFileName(skipped.source) + QStringLiteral(": ") + skipped.reason;
    for (const UnreadableFolder &folder : unread)
        all << GetFileName(folder.path) + QStringLiteral(": ") + folder.reason;
    QStringList shown = all.mid(0, ReasonsInBox);
    if (all.size() > ReasonsInBox)
        shown << QStringLiteral("… und %1 weitere").arg(all.size() - ReasonsInBox);
    return shown;
}

QStringList placeLines(const ListPlace &list)
{
    if (!list.file.isEmpty())
        return {QStringLiteral("Die vollständige Liste steht in:"), list.file};
    QStringList lines{QStringLiteral("Die vollständige Liste konnte nicht geschrieben werden: %1").arg(list.failure)};
    if (!list.journal.isEmpty())
        lines << QStringLiteral("Das Protokoll des Laufs steht in:") << list.journal;
    return lines;
}

// The reason and the place it concerns.
QString failureText(const platform::Status &why)
{
    const QString reason = platform::reasonOf(why);
    return why.subject.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, why.subject);
}

ListPlace writeUndoneList(const RunSummary &summary, const std::vector<UnreadableFolder> &unread)
{
    ListPlace place;
    place.journal = summary.journal;
    const platform::Result<QString> folder = makeStateFolder();
    if (!folder.ok()) {
        place.failure = failureText(folder.status());
        return place;
    }
    QString file = folder.value();
    AddBackslash(file);
    file += UndoneListName;
    const platform::Status written = platform::fileSystem().replaceFile(file, undoneList(summary, unread));
    if (written.ok())
        place.file = file;
    else
        place.failure = failureText(written);
    return place;
}

} // namespace

bool runLeftSomethingUndone(const RunSummary &summary, const std::vector<UnreadableFolder> &unread)
{
    if (!summary.ran || summary.stopSignal != 0 || !summary.preflight.refusal.isEmpty())
        return false;
    return !summary.skippedFiles.isEmpty() || summary.skipped > 0 || summary.dirsFailed > 0 || !unread.empty();
}

QByteArray undoneList(const RunSummary &summary, const std::vector<UnreadableFolder> &unread)
{
    QString text;
    for (const SkippedFile &skipped : summary.skippedFiles) {
        text += skipped.source + QStringLiteral(": übersprungen: ") + skipped.reason;
        if (!skipped.subject.isEmpty() && skipped.subject != skipped.source)
            text += QStringLiteral(" (") + skipped.subject + QLatin1Char(')');
        text += QLatin1Char('\n');
    }
    for (const UnreadableFolder &folder : unread)
        text += folder.path + QStringLiteral(": nicht lesbar: ") + folder.reason + QLatin1Char('\n');
    return text.toUtf8();
}

QString runReportText(const RunSummary &summary, const std::vector<UnreadableFolder> &unread, const ListPlace &list)
{
    QStringList parts{countLines(summary, qsizetype(unread.size())).join(QLatin1Char('\n'))};
    const QStringList reasons = reasonLines(summary, unread);
    if (!reasons.isEmpty())
        parts << reasons.join(QLatin1Char('\n'));
    parts << placeLines(list).join(QLatin1Char('\n'));
    return parts.join(QStringLiteral("\n\n")) + Blanks;
}

void reportRun(const RunSummary &summary)
{
    const std::vector<UnreadableFolder> &unread = summary.unreadableFolders;
    if (!runLeftSomethingUndone(summary, unread))
        return;
    ShowMessage(runReportText(summary, unread, writeUndoneList(summary, unread)), 2);
}

} // namespace quorvane
