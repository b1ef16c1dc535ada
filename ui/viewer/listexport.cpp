#include "ui/viewer/listexport.h"

#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/namefold.h"
#include "platform/services.h"

#include <QElapsedTimer>

#include <functional>

namespace quorvane {

LineBuffer ExportText;

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

// Lines go out in pieces of about a megabyte, so that a list of a million
// names is never held a second time as one text.
constexpr qsizetype PieceUnits = qsizetype(1) << 19;

constexpr qint64 YieldMilliseconds = 50;

using Printer = std::function<platform::Status(FileSystem &fs, int number)>;

bool writeList(const QString &path, const Printer &print)
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
    if (const platform::Status printed = print(fs, number); !printed.ok()) {
        // Closing after a failed line must not put the partial file in place;
        // the file system discards it, and its own report adds nothing here.
        (void)fs.closeFile(number);
        return writeFailed(printed);
    }
    if (const platform::Status closed = fs.closeFile(number); !closed.ok())
        return writeFailed(closed);
    return true;
}

} // namespace

bool WriteTextFile(const QString &path, const QString &text)
{
    return writeList(path, [&text](FileSystem &fs, int number) { return fs.printLine(number, text); });
}

bool WriteTextFile(const QString &path, LineBuffer lines)
{
    // Each piece is printed with a line end after it, which is the line end
    // between it and the next piece, and after the last line the one a
    // saved list ends with.
    return writeList(path, [&lines](FileSystem &fs, int number) {
        QElapsedTimer sinceYield;
        sinceYield.start();
        QString piece;
        for (qsizetype i = 0; i < lines.lineCount(); ++i) {
            if (i > 0) {
                if (piece.size() >= PieceUnits) {
                    if (const platform::Status printed = fs.printLine(number, piece); !printed.ok())
                        return printed;
                    piece.resize(0);
                    if (sinceYield.elapsed() >= YieldMilliseconds) {
                        platform::toolkit().yield();
                        sinceYield.restart();
                    }
                } else {
                    piece += QLatin1String("\r\n");
                }
            }
            piece += lines.line(i);
        }
        return fs.printLine(number, piece);
    });
}

} // namespace quorvane
