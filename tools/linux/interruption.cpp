#include "interruption.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace tessaly::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait the kernel can break off (an sg device's) returns EINTR and
    // the program ends there. SA_RESETHAND: the second Ctrl-C meets the default action.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
    return interrupted != 0;
}

void EndByInterrupt() {
    std::fflush(stdout);
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
    std::_Exit(128 + SIGINT);  // not reached: SIGINT's default action ends the process
}

void EndQuietly() {
    std::exit(0);
}

bool InterruptibleCalls::EndIfInterrupted() {
    if (!interrupted_())
        return false;
    end_();
    return true;
}

int InterruptibleCalls::Open(const char* path, int flags) {
    if (EndIfInterrupted())
        return -EINTR;
    const int fd = inner_.Open(path, flags);
    if (EndIfInterrupted()) {
        if (fd >= 0)
            inner_.Close(fd);
        return -EINTR;
    }
    return fd;
}

int InterruptibleCalls::Ioctl(int fd, unsigned long request, void* argument) {
    if (EndIfInterrupted())
        return -EINTR;
    const int rc = inner_.Ioctl(fd, request, argument);
    return EndIfInterrupted() ? -EINTR : rc;
}

}  // namespace tessaly::cli
