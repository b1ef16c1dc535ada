#pragma once

#include "engine/run/imagingrun.h"
#include "platform/result.h"
#include "platform/toolkit.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace quorvane::cli {

// The headless toolkit with a progress line on standard error: at most ten
// times a second, as the run reports its progress, and only while standard
// error is a terminal. The line is wiped before anything else is written.
class ProgressToolkit : public platform::Toolkit {
public:
    ProgressToolkit(platform::Toolkit &inner, bool showProgress);

    void yield() override;
    void setBusyCursor() override { m_inner.setBusyCursor(); }
    void setDefaultCursor() override { m_inner.setDefaultCursor(); }
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QSize screenSizeTwips() const override { return m_inner.screenSizeTwips(); }

    void showProgress(const RunProgress &progress);
    void clearLine();

private:
    platform::Toolkit &m_inner;
    bool m_show;
    bool m_lineShown = false;
    QElapsedTimer m_clock;
};

// Writes text to a C stream; escaped bytes of host names go out as the
// bytes they stand for.
void writeText(std::FILE *stream, const QString &text);

// Fills a closed standard input, output or error with a descriptor that
// refuses every use, before anything else is opened: otherwise the next file
// the program opens gets its number, and the output meant for standard
// output lands in it (or in Qt's event descriptor) as if written.
void holdClosedStandardStreams();

// Standard output, the only way the program writes to it. The first failed
// or short write is kept and later writes are dropped, so that one check at
// close() covers the whole output; close() flushes and closes because a full
// disk or a closed descriptor often shows only there.
class StandardOutput {
public:
    void write(const QByteArray &bytes);
    void write(const QString &text);
    // Hands the buffer to the kernel now: a reader sees entries as they come,
    // and the output keeps its order with standard error.
    void flush();
    // The first failure of the whole output; call once, at the end.
    platform::Status close();

private:
    void fail();

    platform::Status m_failure = platform::Status::success();
    bool m_closed = false;
};

} // namespace quorvane::cli
