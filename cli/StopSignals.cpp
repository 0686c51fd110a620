#include "cli/StopSignals.h"

#include <csignal>

namespace tarvo {

namespace {

// What the handler touches: a number, and the run's stop. Requesting a stop
// takes a lock only against the stop callbacks that a source runs, and
// nothing registers one on this source, so the handler may request it;
// waking another thread to do so would let a fast copy run on meanwhile.
std::stop_source* g_stop = nullptr;
volatile std::sig_atomic_t g_received = 0;

void Stop(int signal)
{
    g_received = signal;
    if (g_stop)
        g_stop->request_stop();
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

StopSignals::StopSignals(std::stop_source stop)
    : m_stop(std::move(stop))
{
    g_received = 0;
    g_stop = &m_stop;
    Handle(SIGINT, Stop);
    Handle(SIGTERM, Stop);
}

StopSignals::~StopSignals()
{
    Handle(SIGINT, SIG_DFL);
    Handle(SIGTERM, SIG_DFL);
    g_stop = nullptr;
}

int StopSignals::received() const
{
    return g_received;
}

} // namespace tarvo
