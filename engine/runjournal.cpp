#include "engine/runjournal.h"

#include "engine/pathcreation.h"
#include "paths/pathhelpers.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/userfolders.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace quorvane {

namespace {

constexpr int SyncEvery = 256;
constexpr qsizetype StateJournalsKept = 20;
const QString StatePrefix = QStringLiteral("move-");
const QString StateSuffix = QStringLiteral(".jsonl");

std::optional<QByteArray> takePath(const QJsonObject &line, const QString &key)
{
    const QJsonValue exact = line.value(key + QStringLiteral("_base64"));
    if (exact.isString()) {
        const auto decoded =
            QByteArray::fromBase64Encoding(exact.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return *decoded;
    }
    const QJsonValue text = line.value(key);
    if (!text.isString() || text.toString().isEmpty())
        return std::nullopt;
    return text.toString().toUtf8();
}

QString stateFolder()
{
    const QString host = platform::userStateFolder();
    if (host.isEmpty())
        return {};
    const platform::Result<QString> drive = platform::fileSystem().drivePath(
        platform::decodeName(platform::encodeText(host + QStringLiteral("/quorvane"))));
    return drive.ok() ? drive.value() : QString();
}

} // namespace

QString operationName(ImageAction action, bool identical)
{
    if (identical)
        return QStringLiteral("identical");
    switch (action) {
    case ImageAction::Move:
        return QStringLiteral("move");
    case ImageAction::Dummy:
        return QStringLiteral("dummy");
    case ImageAction::MakeFolder:
        return QStringLiteral("folder");
    case ImageAction::Copy:
        break;
    }
    return QStringLiteral("copy");
}

void putHostPath(QJsonObject &object, const QString &key, const QByteArray &bytes)
{
    const QString text = platform::decodeText(bytes);
    if (!platform::hasEscapes(text)) {
        object.insert(key, text);
        return;
    }
    object.insert(key, platform::displayName(text));
    object.insert(key + QStringLiteral("_base64"), QString::fromLatin1(bytes.toBase64()));
}

QByteArray journalLine(const JournalEntry &entry)
{
    QJsonObject line;
    line.insert(QStringLiteral("operation"), operationName(entry.action, entry.identical));
    putHostPath(line, QStringLiteral("source"), entry.source);
    putHostPath(line, QStringLiteral("target"), entry.target);
    line.insert(QStringLiteral("size"), entry.size);
    line.insert(QStringLiteral("mtime_ns"), entry.modifiedNs);
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<JournalEntry> parseJournalLine(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject line = document.object();
    JournalEntry entry;
    const QString operation = line.value(QStringLiteral("operation")).toString();
    if (operation == u"move")
        entry.action = ImageAction::Move;
    else if (operation == u"dummy")
        entry.action = ImageAction::Dummy;
    else if (operation == u"identical") {
        entry.action = ImageAction::Move;
        entry.identical = true;
    } else if (operation != u"copy")
        return std::nullopt;
    const auto source = takePath(line, QStringLiteral("source"));
    const auto target = takePath(line, QStringLiteral("target"));
    const QJsonValue size = line.value(QStringLiteral("size"));
    const QJsonValue modified = line.value(QStringLiteral("mtime_ns"));
    if (!source || !target || !size.isDouble() || !modified.isDouble())
        return std::nullopt;
    entry.source = *source;
    entry.target = *target;
    entry.size = size.toInteger(-1);
    entry.modifiedNs = modified.toInteger();
    return entry;
}

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
    QString prefix = base;
    AddBackslash(prefix);
    for (QString &name : names)
        name.prepend(prefix);
    return names;
}

platform::Status RunJournal::open()
{
    if (m_out.isOpen())
        return platform::Status::success();
    if (m_stateFolder && m_file.isEmpty())
        return openInStateFolder();
    return m_out.create(m_file);
}

platform::Status RunJournal::openInStateFolder()
{
    QString folder;
    const QStringList older = stateJournals(&folder);
    if (folder.isEmpty())
        return platform::failureFor(platform::ErrPathNotFound, QString(),
                                    QStringLiteral("Kein Ordner für den Zustand des Programms bekannt"));
    QString create = folder;
    if (!DirExists(folder) && !CreatePath(create))
        return platform::failureFor(platform::ErrPathNotFound, folder,
                                    QStringLiteral("Ordner lässt sich nicht anlegen"));
    AddBackslash(folder);
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

platform::Status RunJournal::record(ImageAction action, bool identical, const QByteArray &source,
                                    const QByteArray &target, const platform::FileStamp &placed)
{
    JournalEntry entry;
    entry.action = action;
    entry.identical = identical;
    entry.source = source;
    entry.target = target;
    entry.size = placed.size;
    entry.modifiedNs = placed.modifiedNs;
    platform::Status written = m_out.append(journalLine(entry));
    if (written.ok() && ++m_unsynced >= SyncEvery) {
        m_unsynced = 0;
        written = m_out.sync();
    }
    return written;
}

platform::Status RunJournal::finish()
{
    return m_out.close();
}

} // namespace quorvane
