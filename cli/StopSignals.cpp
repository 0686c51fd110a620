#include "cli/StopSignals.h"

#include <csignal>

namespace tarvo {

namespace {

// What the handler may touch: a lock-free flag and a number.
const CancelToken* g_token = nullptr;
volatile std::sig_atomic_t g_received = 0;

void Stop(int signal)
{
    g_received = signal;
    if (g_token)
        g_token->cancel();
}

void Handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // The first signal stops the run; the default action takes the next one.
    action.sa_flags = SA_RESTART | (handler == SIG_DFL ? 0 : SA_RESETHAND);
    sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(CancelToken token)
    : m_token(std::move(token))
{
    g_received = 0;
    g_token = &m_token;
    Handle(SIGINT, Stop);
    Handle(SIGTERM, Stop);
}

StopSignals::~StopSignals()
{
    Handle(SIGINT, SIG_DFL);
    Handle(SIGTERM, SIG_DFL);
    g_token = nullptr;
}

int StopSignals::received() const
{
    return g_received;
}

} // namespace tarvo
