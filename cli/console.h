#pragma once

#include "platform/toolkit.h"

#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace quorvane::cli {

// The headless toolkit with a progress line on standard error: at most ten
// times a second, during the run's yields, and only while standard error is
// a terminal. The line is wiped before anything else is written.
class ProgressToolkit : public platform::Toolkit {
public:
    ProgressToolkit(platform::Toolkit &inner, bool showProgress);

    void yield() override;
    void setBusyCursor() override { m_inner.setBusyCursor(); }
    void setDefaultCursor() override { m_inner.setDefaultCursor(); }
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QSize screenSizeTwips() const override { return m_inner.screenSizeTwips(); }

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

} // namespace quorvane::cli
