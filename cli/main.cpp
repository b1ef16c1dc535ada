#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/listoutput.h"
#include "cli/report.h"

#include "engine/imagingrun.h"
#include "engine/pathcreation.h"
#include "engine/scanner.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/services.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

using namespace quorvane;

namespace {

constexpr int ExitDone = 0;
constexpr int ExitSkipped = 1;
constexpr int ExitBadArguments = 2;

void say(const QString &line)
{
    cli::writeText(stderr, QStringLiteral("quorvane-cli: ") + line + QLatin1Char('\n'));
    std::fflush(stderr);
}

int badArguments(const QString &why)
{
    say(why);
    say(QStringLiteral("--help zeigt alle Optionen."));
    return ExitBadArguments;
}

bool isDrivePath(const QString &path)
{
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter()
        && path.at(0).unicode() < 128;
}

// A drive path ("C:\home\anna") is taken as it is; anything else is a path
// of this computer, relative ones against the working folder, whose names
// may hold a "\" like any other character.
bool toDrivePath(const QString &given, QString &drivePath)
{
    platform::FileSystem &fs = platform::fileSystem();
    if (isDrivePath(given)) {
        drivePath = fs.absolutePath(given);
        return true;
    }
    const platform::Result<QString> mapped = fs.drivePath(platform::decodeName(platform::encodeText(given)));
    drivePath = mapped.value;
    return mapped.ok();
}

enum class Kind { Missing, Directory, Other };

// A folder named through a link counts as that folder: the run enters it.
Kind kindOf(const QString &drivePath)
{
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<std::uint32_t> attrs = fs.attributes(drivePath);
    if (!attrs.ok())
        return Kind::Missing;
    if ((attrs.value & platform::AttrDirectory) || fs.readDirectory(drivePath).ok())
        return Kind::Directory;
    return Kind::Other;
}

cli::ListOutput::Form listForm(const cli::Arguments &args)
{
    if (!args.outputFile.isEmpty())
        return cli::ListOutput::Form::ListFile;
    return args.nullEnded ? cli::ListOutput::Form::NullEnded : cli::ListOutput::Form::Lines;
}

QString listFileFailure(const QString &name, const platform::Status &why)
{
    return QStringLiteral("Die Liste %1 konnte nicht geschrieben werden: %2").arg(name, platform::reasonOf(why));
}

// Every file or folder the run left out, each on a line of its own.
void sayEachSkipped(const RunSummary &summary)
{
    for (const SkippedFile &skipped : summary.skippedFiles)
        say(cli::skippedLine(skipped));
}

// Names every folder the scan could not read; true when there was one, so
// the run does not count as done.
bool reportUnreadable()
{
    platform::FileSystem &fs = platform::fileSystem();
    for (const UnreadableFolder &folder : unreadableFolders()) {
        const platform::Result<QString> host = fs.hostPath(folder.path);
        say(QStringLiteral("nicht lesbar: %1: %2").arg(host.ok() ? host.value : folder.path, folder.reason));
    }
    return !unreadableFolders().empty();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Taken byte for byte, so that a name that is not UTF-8 still reaches its file.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(platform::decodeText(QByteArray(argv[i])));

    const cli::Arguments args = cli::parseArguments(arguments);
    if (args.command == cli::Command::Help) {
        cli::writeText(stdout, cli::usageText());
        return ExitDone;
    }
    if (args.command == cli::Command::None)
        return badArguments(args.error);
    const bool listing = args.command == cli::Command::List;

    JobOptions options = args.options;
    if (!toDrivePath(args.source, options.SourceDir))
        return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.source));
    if (kindOf(options.SourceDir) != Kind::Directory)
        return badArguments(QStringLiteral("Das Quell-Verzeichnis %1 gibt es nicht.").arg(args.source));

    QString listFile;
    if (listing && !args.outputFile.isEmpty()
        && !toDrivePath(args.outputFile, listFile))
        return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.outputFile));
    if (!listing) {
        if (!toDrivePath(args.target, options.TargetDir))
            return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.target));
        const Kind target = kindOf(options.TargetDir);
        if (target == Kind::Other)
            return badArguments(QStringLiteral("Das Ziel %1 ist kein Verzeichnis.").arg(args.target));
        // A job without file types ends at the run's first message; it must
        // not leave a new target folder behind.
        BuildPatternList(options);
        if (target == Kind::Missing && FilePatterns != NoTypesMark) {
            QString create = options.TargetDir;
            if (!CreatePath(create))
                say(QStringLiteral("Das Ziel-Verzeichnis %1 lässt sich nicht anlegen.").arg(args.target));
        }
    }

    cli::ProgressToolkit toolkit(platform::toolkit(), ::isatty(STDERR_FILENO) == 1);
    platform::ScopedPlatform scoped(nullptr, &toolkit);
    cli::ListOutput view(toolkit, listForm(args));
    // A name that cannot take the list is refused before anything is scanned.
    if (!listFile.isEmpty()) {
        const platform::Status opened = view.openListFile(listFile);
        if (!opened.ok()) {
            say(listFileFailure(args.outputFile, opened));
            return ExitSkipped;
        }
    }

    const RunSummary summary = RunJob([&options] { return options; }, listing ? &view : nullptr);
    toolkit.clearLine();
    if (!summary.ran)
        return ExitBadArguments; // no file type: the run has said so
    const bool unreadable = reportUnreadable();

    if (listing) {
        int code = unreadable ? ExitSkipped : ExitDone;
        const platform::Status written = view.finish();
        if (!written.ok()) {
            say(listFile.isEmpty() ? QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: %1").arg(platform::reasonOf(written))
                                   : listFileFailure(args.outputFile, written));
            code = ExitSkipped;
        }
        say(QStringLiteral("gefunden %1").arg(summary.found));
        return code;
    }

    sayEachSkipped(summary);
    if (options.StructureOnly) {
        say(QStringLiteral("Verzeichnisse angelegt oder vorhanden %1, fehlgeschlagen %2")
                .arg(summary.dirsMirrored).arg(summary.dirsFailed));
        return summary.dirsFailed > 0 || unreadable ? ExitSkipped : ExitDone;
    }
    QString line = QStringLiteral("gefunden %1, abgebildet %2, übersprungen %3")
                       .arg(summary.found).arg(summary.imaged).arg(summary.skipped);
    if (summary.leftOut > 0)
        line += QStringLiteral(", im Ziel liegend und ausgelassen %1").arg(summary.leftOut);
    say(line);
    return summary.skipped > 0 || unreadable ? ExitSkipped : ExitDone;
}
