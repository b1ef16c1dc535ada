#include "support/childrun.h"

#include <QProcess>

namespace quorvane::testsupport {

namespace {

// Written by the shell between the setup step and the command: once it is
// seen, whatever follows is the command's doing.
const char StartedLine[] = "--- command started ---";

} // namespace

QStringList privateMounts()
{
    return {QStringLiteral("unshare"), QStringLiteral("-m"), QStringLiteral("--propagation"),
            QStringLiteral("private")};
}

QProcessEnvironment forTracedChild(QProcessEnvironment environment)
{
    const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       options.isEmpty() ? QStringLiteral("detect_leaks=0") : options + QStringLiteral(":detect_leaks=0"));
    return environment;
}

ChildRun runUnder(const QStringList &mechanism, const QString &setup, const QStringList &setupArgs,
                  const QString &program, const QStringList &args, const QProcessEnvironment &environment,
                  int timeoutMs)
{
    ChildRun run;
    const QString script = QStringLiteral("{ %1\n} >&2 || exit 1; shift %2; printf '%s\\n' '%3' >&2; exec \"$@\"")
                               .arg(setup.isEmpty() ? QStringLiteral(":") : setup, QString::number(setupArgs.size()),
                                    QLatin1String(StartedLine));
    QStringList argv = mechanism.mid(1);
    argv << QStringLiteral("sh") << QStringLiteral("-c") << script << QStringLiteral("sh");
    argv << setupArgs << program << args;

    QProcess child;
    child.setProcessEnvironment(mechanism.value(0) == QLatin1String("strace") ? forTracedChild(environment)
                                                                             : environment);
    child.start(mechanism.value(0), argv);
    if (!child.waitForStarted(10000)) {
        run.cannotSetUp = mechanism.value(0) + QStringLiteral(" is not available here");
        return run;
    }
    const bool ended = child.waitForFinished(timeoutMs);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    run.output = child.readAllStandardOutput();
    const QByteArray errors = child.readAllStandardError();
    const QByteArray marker = QByteArray(StartedLine) + '\n';
    const qsizetype started = errors.indexOf(marker);
    if (started < 0) {
        const QString said = QString::fromLocal8Bit(errors).trimmed();
        run.cannotSetUp =
            QStringLiteral("%1 could not set up: %2")
                .arg(mechanism.join(QLatin1Char(' ')), said.isEmpty() ? QStringLiteral("(no message)") : said);
        return run;
    }
    run.errors = errors.mid(started + marker.size());
    if (ended && child.exitStatus() == QProcess::NormalExit)
        run.exitCode = child.exitCode();
    return run;
}

} // namespace quorvane::testsupport
