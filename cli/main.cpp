#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/listoutput.h"
#include "cli/report.h"

#include "engine/run/imagingrun.h"
#include "engine/journal/journalundo.h"
#include "engine/placement/pathcreation.h"
#include "engine/journal/runjournal.h"
#include "engine/run/run.h"
#include "paths/pathhelpers.h"
#include "platform/drivepath.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/processtuning.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <optional>
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

// A drive path ("C:\home\anna") is taken as it is; anything else is a path
// of this computer, relative ones against the working folder, whose names
// may hold a "\" like any other character.
bool toDrivePath(const QString &given, QString &drivePath)
{
    platform::FileSystem &fs = platform::fileSystem();
    if (!platform::driveLetterOf(given).isNull()) {
        drivePath = fs.absolutePath(given);
        return true;
    }
    const platform::Result<QString> mapped = fs.drivePath(platform::decodeName(platform::encodeText(given)));
    if (!mapped.ok())
        return false;
    drivePath = mapped.value();
    return true;
}

enum class Kind { Missing, Directory, Other };

// A folder named through a link counts as that folder: the run enters it.
Kind kindOf(const QString &drivePath)
{
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<std::uint32_t> attrs = fs.attributes(drivePath);
    if (!attrs.ok())
        return Kind::Missing;
    if ((attrs.value() & platform::AttrDirectory) || fs.readDirectory(drivePath).ok())
        return Kind::Directory;
    return Kind::Other;
}

cli::ListOutput::Form listForm(const cli::Arguments &args)
{
    if (!args.outputFile.isEmpty())
        return cli::ListOutput::Form::ListFile;
    return args.nullEnded ? cli::ListOutput::Form::NullEnded : cli::ListOutput::Form::Lines;
}

QString outputFailure(const platform::Status &why)
{
    return QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: %1").arg(platform::reasonOf(why));
}

QString listFileFailure(const QString &name, const platform::Status &why)
{
    return QStringLiteral("Die Liste %1 konnte nicht geschrieben werden: %2").arg(name, platform::reasonOf(why));
}

// Names every folder the scan could not read; true when there was one, so
// the run does not count as done.
bool reportUnreadable(const RunSummary &summary, bool quiet)
{
    for (const UnreadableFolder &folder : summary.unreadableFolders) {
        if (!quiet)
            say(QStringLiteral("nicht lesbar: %1: %2").arg(cli::hostForm(folder.path), folder.reason));
    }
    return !summary.unreadableFolders.empty();
}

// The job with its paths as drive paths, checked before anything is read.
struct Job {
    JobOptions options;
    QString listFile; // drive path of list -o
};

// Fills the job's paths; an exit code when the command cannot run.
std::optional<int> prepareJob(const cli::Arguments &args, Job &job)
{
    JobOptions &options = job.options;
    options = args.options;
    if (!toDrivePath(args.source, options.SourceDir))
        return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.source));
    if (kindOf(options.SourceDir) != Kind::Directory)
        return badArguments(QStringLiteral("Das Quell-Verzeichnis %1 gibt es nicht.").arg(args.source));
    if (args.command == cli::Command::List) {
        if (!args.outputFile.isEmpty() && !toDrivePath(args.outputFile, job.listFile))
            return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.outputFile));
        return std::nullopt;
    }
    if (!toDrivePath(args.target, options.TargetDir))
        return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.target));
    const Kind target = kindOf(options.TargetDir);
    if (target == Kind::Other)
        return badArguments(QStringLiteral("Das Ziel %1 ist kein Verzeichnis.").arg(args.target));
    if (!args.journalFile.isEmpty()) {
        if (!toDrivePath(args.journalFile, options.JournalFile))
            return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.journalFile));
        if (kindOf(options.JournalFile) != Kind::Missing)
            return badArguments(
                QStringLiteral("Das Protokoll %1 gibt es schon; es wird nie ersetzt.").arg(args.journalFile));
    }
    // A job without file types ends at the run's first message; it must
    // not leave a new target folder behind, nor must a plan.
    if (target == Kind::Missing && BuildPatternList(options) != NoTypesMark && !options.DryRun) {
        QString create = options.TargetDir;
        if (!CreatePath(create))
            say(QStringLiteral("Das Ziel-Verzeichnis %1 lässt sich nicht anlegen.").arg(args.target));
    }
    return std::nullopt;
}

// A run or an undo that a signal stopped ends the way a shell reports a
// process ended by that signal: 128 + its number.
int endCode(int code)
{
    const int signal = platform::stopSignal();
    return signal != 0 ? 128 + signal : code;
}

void reportStop(const cli::Arguments &args, const RunSummary &summary)
{
    if (summary.stopSignal != 0 && !args.json)
        say(cli::stopLine(summary.stopSignal, summary.stoppedIn));
}

int reportList(const cli::Arguments &args, const Job &job, const RunSummary &summary, cli::ListOutput &view,
               cli::StandardOutput &out)
{
    int code = reportUnreadable(summary, args.json) ? ExitSkipped : ExitDone;
    // A list a signal may have cut short is not put in place: the output's
    // destructor drops it.
    const bool dropped = summary.stopSignal != 0 && !job.listFile.isEmpty();
    const platform::Status written = dropped ? platform::Status::success() : view.finish();
    if (dropped)
        say(QStringLiteral("Die Liste %1 wurde nicht angelegt.").arg(args.outputFile));
    if (!written.ok()) {
        say(listFileFailure(args.outputFile, written));
        code = ExitSkipped;
    }
    if (args.json)
        out.write(cli::summaryJson(summary, job.options));
    else
        say(QStringLiteral("gefunden %1").arg(summary.found));
    reportStop(args, summary);
    return code;
}

int reportImage(const cli::Arguments &args, const JobOptions &options, const RunSummary &summary,
                cli::StandardOutput &out)
{
    const bool unreadable = reportUnreadable(summary, args.json);
    // A refusal before the first write has been said as a message already.
    bool failed = unreadable || summary.skipped > 0 || !summary.preflight.refusal.isEmpty();
    if (!summary.journalFailure.ok()) {
        say(QStringLiteral("Das Protokoll %1 konnte nicht geschrieben werden: %2")
                .arg(cli::hostForm(summary.journal), platform::reasonOf(summary.journalFailure)));
        failed = true;
    }
    if (args.json) {
        out.write(cli::summaryJson(summary, options));
    } else {
        for (const PlannedFile &planned : summary.planned)
            out.write(cli::plannedLine(planned) + QLatin1Char('\n'));
        // The plan comes before what follows it on standard error, also in one stream.
        out.flush();
        if (!summary.preflight.volume.isEmpty() && (options.DryRun || !summary.preflight.refusal.isEmpty()))
            say(cli::roomLine(summary.preflight));
        for (const RenamedFile &renamed : summary.renamed)
            say(cli::renamedLine(renamed));
        for (const SkippedFile &skipped : summary.skippedFiles)
            say(cli::skippedLine(skipped));
    }
    if (options.StructureOnly) {
        if (!args.json)
            say(QStringLiteral("Verzeichnisse angelegt oder vorhanden %1, fehlgeschlagen %2%3")
                    .arg(summary.dirsMirrored)
                    .arg(summary.dirsFailed)
                    .arg(cli::notReachedNote(summary.stopSignal, summary.notReached)));
        reportStop(args, summary);
        return summary.dirsFailed > 0 || unreadable || !summary.preflight.refusal.isEmpty() ? ExitSkipped : ExitDone;
    }
    if (!args.json)
        say(cli::totalsLine(summary, options));
    reportStop(args, summary);
    return failed ? ExitSkipped : ExitDone;
}

int runScan(const cli::Arguments &args, cli::StandardOutput &out)
{
    Job job;
    if (const std::optional<int> refused = prepareJob(args, job))
        return *refused;
    const bool listing = args.command == cli::Command::List;

    cli::ProgressToolkit toolkit(platform::toolkit(), ::isatty(STDERR_FILENO) == 1);
    platform::ScopedPlatform scoped(nullptr, &toolkit);
    cli::ListOutput view(toolkit, out, listForm(args));
    // A name that cannot take the list is refused before anything is scanned.
    if (!job.listFile.isEmpty()) {
        const platform::Status opened = view.openListFile(job.listFile);
        if (!opened.ok()) {
            say(listFileFailure(args.outputFile, opened));
            return ExitSkipped;
        }
    }

    const JobOptions options = job.options;
    Run run;
    run.onProgress = [&toolkit](const RunProgress &progress) { toolkit.showProgress(progress); };
    RunSummary summary = run.RunJob(options, listing ? &view : nullptr);
    toolkit.clearLine();
    // Also one that came after the run's last look: the exit code tells of it.
    summary.stopSignal = platform::stopSignal();
    if (!summary.ran)
        return ExitBadArguments; // no file type: the run has said so
    return listing ? reportList(args, job, summary, view, out) : reportImage(args, options, summary, out);
}

int runUndo(const cli::Arguments &args)
{
    QString journal;
    if (args.undoLast) {
        QString folder;
        const QStringList journals = stateJournals(&folder);
        if (journals.isEmpty()) {
            say(QStringLiteral("In %1 liegt kein Protokoll eines Laufs.").arg(cli::hostForm(folder)));
            return ExitBadArguments;
        }
        journal = journals.last();
    } else if (!toDrivePath(args.undoFile, journal)) {
        return badArguments(QStringLiteral("Kein Laufwerk enthält %1.").arg(args.undoFile));
    }
    say(QStringLiteral("Protokoll: %1").arg(cli::hostForm(journal)));
    const UndoSummary summary = undoJournal(journal);
    for (const UndoFailure &failure : summary.failures)
        say(cli::undoFailureLine(failure));
    const int stopped = platform::stopSignal();
    say(QStringLiteral("rückgängig gemacht %1, nicht rückgängig %2%3")
            .arg(summary.undone)
            .arg(summary.failures.size())
            .arg(cli::notReachedNote(stopped, summary.notReached)));
    if (stopped != 0)
        say(cli::stopLine(stopped, RunStage::Idle)
            + (summary.notReached > 0 ? QStringLiteral("; undo mit demselben Protokoll macht den Rest rückgängig")
                                      : QString()));
    return summary.failures.isEmpty() ? ExitDone : ExitSkipped;
}

// Taken byte for byte, so that a name that is not UTF-8 still reaches its file.
QStringList commandLine(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(platform::decodeText(QByteArray(argv[i])));
    return arguments;
}

int runCommand(const cli::Arguments &args, cli::StandardOutput &out)
{
    switch (args.command) {
    case cli::Command::Help:
        out.write(cli::usageText());
        return ExitDone;
    case cli::Command::Version:
        out.write(cli::versionText());
        return ExitDone;
    case cli::Command::None:
        return badArguments(args.error);
    case cli::Command::Undo:
    case cli::Command::List:
    case cli::Command::Image:
        break;
    }
    // From here on a signal stops the work between two files, not inside one.
    platform::installStopSignals("quorvane-cli");
    return endCode(args.command == cli::Command::Undo ? runUndo(args) : runScan(args, out));
}

} // namespace

// SIGPIPE keeps its default: behind "| head" the program ends quietly the
// moment the reader has gone, as find and ls do, and a listing stops its
// scan there. Whoever starts it with SIGPIPE ignored asks for EPIPE instead,
// and gets it as a failed output.
int main(int argc, char **argv)
{
    platform::keepFreedMemory();
    cli::holdClosedStandardStreams();
    QCoreApplication app(argc, argv);
    cli::StandardOutput out;
    int code = runCommand(cli::parseArguments(commandLine(argc, argv)), out);
    const platform::Status written = out.close();
    if (!written.ok()) {
        say(outputFailure(written));
        code = std::max(code, ExitSkipped);
    }
    return code;
}
