#include "engine/journal/journallines.h"

#include "platform/namecodec.h"

#include <QJsonDocument>

namespace quorvane {

namespace {

const QString FormatName = QStringLiteral("quorvane-journal");

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

// Device and inode are unsigned on the host; JSON keeps them as the same 64 bits.
void putStamp(QJsonObject &object, const platform::FileStamp &stamp)
{
    object.insert(QStringLiteral("device"), qint64(stamp.device));
    object.insert(QStringLiteral("inode"), qint64(stamp.inode));
    object.insert(QStringLiteral("size"), stamp.size);
    object.insert(QStringLiteral("mtime_ns"), stamp.modifiedNs);
    // null: a disk that settles the change time after the file is closed.
    object.insert(QStringLiteral("ctime_ns"), stamp.changedNs == platform::FileStamp::UnknownTime
                                                  ? QJsonValue(QJsonValue::Null)
                                                  : QJsonValue(stamp.changedNs));
}

std::optional<platform::FileStamp> takeStamp(const QJsonObject &object)
{
    const QStringList keys{QStringLiteral("device"), QStringLiteral("inode"), QStringLiteral("size"),
                           QStringLiteral("mtime_ns"), QStringLiteral("ctime_ns")};
    for (const QString &key : keys) {
        if (!object.value(key).isDouble() && !(key == keys.last() && object.value(key).isNull()))
            return std::nullopt;
    }
    platform::FileStamp stamp;
    stamp.device = std::uint64_t(object.value(keys.at(0)).toInteger());
    stamp.inode = std::uint64_t(object.value(keys.at(1)).toInteger());
    stamp.size = object.value(keys.at(2)).toInteger(-1);
    stamp.modifiedNs = object.value(keys.at(3)).toInteger();
    stamp.changedNs = object.value(keys.at(4)).isNull() ? platform::FileStamp::UnknownTime
                                                        : object.value(keys.at(4)).toInteger();
    return stamp;
}

// A line number: a whole number from 1 on.
std::optional<qint64> takeNumber(const QJsonObject &line, const QString &key)
{
    const QJsonValue value = line.value(key);
    const qint64 number = value.toInteger(0);
    if (!value.isDouble() || number < 1)
        return std::nullopt;
    return number;
}

std::optional<ImageAction> actionNamed(const QString &operation, bool &identical)
{
    identical = operation == u"identical";
    if (operation == u"move" || identical)
        return ImageAction::Move;
    if (operation == u"dummy")
        return ImageAction::Dummy;
    if (operation == u"copy")
        return ImageAction::Copy;
    return std::nullopt;
}

struct Writer {
    QJsonObject operator()(const JournalHeader &header) const
    {
        QJsonObject line;
        line.insert(QStringLiteral("format"), FormatName);
        line.insert(QStringLiteral("version"), header.version);
        putHostPath(line, QStringLiteral("source_root"), header.sourceRoot);
        putHostPath(line, QStringLiteral("target_root"), header.targetRoot);
        line.insert(QStringLiteral("started"), header.started);
        return line;
    }
    QJsonObject operator()(const JournalIntent &intent) const
    {
        QJsonObject line;
        line.insert(QStringLiteral("intent"), intent.number);
        line.insert(QStringLiteral("operation"), operationName(intent.action, intent.identical));
        putHostPath(line, QStringLiteral("source"), intent.source);
        putHostPath(line, QStringLiteral("target"), intent.target);
        if (intent.sourceFile)
            putStamp(line, *intent.sourceFile);
        if (intent.existing) {
            QJsonObject existing;
            putStamp(existing, *intent.existing);
            line.insert(QStringLiteral("existing"), existing);
        }
        return line;
    }
    QJsonObject operator()(const JournalDone &done) const
    {
        QJsonObject line;
        line.insert(QStringLiteral("done"), done.number);
        if (!done.target.isEmpty())
            putHostPath(line, QStringLiteral("target"), done.target);
        putStamp(line, done.placed);
        return line;
    }
    QJsonObject operator()(const JournalFailed &failed) const
    {
        QJsonObject line;
        line.insert(QStringLiteral("failed"), failed.number);
        line.insert(QStringLiteral("reason"), failed.reason);
        return line;
    }
};

std::optional<JournalLine> headerOf(const QJsonObject &line)
{
    JournalHeader header;
    header.version = line.value(QStringLiteral("version")).toInt(0);
    const auto source = takePath(line, QStringLiteral("source_root"));
    const auto target = takePath(line, QStringLiteral("target_root"));
    if (line.value(QStringLiteral("format")).toString() != FormatName || !source || !target)
        return std::nullopt;
    header.sourceRoot = *source;
    header.targetRoot = *target;
    header.started = line.value(QStringLiteral("started")).toString();
    return header;
}

std::optional<JournalLine> intentOf(const QJsonObject &line, qint64 number)
{
    JournalIntent intent;
    intent.number = number;
    const std::optional<ImageAction> action =
        actionNamed(line.value(QStringLiteral("operation")).toString(), intent.identical);
    const auto source = takePath(line, QStringLiteral("source"));
    const auto target = takePath(line, QStringLiteral("target"));
    if (!action || !source || !target)
        return std::nullopt;
    intent.action = *action;
    intent.source = *source;
    intent.target = *target;
    intent.sourceFile = takeStamp(line);
    const QJsonValue existing = line.value(QStringLiteral("existing"));
    if (existing.isObject()) {
        intent.existing = takeStamp(existing.toObject());
        if (!intent.existing)
            return std::nullopt;
    }
    return intent;
}

std::optional<JournalLine> doneOf(const QJsonObject &line, qint64 number)
{
    const std::optional<platform::FileStamp> placed = takeStamp(line);
    if (!placed)
        return std::nullopt;
    JournalDone done{number, *placed, {}};
    if (line.contains(QStringLiteral("target")) || line.contains(QStringLiteral("target_base64"))) {
        const auto target = takePath(line, QStringLiteral("target"));
        if (!target)
            return std::nullopt;
        done.target = *target;
    }
    return done;
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

QByteArray journalLine(const JournalLine &line)
{
    return QJsonDocument(std::visit(Writer(), line)).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<JournalLine> parseJournalLine(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject line = document.object();
    if (line.contains(QStringLiteral("format")))
        return headerOf(line);
    if (const std::optional<qint64> number = takeNumber(line, QStringLiteral("intent")))
        return intentOf(line, *number);
    if (const std::optional<qint64> number = takeNumber(line, QStringLiteral("done")))
        return doneOf(line, *number);
    if (const std::optional<qint64> number = takeNumber(line, QStringLiteral("failed")))
        return JournalFailed{*number, line.value(QStringLiteral("reason")).toString()};
    return std::nullopt;
}

} // namespace quorvane
