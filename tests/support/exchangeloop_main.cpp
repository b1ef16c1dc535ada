// Another program that swaps two names again and again (renameat2 with
// RENAME_EXCHANGE) until SIGTERM, then leaves them as it found them and
// tells how often it swapped: exchangeloop A B.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t s_stop = 0;

bool exchange(const char *a, const char *b)
{
    return ::syscall(SYS_renameat2, AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    struct sigaction stop {};
    stop.sa_handler = [](int) { s_stop = 1; };
    ::sigaction(SIGTERM, &stop, nullptr);
    // Ready: the caller waits for this line before it starts what is raced.
    std::puts("swapping");
    std::fflush(stdout);
    bool swapped = false;
    long swaps = 0;
    while (!s_stop) {
        if (exchange(argv[1], argv[2])) {
            swapped = !swapped;
            ++swaps;
        }
    }
    if (swapped)
        exchange(argv[1], argv[2]);
    std::printf("%ld\n", swaps);
    return 0;
}
