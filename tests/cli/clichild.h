#pragma once

#include "support/childrun.h"
#include "support/hostfiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::testsupport {

// What quorvane-cli is started with: C: is /.
inline QProcessEnvironment cliEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVANE_DRIVES"), QString());
    return environment;
}

// quorvane-cli run to its end, under mechanism where one is given.
inline ChildRun runCli(const QStringList &arguments, const QStringList &mechanism = {})
{
    return runUnder(mechanism, {}, {}, QStringLiteral(QUORVANE_CLI), arguments, cliEnvironment());
}

inline bool haveStrace()
{
    return !QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty();
}

// The mechanism that injects faults or delays into system calls.
inline QStringList traced(const QStringList &injections)
{
    return QStringList{"strace", "-f", "-o", "/dev/null"} + injections;
}

// Another file system beside the temporary folder, for moves that must copy.
inline QString otherFileSystem()
{
    struct stat shm {};
    struct stat tmp {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(QDir::tempPath()).constData(), &tmp) != 0
        || shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        return {};
    return QStringLiteral("/dev/shm");
}

// quorvane-cli as a child under a mechanism, left running; it writes its
// process id first, so that the test can look into it and signal it.
class Child {
public:
    Child(const QString &pidFile, const QStringList &mechanism, const QStringList &arguments,
          const QProcessEnvironment &environment = cliEnvironment())
        : m_pidFile(pidFile),
          m_run(mechanism, QStringLiteral("echo $$ > \"$1\""), {pidFile}, QStringLiteral(QUORVANE_CLI), arguments,
                environment)
    {
    }

    pid_t pid()
    {
        for (int i = 0; i < 500 && m_pid <= 0; ++i) {
            m_pid = readPid();
            if (m_pid <= 0)
                QThread::msleep(10);
        }
        return m_pid;
    }

    // Waits until the child holds an unnamed file with at least one byte in it:
    // a copy that has begun and not ended.
    bool copying(int timeoutMs = 20000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            const QString fds = QStringLiteral("/proc/%1/fd").arg(pid());
            for (const QString &fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
                const QString path = fds + QLatin1Char('/') + fd;
                struct stat st {};
                if (QFile::symLinkTarget(path).contains(QStringLiteral("/#"))
                    && ::stat(QFile::encodeName(path).constData(), &st) == 0 && st.st_size > 0)
                    return true;
            }
            QThread::msleep(10);
        }
        return false;
    }

    // Waits until one of the child's threads has stood in one of the system
    // calls numbers (as /proc shows them) for a while: held there by a
    // delay, not passing through, so that the moment is certain.
    bool inSyscall(const QList<int> &numbers, int timeoutMs = 20000)
    {
        constexpr int Step = 5;
        constexpr int Held = 50;
        int seen = 0;
        for (int waited = 0; waited < timeoutMs && seen < Held; waited += Step) {
            seen = standsIn(numbers) ? seen + Step : 0;
            QThread::msleep(Step);
        }
        return seen >= Held;
    }

    void kill(int signal = SIGKILL)
    {
        if (pid() > 0)
            ::kill(pid(), signal);
    }

    ChildRun finish()
    {
        ChildRun run = m_run.finish();
        // A kill may land before the start line: once the id is written, the
        // mechanism is known to work.
        if (m_pid > 0 || readPid() > 0)
            run.cannotSetUp.clear();
        return run;
    }

private:
    bool standsIn(const QList<int> &numbers)
    {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(pid());
        for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile call(tasks + QLatin1Char('/') + task + QStringLiteral("/syscall"));
            if (call.open(QIODevice::ReadOnly) && numbers.contains(call.readLine().split(' ').value(0).toInt(nullptr)))
                return true;
        }
        return false;
    }

    pid_t readPid() const
    {
        QFile f(m_pidFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    }

    QString m_pidFile;
    ChildUnder m_run;
    pid_t m_pid = 0;
};

} // namespace quorvane::testsupport
