#pragma once

#include "cli/console.h"
#include "engine/run/listingview.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

namespace quorvane::cli {

// Where the listing's file pane goes, one entry at a time as the entries
// come: lines on standard output, host paths ended by NUL bytes on standard
// output (for xargs -0), or a list file as the viewer would save the pane.
// The directory pane is not shown.
class ListOutput : public ListingView {
public:
    enum class Form { Lines, NullEnded, ListFile };

    ListOutput(ProgressToolkit &toolkit, StandardOutput &out, Form form);
    ~ListOutput() override;

    // Opens the list file before anything is scanned, so that a name that
    // cannot take a list (a device, a folder, no access) is refused up front
    // with nothing written. The file appears, complete, at finish().
    platform::Status openListFile(const QString &drivePath);
    // Puts the list file in place; the first failure of the whole list. A
    // listing on standard output counts where standard output is closed.
    platform::Status finish();

    void showViewer() override {}
    void clearPanes() override {}
    void appendToFilePane(const QStringList &entries) override;
    void appendToDirPane(const QStringList &) override {}

private:
    QByteArray hostBytesOf(const QString &drivePath);

    ProgressToolkit &m_toolkit;
    StandardOutput &m_out;
    Form m_form;
    int m_fileNumber = 0;
    platform::Status m_failure = platform::Status::success(); // of the list file
    QString m_lastFolder; // drive path of the last entry's folder
    QByteArray m_lastFolderHost;
};

// A name as one line of text: a CR or LF inside it would end the line
// early, so each becomes "?", as characters outside the code page already do.
QString oneLine(QString text);

} // namespace quorvane::cli
