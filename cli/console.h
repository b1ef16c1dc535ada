#pragma once

#include "engine/listingview.h"
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

// The listing's file pane, printed to standard output one entry per line as
// the entries come, or kept for a list file. The directory pane is not shown.
class ConsoleListing : public ListingView {
public:
    ConsoleListing(ProgressToolkit &toolkit, bool keepForFile);

    void showViewer() override {}
    void clearPanes() override;
    void appendToFilePane(const QStringList &entries) override;
    void appendToDirPane(const QStringList &) override {}

    const QStringList &kept() const { return m_kept; }

private:
    ProgressToolkit &m_toolkit;
    bool m_keep;
    QStringList m_kept;
};

// Writes text to a C stream; escaped bytes of host names go out as the
// bytes they stand for.
void writeText(std::FILE *stream, const QString &text);

} // namespace quorvane::cli
