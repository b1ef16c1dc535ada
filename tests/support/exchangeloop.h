#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace quorvane::testsupport {

// Swaps two names in one step, as another program can at any moment
// (renameat2 with RENAME_EXCHANGE): a folder and a link, say.
inline bool exchange(const QByteArray &a, const QByteArray &b)
{
    return ::syscall(SYS_renameat2, AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0;
}

// Swaps two names as fast as it can until told to stop; leaves them as it found them.
class ExchangeLoop {
public:
    ExchangeLoop(const QString &a, const QString &b) : m_a(QFile::encodeName(a)), m_b(QFile::encodeName(b))
    {
        m_thread = std::thread([this] {
            bool swapped = false;
            while (!m_stop.load()) {
                if (exchange(m_a, m_b)) {
                    swapped = !swapped;
                    ++m_swaps;
                }
            }
            if (swapped)
                exchange(m_a, m_b);
        });
    }
    ~ExchangeLoop() { stop(); }
    int stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_swaps;
    }

private:
    QByteArray m_a;
    QByteArray m_b;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_swaps{0};
    std::thread m_thread;
};

} // namespace quorvane::testsupport
