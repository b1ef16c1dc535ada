#pragma once

#include "engine/journal/journallines.h"
#include "platform/filecompare.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

namespace quorvane {

// The journal of one run (see journallines.h): created before the first
// placement it records, never over an existing file, its header first. Each
// line goes to the kernel (write) before the step it tells of, so that a
// process killed at any moment leaves the journal naming everything it
// began; the lines reach the disk every few hundred lines and at the end.
class RunJournal {
public:
    // file: a drive path. A state-folder journal is named when it is opened.
    void writeTo(const QString &file) { m_file = file; }
    void inStateFolder() { m_stateFolder = true; }
    // The caller named the file: the journal was asked for, not kept by habit.
    bool named() const { return !m_stateFolder; }
    bool wanted() const { return !m_file.isEmpty() || m_stateFolder; }
    // The run's roots as host paths, and its start, for the header.
    void describeRun(const QByteArray &sourceRoot, const QByteArray &targetRoot);

    // Creates the file with its header; for the state folder, a new one
    // beside the last few.
    platform::Status open();
    // The line before a placement; number receives the intent's number.
    platform::Status intend(JournalIntent intent, qint64 &number);
    // The line after it: placed is the file under its name (host path) now.
    platform::Status done(qint64 intent, const QByteArray &placedHost, const platform::FileStamp &placed);
    // The line after a placement that changed nothing.
    platform::Status failed(qint64 intent, const QString &reason);
    // The journal file itself, so that the run never places anything onto it.
    platform::Result<platform::FileStamp> stamp() const { return m_out.stamp(); }
    platform::Status finish();
    const QString &file() const { return m_file; }
    bool isOpen() const { return m_out.isOpen(); }

private:
    platform::Status openInStateFolder();
    platform::Status write(const JournalLine &line);

    QString m_file;
    bool m_stateFolder = false;
    JournalHeader m_header;
    platform::AppendFile m_out;
    int m_unsynced = 0;
    qint64 m_intents = 0;
    QByteArray m_intendedTarget; // of the latest intent
};

// The state folder's journals, as drive paths, oldest first; the folder
// itself as a drive path through folder.
QStringList stateJournals(QString *folder = nullptr);

} // namespace quorvane
