#pragma once

#include "platform/services.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>

namespace quorvane::platform {

// Sizes the pieces of a long copy so that each takes a few tens of
// milliseconds on any disk, and lets the window answer between them: a
// large file is never copied in one go while the user's clicks wait.
class CopyPacer {
public:
    CopyPacer() { m_sinceYield.start(); }

    qint64 piece() const { return m_piece; }
    // For a copy off the window's thread, which must never run its events.
    void neverYield() { m_yields = false; }

    // One piece took this long: sizes the next one and yields when due.
    void pieceDone(qint64 nanoseconds)
    {
        if (nanoseconds > 2 * AimNanoseconds)
            m_piece = std::max(m_piece / 2, Smallest);
        else if (nanoseconds < AimNanoseconds / 2)
            m_piece = std::min(m_piece * 2, Largest);
        if (m_yields && m_sinceYield.elapsed() >= YieldMilliseconds) {
            toolkit().yield();
            m_sinceYield.restart();
        }
    }

private:
    static constexpr qint64 Smallest = qint64(256) << 10;
    static constexpr qint64 Largest = qint64(16) << 20;
    static constexpr qint64 AimNanoseconds = 20'000'000;
    static constexpr qint64 YieldMilliseconds = 50;

    qint64 m_piece = qint64(4) << 20;
    bool m_yields = true;
    QElapsedTimer m_sinceYield;
};

} // namespace quorvane::platform
