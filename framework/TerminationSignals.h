#pragma once
// The signals that ask a program to end (SIGTERM from a logout or a kill,
// SIGHUP from a closed terminal, SIGINT from Ctrl+C), caught and handed to
// the event loop: the handler only writes the signal's number to a pipe,
// which the loop reads, so nothing unsafe runs inside it.

#include <QObject>

#include <functional>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    // caught runs in the event loop, once for each signal that arrives.
    explicit CTerminationSignals(std::function<void(int)> caught);
    // The signals take back the actions they had before.
    ~CTerminationSignals() override;
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    [[nodiscard]] bool IsInstalled() const { return pNotifier != nullptr; }

private:
    void ReadSignals();

    std::function<void(int)> Caught;
    QSocketNotifier* pNotifier = nullptr;
};

// Ends the process as the signal's own action does, so that whoever started
// it sees which signal ended it.
[[noreturn]] void AfxEndBySignal(int signalNumber);
