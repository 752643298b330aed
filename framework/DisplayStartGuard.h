#pragma once
// Starting the toolkit where no display can be opened: one line on standard
// error and exit status 1, instead of the toolkit's own fatal abort.

#include <QString>

// While it is active, the toolkit's messages are held back. A fatal one
// (no platform could be started, as without a display) ends the process at
// once with "<program>: no display could be opened..." and status 1; the
// messages held back are passed on when it ends.
class CDisplayStartGuard {
public:
    explicit CDisplayStartGuard(const QString& program);
    ~CDisplayStartGuard();
    CDisplayStartGuard(const CDisplayStartGuard&) = delete;
    CDisplayStartGuard& operator=(const CDisplayStartGuard&) = delete;

    // The toolkit has started: messages go their usual way again.
    void End();

private:
    bool Active = true;
};
