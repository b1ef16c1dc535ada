#pragma once

#include "engine/skippedfile.h"
#include "platform/filecompare.h"
#include "platform/result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace quorvane {

// One completed placement as a journal line holds it. Paths are the host's
// bytes. A line is one JSON object:
//   {"operation":"move","source":"/a/b.jpg","target":"/t/b.jpg","size":12,"mtime_ns":1700000000123456789}
// "operation" is copy, move, dummy, or identical (a source removed by a move
// because the target held its bytes already under "target"). A path whose
// bytes are UTF-8 is written as that text alone; otherwise "source" and
// "target" show it with U+FFFD in place of the foreign bytes, and
// "source_base64" / "target_base64" carry the exact bytes (RFC 4648 base64).
// size and mtime_ns describe the target right after the placement.
struct JournalEntry {
    ImageAction action = ImageAction::Copy;
    bool identical = false; // the source was removed, its bytes kept in target
    QByteArray source;
    QByteArray target;
    qint64 size = -1;
    qint64 modifiedNs = 0;
};

QByteArray journalLine(const JournalEntry &entry); // ends in "\n"

// The name of an operation in a journal line or a summary: copy, move,
// dummy, identical; folder for a folder a structure image makes.
QString operationName(ImageAction action, bool identical = false);

// Puts a host path under key the way a journal line does (see above).
void putHostPath(QJsonObject &object, const QString &key, const QByteArray &bytes);
std::optional<JournalEntry> parseJournalLine(const QByteArray &line);

// The journal of one run: created at the first placement it records, never
// over an existing file, appended line by line and synced every few hundred
// lines and at the end.
class RunJournal {
public:
    // file: a drive path. A state-folder journal is named when it is opened.
    void writeTo(const QString &file) { m_file = file; }
    void inStateFolder() { m_stateFolder = true; }
    // The caller named the file: the journal was asked for, not kept by habit.
    bool named() const { return !m_stateFolder; }
    bool wanted() const { return !m_file.isEmpty() || m_stateFolder; }

    // Creates the file; for the state folder, a new one beside the last few.
    platform::Status open();
    // source and target are host paths; placed is the target as it stands now.
    platform::Status record(ImageAction action, bool identical, const QByteArray &source, const QByteArray &target,
                            const platform::FileStamp &placed);
    // The journal file itself, so that the run never places anything onto it.
    platform::Result<platform::FileStamp> stamp() const { return m_out.stamp(); }
    platform::Status finish();
    const QString &file() const { return m_file; }
    bool isOpen() const { return m_out.isOpen(); }

private:
    platform::Status openInStateFolder();

    QString m_file;
    bool m_stateFolder = false;
    platform::AppendFile m_out;
    int m_unsynced = 0;
};

// The state folder's journals, as drive paths, oldest first; the folder
// itself as a drive path through folder.
QStringList stateJournals(QString *folder = nullptr);

} // namespace quorvane
