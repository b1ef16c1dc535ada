#include "platform/stopsignals.h"

#include "platform/hosterrors.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Only lock-free atomics may be touched from a handler.
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> s_first{0};     // the signal that asked for the stop
std::atomic<int> s_holds{0};     // ForcedEndHolds alive
std::atomic<int> s_deferred{0};  // a second signal that waits for the holds' end
const char *s_program = nullptr; // for the line of a forced end

void say(const char *text)
{
    // Nothing can be done about a line that does not get out.
    if (text)
        (void)!::write(STDERR_FILENO, text, std::strlen(text));
}

[[noreturn]] void endNow(int signal)
{
    if (s_program) {
        say(s_program);
        say(": sofort beendet durch zweites Signal ");
        say(signalName(signal));
        say("\n");
    }
    ::_exit(128 + signal);
}

void onStopSignal(int signal)
{
    int none = 0;
    if (s_first.compare_exchange_strong(none, signal))
        return;
    // A third signal while a hold waits ends the process even then.
    if (s_holds.load() == 0 || s_deferred.exchange(signal) != 0)
        endNow(signal);
    // The hold may have ended between the two looks; then no one else ends it.
    if (s_holds.load() == 0)
        endNow(signal);
}

} // namespace

void installStopSignals(const char *program)
{
    s_program = program;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    // Slow calls go on where they were; the run looks at the mark itself.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : StopSignals)
        sigaddset(&action.sa_mask, signal);
    for (const int signal : StopSignals) {
        // A signal ignored by whoever started us (nohup) stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

bool stopRequested()
{
    return s_first.load(std::memory_order_relaxed) != 0;
}

int stopSignal()
{
    return s_first.load();
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "SIG?";
    }
}

Status stoppedFailure(const QString &path)
{
    return failureFor(ErrUserInterrupt, path,
                      QStringLiteral("Abgebrochen durch Signal %1").arg(QLatin1String(signalName(stopSignal()))));
}

ForcedEndHold::ForcedEndHold()
{
    s_holds.fetch_add(1);
}

ForcedEndHold::~ForcedEndHold()
{
    if (s_holds.fetch_sub(1) != 1)
        return;
    if (const int signal = s_deferred.load())
        endNow(signal);
}

} // namespace quorvane::platform
