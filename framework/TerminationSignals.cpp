#include "framework/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};
int pipeEnds[2] = {-1, -1};
struct sigaction previous[3];

void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds enough to end the program.
    [[maybe_unused]] const ssize_t put = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

CTerminationSignals::CTerminationSignals(std::function<void(int)> caught) : Caught(std::move(caught))
{
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    pNotifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(pNotifier, &QSocketNotifier::activated, this, &CTerminationSignals::ReadSignals);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(Signals[i], &action, &previous[i]);
}

CTerminationSignals::~CTerminationSignals()
{
    if (!pNotifier)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(Signals[i], &previous[i], nullptr);
    delete pNotifier;
    pNotifier = nullptr;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void CTerminationSignals::ReadSignals()
{
    unsigned char bytes[16];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (Caught)
                Caught(bytes[i]);
        }
    }
}

void AfxEndBySignal(int signalNumber)
{
    std::signal(signalNumber, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signalNumber);
    std::_Exit(128 + signalNumber);
}
