#include "engine/journal/runjournal.h"

#include "engine/journal/statefolder.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/fslog.h"
#include "platform/services.h"

#include <QDateTime>

#include <algorithm>

namespace quorvane {

namespace {

constexpr int SyncEvery = 256;
constexpr qsizetype StateJournalsKept = 20;
const QString StatePrefix = QStringLiteral("move-");
const QString StateSuffix = QStringLiteral(".jsonl");

} // namespace

QStringList stateJournals(QString *folder)
{
    const QString base = stateFolder();
    if (folder)
        *folder = base;
    if (base.isEmpty())
        return {};
    const auto listing = platform::fileSystem().readDirectory(base);
    if (!listing.ok())
        return {};
    QStringList names;
    for (const platform::DirEntry &entry : listing.value()) {
        if (!entry.isDirectory && entry.name.startsWith(StatePrefix) && entry.name.endsWith(StateSuffix))
            names.append(entry.name);
    }
    // The names hold the time of the run, so their order is the runs' order.
    std::sort(names.begin(), names.end());
    const QString prefix = WinPath(base).withSeparator();
    for (QString &name : names)
        name.prepend(prefix);
    return names;
}

void RunJournal::describeRun(const QByteArray &sourceRoot, const QByteArray &targetRoot)
{
    m_header.sourceRoot = sourceRoot;
    m_header.targetRoot = targetRoot;
    m_header.started = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

platform::Status RunJournal::open()
{
    if (m_out.isOpen())
        return platform::Status::success();
    const platform::Status opened = m_stateFolder && m_file.isEmpty() ? openInStateFolder() : m_out.create(m_file);
    return opened.ok() ? write(m_header) : opened;
}

platform::Status RunJournal::openInStateFolder()
{
    const QStringList older = stateJournals();
    const platform::Result<QString> made = makeStateFolder();
    if (!made.ok())
        return made.status();
    const QString folder = WinPath(made.value()).withSeparator();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    platform::Status opened;
    // Two runs in one millisecond take the next free number.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString number = QStringLiteral("-%1").arg(attempt, 2, 10, QLatin1Char('0'));
        m_file = folder + StatePrefix + stamp + number + StateSuffix;
        opened = m_out.create(m_file);
        if (opened.error != platform::ErrFileExists)
            break;
    }
    if (!opened.ok()) {
        m_file.clear();
        return opened;
    }
    // The new one and the newest before it make the last few kept.
    for (qsizetype i = 0; i + StateJournalsKept - 1 < older.size(); ++i) {
        const platform::Status removed = platform::fileSystem().deleteFile(older.at(i));
        if (!removed.ok())
            platform::logFailure(removed, QStringLiteral("ein altes Protokoll entfernen"));
    }
    return opened;
}

platform::Status RunJournal::write(const JournalLine &line)
{
    platform::Status written = m_out.append(journalLine(line));
    if (written.ok() && ++m_unsynced >= SyncEvery) {
        m_unsynced = 0;
        written = m_out.sync();
    }
    return written;
}

platform::Status RunJournal::intend(JournalIntent intent, qint64 &number)
{
    intent.number = m_intents + 1;
    const platform::Status written = write(intent);
    if (written.ok()) {
        number = ++m_intents;
        m_intendedTarget = intent.target;
    }
    return written;
}

platform::Status RunJournal::done(qint64 intent, const QByteArray &placedHost, const platform::FileStamp &placed)
{
    return write(JournalDone{intent, placed, placedHost == m_intendedTarget ? QByteArray() : placedHost});
}

platform::Status RunJournal::failed(qint64 intent, const QString &reason)
{
    return write(JournalFailed{intent, reason});
}

platform::Status RunJournal::finish()
{
    return m_out.close();
}

} // namespace quorvane
