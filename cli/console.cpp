#include "cli/console.h"

#include "engine/run/imagingrun.h"
#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::cli {

namespace {

QString stageText(const RunProgress &p)
{
    switch (p.stage) {
    case RunStage::Scanning:
        return QStringLiteral("Suche: %1 Verzeichnisse, %2 Dateien").arg(p.done).arg(p.total);
    case RunStage::Listing:
        return QStringLiteral("Liste: %1 von %2").arg(p.done).arg(p.total);
    case RunStage::Imaging:
        return QStringLiteral("Abbild: %1 von %2 (übersprungen %3)").arg(p.done).arg(p.total).arg(p.summary.skipped);
    case RunStage::Mirroring:
        return QStringLiteral("Verzeichnisse: %1 von %2").arg(p.done).arg(p.total);
    case RunStage::Cleaning:
        return QStringLiteral("Leere Quell-Verzeichnisse werden entfernt");
    case RunStage::Idle:
        break;
    }
    return {};
}

} // namespace

void writeText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = platform::encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void holdClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // Opened for the other direction, so that a use fails with EBADF as
        // on the closed descriptor.
        platform::Descriptor held(::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY));
        if (held.get() == fd)
            held.release(); // stands in for the stream as long as the program runs
    }
}

void StandardOutput::write(const QByteArray &bytes)
{
    if (!m_failure.ok() || m_closed || bytes.isEmpty())
        return;
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        fail();
}

void StandardOutput::write(const QString &text)
{
    write(platform::encodeText(text));
}

void StandardOutput::flush()
{
    if (!m_failure.ok() || m_closed)
        return;
    errno = 0;
    if (std::fflush(stdout) != 0)
        fail();
}

platform::Status StandardOutput::close()
{
    if (m_closed)
        return m_failure;
    m_closed = true;
    errno = 0;
    if (std::fclose(stdout) != 0 && m_failure.ok())
        fail();
    return m_failure;
}

void StandardOutput::fail()
{
    // A short write need not set errno.
    m_failure = platform::errnoFailure(errno != 0 ? errno : EIO, QString());
}

ProgressToolkit::ProgressToolkit(platform::Toolkit &inner, bool showProgress) : m_inner(inner), m_show(showProgress)
{
    m_clock.start();
}

void ProgressToolkit::yield()
{
    m_inner.yield();
}

void ProgressToolkit::showProgress(const RunProgress &progress)
{
    if (!m_show || m_clock.elapsed() < 100)
        return;
    m_clock.restart();
    const QString text = stageText(progress);
    if (text.isEmpty())
        return;
    std::fputs("\r\033[K", stderr);
    writeText(stderr, text);
    std::fflush(stderr);
    m_lineShown = true;
}

int ProgressToolkit::messageBox(const QString &prompt, int style, const QString &title)
{
    clearLine();
    return m_inner.messageBox(prompt, style, title);
}

void ProgressToolkit::clearLine()
{
    if (!m_lineShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_lineShown = false;
}

} // namespace quorvane::cli
