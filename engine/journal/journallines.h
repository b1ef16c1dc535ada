#pragma once

#include "engine/placement/skippedfile.h"
#include "platform/filecompare.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <variant>

namespace quorvane {

// The lines of a run's journal, one JSON object each. The header comes first:
//   {"format":"quorvane-journal","version":2,"source_root":"/s","target_root":"/t",
//    "started":"2025-03-01T09:30:00.000Z"}
// Each placement is announced before it happens, numbered from 1:
//   {"intent":1,"operation":"move","source":"/s/a.jpg","target":"/t/a.jpg",
//    "device":2049,"inode":1234,"size":12,"mtime_ns":1700000000123456789,"ctime_ns":1700000000123456789}
// and closed after it by one of
//   {"done":1,"device":2049,"inode":1234,"size":12,"mtime_ns":…,"ctime_ns":…}
//   {"failed":1,"reason":"Ziel /t/a.jpg: Kein Platz mehr auf dem Datenträger"}
// "operation" is copy, move, dummy, or identical (a source removed by a move
// because the target held its bytes already). The intent's identity is the
// source's, where it could be read; "existing" holds the identity of the
// file the placement replaces (identical: the target compared). The done
// line's identity is the placed file's under its name; it names "target"
// again only where that differs from the intent's. A path whose bytes are
// UTF-8 is written as that text alone; otherwise the text shows U+FFFD in
// place of the foreign bytes and "<key>_base64" carries the exact bytes.
inline constexpr int JournalVersion = 2;

struct JournalHeader {
    int version = JournalVersion;
    QByteArray sourceRoot;
    QByteArray targetRoot;
    QString started; // ISO 8601, UTC
};

struct JournalIntent {
    qint64 number = 0;
    ImageAction action = ImageAction::Copy;
    bool identical = false;
    QByteArray source;
    QByteArray target;
    std::optional<platform::FileStamp> sourceFile;
    std::optional<platform::FileStamp> existing;
};

struct JournalDone {
    qint64 number = 0;
    platform::FileStamp placed;
    QByteArray target; // empty: the intent's
};

struct JournalFailed {
    qint64 number = 0;
    QString reason;
};

using JournalLine = std::variant<JournalHeader, JournalIntent, JournalDone, JournalFailed>;

// Each ends in "\n".
QByteArray journalLine(const JournalLine &line);
// Nothing for a line that is none of the kinds above, or lacks a field.
std::optional<JournalLine> parseJournalLine(const QByteArray &text);

// The name of an operation in a journal line or a summary: copy, move,
// dummy, identical; folder for a folder a structure image makes.
QString operationName(ImageAction action, bool identical = false);

// Puts a host path under key the way a journal line does (see above).
void putHostPath(QJsonObject &object, const QString &key, const QByteArray &bytes);

} // namespace quorvane
