#include "engine/journalundo.h"

#include "engine/pathcreation.h"
#include "engine/runjournal.h"
#include "paths/pathhelpers.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

#include <functional>

namespace quorvane {

namespace {

using platform::Status;

constexpr qint64 LargestJournal = qint64(1) << 32;

// One line of the journal on its way back.
class Reversal {
public:
    explicit Reversal(const JournalEntry &entry) : m_entry(entry) {}

    // Empty reason: done.
    UndoFailure run()
    {
        if (!toDrive(m_entry.source, m_source) || !toDrive(m_entry.target, m_target))
            return m_failure;
        if (m_entry.identical)
            return restoreIdentical();
        if (m_entry.action == ImageAction::Move)
            return moveBack();
        return removePlaced();
    }

private:
    bool toDrive(const QByteArray &host, QString &drivePath)
    {
        const platform::Result<QString> mapped = platform::fileSystem().drivePath(platform::decodeName(host));
        drivePath = mapped.value();
        if (!mapped.ok())
            m_failure = {platform::decodeText(host), QStringLiteral("Liegt auf keinem Laufwerk")};
        return mapped.ok();
    }

    UndoFailure failed(const QString &drivePath, const QString &reason) const
    {
        const QByteArray &host = drivePath == m_source ? m_entry.source : m_entry.target;
        return {platform::decodeText(host), reason};
    }
    UndoFailure failed(const QString &drivePath, const Status &why) const
    {
        return failed(drivePath, platform::reasonOf(why));
    }

    bool unchangedTarget(UndoFailure &failure) const
    {
        const platform::Result<platform::FileStamp> now = platform::fileStamp(m_target);
        if (!now.ok()) {
            failure = failed(m_target, now.status());
            return false;
        }
        if (now.value().size != m_entry.size || now.value().modifiedNs != m_entry.modifiedNs) {
            failure = failed(m_target, QStringLiteral("Seit dem Lauf geändert; bleibt"));
            return false;
        }
        return true;
    }

    // The folder the source stood in, made again where it is gone.
    bool sourceFolder(UndoFailure &failure) const
    {
        const QString folder = GetParentPath(m_source);
        QString create = folder;
        if (DirExists(folder) || CreatePath(create))
            return true;
        failure = failed(m_source, QStringLiteral("Der Ordner %1 lässt sich nicht wieder anlegen").arg(folder));
        return false;
    }

    // The file at path has the size and time the journal gave the placed one.
    bool asJournaled(const QString &path) const
    {
        const platform::Result<platform::FileStamp> now = platform::fileStamp(path);
        return now.ok() && now.value().size == m_entry.size && now.value().modifiedNs == m_entry.modifiedNs;
    }

    static bool gone(const platform::Status &why)
    {
        return why.error == platform::ErrFileNotFound || why.error == platform::ErrPathNotFound;
    }

    UndoFailure moveBack()
    {
        // Undone before: the file is back and its place in the target empty.
        if (!FileExists(m_target) && asJournaled(m_source))
            return {};
        return backToSource(false, [this] { return platform::fileSystem().moveFile(m_target, m_source); });
    }

    UndoFailure restoreIdentical()
    {
        return backToSource(true, [this] { return platform::fileSystem().copyToNewFile(m_target, m_source); });
    }

    // Puts the file back at its source place through put, which never replaces what is there.
    UndoFailure backToSource(bool unchangedOnly, const std::function<Status()> &put) const
    {
        const UndoFailure occupied =
            failed(m_source, QStringLiteral("An ihrem alten Platz liegt inzwischen eine andere Datei"));
        UndoFailure failure;
        if (FileExists(m_source))
            return occupied;
        if ((unchangedOnly && !unchangedTarget(failure)) || !sourceFolder(failure))
            return failure;
        const Status done = put();
        if (done.error == platform::ErrFileExists)
            return occupied;
        if (done.ok())
            return {};
        return failed(done.subject.compare(m_source, Qt::CaseInsensitive) == 0 ? m_source : m_target, done);
    }

    UndoFailure removePlaced()
    {
        UndoFailure failure;
        const platform::Result<platform::FileStamp> now = platform::fileStamp(m_target);
        if (!now.ok() && gone(now.status()))
            return {}; // nothing left to remove
        if (!unchangedTarget(failure))
            return failure;
        platform::FileSystem &fs = platform::fileSystem();
        // A copy of a read-only source is read-only as well; the run made it, so it may go.
        const Status cleared = fs.setAttributes(m_target, platform::AttrNormal);
        if (!cleared.ok())
            platform::logFailure(cleared, QStringLiteral("die Attribute einer Kopie löschen"));
        const Status removed = fs.deleteFile(m_target);
        return removed.ok() ? UndoFailure{} : failed(m_target, removed);
    }

    const JournalEntry &m_entry;
    QString m_source;
    QString m_target;
    UndoFailure m_failure;
};

} // namespace

UndoSummary undoJournal(const QString &journalDrivePath)
{
    UndoSummary summary;
    const platform::Result<QByteArray> content = platform::fileSystem().readFile(journalDrivePath, LargestJournal);
    if (!content.ok()) {
        const platform::Result<QByteArray> host = platform::fileSystem().hostBytes(journalDrivePath);
        summary.failures.append(
            {host.ok() ? platform::decodeText(host.value()) : journalDrivePath, platform::reasonOf(content.status())});
        return summary;
    }
    const QList<QByteArray> lines = content.value().split('\n');
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        if (platform::stopRequested()) {
            ++summary.notReached;
            continue;
        }
        const std::optional<JournalEntry> entry = parseJournalLine(lines.at(i));
        if (!entry) {
            summary.failures.append({QStringLiteral("Zeile %1").arg(i + 1),
                                     QStringLiteral("Lässt sich nicht lesen; was sie nennt, bleibt, wie es ist")});
            continue;
        }
        const UndoFailure failure = Reversal(*entry).run();
        if (failure.reason.isEmpty())
            ++summary.undone;
        else
            summary.failures.append(failure);
    }
    return summary;
}

} // namespace quorvane
