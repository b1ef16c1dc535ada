#include "cli/console.h"

#include "engine/imagingrun.h"
#include "platform/namecodec.h"

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

ProgressToolkit::ProgressToolkit(platform::Toolkit &inner, bool showProgress) : m_inner(inner), m_show(showProgress)
{
    m_clock.start();
}

void ProgressToolkit::yield()
{
    m_inner.yield();
    if (!m_show || m_clock.elapsed() < 100)
        return;
    m_clock.restart();
    const QString text = stageText(CurrentRunProgress());
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
