#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvane::testsupport {

// What became of a command that a test ran under a mechanism of the machine
// (a private mount namespace, another user, fault injection).
struct ChildRun {
    // Why the mechanism or the setup step failed; the command did not run
    // then, and the test skips with this reason. Empty when it ran.
    QString cannotSetUp;
    int exitCode = -1; // -1: the command crashed or did not end in time
    QByteArray output; // the command's standard output
    QByteArray errors; // the command's standard error
};

// The mechanism for faults made with mounts: a mount namespace of the
// child's own, so every mount vanishes with it.
QStringList privateMounts();

// The environment for a child under a tracer such as strace: a leak checker
// built into the child stops the world with ptrace, which the tracer already
// holds, and would kill the child at its end instead.
QProcessEnvironment forTracedChild(QProcessEnvironment environment);

// A command started under mechanism (a command prefix such as
// privateMounts(), setpriv or strace with their options; none runs it as it
// is) and left running, for a test that acts on it meanwhile. The shell step
// setup runs first under the same mechanism, with setupArgs as $1, $2, ...;
// its output goes to standard error. A mechanism that cannot start or a
// setup step that fails is told apart from the command's own failure.
class ChildUnder {
public:
    ChildUnder(const QStringList &mechanism, const QString &setup, const QStringList &setupArgs, const QString &program,
               const QStringList &args,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // Waits for its end, kills it after timeoutMs.
    ChildRun finish(int timeoutMs = 60000);

private:
    QStringList m_mechanism;
    QProcess m_process;
};

// Runs a command as ChildUnder does and waits for its end.
ChildRun runUnder(const QStringList &mechanism, const QString &setup, const QStringList &setupArgs,
                  const QString &program, const QStringList &args,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                  int timeoutMs = 60000);

} // namespace quorvane::testsupport
