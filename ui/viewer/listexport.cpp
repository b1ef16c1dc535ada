#include "ui/viewer/listexport.h"

#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/namefold.h"
#include "platform/services.h"

namespace quorvane {

QString ExportText;

namespace {

using platform::FileSystem;

// True when an ordinary file (not hidden, not system, not a folder) carries
// exactly the name of path. The listing reads "?" and "*" as wildcards, so
// its matches are compared with the name itself: here such characters are
// plain parts of a name.
platform::Result<bool> ordinaryFileExists(FileSystem &fs, const QString &path)
{
    const QString wanted = GetFileName(path);
    platform::Result<QString> entry = fs.dirFirst(path, platform::MaskNormal);
    while (entry.ok() && !entry.value().isEmpty()) {
        if (platform::sameName(entry.value(), wanted))
            return platform::Result<bool>::success(true);
        entry = fs.dirNext();
    }
    if (!entry.ok())
        return platform::Result<bool>::failure(entry.status());
    return platform::Result<bool>::success(false);
}

// A hidden or system file, or a folder, under the target name is not
// replaced behind the user's back: it was not asked about.
bool occupiedByOther(FileSystem &fs, const QString &path)
{
    const platform::Result<std::uint32_t> attributes = fs.attributes(path);
    if (!attributes.ok())
        return false;
    return (attributes.value() & (platform::AttrHidden | platform::AttrSystem | platform::AttrDirectory)) != 0;
}

bool writeFailed(const platform::Status &why)
{
    platform::logFailure(why, QStringLiteral("Liste speichern"));
    ShowMessage(QStringLiteral("Fehler beim Schreiben der Datei. "), 2);
    return false;
}

} // namespace

bool WriteTextFile(const QString &path, const QString &text)
{
    FileSystem &fs = platform::fileSystem();

    const platform::Result<bool> exists = ordinaryFileExists(fs, path);
    if (!exists.ok())
        return writeFailed(exists.status());
    if (exists.value()) {
        const QString prompt =
            QStringLiteral("Vorhandene Datei '") + GetFileName(path) + QStringLiteral("' überschreiben ?");
        const int answer =
            platform::toolkit().messageBox(prompt, platform::StyleQuestion + platform::StyleYesNo, AppTitle);
        if (answer == platform::AnswerNo)
            return false;
    } else if (occupiedByOther(fs, path)) {
        return writeFailed(platform::failureFor(platform::ErrPathFileAccess, path,
                                                QStringLiteral("versteckt, System oder Verzeichnis")));
    }

    const int number = fs.freeFile();
    if (const platform::Status opened = fs.openForOutput(number, path); !opened.ok())
        return writeFailed(opened);
    if (const platform::Status printed = fs.printLine(number, text); !printed.ok()) {
        // Closing after a failed line must not put the partial file in place;
        // the file system discards it, and its own report adds nothing here.
        (void)fs.closeFile(number);
        return writeFailed(printed);
    }
    if (const platform::Status closed = fs.closeFile(number); !closed.ok())
        return writeFailed(closed);
    return true;
}

} // namespace quorvane
