// The command line of quorvane-cli. Whatever the arguments, the parser gives
// either a usable command or an error, never both; a usable command written
// out again as arguments parses to the same command.

#include "cli/arguments.h"
#include "fuzz/check.h"

#include <cstddef>
#include <cstdint>

using namespace quorvane;
using namespace quorvane::cli;

namespace {

// The arguments: the input split at NUL bytes, each read as UTF-8.
QStringList argumentsOf(const QByteArray &bytes)
{
    QStringList out;
    for (const QByteArray &part : bytes.split('\0'))
        out.append(QString::fromUtf8(part));
    if (bytes.isEmpty())
        out.clear();
    return out;
}

QStringList writtenOut(const Arguments &a)
{
    const JobOptions &o = a.options;
    QStringList out;
    QStringList types;
    const std::pair<int, const char *> groups[] = {{o.ExeGroup, "exe"},
                                                   {o.ImageGroup, "images"},
                                                   {o.SoundGroup, "sounds"},
                                                   {o.VideoGroup, "videos"},
                                                   {o.TextGroup, "docs"}};
    for (const auto &[state, name] : groups) {
        if (JobOptions::isSet(state))
            types.append(QLatin1String(name));
    }
    if (!types.isEmpty())
        out.append(QStringLiteral("--types=") + types.join(QLatin1Char(',')));
    if (JobOptions::isSet(o.UserGroup))
        out.append(QStringLiteral("--patterns=") + o.UserPatterns);
    if (JobOptions::isSet(o.AllTypes))
        out.append(QStringLiteral("--all"));
    if (JobOptions::isSet(o.TopLevelOnly))
        out.append(QStringLiteral("--top-level"));
    if (!a.outputFile.isEmpty())
        out.append(QStringLiteral("--output=") + a.outputFile);
    if (JobOptions::isSet(o.Recursive))
        out.append(QStringLiteral("--recursive"));
    if (JobOptions::isSet(o.NullByte))
        out.append(QStringLiteral("--null-byte"));
    if (JobOptions::isSet(o.DeleteSources))
        out.append(QStringLiteral("--move"));
    if (o.StructureOnly)
        out.append(QStringLiteral("--structure-only"));
    if (o.DryRun)
        out.append(QStringLiteral("--dry-run"));
    if (o.SkipIdentical)
        out.append(QStringLiteral("--skip-identical"));
    if (!a.journalFile.isEmpty())
        out.append(QStringLiteral("--journal=") + a.journalFile);
    if (a.json)
        out.append(QStringLiteral("--json"));
    out.append(a.command == Command::List ? QStringLiteral("list") : QStringLiteral("image"));
    out.append(QStringLiteral("--"));
    out.append(a.source);
    if (a.command == Command::Image)
        out.append(a.target);
    return out;
}

bool sameOptions(const JobOptions &x, const JobOptions &y)
{
    return x.ExeGroup == y.ExeGroup && x.ImageGroup == y.ImageGroup && x.SoundGroup == y.SoundGroup
        && x.VideoGroup == y.VideoGroup && x.TextGroup == y.TextGroup && x.UserGroup == y.UserGroup
        && x.AllTypes == y.AllTypes && x.UserPatterns == y.UserPatterns && x.TextListing == y.TextListing
        && x.Recursive == y.Recursive && x.NullByte == y.NullByte && x.DeleteSources == y.DeleteSources
        && x.TopLevelOnly == y.TopLevelOnly && x.StructureOnly == y.StructureOnly && x.DryRun == y.DryRun
        && x.SkipIdentical == y.SkipIdentical;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList arguments = argumentsOf(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const Arguments a = parseArguments(arguments);
    FUZZ_CHECK((a.command == Command::None) == !a.error.isEmpty());
    if (a.command != Command::List && a.command != Command::Image)
        return 0;

    const JobOptions &o = a.options;
    FUZZ_CHECK(!(JobOptions::isSet(o.NullByte) && JobOptions::isSet(o.DeleteSources)));
    if (a.command == Command::List) {
        FUZZ_CHECK(o.TextListing);
        FUZZ_CHECK(a.target.isEmpty());
        FUZZ_CHECK(!JobOptions::isSet(o.Recursive) && !JobOptions::isSet(o.NullByte)
                   && !JobOptions::isSet(o.DeleteSources) && !o.StructureOnly);
    } else {
        FUZZ_CHECK(!o.TextListing);
        FUZZ_CHECK(a.outputFile.isEmpty());
    }

    const Arguments again = parseArguments(writtenOut(a));
    if (again.command != a.command || !again.error.isEmpty()) {
        for (const QString &arg : writtenOut(a))
            fuzz::show("argument", arg);
        fuzz::show("error", again.error);
    }
    FUZZ_CHECK(again.command == a.command);
    FUZZ_CHECK(again.source == a.source && again.target == a.target && again.outputFile == a.outputFile
               && again.journalFile == a.journalFile && again.json == a.json);
    FUZZ_CHECK(sameOptions(again.options, a.options));
    return 0;
}
