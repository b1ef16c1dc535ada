#include "support/childrun.h"

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
                       options.isEmpty() ? QStringLiteral("detect_leaks=0")
                                         : options + QStringLiteral(":detect_leaks=0"));
    return environment;
}

ChildUnder::ChildUnder(const QStringList &mechanism, const QString &setup, const QStringList &setupArgs,
                       const QString &program, const QStringList &args, const QProcessEnvironment &environment)
    : m_mechanism(mechanism)
{
    const QString script = QStringLiteral("{ %1\n} >&2 || exit 1; shift %2; printf '%s\\n' '%3' >&2; exec \"$@\"")
                               .arg(setup.isEmpty() ? QStringLiteral(":") : setup, QString::number(setupArgs.size()),
                                    QLatin1String(StartedLine));
    QStringList command = mechanism;
    command << QStringLiteral("sh") << QStringLiteral("-c") << script << QStringLiteral("sh");
    command << setupArgs << program << args;
    m_process.setProcessEnvironment(mechanism.value(0) == QLatin1String("strace") ? forTracedChild(environment)
                                                                                  : environment);
    m_process.start(command.first(), command.mid(1));
}

ChildRun ChildUnder::finish(int timeoutMs)
{
    ChildRun run;
    if (!m_process.waitForStarted(10000)) {
        run.cannotSetUp = m_process.program() + QStringLiteral(" is not available here");
        return run;
    }
    const bool ended = m_process.waitForFinished(timeoutMs);
    if (!ended) {
        m_process.kill();
        m_process.waitForFinished();
    }
    run.output = m_process.readAllStandardOutput();
    const QByteArray errors = m_process.readAllStandardError();
    const QByteArray marker = QByteArray(StartedLine) + '\n';
    const qsizetype started = errors.indexOf(marker);
    if (started < 0) {
        const QString said = QString::fromLocal8Bit(errors).trimmed();
        run.cannotSetUp = QStringLiteral("%1 could not set up: %2")
                              .arg(m_mechanism.isEmpty() ? QStringLiteral("sh") : m_mechanism.join(QLatin1Char(' ')),
                                   said.isEmpty() ? QStringLiteral("(no message)") : said);
        return run;
    }
    run.errors = errors.mid(started + marker.size());
    if (ended && m_process.exitStatus() == QProcess::NormalExit)
        run.exitCode = m_process.exitCode();
    return run;
}

ChildRun runUnder(const QStringList &mechanism, const QString &setup, const QStringList &setupArgs,
                  const QString &program, const QStringList &args, const QProcessEnvironment &environment,
                  int timeoutMs)
{
    return ChildUnder(mechanism, setup, setupArgs, program, args, environment).finish(timeoutMs);
}

} // namespace quorvane::testsupport
