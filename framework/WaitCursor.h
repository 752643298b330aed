#pragma once
// Shows the wait cursor for as long as the guard lives.

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Introspection for tests: how many guards are alive.
    [[nodiscard]] static int Depth();
};
