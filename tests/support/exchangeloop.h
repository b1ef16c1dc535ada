#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvane::testsupport {

// Swaps two names in one step, as another program can at any moment
// (renameat2 with RENAME_EXCHANGE): a folder and a link, say.
inline bool exchange(const QByteArray &a, const QByteArray &b)
{
    return ::syscall(SYS_renameat2, AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0;
}

// Another process that swaps two names as fast as it can until stopped, and
// leaves them as it found them. A process, not a thread: it races the
// program the way another program would, and the test process stays free
// to start children.
class ExchangeLoop {
public:
    ExchangeLoop(const QString &a, const QString &b)
    {
        m_process.start(QStringLiteral(QUORVANE_EXCHANGE_LOOP), {a, b});
        m_ready = m_process.waitForReadyRead(10000) && m_process.readLine().startsWith("swapping");
    }
    ~ExchangeLoop() { stop(); }
    ExchangeLoop(const ExchangeLoop &) = delete;
    ExchangeLoop &operator=(const ExchangeLoop &) = delete;

    // How often it swapped; 0 where it never ran.
    long stop()
    {
        if (!m_ready)
            return 0;
        m_ready = false;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            return 0;
        m_swaps = m_process.readAll().trimmed().toLong();
        return m_swaps;
    }

private:
    QProcess m_process;
    bool m_ready = false;
    long m_swaps = 0;
};

} // namespace quorvane::testsupport
